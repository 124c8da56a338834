#pragma once
// The MFC worker: while a segment program runs, one thread controls MFC A (a constant set-point,
// or pulses between a low flow and zero when the wanted flow is below what the MFC can hold) and
// watches MFC B's flow. It shares nothing with the main thread but its exchange (DataExchange),
// which it has run on the main thread and waits for, and the atomic flags below.

#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/MainThread.h"
#include "base/TextPane.h"
#include "mfc/MFCDetails.h"
#include "model/GasItem.h"
#include "state/MoistrelState.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

namespace UnitMain {

class TMFCThread {
public:
    // `state` is touched only inside DataExchange; `memoLog` is the operation log the exchange
    // writes to. All four must outlive the worker.
    TMFCThread(TMoistrelState& state, Base::TMainThread& mainThread, const Base::TClock& clock,
               Base::TTextPane& memoLog);
    // Waits for the thread to end. Destroy a worker once Finished(), or after Abandon() when waiting
    // is acceptable. Must run on the main thread: a worker still running is abandoned and its
    // pending exchange served here, so that it can end.
    virtual ~TMFCThread();
    TMFCThread(const TMFCThread&) = delete;
    TMFCThread& operator=(const TMFCThread&) = delete;

    // Start values, set before Start().
    SerialPortVogtlin::TMFCDetails MFCD; // a copy of MFC A's record
    GasMixtures::TGasItem MixD;          // the A flow being delivered
    double LowFlow = 0.0;                // pulse flow, g/min: three times the active table's RangeMin
    std::string GasBPort;                // MFC B's serial port
    std::int32_t MATickSize = 0;         // passes over which the moving averages run; below 1 counts as 1
    // How long a transaction waits for the first reply byte, ms: reads, and the set-point write.
    std::uint32_t ReadoutTimeoutMS = 50;
    std::uint32_t SetFlowReadoutTimeoutMS = 75;

    // Starts the thread, which runs Execute once. An MATickSize below 1 becomes 1 here.
    void Start();
    // The worker has left its loop and written zero to MFC A.
    bool Stopped() const { return fStopped.load(); }
    // Execute has returned; the thread can be joined without waiting.
    bool Finished() const { return fFinished.load(); }
    // Main thread: from now on the exchanges touch nothing of the state and tell the worker to stop.
    // For a worker that did not stop in time and is left behind.
    void Abandon();

    // The worker's steps, public for the tests that drive them one by one.
    // MFC A's set-point, flow and totalizer; Value gets the totalizer in grams.
    bool ReadTotalizer(double& Value);
    bool ReadFlow(const std::string& Port, std::int32_t Addr, double& Flow);
    bool SetFlow(double Flow);
    // Runs on the main thread (the worker calls it through the main-thread seam).
    void DataExchange();

protected:
    // The worker's body; a test may replace it.
    virtual void Execute();
    // The worker side of an exchange: DataExchange on the main thread, waited for.
    void Exchange();
    // Waits until the thread has ended (serving its exchanges meanwhile) and joins it. A class that
    // replaces Execute calls it in its own destructor, before its part of the object goes.
    void WaitForEnd();

    TMoistrelState& fState;
    Base::TMainThread& fMainThread;
    const Base::TClock& fClock;
    Base::TTextPane& fMemoLog;

    // The worker's own figures (written by the worker; read by the main thread only in DataExchange).
    bool NewSegment = false;
    double TotalizerStart = 0.0;
    Base::TDateTime TotalizerStartTime = 0.0;
    double TotalizerNow = 0.0;
    bool TotalizerValid = false; // the last totalizer reading succeeded
    // The set-point MFC A reported in the last reading; none when that read failed.
    std::optional<double> SetPointRead;
    Base::TDateTime TotalizerNowTime = 0.0;
    Base::TDateTime SegmentStartTime = 0.0;
    bool ToStop = false;
    std::string aMessage;
    double FlowRateSoFargpm = 0.0;
    double GasBFlowObserved = 0.0;
    double MovingAverageFlow = 0.0;
    double TimeSoFarMovingAverage = 0.0;
    std::int32_t MATickSizeInitial = 0;

private:
    void Run();
    // The worker's part of a pass: MFC A by the mode of MixD, given the segment's average flow.
    void ControlMFCA(double rateSoFar);
    // A pass that could not read an MFC: the line to both logs, an exchange and the pause.
    void PassFailed(const std::string& line);
    // What the worker does when its body fails unexpectedly: MFC A to zero, Stopped, a last exchange.
    void EndAfterFailure(const std::string& what) noexcept;
    // Lines no exchange will show any more go to the diagnostic log instead.
    void KeepMessageInDiagnosticLog();

    std::atomic<bool> fStopped{false};
    std::atomic<bool> fFinished{false};
    // Set by Abandon (or a destructor that found the worker running); read by both threads.
    std::atomic<bool> fAbandoned{false};
    std::thread fThread;
};

} // namespace UnitMain
