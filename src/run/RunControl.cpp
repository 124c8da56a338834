#include "run/RunControl.h"

#include "base/DateTime.h"
#include "base/NumberFormat.h"
#include "logging/DiagnosticLogger.h"
#include "logging/LogOld.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "program/Recipe.h"
#include "pump/PumpProtocol.h"
#include "run/SegmentFlows.h"
#include "run/StatusPanels.h"
#include "serial/SerialPort.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <optional>
#include <thread>
#include <utility>

namespace UnitMain {

namespace {

using GasMixtures::TGasItem;
using SerialPortVogtlin::TMFCDetails;

const std::string CannotStopWarning =
    "Could not stop flow! Manually power off the mixer to ensure flow is stopped!";
// The pump's port before the instruments are validated.
const std::string SimulatedPumpPort = "SIM";
const std::string NotInitialized = "Instruments not initialized. Cannot proceed.";
// How often the stop asks an MFC for its set-point before it counts as not confirmed.
constexpr int SetPointChecks = 3;
// How often the wait for the worker looks whether it has ended; the worker's exchanges are run in
// between.
constexpr auto WorkerLook = std::chrono::milliseconds(10);
// The wait between a set-point write and its read-back (and between two read-backs), for the
// write's acknowledgement to pass.
constexpr auto ReadBackPause = std::chrono::milliseconds(20);
// How long a failed hand-over of the pump's command waits for its next try. MFC B's set-point is
// tried again on every tick: a try costs at most its short reply wait, and a segment shorter than a
// second must not lose its set-point to one write that met the worker's read on the port.
constexpr double HandOverRetry = 1.0 / Base::SecondsPerDay;

std::string TrueFalse(bool value) {
    return value ? "True" : "False";
}

std::string Seconds(std::chrono::milliseconds duration) {
    return Base::FormatGeneral(static_cast<double>(duration.count()) / 1000.0);
}

} // namespace

std::vector<std::string> StopVerdictLines(const TStopVerdict& verdict) {
    return {"  MFC A stopped: " + TrueFalse(verdict.MFCAStopped),
            "  MFC B stopped: " + TrueFalse(verdict.MFCBStopped),
            "  Fluid stopped: " + TrueFalse(verdict.FluidStopped)};
}

TRunControl::TRunControl(TMoistrelState& state, TRunWindow& window, Base::TTextPane& memoLog,
                         Base::TTextPane& setupFeedback, Base::TDialogs& dialogs,
                         Base::TMainThread& mainThread, const Base::TClock& clock, TRunPlaces places,
                         TRunOptions options)
    : fState(state), fWindow(window), fMemoLog(memoLog), fSetupFeedback(setupFeedback), fDialogs(dialogs),
      fMainThread(mainThread), fClock(clock), fPlaces(std::move(places)), fOptions(std::move(options)),
      fRecorder(memoLog, clock) {
    if (!fOptions.MakeWorker) {
        fOptions.MakeWorker = [this] {
            return std::make_unique<TMFCThread>(fState, fMainThread, fClock, fMemoLog);
        };
    }
}

TRunControl::~TRunControl() {
    // Closing is refused while a run is active, but a program that ends anyway still lets its
    // worker set MFC A to zero on its way out.
    try {
        StopAndKillThread();
        const auto deadline = std::chrono::steady_clock::now() + fOptions.WorkerStopLimit;
        WaitForWorker(
            [this] {
                ReleaseFinishedWorkers();
                return fLeftBehind.empty();
            },
            deadline);
    } catch (...) {
        // Nothing may escape a destructor; what could not be waited for is released below.
    }
    // A worker that still has not ended cannot be joined without hanging the program's end: it is
    // let go (it holds nothing but its own object).
    for (auto& worker : fLeftBehind) {
        static_cast<void>(worker.release());
    }
}

void TRunControl::Log(const std::string& text) {
    Logging::LogOld(fMemoLog, text, fClock);
}

void TRunControl::Timer1Timer() {
    if (fState.Run.TickDone) {
        Tick(fState.Run.TickDone);
    }
}

void TRunControl::Tick(bool& Done) {
    Done = false;
    // Whatever fails inside, even the report of a failure, the tick ends and the next one comes:
    // control of a running mixer must not end silently.
    struct TTickEnd {
        bool& Done;
        ~TTickEnd() { Done = true; }
    } const tickEnd{Done};
    try {
        switch (fState.MixerState) {
        case msSimulation:
            fWindow.SetLEDCaption("Simulation");
            break;
        case msCannotStop:
            fWindow.SetLEDCaption("Cannot stop flow. Manually power off the mixer.");
            break;
        case msStopping: {
            const std::string caption = fWindow.LEDCaption();
            fWindow.SetLEDCaption(caption.rfind("Stopping", 0) == 0 ? caption + "." : "Stopping");
            StopMixer();
            fRecorder.End(fState);
            break;
        }
        case msValidated:
            for (int panel = 0; panel <= 3; ++panel) {
                fWindow.SetStatusPanel(panel, "");
            }
            fWindow.SetSetupPagesEnabled(true);
            break;
        case msRunning:
            TickRunning();
            break;
        default:
            break;
        }
        fRecorder.Sample(fState);
    } catch (const std::exception& failure) {
        TickFailed(failure.what());
    } catch (...) {
        TickFailed("unknown error");
    }
}

void TRunControl::TickFailed(const std::string& what) noexcept {
    try {
        Log("Tick failed: " + what);
        return;
    } catch (...) {
        // The operation log itself fails: the diagnostic log keeps the failure.
    }
    try {
        Logging::Logger().Send("Tick failed: " + what + "; the operation log failed too");
    } catch (...) {
        // Nowhere left to say it; the next tick comes all the same.
    }
}

void TRunControl::StopRun(const std::string& why) {
    Log(why + ": the run stops safely");
    if (fRecorder.Active()) {
        fRecorder.StoppedByProgram(why);
    }
    fState.MixerState = msStopping;
    fState.Run.CurrentSegment = 0;
}

bool TRunControl::WorkerEndedOutsideAStop() {
    if (!fMFCThread || fState.Run.ThreadData.In_ToStop ||
        !(fMFCThread->Stopped() || fMFCThread->Finished())) {
        return false;
    }
    // Nobody holds MFC A to its flow any more, and the figures are frozen: the pump and MFC B must
    // not dose on unsupervised. The worker's own lines say what ended it.
    if (fMFCThread->Finished()) {
        // Its thread has ended: nothing to wait for at the stop.
        fMFCThread.reset();
    }
    StopRun("The MFC worker has ended during the run");
    return true;
}

bool TRunControl::ReadingLostTooLong(Base::TDateTime now) {
    const TRunState& run = fState.Run;
    const bool aLost = run.FlowAObserved == -1.0;
    const bool bLost = run.FlowBObserved == -1.0;
    if (!aLost && !bLost) {
        fReadingLost = false;
        return false;
    }
    if (!fReadingLost) {
        fReadingLost = true;
        fReadingLostSince = now;
        return false;
    }
    const std::int32_t limit = std::max(fState.Settings.ReadingLossLimitSeconds, std::int32_t{1});
    if ((now - fReadingLostSince) * Base::SecondsPerDay <= limit) {
        return false;
    }
    fReadingLost = false;
    const std::string which = aLost && bLost ? "MFC A and MFC B" : aLost ? "MFC A" : "MFC B";
    StopRun("No reading from " + which + " for more than " + std::to_string(limit) + " s");
    return true;
}

void TRunControl::TickRunning() {
    TRunState& run = fState.Run;
    TThreadData& data = run.ThreadData;
    const auto segments = static_cast<std::int32_t>(fState.SegmentProgram.size());
    if (run.CurrentSegment < 0 || run.CurrentSegment >= segments) {
        // Nothing left to run (the program was emptied under the run): stop safely.
        StopRun("Tick: no segment " + std::to_string(run.CurrentSegment + 1) + " to run");
        return;
    }
    if (WorkerEndedOutsideAStop()) {
        return;
    }
    const TGasItem& segment = fState.SegmentProgram[static_cast<std::size_t>(run.CurrentSegment)];
    {
        const TSegmentFlows flows = FlowsOf(segment);
        if (data.SomethingToTell) {
            ShowFigures(flows.A, flows.B);
            data.SomethingToTell = false;
        }
    }
    // What the operator sees is settled before the hand-overs: a device that does not answer holds
    // the tick for its whole reply wait, and the LED must not wait behind it.
    const Base::TDateTime now = fClock.Now();
    if (ReadingLostTooLong(now)) {
        return;
    }
    if (fReadingLost) {
        // A failed reading holds the segment clock's judgement, not the clock itself; for so long only.
        fWindow.SetLEDCaption("Trying to communicate with MFC A or B");
    } else {
        const double elapsedDays = now - run.StepStartTime;
        const double hoursLeft = (segment.StepTime / 24.0 - elapsedDays) * 24.0;
        run.OperatingText = "Operating, step: " + std::to_string(run.CurrentSegment + 1) + "/" +
                            std::to_string(segments) +
                            ", time left:" + Base::FormatMaskOrGeneral("0.00", hoursLeft) + " hours.";
        if (elapsedDays * 24.0 > segment.StepTime) {
            data.StepMFCASet = false;
            data.StepMFCBSet = false;
            data.StepPumpSet = false;
            // The new segment's flows go out at once, whatever the old ones' retries were.
            fRetryPumpAt = 0.0;
            if (run.CurrentSegment + 1 < segments) {
                ++run.CurrentSegment;
                data.In_NewSegment = true;
                run.StepStartTime = now;
                Log("Tick:Next Step: " + std::to_string(run.CurrentSegment));
            } else {
                fState.MixerState = msStopping;
                run.CurrentSegment = 0;
                Log("Tick:Stop");
            }
        }
        fWindow.SetLEDCaption(run.OperatingText);
    }
    if (fState.MixerState == msRunning) {
        HandOver(fState.SegmentProgram[static_cast<std::size_t>(run.CurrentSegment)]);
    }
}

void TRunControl::HandOver(const TGasItem& segment) {
    TThreadData& data = fState.Run.ThreadData;
    const TSegmentFlows flows = FlowsOf(segment);
    if (!data.StepMFCASet) {
        Log("A Handled");
        data.In_MixD = flows.A;
        data.In_NewSegment = true;
        data.StepMFCASet = true;
    }
    if (!data.StepMFCBSet) {
        Log("B Handled");
        if (SetMFCFlow(fState.MFCBDetails, flows.B.Mass)) {
            data.StepMFCBSet = true;
        }
    }
    // A pump command that failed is tried again a second later: each try of a pump that does not
    // answer holds the tick (and the window) for its whole reply wait, over a second.
    if (!data.StepPumpSet && fClock.Now() >= fRetryPumpAt) {
        const std::string command = PumpCommandOf(flows);
        Log("C Trying to handle (Pump command:'" + command + "')");
        if (SendPumpCommand(fState.PumpDetails, command)) {
            data.StepPumpSet = true;
            Log("C Handled (Pump command:'" + command + "')");
        } else {
            fRetryPumpAt = fClock.Now() + HandOverRetry;
        }
    }
}

void TRunControl::ShowFigures(const TGasItem& A, const TGasItem& B) {
    const TRunState& run = fState.Run;
    TStatusInput input;
    input.AMass = A.Mass;
    input.APulsed = A.Pulsed;
    input.BMass = B.Mass;
    input.FlowAObserved = run.FlowAObserved;
    input.FlowASoFar = run.FlowASoFar;
    input.FlowBObserved = run.FlowBObserved;
    input.FlowAMovingAverage = run.FlowAMovingAverage;
    input.MovingAverageMinutes = run.MovingAverageMinutes;
    const TStatusTexts texts = StatusPanelTexts(input);
    for (std::size_t panel = 0; panel < texts.size(); ++panel) {
        fWindow.SetStatusPanel(static_cast<int>(panel), texts[panel]);
    }
    fWindow.AddChartPoints(
        fClock.Now(), TChartValues{run.FlowAObserved, run.FlowASoFar, B.Mass, run.FlowBObserved, A.Mass});
    const int points = fWindow.ChartPointCount();
    if (points > fState.Settings.ChartPoints && points > 10) {
        for (int i = 0; i < 10; ++i) {
            fWindow.DeleteFirstChartPoints();
        }
    }
}

void TRunControl::ButtonApplyClick() {
    const Base::TDateTime now = fClock.Now();
    Program::TRecipeInput recipe = fWindow.RecipeInput();
    recipe.Now = now;
    recipe.Fluid = fState.PumpDetails.Fluid;
    if (!Program::SaveRecipe(fPlaces.ProgramFolder, now, Program::Recipe(recipe), fDialogs)) {
        return;
    }
    if (fState.MixerState == msSimulation) {
        fDialogs.ShowMessage(NotInitialized);
        return;
    }
    if (fState.MixerState != msValidated) {
        fDialogs.ShowMessage("Mixer is not ready. Stop current instructions first.");
        return;
    }
    if (fState.SegmentProgram.empty()) {
        fDialogs.ShowMessage("No segment program to execute.");
        return;
    }
    fWindow.SetSetupPagesEnabled(false);
    TRunState& run = fState.Run;
    run.ThreadData.StepMFCASet = false;
    run.ThreadData.StepMFCBSet = false;
    run.ThreadData.StepPumpSet = false;
    run.ThreadData.In_ToStop = false;
    run.ThreadData.SomethingToTell = false;
    run.CurrentSegment = 0;
    run.StepStartTime = now;
    // Nothing has been read in this run yet: no figure of an earlier run may stand for a reading
    // (in the window, the data file, or the segment clock's judgement).
    run.FlowAObserved = -1.0;
    run.FlowBObserved = -1.0;
    run.FlowASoFar = 0.0;
    run.FlowAMovingAverage = 0.0;
    run.MovingAverageMinutes = 0.0;
    run.FlowATotalizer = std::numeric_limits<double>::quiet_NaN();
    fReadingLost = false;
    fRetryPumpAt = 0.0;

    std::string notStarted;
    try {
        StartThread();
        // Stopping an earlier worker asks for a stop that is not this run's.
        run.ThreadData.In_ToStop = false;
        if (!fMFCThread) {
            notStarted = "none was made";
        } else {
            TMFCThread& worker = *fMFCThread;
            worker.MFCD = fState.MFCADetails;
            worker.MixD.Mass = 0.0F;
            worker.MixD.Pulsed = 1.0F;
            const SerialPortVogtlin::TLUTData* table = ActiveLUTData(fState.MFCADetails);
            worker.LowFlow = table != nullptr ? 3.0 * table->RangeMin : 0.0;
            worker.Start();
            if (worker.Finished()) {
                notStarted = "its thread could not be made";
            }
        }
    } catch (const std::exception& failure) {
        notStarted = failure.what();
    }

    fState.MixerState = msRunning;
    fWindow.SetSegmentButtonsEnabled(false);
    fRecorder.Begin(fPlaces.ProgramFolder, now);
    if (!notStarted.empty()) {
        // Nothing has been handed to the instruments yet; the safe stop makes sure of it.
        if (fMFCThread && fMFCThread->Finished()) {
            fMFCThread.reset();
        }
        StopRun("The MFC worker could not be started (" + notStarted + ")");
    }
}

TStopPorts TRunControl::ValidatedPorts() const {
    // Before any validation the pump's record names the simulation's stand-in, which is no port.
    const std::string& pump = fState.PumpDetails.Port;
    const auto mfcPort = [this](TMFCSide side) {
        return fState.Demonstration(side) ? std::string() : fState.MFCDetails(side).ComPortName;
    };
    return {pump == SimulatedPumpPort ? std::string() : pump, mfcPort(TMFCSide::msA), mfcPort(TMFCSide::msB)};
}

void TRunControl::ButtonStopClick() {
    Logging::Logger().Send("Stop mixture button clicked");
    if (fState.MixerState == msSimulation) {
        // Nothing is set up, yet something may be dosing (a run whose program was killed, an
        // instrument left on by hand): a stop can only make things safer, so it goes to whatever the
        // port lists show, and the operator learns what it could confirm. The state stays 0.
        Log("Stop before the instruments are set up: to the ports the lists show");
        const TStopPorts listed = fWindow.SelectedPorts();
        TStopVerdict verdict = StopInstruments(listed);
        // A list changed after a validation no longer shows where the instruments were found: an
        // instrument not confirmed on the listed port gets the stop where it was validated as well.
        const TStopPorts validated = ValidatedPorts();
        const auto otherPort = [](bool confirmed, const std::string& there, const std::string& here) {
            return confirmed || there == here ? std::string() : there;
        };
        const TStopPorts again{otherPort(verdict.FluidStopped, validated.Pump, listed.Pump),
                               otherPort(verdict.MFCAStopped, validated.MFCA, listed.MFCA),
                               otherPort(verdict.MFCBStopped, validated.MFCB, listed.MFCB)};
        if (!again.Pump.empty() || !again.MFCA.empty() || !again.MFCB.empty()) {
            Log("... and to the ports the instruments were validated on");
            const TStopVerdict more = StopInstruments(again);
            verdict.FluidStopped = verdict.FluidStopped || more.FluidStopped;
            verdict.MFCAStopped = verdict.MFCAStopped || more.MFCAStopped;
            verdict.MFCBStopped = verdict.MFCBStopped || more.MFCBStopped;
        }
        for (const std::string& line : StopVerdictLines(verdict)) {
            Log(line);
        }
        fDialogs.ShowMessage(StopBeforeSetUpMessage(verdict));
        return;
    }
    if (fState.MixerState == msRunning) {
        fRecorder.StopPressed();
    }
    fWindow.SetLEDCaption("Stopping");
    fState.MixerState = msStopping;
    fState.Run.FlowASoFar = 0.0;
    fWindow.SetSegmentButtonsEnabled(true);
}

bool TRunControl::SetMFCFlow(const TMFCDetails& MFC, double Flow) {
    SerialPortVogtlin::TVogtlinPort port;
    SerialPortVogtlin::ConfigureForMFC(port, MFC.ComPortName);
    SerialPort::TSerialResponse response;
    const auto setPoint = static_cast<float>(Flow);
    port.WriteF32(MFC.ModBusAddress, SerialPortVogtlin::regSetPoint, setPoint, response);
    const std::string flow = Base::FormatGeneral(Flow);
    if (response.Status.empty()) {
        // A written request proves nothing (an MFC off the bus takes it as well): the set-point
        // counts as handed over when the MFC reads it back. A miss is tried again at the next tick.
        const std::optional<float> readBack =
            ReadBackSetPoint(port, MFC.ModBusAddress, MFC.MFCName, "after the hand-over", 1);
        if (readBack == setPoint) {
            Log(MFC.MFCName + " flow set to :" + flow + " g/min");
            return true;
        }
        if (readBack) {
            Logging::Logger().Send(MFC.MFCName + ": the set-point does not read back as written: " +
                                   Base::FormatGeneral(*readBack));
        }
    }
    Log("Failed to set " + MFC.MFCName + " flow to :" + flow + " g/min");
    return false;
}

void TRunControl::StartThread() {
    Logging::Logger().EnterMethod("StartThread");
    if (fMFCThread) {
        Logging::Logger().Send("But first instruct to kill old thread");
        StopAndKillThread();
        Logging::Logger().Send("Thread is nill");
    }
    try {
        fMFCThread = fOptions.MakeWorker();
    } catch (...) {
        Logging::Logger().ExitMethod("StartThread");
        throw;
    }
    if (!fMFCThread) {
        Logging::Logger().ExitMethod("StartThread");
        return;
    }
    fMFCThread->GasBPort = fState.MFCBDetails.ComPortName;
    fMFCThread->MATickSize = fState.Settings.AverageSampleSize;
    Logging::Logger().ExitMethod("StartThread");
}

bool TRunControl::WaitForWorker(const std::function<bool()>& done,
                                std::chrono::steady_clock::time_point deadline) {
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // Only the worker's exchange runs here: a window event could open a modal box (Start's
        // refusal, a file dialog) and hold the stop, with gas flowing, until the operator closes it.
        fMainThread.ProcessExchanges();
        std::this_thread::sleep_for(WorkerLook);
    }
    return true;
}

