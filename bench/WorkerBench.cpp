// The MFC worker against the virtual MFC A and B.
//   BM_WorkerPass     one pass of the worker (four reads, the exchange, its 50 ms pause) with the
//                     wire timing of 9600 baud on the system clock; arg 0: constant flow (no write
//                     after the first pass), arg 1: pulsed flow (writes as it switches).
//   BM_PulsedMean     a pulsed segment (Pulsed 0.2 of the lowest flow of MFC A's table 2, so the
//                     wanted flow is 0.02 g/min and the pulse flow 0.3 g/min) on a manual clock
//                     shared with the instruments, replies at once: the mean flow the instrument
//                     delivered against the wanted one, after MOISTREL_BENCH_PULSED_MINUTES
//                     (default 10) minutes of instrument time, and the worst error of the worker's
//                     own segment average after the first minute.
//   BM_PulsedShare    what a pulsed segment of MFC A's table 2 (pulse flow 0.3 g/min) delivers of
//                     what it asks: args are the segment in seconds of instrument time, the wanted
//                     flow in µg/min, and the time a pass spends on the wire in ms (0: replies at
//                     once; 125: about four reads and a write at 9600 baud), added to the manual
//                     clock at each exchange. share_pct is the gas delivered within the segment,
//                     with_tail_pct adds what still flows after the segment's end until the MFC
//                     is closed.
// Run: bench_worker --benchmark_counters_tabular=true [--benchmark_filter=BM_PulsedShare]

#include "base/Clock.h"
#include "base/MainThread.h"
#include "base/MemoryTextPane.h"
#include "run/MFCThread.h"
#include "sim/Simulator.h"
#include "state/MoistrelState.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The virtual instruments in a temporary folder, on the given clock.
class TBenchInstruments {
public:
    TBenchInstruments(bool fast, const Base::TClock& clock) {
        std::string folder =
            (std::filesystem::temp_directory_path() / "moistrel-worker-bench-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) {
            fError = "cannot make a temporary folder";
            return;
        }
        fFolder = folder;
        Sim::TSimConfig config = Sim::DefaultSimConfig(fFolder);
        config.Fast = fast;
        config.Clock = &clock;
        config.MfcA.NoiseFraction = 0.0;
        config.MfcB.NoiseFraction = 0.0;
        fSim = std::make_unique<Sim::TSimulator>(config);
        if (!fSim->Start(fError)) {
            fSim.reset();
        }
    }
    ~TBenchInstruments() {
        if (fSim) {
            fSim->Stop();
        }
        std::error_code ignored;
        if (!fFolder.empty()) {
            std::filesystem::remove_all(fFolder, ignored);
        }
    }
    TBenchInstruments(const TBenchInstruments&) = delete;
    TBenchInstruments& operator=(const TBenchInstruments&) = delete;

    bool Ready() const { return fSim != nullptr; }
    const std::string& Error() const { return fError; }
    Sim::TSimulator& Sim() { return *fSim; }

private:
    std::string fFolder;
    std::string fError;
    std::unique_ptr<Sim::TSimulator> fSim;
};

// MFC A as the identification finds the default virtual MFC A with table 2 (air) chosen.
void DescribeMFCA(UnitMain::TMoistrelState& state, Sim::TSimulator& sim) {
    const Sim::TGasTableConfig table = Sim::DefaultMfcA().Tables[0];
    SerialPortVogtlin::TMFCDetails& mfc = state.MFCADetails;
    mfc.ComPortName = sim.PortPath(Sim::sdMfcA);
    mfc.MFCName = "MFC A";
    mfc.ModBusAddress = 1;
    mfc.ActiveLUT = 2;
    SerialPortVogtlin::TLUTData& lut = mfc.LUT[0];
    lut.NameShort = table.NameShort;
    lut.UnitType = table.Unit;
    lut.RangeMax = table.FullScale;
    lut.RangeDynamic = table.DynamicRange;
    lut.RangeMin = table.FullScale / static_cast<float>(table.DynamicRange);
    lut.DensityGPL = table.Density_gpl;
    lut.TotalizerUnit = table.TotalizerUnit;
    state.MFCBDetails.ComPortName = sim.PortPath(Sim::sdMfcB);
}

