// Figures of a run against the virtual instruments, printed one per line (not timed assertions):
//   period   the worker's pass period with the 9600-baud wire timing on the system clock, against the
//            wire-time limit of its four reads; and the main thread's longest stall apart from the
//            tick's own exchanges (an exchange handed over, or a tick that talked to no instrument)
//   pulsed   a pulsed segment (Pulsed 0.2 of MFC A's lowest flow) over SECONDS of instrument time on a
//            manual clock: the virtual MFC's totalizer against the desired flow
//   memory   the resident memory at the start and the end of a run of SECONDS of instrument time
//   memory-pulsed   the same with MFC A pulsed (every pass that writes 0 logs a line)
//   memory-failing  the same with MFC B silent for 30 s of every minute (failed exchanges log lines
//            all the while, and the device is back before a long loss would end the run)
// The memory runs advance the manual clock by STEP seconds (default 1) after every worker pass.
// The operation log is bounded as the window's is.
// Run: run_soak period 30 | run_soak pulsed 600 | run_soak memory 3600 | run_soak memory-pulsed 86400

#include "base/Clock.h"
#include "base/MainThread.h"
#include "base/MemoryTextPane.h"
#include "base/RecordingDialogs.h"
#include "run/RunControl.h"
#include "sim/SimFault.h"
#include "sim/Simulator.h"
#include "sim/WireTiming.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace UnitMain;
using Clock = std::chrono::steady_clock;

class TPlainWindow final : public TRunWindow {
public:
    std::string LEDCaption() const override { return fCaption; }
    void SetLEDCaption(const std::string& caption) override { fCaption = caption; }
    void SetStatusPanel(int, const std::string&) override {}
    void SetWindowCaption(const std::string&) override {}
    void RestoreWindowCaption() override {}
    void AddChartPoints(Base::TDateTime, const TChartValues&) override { ++fPoints; }
    int ChartPointCount() const override { return fPoints; }
    void DeleteFirstChartPoints() override { --fPoints; }
    void SetSetupPagesEnabled(bool) override {}
    void SetSegmentButtonsEnabled(bool) override {}
    TStopPorts SelectedPorts() const override { return Ports; }
    Program::TRecipeInput RecipeInput() const override { return {}; }

    TStopPorts Ports;

private:
    std::string fCaption;
    int fPoints = 0;
};

// The operation log as the window keeps it (its newest lines), counting every line it is given.
class TCountingLog final : public Base::TTextPane {
public:
    void AddLine(const std::string& line) override {
        ++Added;
        fPane.AddLine(line);
    }
    void ReplaceLastLine(const std::string& line) override { fPane.ReplaceLastLine(line); }
    void Clear() override { fPane.Clear(); }
    void SetText(const std::string& text) override { fPane.SetText(text); }
    std::vector<std::string> Lines() const override { return fPane.Lines(); }
    std::string Text() const override { return fPane.Text(); }

    long Added = 0;

private:
    Base::TMemoryTextPane fPane{Base::OperationLogLines};
};

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

GasMixtures::TGasItem Flow(std::int32_t instrument, float mass, float pulsed) {
    GasMixtures::TGasItem flow;
    flow.InstrumentID = instrument;
    flow.Mass = mass;
    flow.Pulsed = pulsed;
    flow.GasNameLong = instrument == 0 ? "Air" : "Argon";
    return flow;
}