void TRunControl::ReleaseFinishedWorkers() {
    std::erase_if(fLeftBehind, [](const std::unique_ptr<TMFCThread>& worker) { return worker->Finished(); });
}

void TRunControl::StopAndKillThread() {
    Logging::Logger().EnterMethod("StopAndKillThread");
    ReleaseFinishedWorkers();
    while (fMFCThread) {
        Logging::Logger().Send("Waiting for thread to stop");
        fState.Run.ThreadData.In_ToStop = true;
        // The worker ends after its last exchange, which carries its final messages: wait for both.
        const auto deadline = std::chrono::steady_clock::now() + fOptions.WorkerStopLimit;
        TMFCThread& worker = *fMFCThread;
        const bool ended = WaitForWorker([&worker] { return worker.Stopped(); }, deadline) &&
                           WaitForWorker([&worker] { return worker.Finished(); }, deadline);
        if (ended) {
            Log("Thread Stopped");
            fMFCThread.reset();
        } else {
            Log("Thread did not stop within " + Seconds(fOptions.WorkerStopLimit) +
                " s; MFC A cannot count as stopped");
            fMFCThread->Abandon();
            fLeftBehind.push_back(std::move(fMFCThread));
        }
    }
    Logging::Logger().ExitMethod("StopAndKillThread");
}