// The worker with the start values of the Start button and `segmentA` as the running segment.
std::unique_ptr<UnitMain::TMFCThread> MakeWorker(UnitMain::TMoistrelState& state,
                                                 Base::TMainThread& mainThread, const Base::TClock& clock,
                                                 Base::TTextPane& memoLog,
                                                 const GasMixtures::TGasItem& segmentA) {
    auto worker = std::make_unique<UnitMain::TMFCThread>(state, mainThread, clock, memoLog);
    worker->MFCD = state.MFCADetails;
    worker->MixD.Pulsed = 1.0F;
    worker->LowFlow = 3.0 * state.MFCADetails.LUT[0].RangeMin;
    worker->GasBPort = state.MFCBDetails.ComPortName;
    worker->MATickSize = 358;
    state.Run.ThreadData.In_MixD = segmentA;
    state.Run.ThreadData.In_NewSegment = true;
    return worker;
}

GasMixtures::TGasItem AFlow(float mass, float pulsed) {
    GasMixtures::TGasItem item;
    item.GasNameLong = "Air";
    item.Mass = mass;
    item.Pulsed = pulsed;
    return item;
}

// Serves exchanges until one has run.
void ServeOneExchange(UnitMain::TMoistrelState& state, Base::TQueuedMainThread& mainThread) {
    state.Run.ThreadData.SomethingToTell = false;
    while (!state.Run.ThreadData.SomethingToTell) {
        mainThread.ProcessPending();
        std::this_thread::sleep_for(200us);
    }
}

void StopWorker(UnitMain::TMoistrelState& state, Base::TQueuedMainThread& mainThread,
                UnitMain::TMFCThread& worker) {
    state.Run.ThreadData.In_ToStop = true;
    while (!worker.Finished()) {
        mainThread.ProcessPending();
        std::this_thread::sleep_for(1ms);
    }
}

void BM_WorkerPass(benchmark::State& bench) {
    const bool pulsed = bench.range(0) == 1;
    TBenchInstruments instruments(false, Base::SystemClock());
    if (!instruments.Ready()) {
        bench.SkipWithError(instruments.Error().c_str());
        return;
    }
    UnitMain::TMoistrelState state;
    Base::TQueuedMainThread mainThread;
    Base::TMemoryTextPane memoLog;
    DescribeMFCA(state, instruments.Sim());
    auto worker = MakeWorker(state, mainThread, Base::SystemClock(), memoLog,
                             pulsed ? AFlow(0.02F, 0.2F) : AFlow(0.5F, 1.0F));
    worker->Start();
    // The first passes write the set-point and start the segment.
    for (int k = 0; k < 3; ++k) {
        ServeOneExchange(state, mainThread);
    }
    for (auto _ : bench) {
        ServeOneExchange(state, mainThread);
    }
    bench.counters["failed_A"] = static_cast<double>(state.Run.FlowAObserved == -1.0);
    bench.counters["failed_B"] = static_cast<double>(state.Run.FlowBObserved == -1.0);
    StopWorker(state, mainThread, *worker);
}
BENCHMARK(BM_WorkerPass)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(100);

double PulsedMinutes() {
    const char* text = std::getenv("MOISTREL_BENCH_PULSED_MINUTES");
    const double minutes = text != nullptr ? std::atof(text) : 10.0;
    return minutes > 0.0 ? minutes : 10.0;
}

void BM_PulsedMean(benchmark::State& bench) {
    const double minutes = PulsedMinutes();
    for (auto _ : bench) {
        Base::TManualClock clock(1000.0 / Base::SecondsPerDay);
        TBenchInstruments instruments(true, clock);
        if (!instruments.Ready()) {
            bench.SkipWithError(instruments.Error().c_str());
            return;
        }
        UnitMain::TMoistrelState state;
        Base::TQueuedMainThread mainThread;
        Base::TMemoryTextPane memoLog;
        DescribeMFCA(state, instruments.Sim());
        const auto wanted = static_cast<double>(0.2F * state.MFCADetails.LUT[0].RangeMin);
        auto worker = MakeWorker(state, mainThread, clock, memoLog, AFlow(static_cast<float>(wanted), 0.2F));
        const Base::TDateTime start = clock.Now();
        const double gramsAtStart = instruments.Sim().MfcState(Sim::sdMfcA).Totalizer_g;
        worker->Start();
        double worst = 0.0;
        long exchanges = 0; // two to a good pass
        while ((clock.Now() - start) * 1440.0 < minutes) {
            ServeOneExchange(state, mainThread);
            ++exchanges;
            if ((clock.Now() - start) * 1440.0 > 1.0) {
                worst = std::max(worst, std::fabs(state.Run.FlowASoFar - wanted) / wanted);
            }
        }
        const double elapsed = (clock.Now() - start) * 1440.0;
        const double delivered = instruments.Sim().MfcState(Sim::sdMfcA).Totalizer_g - gramsAtStart;
        StopWorker(state, mainThread, *worker);
        bench.counters["minutes"] = elapsed;
        bench.counters["passes"] = static_cast<double>(exchanges / 2);
        bench.counters["wanted_gpm"] = wanted;
        bench.counters["delivered_gpm"] = delivered / elapsed;
        bench.counters["error_pct"] = (delivered / elapsed - wanted) / wanted * 100.0;
        bench.counters["worker_avg_gpm"] = state.Run.FlowASoFar;
        bench.counters["worst_after_1min_pct"] = worst * 100.0;
        // A failed reading costs a one-second pause with the valve as it was: a loaded machine shows here.
        double failed = 0.0;
        for (const std::string& line : memoLog.Lines()) {
            failed += line.find("Could not talk") != std::string::npos ? 1.0 : 0.0;
        }
        bench.counters["failed_passes"] = failed;
    }
}
BENCHMARK(BM_PulsedMean)->UseRealTime()->Unit(benchmark::kSecond)->Iterations(1);

