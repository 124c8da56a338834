// The saved-program reader: a file's text, read as the window's "Load program..." reads it, and
// what the editor then makes of the segments (the list lines, a segment put back into the fields,
// the program saved again); then every segment built again and judged on a fixed mixer in
// simulation, as loading does, with what a kept segment must hold (a segment of a target solved
// again from it).

#include "FuzzCheck.h"
#include "design/FlowSetPoints.h"
#include "design/FluidDesigner.h"
#include "design/Simulation.h"
#include "model/GasItems.h"
#include "program/ProgramFile.h"
#include "program/ProgramLoad.h"
#include "program/SegmentEditor.h"
#include "state/MoistrelState.h"
#include "target/TargetSolver.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace Program;

namespace {

const std::string FileName = "fuzz.mixprog";

bool Finite(double value) {
    return std::isfinite(value);
}

// What a file the reader takes can hold: finite figures, none negative, pulsed at most 1, known devices.
void CheckReadContent(const TProgramFileContent& content) {
    const TProgramLiquid& liquid = content.ComposedFor.Liquid;
    FUZZ_CHECK(Finite(liquid.Density_gpml) && liquid.Density_gpml >= 0.0);
    for (const TProgramLiquidPart& part : liquid.Parts) {
        FUZZ_CHECK(Finite(part.MassPart) && part.MassPart >= 0.0);
    }
    for (const TProgramSegment& segment : content.Segments) {
        FUZZ_CHECK(Finite(segment.Duration_h) && segment.Duration_h >= 0.0);
        FUZZ_CHECK(!segment.Flows.empty() && segment.Flows.size() <= 3);
        for (const TProgramFlow& flow : segment.Flows) {
            FUZZ_CHECK(flow.Device >= 0 && flow.Device <= 2);
            FUZZ_CHECK(Finite(flow.Mass_gpm) && flow.Mass_gpm >= 0.0);
            FUZZ_CHECK(Finite(flow.Pulsed) && flow.Pulsed >= 0.0 && flow.Pulsed <= 1.0);
        }
        // A target is one the solver can be given: finite, a carrier, a share, a pressure.
        if (segment.Target) {
            const GasMixtures::TTargetInput& target = *segment.Target;
            FUZZ_CHECK(Finite(target.Target.Value) && Finite(target.TempC));
            FUZZ_CHECK(Finite(target.Carrier) && target.Carrier > 0.0);
            FUZZ_CHECK(target.BSharePercent >= 0.0 && target.BSharePercent <= 100.0);
            FUZZ_CHECK(Finite(target.Pressure_mbar) && target.Pressure_mbar > 0.0);
            FUZZ_CHECK((target.Target.Kind == GasMixtures::TTargetKind::tkPPM) !=
                       target.Target.Substance.empty());
        }
    }
}

// The mixer the file is loaded on: simulation with demonstration gases, N2 on MFC A and Ar on MFC
// B (each 0.01 to 1 g/min), pure water in the pump's default syringe.
UnitMain::TMoistrelState DemonstrationMixer() {
    UnitMain::TMoistrelState mixer;
    UnitMain::TDesignInputs& design = mixer.DesignInputs;
    design.DemoA = {"N2", 28.0134, 1.0, 100.0};
    design.DemoB = {"Ar", 39.948, 1.0, 100.0};
    Design::ApplysimulationValues(
        mixer, {design.DemoA.Name, design.DemoA.Mass, design.DemoA.Range, design.DemoA.Turndown},
        {design.DemoB.Name, design.DemoB.Mass, design.DemoB.Range, design.DemoB.Turndown});
    Design::TLiquidParts water;
    water[0] = {static_cast<int>(GasMixtures::gH2O), Design::WaterRowMass_g};
    Design::DesignAndAssignLiquid(mixer, Design::WaterMixtureName, water, 0.997735);
    return mixer;
}

const UnitMain::TMoistrelState& Mixer() {
    static const UnitMain::TMoistrelState mixer = DemonstrationMixer();
    return mixer;
}

const TProgramFlow* FileFlow(const TProgramSegment& segment, std::int32_t device) {
    for (const TProgramFlow& flow : segment.Flows) {
        if (flow.Device == device) {
            return &flow;
        }
    }
    return nullptr;
}

// A gas flow of a kept segment: finite, inside its MFC's range (MFC A pulsed below its lowest,
// MFC B never below it).
void CheckGasFlow(const GasMixtures::TGasItem& flow, const SerialPortVogtlin::TMFCDetails& mfc) {
    const Design::TMFCRange range = Design::MFCRangeOf(mfc);
    FUZZ_CHECK(range.Usable);
    FUZZ_CHECK(Finite(flow.Mass) && flow.Mass > 0.0F && flow.Mass <= range.RangeMax);
    FUZZ_CHECK(Finite(flow.Pulsed) && flow.Pulsed > 0.0F && flow.Pulsed <= 1.0F);
    if (flow.InstrumentID == 0) {
        FUZZ_CHECK(flow.Pulsed == 1.0F || flow.Mass < range.RangeMin);
    } else {
        FUZZ_CHECK(flow.Pulsed == 1.0F && flow.Mass >= range.RangeMin);
    }
}

// The liquid flow of a kept segment: finite, within what the pump can be asked for, and the pump
// command the program computes for the file's liquid flow and duration on this pump, whatever
// command the file holds.
void CheckLiquidFlow(const GasMixtures::TGasItem& flow, const TProgramSegment& inFile,
                     const UnitMain::TPumpDetails& pump) {
    const TProgramFlow* fileFlow = FileFlow(inFile, 2);
    FUZZ_CHECK(fileFlow != nullptr);
    const Design::TPumpSetup setup = Design::PumpSetupOf(pump);
    FUZZ_CHECK(Finite(flow.Mass) && flow.Mass > 0.0F);
    FUZZ_CHECK(fileFlow->Mass_gpm * Design::MicrogramsPerGram <=
               static_cast<double>(Design::FluidFlowMaximum(setup)));
    Design::TFluidFlowInput input;
    input.DurationHours = inFile.Duration_h;
    input.FieldValue = fileFlow->Mass_gpm * Design::MicrogramsPerGram;
    input.Pump = setup;
    const Design::TFluidFlowResult planned = Design::FluidFlowUpdate(input);
    FUZZ_CHECK(planned.PumpFrequency > 0 && !planned.PumpCommand.empty());
    FUZZ_CHECK(flow.PumpCommand == planned.PumpCommand);
    // The flow that command achieves, or the file's own where the file holds that same command.
    FUZZ_CHECK(flow.Mass == static_cast<float>(planned.Achievable / Design::MicrogramsPerGram) ||
               (fileFlow->PumpCommand == planned.PumpCommand &&
                flow.Mass == static_cast<float>(input.FieldValue / Design::MicrogramsPerGram)));
}

// Loading on the mixer: a kept segment is one the editor could have made there.
void CheckJudged(const TProgramFileContent& content) {
    const UnitMain::TMoistrelState& mixer = Mixer();
    const TLoadJudgement judgement = JudgeLoadedProgram(content, mixer);
    FUZZ_CHECK(judgement.Segments.size() == content.Segments.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < judgement.Segments.size(); ++i) {
        const TJudgedSegment& judged = judgement.Segments[i];
        FUZZ_CHECK(judged.Number == i + 1);
        if (judged.Refused) {
            FUZZ_CHECK(judged.Notes.size() == 1 && !judged.Notes[0].empty());
            continue;
        }
        FUZZ_CHECK(kept < judgement.Program.size());
        const GasMixtures::TGasItem& segment = judgement.Program[kept++];
        FUZZ_CHECK(segment == judged.Segment);
        FUZZ_CHECK(segment.Valid);
        FUZZ_CHECK(Finite(segment.StepTime) && segment.StepTime > 0.0 &&
                   segment.StepTime <= MaxStepDuration_h);
        FUZZ_CHECK(!segment.Components.empty() && segment.Components.size() <= 3);
        // A segment of a target is the solver's on this mixer, with its target; its file flows count
        // for nothing.
        const std::optional<GasMixtures::TTargetInput>& target = content.Segments[i].Target;
        std::optional<Target::TTargetSolution> solved;
        if (target) {
            FUZZ_CHECK(segment.Target.has_value() && segment.Target->Input == *target);
            solved = Target::SolveTarget(mixer, *target);
            FUZZ_CHECK(solved->Ok && segment.Components == solved->Segment.Components);
        } else {
            FUZZ_CHECK(!segment.Target.has_value());
        }
        std::int32_t lastDevice = -1;
        for (const GasMixtures::TGasItem& flow : segment.Components) {
            FUZZ_CHECK(flow.InstrumentID > lastDevice && flow.InstrumentID <= 2);
            lastDevice = flow.InstrumentID;
            if (flow.InstrumentID == 2 && solved) {
                FUZZ_CHECK(Finite(flow.Mass) && flow.Mass > 0.0F && flow.PumpCommand == solved->PumpCommand);
            } else if (flow.InstrumentID == 2) {
                CheckLiquidFlow(flow, content.Segments[i], mixer.PumpDetails);
            } else {
                FUZZ_CHECK(flow.PumpCommand.empty());
                CheckGasFlow(flow, flow.InstrumentID == 0 ? mixer.MFCADetails : mixer.MFCBDetails);
            }
        }
    }
    FUZZ_CHECK(kept == judgement.Program.size());

    // What the operator is told, and the editor's work on the loaded program.
    const TLoadQuestion question = LoadQuestion(FileName, judgement);
    FUZZ_CHECK(question.Ask || (question.CanLoad && judgement.Program.size() == content.Segments.size()));
    FUZZ_CHECK(StepListLines(judgement.Program).size() == judgement.Program.size());
    for (const GasMixtures::TGasItem& segment : judgement.Program) {
        (void)RetrieveStep(segment);
    }

    // The loaded program saved on this mixer reads back, and loads again with nothing refused.
    const TProgramFileRead saved = ParseProgramFile(
        ProgramFileJson(ProgramFileContent(judgement.Program, MixerComposition(mixer))), FileName);
    FUZZ_CHECK(saved.Ok);
    const TLoadJudgement again = JudgeLoadedProgram(saved.Content, mixer);
    FUZZ_CHECK(again.Program.size() == judgement.Program.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TProgramFileRead read = ParseProgramFile(text, FileName);
    if (!read.Ok) {
        // Refused whole, with the reason: nothing is half-loaded.
        FUZZ_CHECK(read.Message.rfind("Cannot load program file \"" + FileName + "\": ", 0) == 0);
        FUZZ_CHECK(read.Content == TProgramFileContent{});
        return 0;
    }
    FUZZ_CHECK(read.Message.empty());
    CheckReadContent(read.Content);

    // Written and read again, a program reads the same.
    const TProgramFileRead again = ParseProgramFile(ProgramFileJson(read.Content), FileName);
    FUZZ_CHECK(again.Ok);
    FUZZ_CHECK(again.Content == read.Content);

    // The editor's work on the loaded segments.
    const std::vector<GasMixtures::TGasItem> program = SegmentsOfProgramFile(read.Content);
    FUZZ_CHECK(program.size() == read.Content.Segments.size());
    const std::vector<std::string> lines = StepListLines(program);
    FUZZ_CHECK(lines.size() == program.size());
    for (const GasMixtures::TGasItem& segment : program) {
        (void)RetrieveStep(segment);
        (void)StepDurationText(segment.StepTime);
    }
    const TProgramFileContent saved = ProgramFileContent(program, read.Content.ComposedFor);
    FUZZ_CHECK(saved.Segments.size() == read.Content.Segments.size());
    // The editor keeps every target it was given.
    for (std::size_t i = 0; i < saved.Segments.size(); ++i) {
        FUZZ_CHECK(saved.Segments[i].Target == read.Content.Segments[i].Target);
    }

    CheckJudged(read.Content);
    return 0;
}
