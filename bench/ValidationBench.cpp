// The whole instrument validation against the virtual instruments with the wire timing of 9600 baud
// (11 bits a character) and the real pauses: the pump found and initialised (the virtual pump takes
// 3 s to initialise), then MFC A and MFC B identified with their three gas tables each. Besides the
// time it reports the sum of the pauses the program itself prescribes between the exchanges
// (pauses_s: the pump's short pauses and status-poll pauses, the MFCs' identification pauses),
// so that the rest is the time the exchanges themselves take.
// The argument picks the instruments: 0 all three, 1 the pump alone, 2 the two MFCs alone.
// Run: bench_validation --benchmark_counters_tabular=true

#include "base/Clock.h"
#include "base/MemoryTextPane.h"
#include "setup/InstrumentValidation.h"
#include "sim/Simulator.h"
#include "state/MoistrelState.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// The system clock, adding up every pause slept on it.
class TPauseCountingClock final : public Base::TClock {
public:
    Base::TDateTime Now() const override { return Base::SystemClock().Now(); }
    void Sleep(std::chrono::milliseconds duration) const override {
        fSlept += duration.count();
        Base::SystemClock().Sleep(duration);
    }
    double TakeSeconds() const { return static_cast<double>(fSlept.exchange(0)) / 1000.0; }

private:
    mutable std::atomic<long long> fSlept{0};
};

void BM_ValidatePumpAndBothMFCs(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "moistrel-validation-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("cannot make a temporary folder");
        return;
    }
    Sim::TSimConfig config = Sim::DefaultSimConfig(folder);
    config.Fast = false; // 9600 baud on the wire
    auto sim = std::make_unique<Sim::TSimulator>(config);
    std::string error;
    if (!sim->Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const bool pump = state.range(0) != 2;
    const bool mfcs = state.range(0) != 1;
    const Setup::TValidationPorts ports{pump ? sim->PortPath(Sim::sdPump) : std::string(),
                                        mfcs ? sim->PortPath(Sim::sdMfcA) : std::string(),
                                        mfcs ? sim->PortPath(Sim::sdMfcB) : std::string()};
    TPauseCountingClock clock;
    const Setup::TValidationOptions options = Setup::ValidationOptions(clock, nullptr);
    double pauses = 0.0;
    bool allFound = true;
    for (auto _ : state) {
        UnitMain::TMoistrelState mixer;
        Base::TMemoryTextPane pane;
        const Setup::TValidationResult result = Setup::ValidateInstruments(ports, mixer, pane, options);
        allFound = allFound && result.PumpFound == pump && result.BothMFCsFound == mfcs;
        pauses += clock.TakeSeconds();
    }
    sim->Stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (!allFound) {
        state.SkipWithError("a validation did not find every instrument");
        return;
    }
    state.counters["pauses_s"] = pauses / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ValidatePumpAndBothMFCs)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
