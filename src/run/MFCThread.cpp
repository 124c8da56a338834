#include "run/MFCThread.h"

#include "base/NumberFormat.h"
#include "logging/DiagnosticLogger.h"
#include "logging/LogOld.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "run/MFCAControl.h"
#include "run/TotalizerInGrams.h"
#include "serial/SerialResponse.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <limits>
#include <string_view>
#include <system_error>

namespace UnitMain {

namespace {

using SerialPort::TSerialResponse;
using SerialPortVogtlin::TVogtlinPort;

constexpr std::chrono::milliseconds PassPause{50};
constexpr std::chrono::milliseconds FailurePause{1000};
constexpr std::int32_t MFCBAddress = 2;
constexpr double MinutesPerDay = 1440.0;

const std::string MaskFlow = "0.000 000";
const std::string MaskRegister = "0.000 000 000";
const std::string MaskSpan = "0.000";
const std::string TimePattern = "hh:mm:ss:zzz";

void Diagnostic(const std::string& message) {
    Logging::Logger().Send(message);
}

bool Succeeded(const TSerialResponse& response) {
    return response.Status.empty();
}

// Brackets a method in the diagnostic log, on every way out.
class TMethodBracket {
public:
    explicit TMethodBracket(std::string_view name) : fName(name) { Logging::Logger().EnterMethod(fName); }
    ~TMethodBracket() { Logging::Logger().ExitMethod(fName); }
    TMethodBracket(const TMethodBracket&) = delete;
    TMethodBracket& operator=(const TMethodBracket&) = delete;

private:
    std::string_view fName;
};

} // namespace

TMFCThread::TMFCThread(TMoistrelState& state, Base::TMainThread& mainThread, const Base::TClock& clock,
                       Base::TTextPane& memoLog)
    : fState(state), fMainThread(mainThread), fClock(clock), fMemoLog(memoLog) {}

TMFCThread::~TMFCThread() {
    WaitForEnd();
}

void TMFCThread::WaitForEnd() {
    if (!fThread.joinable()) {
        return;
    }
    if (!fFinished.load()) {
        // The worker may wait in an exchange that only this thread can run: let it go, serve what it
        // has queued, and it ends within one pass.
        Diagnostic("Thread: released while still running; waiting for it to end");
        fAbandoned.store(true);
        while (!fFinished.load()) {
            fMainThread.ProcessExchanges();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    fThread.join();
}

void TMFCThread::Start() {
    if (fThread.joinable() || fFinished.load()) {
        // One worker runs its body once; a second start would lose the thread it has.
        Diagnostic("Thread: already started");
        return;
    }
    if (MATickSize < 1) {
        // The moving averages divide by it.
        Diagnostic("Thread. Moving average count size " + std::to_string(MATickSize) +
                   " is below 1: 1 is used");
        MATickSize = 1;
    }
    try {
        fThread = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        // No worker runs: nothing holds MFC A, and a stop must not wait for one.
        Diagnostic(std::string("Thread: could not start the MFC worker: ") + e.what());
        fStopped.store(true);
        fFinished.store(true);
    }
}

void TMFCThread::Run() {
    try {
        Execute();
    } catch (const std::exception& e) {
        EndAfterFailure(e.what());
    } catch (...) {
        EndAfterFailure("unknown exception");
    }
    fFinished.store(true);
}

void TMFCThread::EndAfterFailure(const std::string& what) noexcept {
    // MFC A must not go on flowing behind a worker that died: the same way out as a normal end.
    try {
        Diagnostic("Thread: unexpected failure, the worker ends: " + what);
        aMessage += " Thread: unexpected failure, the worker ends: " + what + "\r\n";
        SetFlow(0.0);
    } catch (...) {
        Diagnostic("Thread: MFC A could not be set to 0 after the failure");
    }
    fStopped.store(true);
    try {
        aMessage += Base::FormatDateTime(TimePattern, fClock.Now()) + " MFC A: permanent stop\r\n";
        Exchange();
    } catch (...) {
        Diagnostic("Thread: the last exchange after the failure failed too");
    }
}

void TMFCThread::Abandon() {
    fAbandoned.store(true);
}

void TMFCThread::KeepMessageInDiagnosticLog() {
    if (!aMessage.empty()) {
        Diagnostic("Thread (left behind): " + aMessage);
        aMessage.clear();
    }
}

void TMFCThread::Exchange() {
    if (fAbandoned.load()) {
        // Nobody waits for the figures any more; do not wait for the main thread either.
        KeepMessageInDiagnosticLog();
        ToStop = true;
        return;
    }
    fMainThread.CallAndWait([this] { DataExchange(); });
}

void TMFCThread::DataExchange() {
    if (fAbandoned.load()) {
        // The state may belong to a newer run now.
        KeepMessageInDiagnosticLog();
        ToStop = true;
        return;
    }
    TRunState& run = fState.Run;
    TThreadData& data = run.ThreadData;
    if (data.In_NewSegment) {
        MixD = data.In_MixD;
        NewSegment = true;
        data.In_NewSegment = false;
    }
    ToStop = data.In_ToStop;
    data.Out_Stopped = fStopped.load();
    if (!aMessage.empty()) {
        Logging::LogOld(fMemoLog, aMessage, fClock);
        aMessage.clear();
    }
    run.FlowAObserved = MFCD.CurrentObservedFlow;
    run.FlowASoFar = FlowRateSoFargpm;
    run.FlowBObserved = GasBFlowObserved;
    run.FlowAMovingAverage = MovingAverageFlow;
    run.MovingAverageMinutes = TimeSoFarMovingAverage * MinutesPerDay * MATickSize;
    run.FlowATotalizer = TotalizerValid ? TotalizerNow : std::numeric_limits<double>::quiet_NaN();
    data.SomethingToTell = true;
}

void TMFCThread::PassFailed(const std::string& line) {
    Diagnostic(line);
    aMessage = line + "\r\n";
    Exchange();
    fClock.Sleep(FailurePause);
}

void TMFCThread::Execute() {
    std::int64_t i = 0;
    // The previous good reading; increments are taken only between two good readings.
    bool havePrevious = false;
    double previousTotalizer = 0.0;
    Base::TDateTime previousTime = 0.0;
    double d = 0.0; // grams since the previous reading
    double t = 0.0; // days since the previous reading
    double averageD = 0.0;
    // Start has made it at least 1; a body run without Start must not divide by zero either.
    const double N = std::max(MATickSize, std::int32_t{1});

    MATickSizeInitial = 0;
    SegmentStartTime = fClock.Now();
    while (!ToStop) {
        ++i;
        if (MATickSizeInitial < MATickSize) {
            ++MATickSizeInitial;
        }
        fStopped.store(false);
        Exchange();
        aMessage.clear();
        Diagnostic("Thread. Loop: " + std::to_string(i));

        TotalizerValid = ReadTotalizer(TotalizerNow);
        if (!TotalizerValid) {
            PassFailed("Could not talk to MFC A, sleep 1 second.");
            continue;
        }
        if (!ReadFlow(GasBPort, MFCBAddress, GasBFlowObserved)) {
            GasBFlowObserved = -1.0;
            PassFailed("Could not talk to MFC B, sleep 1 second.");
            continue;
        }
        Diagnostic("Thread. Gas B flow read on port " + GasBPort +
                   " Flow: " + Base::FormatGeneral(GasBFlowObserved));

        if (NewSegment) {
            Diagnostic("Thread. Initialize segment");
            TotalizerStart = TotalizerNow;
            TotalizerStartTime = TotalizerNowTime;
            NewSegment = false;
            previousTotalizer = TotalizerNow;
            previousTime = TotalizerNowTime;
            havePrevious = true;
        }

        // The segment so far.
        const double m = TotalizerNow - TotalizerStart;
        const double s = TotalizerNowTime - TotalizerStartTime;
        double r = 0.0;
        if (s > 0.0) {
            r = m / (s * MinutesPerDay);
            FlowRateSoFargpm = r;
        }
        Diagnostic("Thread. SoFarFlow g            : " + Base::FormatMask(MaskFlow, m));
        Diagnostic("Thread. SoFarTimeMin           : " + Base::FormatMask(MaskFlow, s * MinutesPerDay));
        Diagnostic("Thread. Flowrate so far  g/min : " + Base::FormatMask(MaskFlow, r));
        Diagnostic("Thread. Desired flowrate g/min : " + Base::FormatMask(MaskFlow, MixD.Mass));
        Diagnostic("Thread. Flowrate difference    : " + Base::FormatMask(MaskFlow, MixD.Mass - r));

        // The moving averages over N passes.
        if (havePrevious) {
            d = TotalizerNow - previousTotalizer;
            t = TotalizerNowTime - previousTime;
        } else {
            previousTime = TotalizerNowTime;
        }
        averageD = ((N - 1.0) * averageD + d) / N;
        TimeSoFarMovingAverage = ((N - 1.0) * TimeSoFarMovingAverage + t) / N;
        Diagnostic("Thread.           Moving average count size : " + std::to_string(MATickSize));
        Diagnostic("Thread.                  Totalizer time now : " +
                   Base::FormatDateTime(TimePattern, TotalizerNowTime));
        Diagnostic("Thread.                 Totalizer time last : " +
                   Base::FormatDateTime(TimePattern, previousTime));
        Diagnostic("Thread.           Totalizer time difference : " + Base::FormatDateTime(TimePattern, t));
        Diagnostic("Thread. Moving average observation size (s) : " +
                   Base::FormatMask(MaskSpan, TimeSoFarMovingAverage * Base::SecondsPerDay * N));
        Diagnostic("Thread. Moving average observation size (m) : " +
                   Base::FormatMask(MaskSpan, TimeSoFarMovingAverage * MinutesPerDay * N));
        Diagnostic("Thread.             Moving average flow (g) : " + Base::FormatMask(MaskFlow, averageD));
        if (TimeSoFarMovingAverage > 0.0) {
            MovingAverageFlow = averageD / (TimeSoFarMovingAverage * MinutesPerDay);
            Diagnostic("Thread.           Moving average flow (g/m) : " +
                       Base::FormatMask(MaskFlow, MovingAverageFlow));
        } else {
            MovingAverageFlow = 0.0;
            Diagnostic("Thread.           Moving average flow (g/m) : ?");
        }

        ControlMFCA(r);
        // The pass's readings (and what its control wrote) go to the main thread now, not after the
        // pause at the top of the next pass: the display follows the instruments a pass sooner,
        // and after a failed pass by the time of its reads, not by the pause that follows them.
        Exchange();
        aMessage.clear();

        previousTotalizer = TotalizerNow;
        previousTime = TotalizerNowTime;
        havePrevious = true;
        fClock.Sleep(PassPause);
    }

    SetFlow(0.0);
    fStopped.store(true);
    aMessage += Base::FormatDateTime(TimePattern, fClock.Now()) + " MFC A: permanent stop\r\n";
    Exchange();
}

void TMFCThread::ControlMFCA(double rateSoFar) {
    TMFCAControlInput input;
    input.HasGasName = !MixD.GasNameLong.empty();
    input.Mass = MixD.Mass;
    input.Pulsed = MixD.Pulsed;
    input.RateSoFar = rateSoFar;
    input.LowFlow = LowFlow;
    input.CurrentSetFlow = MFCD.CurrentSetFlow;
    input.CurrentObservedFlow = MFCD.CurrentObservedFlow;
    input.SetPointRead = SetPointRead;
    const TMFCAControl control = DecideMFCAControl(input);
    if (control.SetPointLost && control.SetPoint) {
        Diagnostic("Thread. MFC A set-point reads " + Base::FormatGeneral(SetPointRead.value_or(0.0)) +
                   ", not the " + Base::FormatGeneral(MFCD.CurrentSetFlow) + " set last: set again");
    }

    switch (control.Mode) {
    case TMFCAMode::cmNoGas:
        Diagnostic("Thread. This mixture contains no gas for MFC a.");
        if (control.SetPoint) {
            Diagnostic("Thread. Observed flow > 0.000 000 1, instruct 0-flow.");
            SetFlow(0.0);
        }
        break;
    case TMFCAMode::cmPulsed:
        Diagnostic("Thread. We are in pulsed flow mode for gas A");
        Diagnostic("Thread. Pulsed: Lowest flow value      : " + Base::FormatMask(MaskFlow, LowFlow));
        if (control.Ahead) {
            Diagnostic("Thread. Pulsed: We are ahead in the flow");
            Diagnostic(SetFlow(0.0) ? "Thread. Pulsed: MFC set to 0 flow"
                                    : "Thread. Pulsed: Failed to set MFC flow to 0");
        } else {
            Diagnostic("Thread. Pulsed: We are behind in the flow");
            if (!control.SetPoint) {
                Diagnostic("Thread. Pulsed: Flow already set");
            } else {
                Diagnostic("Thread. Pulsed: Try adjusting flow");
                Diagnostic(SetFlow(LowFlow)
                               ? "Thread. Pulsed: MFC set to " + Base::FormatGeneral(LowFlow) + " flow"
                               : std::string("Thread. Pulsed: Failed to set MFC flow"));
            }
        }
        break;
    case TMFCAMode::cmConstant:
        Diagnostic("Thread. We are in constant flow mode for gas A");
        if (control.SetPoint) {
            const double mass = MixD.Mass;
            const std::string number = Base::FormatGeneral(mass);
            Diagnostic(SetFlow(mass) ? "Thread. Constant flow: MFC permanently set to " + number + " flow"
                                     : "Thread. Constant flow: Failed to set MFC flow to " + number);
        }
        break;
    }
}

bool TMFCThread::ReadTotalizer(double& Value) {
    const TMethodBracket bracket("Thread: ReadTotalizer");
    // The active gas table; a record without one reads as a table of unknown units.
    static const SerialPortVogtlin::TLUTData noTable;
    const SerialPortVogtlin::TLUTData* active = ActiveLUTData(MFCD);
    const SerialPortVogtlin::TLUTData& E = active != nullptr ? *active : noTable;
    const std::uint32_t address = MFCD.ModBusAddress;

    Value = 0.0;
    TVogtlinPort port;
    SerialPortVogtlin::ConfigureForMFC(port, MFCD.ComPortName, ReadoutTimeoutMS);
    Diagnostic(" MFC A: Active lut         : " + std::to_string(MFCD.ActiveLUT));

    TSerialResponse response;
    port.ReadF32(address, SerialPortVogtlin::regSetPoint, response);
    if (!Succeeded(response)) {
        Diagnostic("Thread: ReadTotalizer: Comms failed, status:" + response.Status);
        // No reading of MFC A in this pass: the tick must see a failed reading, not the last good one.
        MFCD.CurrentObservedFlow = -1.0;
        SetPointRead.reset();
        return false;
    }
    SetPointRead = response.AsFloat;
    Diagnostic(" MFC A: Current setpoint   : " + Base::FormatMask(MaskRegister, response.AsFloat));

    port.ReadF32(address, SerialPortVogtlin::regMeasuredFlow, response);
    MFCD.CurrentObservedFlow = Succeeded(response) ? static_cast<double>(response.AsFloat) : -1.0;
    Diagnostic(" MFC A: Current flow       : " + Base::FormatMask(MaskRegister, response.AsFloat));
    Diagnostic(" MFC A: Flow unit          : " + E.UnitType);

    port.ReadF32(address, SerialPortVogtlin::regTotalizer, response);
    const bool totalizerRead = Succeeded(response);
    const double raw = response.AsFloat;
    Diagnostic(" MFC A: Totalizer 0 value  : " + Base::FormatMask(MaskRegister, raw));
    Diagnostic(" MFC A: Totalizer unit     : " + E.TotalizerUnit);
    Diagnostic(" MFC A: Totalizer scaling  : " + Base::FormatMask(MaskRegister, E.TotalizerScaling));

    const TTotalizerGrams grams = TotalizerInGrams(raw, MFCD.ActiveLUT, E.TotalizerUnit, E.DensityGPL);
    Value = grams.Grams;
    switch (grams.Conversion) {
    case TTotalizerConversion::tcNormalLitres:
        Diagnostic(" MFC A: Totalizer unit LN needs conversion ");
        Diagnostic(" MFC A: grams per liter    : " + Base::FormatMask(MaskRegister, E.DensityGPL));
        Diagnostic(" MFC A: Tot. in grams      : " + Base::FormatMask(MaskRegister, Value));
        break;
    case TTotalizerConversion::tcKilograms:
        Diagnostic(" MFC A: Totalizer unit KG needs conversion ");
        Diagnostic(" IF YOU ARE SEEING THIS CONTACT KELVANE ");
        Diagnostic(" MFC A: Tot. in grams      : " + Base::FormatMask(MaskRegister, Value));
        break;
    case TTotalizerConversion::tcNone:
        break;
    }
    TotalizerNowTime = fClock.Now();
    if (!totalizerRead) {
        // The pass fails as a whole: its flow reading is not shown as if the pass had succeeded.
        MFCD.CurrentObservedFlow = -1.0;
    }
    return totalizerRead;
}

bool TMFCThread::ReadFlow(const std::string& Port, std::int32_t Addr, double& Flow) {
    TVogtlinPort port;
    SerialPortVogtlin::ConfigureForMFC(port, Port, ReadoutTimeoutMS);
    TSerialResponse response;
    port.ReadF32(static_cast<std::uint32_t>(Addr), SerialPortVogtlin::regMeasuredFlow, response);
    Flow = Succeeded(response) ? static_cast<double>(response.AsFloat) : -1.0;
    // A reading of exactly -1 is the failure mark; a failed decode (NaN) is no reading either.
    return Flow > -1.0;
}

bool TMFCThread::SetFlow(double Flow) {
    TVogtlinPort port;
    SerialPortVogtlin::ConfigureForMFC(port, MFCD.ComPortName, SetFlowReadoutTimeoutMS);
    TSerialResponse response;
    port.WriteF32(MFCD.ModBusAddress, SerialPortVogtlin::regSetPoint, static_cast<float>(Flow), response);
    const std::string number = Base::FormatGeneral(Flow);
    if (Succeeded(response)) {
        MFCD.CurrentSetFlow = Flow;
        aMessage += " Thread: " + MFCD.MFCName + " flow set to :" + number + " g/min\r\n";
        return true;
    }
    aMessage += " Thread: Failed to set " + MFCD.MFCName + " flow to :" + number + " g/min\r\n";
    return false;
}

} // namespace UnitMain