bool TRunControl::StopPump(const std::string& port) {
    TPumpStopOptions options = fOptions.PumpStop;
    options.Clock = &fClock;
    const TPumpStopResult result = StopPumpConfirmed(port, fSetupFeedback, options);
    Log("Fluid commanded to stop");
    // Only the pump's own valid answer that it is idle counts (the reason is in the diagnostic log).
    return result.Stopped;
}

bool TRunControl::StopMFC(const std::string& portName, std::uint32_t address, const std::string& name) {
    SerialPortVogtlin::TVogtlinPort port;
    SerialPortVogtlin::ConfigureForMFC(port, portName);
    SerialPort::TSerialResponse write;
    port.WriteF32(address, SerialPortVogtlin::regSetPoint, 0.0F, write);
    if (!write.Status.empty()) {
        return false;
    }
    Log(name + " commanded to stop");
    // A written request proves nothing: an adapter whose MFC is off the bus takes it as well. The
    // MFC has stopped only when it reads back a zero set-point. A check that got no valid answer is
    // asked again, a few times: one reply missed on a busy machine must not leave the mixer in
    // "Could not stop flow!". Only a valid answer decides.
    const std::optional<float> readBack =
        ReadBackSetPoint(port, address, name, "after the stop", SetPointChecks);
    if (!readBack) {
        return false;
    }
    if (*readBack != 0.0F) {
        Logging::Logger().Send(name + ": set-point reads " + Base::FormatGeneral(*readBack) +
                               " after the stop");
        return false;
    }
    return true;
}

