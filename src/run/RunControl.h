#pragma once
// Running a segment program: the operating state machine, the 50 ms tick that hands each segment's
// flows to the instruments and moves on when a segment has lasted its time, Start and Stop, the
// MFC worker's start and stop, and the verified safe stop that ends every run in "Stopped" or in a
// loud "Could not stop flow!". Everything here runs on the main thread.

#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/MainThread.h"
#include "base/TextPane.h"
#include "mfc/MFCDetails.h"
#include "mfc/VogtlinPort.h"
#include "pump/PumpStop.h"
#include "run/InstrumentStop.h"
#include "run/MFCThread.h"
#include "run/RunRecorder.h"
#include "run/RunWindow.h"
#include "state/MoistrelState.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace UnitMain {

// The worker stop seam: what changing MFC A's gas needs of the run.
class TWorkerStop {
public:
    virtual ~TWorkerStop() = default;
    virtual void StopAndKillThread() = 0;
};

struct TRunPlaces {
    // The recipes go to "<ProgramFolder>/Userdata".
    std::string ProgramFolder;
};

struct TRunOptions {
    // How long the stop waits for the worker to end. A worker in its one-second pause after a failed
    // reading needs that second, one exchange and one more pass of four reads and a write (each
    // read at most 50 ms of waiting plus its bytes): about 1.5 s. Ten seconds leaves room for a
    // loaded machine, and is short enough that a worker that died does not keep gas flowing unseen.
    std::chrono::milliseconds WorkerStopLimit{10000};
    // Makes the worker; tests give one of their own. None: the real TMFCThread.
    std::function<std::unique_ptr<TMFCThread>()> MakeWorker;
    // The pump's stop: its bound for reporting idle and the poll pause (run on the run's clock).
    TPumpStopOptions PumpStop;
};

class TRunControl : public TWorkerStop, public TInstrumentStop {
public:
    // Everything given must outlive the run control. `memoLog` is the operation log, `setupFeedback`
    // the set-up page's feedback pane (the pump's stop command and reply go there).
    TRunControl(TMoistrelState& state, TRunWindow& window, Base::TTextPane& memoLog,
                Base::TTextPane& setupFeedback, Base::TDialogs& dialogs, Base::TMainThread& mainThread,
                const Base::TClock& clock, TRunPlaces places, TRunOptions options = {});
    ~TRunControl() override;
    TRunControl(const TRunControl&) = delete;
    TRunControl& operator=(const TRunControl&) = delete;

    // Timer1's handler: one tick unless one is in progress.
    void Timer1Timer();
    // One tick; Done is false while it runs and true when it ends, whatever happened inside.
    void Tick(bool& Done);
    // "Start with current program".
    void ButtonApplyClick();
    // "Stop".
    void ButtonStopClick();
    // Writes one set-point to one MFC and logs the result; the record is not changed.
    bool SetMFCFlow(const SerialPortVogtlin::TMFCDetails& MFC, double Flow);

    // Stops any worker, then makes a new one (not started yet).
    void StartThread();
    // Stops the worker, if one runs, and waits for it (bounded; the window keeps its events).
    void StopAndKillThread() override;
    // The safe stop; leaves MixerState at 1 or 6.
    void StopMixer();
    // The pump, MFC A and MFC B on the given ports stopped and checked (see TInstrumentStop).
    TStopVerdict StopInstruments(const TStopPorts& ports) override;
    // Whether the window may close now; tells the operator why not.
    bool FormCloseQuery();

    // The worker of the run, if one exists.
    TMFCThread* MFCThread() const { return fMFCThread.get(); }
    // The run data file's writer, for its last line.
    const TRunRecorder& Recorder() const { return fRecorder; }

private:
    // Where the last validation found each instrument; empty where it found none.
    TStopPorts ValidatedPorts() const;
    void TickRunning();
    // The running segment's flows to the instruments: each hand-over until it has taken.
    void HandOver(const GasMixtures::TGasItem& segment);
    // The tick's answer to a failure inside it; never fails itself.
    void TickFailed(const std::string& what) noexcept;
    // The run stops safely, saying why: the segment program ends here.
    void StopRun(const std::string& why);
    // True when the worker of a running program has ended without being asked to (a failure in
    // its body, or a thread that never ran); the run is then stopped.
    bool WorkerEndedOutsideAStop();
    // True when a failed reading has lasted longer than the settings allow; the run is then stopped.
    bool ReadingLostTooLong(Base::TDateTime now);
    void ShowFigures(const GasMixtures::TGasItem& A, const GasMixtures::TGasItem& B);
    bool StopPump(const std::string& port);
    bool StopMFC(const std::string& port, std::uint32_t address, const std::string& name);
    // The MFC's set-point read back after a write: up to `checks` reads, each after the pause that
    // lets the write's acknowledgement pass, until one gets a valid answer; none when none did.
    // Each miss goes to the diagnostic log, saying `when`.
    std::optional<float> ReadBackSetPoint(SerialPortVogtlin::TVogtlinPort& port, std::uint32_t address,
                                          const std::string& name, const std::string& when, int checks);
    void Log(const std::string& text);
    // Waits until `done` or the limit; true when done.
    bool WaitForWorker(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline);
    void ReleaseFinishedWorkers();

    TMoistrelState& fState;
    TRunWindow& fWindow;
    Base::TTextPane& fMemoLog;
    Base::TTextPane& fSetupFeedback;
    Base::TDialogs& fDialogs;
    Base::TMainThread& fMainThread;
    const Base::TClock& fClock;
    TRunPlaces fPlaces;
    TRunOptions fOptions;
    std::unique_ptr<TMFCThread> fMFCThread;
    // The run data file and the end-of-run report.
    TRunRecorder fRecorder;
    // Workers that did not stop within the limit; released once they end.
    std::vector<std::unique_ptr<TMFCThread>> fLeftBehind;
    // A failed reading of MFC A or B holds the run's judgement since this time (clock time).
    bool fReadingLost = false;
    Base::TDateTime fReadingLostSince = 0.0;
    // A hand-over that failed is tried again from these times on, not on every tick: a missing
    // pump or MFC B would otherwise hold every tick for its whole reply wait.
    Base::TDateTime fRetryPumpAt = 0.0;
};

} // namespace UnitMain
