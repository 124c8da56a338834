// The saved-program reader: a file's text, read as the window's "Load program..." reads it, and
// what the editor then makes of the segments (the list lines, a segment put back into the fields,
// the program saved again).

#include "FuzzCheck.h"
#include "program/ProgramFile.h"
#include "program/SegmentEditor.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
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
    return 0;
}