std::optional<float> TRunControl::ReadBackSetPoint(SerialPortVogtlin::TVogtlinPort& port,
                                                   std::uint32_t address, const std::string& name,
                                                   const std::string& when, int checks) {
    for (int attempt = 1; attempt <= checks; ++attempt) {
        fClock.Sleep(ReadBackPause);
        SerialPort::TSerialResponse check;
        port.ReadF32(address, SerialPortVogtlin::regSetPoint, check);
        if (check.Status.empty()) {
            return check.AsFloat;
        }
        std::string miss = name;
        miss += ": no answer to the set-point check ";
        miss += when;
        miss += ": ";
        miss += check.Status;
        miss += " (" + std::to_string(attempt) + " of " + std::to_string(checks) + ")";
        Logging::Logger().Send(miss);
    }
    return std::nullopt;
}

TStopVerdict TRunControl::StopInstruments(const TStopPorts& ports) {
    TStopVerdict verdict;
    verdict.FluidStopped = !ports.Pump.empty() && StopPump(ports.Pump);
    ReleaseFinishedWorkers();
    // A worker left behind by an earlier stop may still write MFC A's set-point after our zero.
    verdict.MFCAStopped = !ports.MFCA.empty() && StopMFC(ports.MFCA, 1, "MFC A") && fLeftBehind.empty();
    verdict.MFCBStopped = !ports.MFCB.empty() && StopMFC(ports.MFCB, 2, "MFC B");
    return verdict;
}