struct TSoak {
    explicit TSoak(bool wire, const Base::TClock* manual) {
        folder = (std::filesystem::temp_directory_path() / "moistrel-run-soak-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) {
            std::fprintf(stderr, "cannot make a temporary folder\n");
            std::exit(1);
        }
        Sim::TSimConfig config = Sim::DefaultSimConfig(folder);
        config.Fast = !wire;
        config.MfcA.NoiseFraction = 0.0;
        config.MfcB.NoiseFraction = 0.0;
        if (manual != nullptr) {
            config.Clock = manual;
        }
        sim = std::make_unique<Sim::TSimulator>(config);
        std::string error;
        if (!sim->Start(error)) {
            std::fprintf(stderr, "virtual instruments: %s\n", error.c_str());
            std::exit(1);
        }
        // MFC A on its first table, Air (lowest flow 0.01 g/min), counting its totalizer in ln.
        SerialPortVogtlin::TMFCDetails& a = state.MFCADetails;
        a.ComPortName = sim->PortPath(Sim::sdMfcA);
        a.ModBusAddress = 1;
        a.MFCName = "MFC A";
        a.ActiveLUT = 2;
        a.LUT[0].NameShort = "Air";
        a.LUT[0].TotalizerUnit = "ln";
        a.LUT[0].DensityGPL = 1.293F;
        a.LUT[0].RangeMax = 10.0F;
        a.LUT[0].RangeMin = 0.01F;
        SerialPortVogtlin::TMFCDetails& b = state.MFCBDetails;
        b.ComPortName = sim->PortPath(Sim::sdMfcB);
        b.ModBusAddress = 2;
        b.MFCName = "MFC B";
        state.PumpDetails.Port = sim->PortPath(Sim::sdPump);
        window.Ports = {sim->PortPath(Sim::sdPump), a.ComPortName, b.ComPortName};
        state.MixerState = msValidated;
    }
    ~TSoak() {
        run.reset();
        sim->Stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void Start(const Base::TClock& clock, double hours, float aMass, float aPulsed) {
        GasMixtures::TGasItem segment;
        segment.StepName = "soak";
        segment.StepTime = hours;
        segment.Components = {Flow(0, aMass, aPulsed), Flow(1, 1.0F, 1.0F)};
        state.SegmentProgram = {segment};
        run = std::make_unique<TRunControl>(state, window, memoLog, feedback, dialogs, mainThread, clock,
                                            TRunPlaces{folder});
        run->ButtonApplyClick();
        if (state.MixerState != msRunning) {
            std::fprintf(stderr, "the run did not start\n");
            std::exit(1);
        }
    }

    std::string folder;
    std::unique_ptr<Sim::TSimulator> sim;
    TMoistrelState state;
    TPlainWindow window;
    TCountingLog memoLog;
    Base::TMemoryTextPane feedback;
    Base::TRecordingDialogs dialogs;
    Base::TQueuedMainThread mainThread;
    std::unique_ptr<TRunControl> run;
};

void Period(double seconds) {
    TSoak soak(true, nullptr);
    soak.Start(Base::SystemClock(), 1.0, 1.0F, 1.0F);
    long exchanges = 0;
    double longestStall = 0.0;
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
        const std::size_t pending = soak.mainThread.Pending();
        auto t0 = Clock::now();
        soak.mainThread.ProcessPending();
        double stall = std::chrono::duration<double>(Clock::now() - t0).count();
        exchanges += static_cast<long>(pending);
        const bool handedOver =
            soak.state.Run.ThreadData.StepMFCBSet && soak.state.Run.ThreadData.StepPumpSet;
        t0 = Clock::now();
        soak.run->Timer1Timer();
        // The tick's own exchanges (B's set-point, the pump command) are what it is for; the rest of
        // a tick is the main thread's own time.
        if (handedOver) {
            stall = std::max(stall, std::chrono::duration<double>(Clock::now() - t0).count());
        }
        longestStall = std::max(longestStall, stall);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    soak.run->ButtonStopClick();
    soak.run->Timer1Timer();
    // Four reads of 8 request and 9 reply bytes at 11 bits a character, and the 50 ms pause.
    const double readWire = 4.0 * 17.0 * Sim::WireSecondsPerByte;
    std::printf("passes %ld in %.1f s: pass period %.1f ms\n", exchanges, elapsed,
                1000.0 * elapsed / static_cast<double>(exchanges));
    std::printf("wire-time limit of a pass: %.1f ms of reads + 50 ms pause = %.1f ms\n", 1000.0 * readWire,
                1000.0 * readWire + 50.0);
    std::printf("main thread's longest stall apart from the tick's exchanges: %.1f ms\n",
                1000.0 * longestStall);
    std::printf("final state %d\n", soak.state.MixerState);
}

// Drives a run on a manual clock that only the worker's pauses (and the stop's) move.
void RunOnManualClock(TSoak& soak, Base::TManualClock& clock, double seconds) {
    const double start = clock.Now();
    while ((clock.Now() - start) * Base::SecondsPerDay < seconds && soak.state.MixerState == msRunning) {
        soak.mainThread.ProcessPending();
        soak.run->Timer1Timer();
        std::this_thread::yield();
    }
}

void Pulsed(double seconds) {
    Base::TManualClock clock(46000.0);
    TSoak soak(false, &clock);
    const float desired = 0.002F; // 0.2 of the lowest flow 0.01 g/min
    const double before = soak.sim->MfcState(Sim::sdMfcA).Totalizer_g;
    soak.Start(clock, 10.0, desired, 0.2F);
    const double start = clock.Now();
    const auto wallStart = Clock::now();
    RunOnManualClock(soak, clock, seconds);
    const double minutes = (clock.Now() - start) * 1440.0;
    const double delivered = soak.sim->MfcState(Sim::sdMfcA).Totalizer_g - before;
    soak.run->ButtonStopClick();
    soak.run->Timer1Timer();
    std::printf("pulsed 0.2: %.2f min of instrument time in %.1f s wall\n", minutes,
                std::chrono::duration<double>(Clock::now() - wallStart).count());
    std::printf("delivered %.6f g, desired %.6f g: mean flow %.6f g/min against %.6f (%.2f %%)\n", delivered,
                desired * minutes, delivered / minutes, static_cast<double>(desired),
                100.0 * delivered / (desired * minutes));
}

enum class TLoad { Steady, Pulsed, FailingB };

void Memory(double seconds, TLoad load, double step) {
    Base::TManualClock clock(46000.0);
    TSoak soak(false, &clock);
    if (load == TLoad::Pulsed) {
        soak.Start(clock, 48.0, 0.002F, 0.2F); // 0.2 of MFC A's lowest flow: pulsed
    } else {
        soak.Start(clock, 48.0, 1.0F, 1.0F);
    }
    RunOnManualClock(soak, clock, 1.0);
    const long startKiB = ResidentKiB();
    long peakKiB = startKiB;
    const auto wallStart = Clock::now();
    const double start = clock.Now();
    long passes = 0;
    bool silent = false;
    while ((clock.Now() - start) * Base::SecondsPerDay < seconds && soak.state.MixerState == msRunning) {
        if (load == TLoad::FailingB) {
            const double inMinute = std::fmod((clock.Now() - start) * Base::SecondsPerDay, 60.0);
            if ((inMinute < 30.0) != silent) {
                silent = inMinute < 30.0;
                std::string error;
                soak.sim->SetFault(Sim::sdMfcB, Sim::sfSilent, silent, error);
            }
        }
        // One worker pass per turn: wait for its exchange.
        while (soak.mainThread.Pending() == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        soak.mainThread.ProcessPending();
        ++passes;
        soak.run->Timer1Timer();
        clock.AdvanceSeconds(step);
        if (passes % 1000 == 0) {
            peakKiB = std::max(peakKiB, ResidentKiB());
        }
    }
    const long endKiB = ResidentKiB();
    peakKiB = std::max(peakKiB, endKiB);
    std::printf("memory (%s): %ld KiB at the start, %ld KiB after %.0f s of instrument time (peak %ld KiB): "
                "growth %ld KiB; %ld worker passes in %.1f s wall, %ld lines logged, operation log "
                "keeps %zu, final state %d\n",
                load == TLoad::Steady   ? "steady"
                : load == TLoad::Pulsed ? "pulsed"
                                        : "MFC B failing",
                startKiB, endKiB, (clock.Now() - start) * Base::SecondsPerDay, peakKiB, endKiB - startKiB,
                passes, std::chrono::duration<double>(Clock::now() - wallStart).count(), soak.memoLog.Added,
                soak.memoLog.Lines().size(), soak.state.MixerState);
    if (silent) {
        std::string error;
        soak.sim->SetFault(Sim::sdMfcB, Sim::sfSilent, false, error);
    }
    soak.run->ButtonStopClick();
    soak.run->Timer1Timer();
}

} // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "period";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 30.0;
    const double step = argc > 3 ? std::atof(argv[3]) : 1.0;
    if (what == "period") {
        Period(seconds);
    } else if (what == "pulsed") {
        Pulsed(seconds);
    } else if (what == "memory") {
        Memory(seconds, TLoad::Steady, step);
    } else if (what == "memory-pulsed") {
        Memory(seconds, TLoad::Pulsed, step);
    } else if (what == "memory-failing") {
        Memory(seconds, TLoad::FailingB, step);
    } else {
        std::fprintf(stderr,
                     "usage: run_soak period|pulsed|memory|memory-pulsed|memory-failing [SECONDS [STEP]]\n");
        return 2;
    }
    return 0;
}