void BM_PulsedShare(benchmark::State& bench) {
    const double seconds = static_cast<double>(bench.range(0));
    const double wanted = static_cast<double>(bench.range(1)) / 1e6;
    const double wireSeconds = static_cast<double>(bench.range(2)) / 1000.0;
    for (auto _ : bench) {
        Base::TManualClock clock(1000.0 / Base::SecondsPerDay);
        TBenchInstruments instruments(true, clock);
        if (!instruments.Ready()) {
            bench.SkipWithError(instruments.Error().c_str());
            return;
        }
        UnitMain::TMoistrelState state;
        Base::TQueuedMainThread mainThread;
        Base::TMemoryTextPane memoLog;
        DescribeMFCA(state, instruments.Sim());
        const auto pulsed = static_cast<float>(wanted / state.MFCADetails.LUT[0].RangeMin);
        auto worker =
            MakeWorker(state, mainThread, clock, memoLog, AFlow(static_cast<float>(wanted), pulsed));
        const Base::TDateTime start = clock.Now();
        const double gramsAtStart = instruments.Sim().MfcState(Sim::sdMfcA).Totalizer_g;
        worker->Start();
        // A good pass makes two exchanges (one before its reads, one that hands them over), so
        // each exchange stands for half of the pass's time on the wire.
        long exchanges = 0;
        while ((clock.Now() - start) * Base::SecondsPerDay < seconds) {
            ServeOneExchange(state, mainThread);
            clock.AdvanceSeconds(wireSeconds / 2.0);
            ++exchanges;
        }
        const long passes = exchanges / 2;
        const double elapsed = (clock.Now() - start) * 1440.0;
        const double delivered = instruments.Sim().MfcState(Sim::sdMfcA).Totalizer_g - gramsAtStart;
        StopWorker(state, mainThread, *worker);
        // What is still in the MFC's response once it was told to close.
        clock.AdvanceSeconds(5.0);
        const double withTail = instruments.Sim().MfcState(Sim::sdMfcA).Totalizer_g - gramsAtStart;
        const double asked = wanted * elapsed;
        bench.counters["passes"] = static_cast<double>(passes);
        bench.counters["asked_ug"] = asked * 1e6;
        bench.counters["delivered_ug"] = delivered * 1e6;
        bench.counters["share_pct"] = delivered / asked * 100.0;
        bench.counters["with_tail_pct"] = withTail / asked * 100.0;
        // A failed pass pauses a second with the valve as it was: a loaded machine shows here.
        double failed = 0.0;
        for (const std::string& line : memoLog.Lines()) {
            failed += line.find("Could not talk") != std::string::npos ? 1.0 : 0.0;
        }
        bench.counters["failed_passes"] = failed;
    }
}
// The segments of the report (18 s, a minute, ten minutes) at the flow that overshot (1000 µg/min,
// a hundredth of the lowest flow) and at the pulsed mean's 20000 µg/min, with the wire's time; the
// short ones also without it.
BENCHMARK(BM_PulsedShare)
    ->ArgsProduct({{18, 60, 600}, {1000, 20000}, {125}})
    ->ArgsProduct({{18, 60}, {1000, 20000}, {0}})
    ->UseRealTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