void TRunControl::StopMixer() {
    // The stop goes where the pump was validated, whatever the port list shows now.
    const bool fluidStopped = !fState.PumpDetails.Port.empty() && StopPump(fState.PumpDetails.Port);
    StopAndKillThread();
    // A worker left behind may still write MFC A's set-point after our zero.
    const bool workerLeftRunning = !fLeftBehind.empty();
    const TMFCDetails& A = fState.MFCADetails;
    const TMFCDetails& B = fState.MFCBDetails;
    const bool mfcAWritten = StopMFC(A.ComPortName, A.ModBusAddress, "MFC A");
    if (mfcAWritten) {
        fState.Run.FlowAObserved = 0.0;
    }
    TStopVerdict verdict;
    verdict.FluidStopped = fluidStopped;
    verdict.MFCAStopped = mfcAWritten && !workerLeftRunning;
    verdict.MFCBStopped = StopMFC(B.ComPortName, B.ModBusAddress, "MFC B");
    if (verdict.AllStopped()) {
        fState.MixerState = msValidated;
        fWindow.SetLEDCaption("Stopped");
        fWindow.RestoreWindowCaption();
        fState.PumpDetails.Status = "@";
        return;
    }
    Log("Could not stop flow!");
    for (const std::string& line : StopVerdictLines(verdict)) {
        Log(line);
    }
    fWindow.SetWindowCaption(CannotStopWarning);
    fWindow.SetLEDCaption(CannotStopWarning);
    fState.MixerState = msCannotStop;
}

bool TRunControl::FormCloseQuery() {
    if (fState.MixerState == msSimulation || fState.MixerState == msValidated) {
        return true;
    }
    fDialogs.ShowMessage("Stop the mixture first");
    return false;
}

} // namespace UnitMain
