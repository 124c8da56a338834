// The pump speed is recomputed on every key press in the fluid flow field; each calculation
// searches 48 000 stroke times. This measures one whole calculation, report text included.

#include "pump/PumpSpeedFunction.h"

#include <benchmark/benchmark.h>

namespace {

using namespace UnitMoistrelPumpSpeedFunction;

void BM_CalculatePumpSpeed(benchmark::State& state) {
    const double desired = static_cast<double>(state.range(0));
    for (auto _ : state) {
        TPumpDetails d;
        d.Init();
        d.SyringeVolume_ul = 50.0;
        d.FluidDensity = static_cast<double>(0.997735f);
        d.TotalSteps = 192000;
        d.MaxSpeed = 48000;
        d.DesiredDispense_ugpm = desired;
        benchmark::DoNotOptimize(CalculatePumpSpeed(d));
        benchmark::DoNotOptimize(d.PumpFrequency);
    }
}
BENCHMARK(BM_CalculatePumpSpeed)->Arg(1000)->Arg(300000)->Unit(benchmark::kMicrosecond);

void BM_FindOptimalSpeed(benchmark::State& state) {
    double error = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindOptimalSpeed(2987.425, error));
        benchmark::DoNotOptimize(error);
    }
}
BENCHMARK(BM_FindOptimalSpeed)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
