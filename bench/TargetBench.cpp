// The Target box solves again on every key press, so one solve should stay well under a
// millisecond. This measures whole solves (the reachable range, the refinement against the pump's
// speed steps, the report on the result) for a dry, a middle and a wet target.

#include "design/FluidDesigner.h"
#include "model/GasItems.h"
#include "program/ProgramFile.h"
#include "program/ProgramLoad.h"
#include "pump/PumpSettings.h"
#include "target/TargetSequence.h"
#include "target/TargetSolver.h"

#include <benchmark/benchmark.h>

namespace {

// Nitrogen on MFC A up to 1 g/min, argon on MFC B, a 50 µl syringe of pure water.
UnitMain::TMoistrelState Mixer() {
    UnitMain::TMoistrelState state;
    state.MixerState = UnitMain::msValidated;
    const auto gas = [](SerialPortVogtlin::TMFCDetails& mfc, const char* name, float rangeMax) {
        mfc.Validated = true;
        mfc.ActiveLUT = 3;
        mfc.LUT[1].NameShort = name;
        mfc.LUT[1].NameOwn = name;
        mfc.LUT[1].RangeMax = rangeMax;
        mfc.LUT[1].RangeMin = rangeMax / 100.0F;
    };
    gas(state.MFCADetails, "N2", 1.0F);
    gas(state.MFCBDetails, "Ar", 2.0F);
    Design::TLiquidParts water;
    water[0] = {static_cast<int>(GasMixtures::gH2O), 1000.0};
    Design::DesignAndAssignLiquid(state, "Water pure", water, 0.997735);
    return state;
}

void BM_SolveRelativeHumidity(benchmark::State& bench) {
    const UnitMain::TMoistrelState mixer = Mixer();
    Target::TTargetInput input = Target::DefaultTargetInput(mixer);
    input.Target = {Target::TTargetKind::tkRelativeHumidity, static_cast<double>(bench.range(0)), {}};
    input.Carrier = 1.0;
    input.TempC = 23.0;
    input.Pressure_mbar = 1013.25;
    for (auto _ : bench) {
        const Target::TTargetSolution solved = Target::SolveTarget(mixer, input);
        benchmark::DoNotOptimize(solved.Achieved);
    }
}
BENCHMARK(BM_SolveRelativeHumidity)->Arg(5)->Arg(40)->Arg(95)->Unit(benchmark::kMicrosecond);

// The first solve after the pump's settings changed also finds the pump's lowest and highest flow.
void BM_SolveAfterASyringeChange(benchmark::State& bench) {
    UnitMain::TMoistrelState mixer = Mixer();
    Target::TTargetInput input = Target::DefaultTargetInput(mixer);
    input.Target = {Target::TTargetKind::tkRelativeHumidity, 40.0, {}};
    input.Carrier = 1.0;
    input.TempC = 23.0;
    input.Pressure_mbar = 1013.25;
    for (auto _ : bench) {
        mixer.PumpDetails.SYRINGE_VOLUMEul = mixer.PumpDetails.SYRINGE_VOLUMEul == 50 ? 51 : 50;
        const Target::TTargetSolution solved = Target::SolveTarget(mixer, input);
        benchmark::DoNotOptimize(solved.Achieved);
    }
}
BENCHMARK(BM_SolveAfterASyringeChange)->Unit(benchmark::kMicrosecond);

// Loading a saved program of targets onto a mixer with another syringe solves every segment again:
// a calibration of `range(0)` targets (RH 5 to 95 % and back, repeated), read from its file text.
void BM_LoadAProgramOfTargets(benchmark::State& bench) {
    const UnitMain::TMoistrelState mixer = Mixer();
    Target::TSequenceInput sequence;
    sequence.Solve = Target::DefaultTargetInput(mixer);
    sequence.Solve.Carrier = 1.0;
    sequence.Solve.TempC = 23.0;
    sequence.Solve.Pressure_mbar = 1013.25;
    for (long i = 0; i < bench.range(0); ++i) {
        const long step = i % 18;
        sequence.Values.push_back(static_cast<double>(step < 9 ? 5 + 10 * step : 95 - 10 * (step - 9)));
    }
    sequence.HoldHours = 0.5;
    const Target::TSequenceResult built = Target::BuildSequence(mixer, sequence);
    if (!built.Ok) {
        bench.SkipWithError("the sequence cannot be built on this mixer");
        return;
    }
    const std::string text = Program::ProgramFileJson(
        Program::ProgramFileContent(built.Segments, Program::MixerComposition(mixer)));
    UnitMain::TMoistrelState changed = mixer;
    changed.PumpDetails.SYRINGE_VOLUME_INDEX = 1;
    changed.PumpDetails.SYRINGE_VOLUMEul = UnitMain::GetSyringeVolume(1);
    UnitMain::UpdateSyringeSize(changed.PumpDetails);
    for (auto _ : bench) {
        const Program::TProgramFileRead read = Program::ParseProgramFile(text, "calibration.mixprog");
        const Program::TLoadJudgement judged = Program::JudgeLoadedProgram(read.Content, changed);
        benchmark::DoNotOptimize(judged.Program.size());
    }
    bench.SetItemsProcessed(bench.iterations() * bench.range(0));
}
BENCHMARK(BM_LoadAProgramOfTargets)->Arg(18)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
