// A saved program loaded onto the mixer as it is now: every segment built again the way the editor
// builds a new one, the changes and refusals it meets segment by segment, and the one question the
// operator is asked.

#include "program/ProgramLoad.h"

#include "base/FormatSettings.h"
#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"
#include "model/MixtureReport.h"
#include "program/ProgramFile.h"
#include "program/SegmentEditor.h"
#include "pump/PumpSettings.h"
#include "support/DesignStates.h"
#include "target/TargetSolver.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

using GasMixtures::TGasItem;
using nlohmann::json;
using Program::TLoadJudgement;
using UnitMain::TMoistrelState;

const std::string Command64 = "/1TgV48000IA192000V64OA0G0R";

// O2 on MFC A (0.3 to 30 000 µg/min), N2 on MFC B (1000 to 100 000 µg/min), water in a 50 µL syringe.
TMoistrelState Mixer() {
    return TestSupport::ValidatedState();
}

// What the editor made on that mixer: a segment with all three flows, and one with MFC A pulsed below
// its lowest flow (200 of 300 µg/min).
std::vector<TGasItem> Designed(const TMoistrelState& mixer) {
    return {TestSupport::DesignedSegment(mixer, "wet", 1.5, 20000, 50000, 1000.0),
            TestSupport::DesignedSegment(mixer, "pulsed", 0.75, 200, 30000, 0.0)};
}

json SavedJson() {
    const TMoistrelState mixer = Mixer();
    return json::parse(Program::ProgramFileJson(
        Program::ProgramFileContent(Designed(mixer), Program::MixerComposition(mixer))));
}

TLoadJudgement JudgeText(const std::string& text, const TMoistrelState& mixer) {
    const Program::TProgramFileRead read = Program::ParseProgramFile(text, "a.mixprog");
    EXPECT_TRUE(read.Ok) << read.Message;
    return Program::JudgeLoadedProgram(read.Content, mixer);
}

TEST(ProgramLoad, AProgramLoadedOnTheMixerItWasMadeForIsTheRecordTheEditorMade) {
    const Base::TScopedFormatSettings dot({".", ":"});
    const TMoistrelState mixer = Mixer();
    const std::vector<TGasItem> designed = Designed(mixer);
    ASSERT_EQ(designed[0].Components.size(), 3U);
    ASSERT_EQ(designed[0].Components[2].PumpCommand, Command64);
    ASSERT_LT(designed[1].Components[0].Pulsed, 1.0F);

    const TLoadJudgement judgement = JudgeText(SavedJson().dump(), mixer);
    EXPECT_TRUE(judgement.CompositionDifferences.empty());
    ASSERT_EQ(judgement.Segments.size(), 2U);
    for (const Program::TJudgedSegment& segment : judgement.Segments) {
        EXPECT_FALSE(segment.Refused) << segment.Name;
        EXPECT_TRUE(segment.Notes.empty()) << segment.Name << ": " << segment.Notes.front();
    }
    // Field by field: the gases' molar masses, the liquid's substances with their shares of the
    // flow, the ports, the ppm limit, the custom conditions.
    EXPECT_EQ(judgement.Program, designed);
    EXPECT_FALSE(Program::LoadQuestion("a.mixprog", judgement).Ask);

    // And so the run data file's liquid columns are the designed segment's.
    const auto figures = [](const TGasItem& segment) {
        GasMixtures::TGasItemDictionary totals;
        GasMixtures::AddMixtureToGasTotals(segment, totals);
        return GasMixtures::LiquidFigures(totals);
    };
    const GasMixtures::TLiquidFigures loaded = figures(judgement.Program[0]);
    EXPECT_EQ(loaded.LiquidPPM, figures(designed[0]).LiquidPPM);
    EXPECT_EQ(loaded.RelativeHumidity, figures(designed[0]).RelativeHumidity);
    EXPECT_TRUE(std::isfinite(loaded.LiquidPPM));
    EXPECT_TRUE(std::isfinite(loaded.RelativeHumidity));
}

struct TLoadCase {
    const char* What;
    std::function<void(json&)> EditFile;
    std::function<void(TMoistrelState&)> EditMixer;
    std::size_t Segment; // 0-based: the segment the case is about; the other one is as saved
    bool Refused;
    std::vector<std::string> Notes;
    std::size_t Flows = 0; // of the loaded segment, when it is not refused
};

void Flow(json& file, std::size_t segment, std::size_t flow, const char* key, const json& value) {
    file["segments"][segment]["flows"][flow][key] = value;
}

void NoMixerChange(TMoistrelState& /*mixer*/) {}
void NoFileChange(json& /*file*/) {}

TEST(ProgramLoad, EverySegmentIsJudgedOnTheMixerAsItIsNow) {
    const Base::TScopedFormatSettings dot({".", ":"});
    const std::string highestA = "is above MFC A's highest, 29999 µg/min";
    const std::string lasts = " h; a segment lasts more than 0 and at most 10000 hours";
    const std::vector<TLoadCase> cases = {
        // The pump command is computed again with the present syringe, pump and liquid; the file's
        // command is never taken.
        {"a larger syringe",
         NoFileChange,
         [](TMoistrelState& m) {
             m.PumpDetails.SYRINGE_VOLUME_INDEX = 1;
             m.PumpDetails.SYRINGE_VOLUMEul = UnitMain::GetSyringeVolume(1);
             UnitMain::UpdateSyringeSize(m.PumpDetails);
         },
         0,
         false,
         {"pump command \"/1TgV48000IA192000V64OA0G0R\" in the file, \"/1TgV48000IA192000V32OA0G0R\" now",
          "liquid flow 995.675 µg/min in the file, 996.709 µg/min now"},
         3},
        {"the 24 000-step pump",
         NoFileChange,
         [](TMoistrelState& m) { UnitMain::ApplyPumpModel(m.PumpDetails, 0); },
         0,
         false,
         {"pump command \"/1TgV48000IA192000V64OA0G0R\" in the file, \"/1TgV48000IA24000V64OA0G0R\" now",
          "liquid flow 995.675 µg/min in the file, 995.683 µg/min now"},
         3},
        {"a pump command edited by hand",
         [](json& f) { Flow(f, 0, 2, "pumpCommand", "/1TgV48000IA192000V48000OA0G0R"); },
         NoMixerChange,
         0,
         false,
         {"pump command \"/1TgV48000IA192000V48000OA0G0R\" in the file, \"/1TgV48000IA192000V64OA0G0R\" now",
          "liquid flow 995.675 µg/min in the file, 995.683 µg/min now"},
         3},
        // MFC A's pulsed share is derived from its lowest flow, never taken from the file.
        {"a pulsed share that does not fit the flow",
         [](json& f) { Flow(f, 1, 0, "pulsed", 0.2); },
         NoMixerChange,
         1,
         false,
         {"MFC A pulsed share 0.2 in the file, 0.667 now (from MFC A's lowest flow)"},
         2},
        {"MFC A's lowest flow raised",
         NoFileChange,
         [](TMoistrelState& m) { UnitMain::ActiveLUTData(m.MFCADetails)->RangeMin = 0.0004F; },
         1,
         false,
         {"MFC A pulsed share 0.667 in the file, 0.5 now (from MFC A's lowest flow)"},
         2},
        {"a pulsed share of zero",
         [](json& f) { Flow(f, 0, 0, "pulsed", 0); },
         NoMixerChange,
         0,
         false,
         {"MFC A pulsed share 0 in the file, 1 now (from MFC A's lowest flow)"},
         3},
        {"an A flow between whole µg/min",
         [](json& f) { Flow(f, 0, 0, "massFlow_gpm", 0.0200004); },
         NoMixerChange,
         0,
         false,
         {"MFC A flow 20000.4 µg/min in the file, 20000 µg/min now"},
         3},
        {"an A flow below 1 µg/min",
         [](json& f) { Flow(f, 0, 0, "massFlow_gpm", 1e-7); },
         NoMixerChange,
         0,
         false,
         {"MFC A flow 0.1 µg/min in the file, none now (flows are whole µg/min)"},
         2},
        // Zero is no flow, as a zero in the field is; the loaded segment has no B flow then.
        {"a B flow of zero",
         [](json& f) { Flow(f, 0, 1, "massFlow_gpm", 0); },
         NoMixerChange,
         0,
         false,
         {},
         2},
        {"a B flow of minus zero",
         [](json& f) { Flow(f, 0, 1, "massFlow_gpm", -0.0); },
         NoMixerChange,
         0,
         false,
         {},
         2},
        {"a duration of 10 000 h",
         [](json& f) { f["segments"][0]["duration_h"] = 10000; },
         NoMixerChange,
         0,
         false,
         {},
         3},
        // Refused: flows the MFCs cannot hold, compared before any rounding.
        {"an A flow above the range",
         [](json& f) { Flow(f, 0, 0, "massFlow_gpm", 0.03); },
         NoMixerChange,
         0,
         true,
         {"its MFC A flow of 30000 µg/min " + highestA}},
        {"an A flow of 3000 g/min",
         [](json& f) { Flow(f, 0, 0, "massFlow_gpm", 3000); },
         NoMixerChange,
         0,
         true,
         {"its MFC A flow of 3000000000 µg/min " + highestA}},
        {"an A flow of 9.3e12 g/min",
         [](json& f) { Flow(f, 0, 0, "massFlow_gpm", 9.3e12); },
         NoMixerChange,
         0,
         true,
         {"its MFC A flow of 9.3E18 µg/min " + highestA}},
        {"an A flow of 1e39 g/min",
         [](json& f) { Flow(f, 0, 0, "massFlow_gpm", 1e39); },
         NoMixerChange,
         0,
         true,
         {"its MFC A flow of 1E45 µg/min " + highestA}},
        {"a B flow of 9.3e12 g/min",
         [](json& f) { Flow(f, 0, 1, "massFlow_gpm", 9.3e12); },
         NoMixerChange,
         0,
         true,
         {"its MFC B flow of 9.3E18 µg/min is above MFC B's highest, 100000 µg/min"}},
        {"a B flow below its lowest",
         [](json& f) { Flow(f, 0, 1, "massFlow_gpm", 0.0005); },
         NoMixerChange,
         0,
         true,
         {"its MFC B flow of 500 µg/min is not above MFC B's lowest, 1000 µg/min (MFC B has no pulsed "
          "mode)"}},
        {"a B flow at its lowest",
         [](json& f) { Flow(f, 0, 1, "massFlow_gpm", 0.001); },
         NoMixerChange,
         0,
         true,
         {"its MFC B flow of 1000 µg/min is not above MFC B's lowest, 1000 µg/min (MFC B has no pulsed "
          "mode)"}},
        {"MFC B without a gas",
         [](json& f) { Flow(f, 1, 1, "massFlow_gpm", 0); },
         [](TMoistrelState& m) { m.MFCBDetails.ActiveLUT = 0; },
         0,
         true,
         {"its MFC B flow of 50000 µg/min cannot run: MFC B has no gas chosen"}},
        // Refused: a liquid flow the pump cannot dispense, a liquid above the ppm limit.
        {"a liquid flow above the C field's bound",
         [](json& f) { Flow(f, 0, 2, "massFlow_gpm", 1.0); },
         NoMixerChange,
         0,
         true,
         {"its liquid flow of 1000000 µg/min is above the most the pump can be asked for, 323660 µg/min"}},
        {"a liquid flow above the pump's capacity",
         [](json& f) { Flow(f, 0, 2, "massFlow_gpm", 0.3); },
         NoMixerChange,
         0,
         true,
         {"the pump cannot dispense its liquid flow of 300000 µg/min (psOverCapacity)"}},
        {"a liquid above the ppm limit",
         NoFileChange,
         [](TMoistrelState& m) { m.PumpDetails.FLUID_MAX_PPM = 1000; },
         0,
         true,
         {"its liquid's ppm is higher than the artificial limit of 1000 ppm"}},
        // Refused, each zero for what it is.
        {"no flow at all",
         [](json& f) {
             for (std::size_t i = 0; i < 3; ++i) {
                 Flow(f, 0, i, "massFlow_gpm", 0);
             }
         },
         NoMixerChange,
         0,
         true,
         {"it has no flow at all"}},
        {"a duration of zero",
         [](json& f) { f["segments"][0]["duration_h"] = 0; },
         NoMixerChange,
         0,
         true,
         {"it lasts 0" + lasts}},
        {"a duration of minus zero",
         [](json& f) { f["segments"][0]["duration_h"] = -0.0; },
         NoMixerChange,
         0,
         true,
         {"it lasts 0" + lasts}},
        {"a duration above 10 000 h",
         [](json& f) { f["segments"][0]["duration_h"] = 10000.5; },
         NoMixerChange,
         0,
         true,
         {"it lasts 10000.5" + lasts}},
    };
    const std::vector<TGasItem> designed = Designed(Mixer());
    for (const TLoadCase& c : cases) {
        json file = SavedJson();
        c.EditFile(file);
        TMoistrelState mixer = Mixer();
        c.EditMixer(mixer);
        const TLoadJudgement judgement = JudgeText(file.dump(), mixer);
        ASSERT_EQ(judgement.Segments.size(), 2U) << c.What;
        const Program::TJudgedSegment& judged = judgement.Segments[c.Segment];
        EXPECT_EQ(judged.Refused, c.Refused) << c.What;
        EXPECT_EQ(judged.Notes, c.Notes) << c.What;
        const Program::TJudgedSegment& other = judgement.Segments[1 - c.Segment];
        EXPECT_FALSE(other.Refused) << c.What;
        ASSERT_EQ(judgement.Program.size(), c.Refused ? 1U : 2U) << c.What;
        if (c.Refused) {
            EXPECT_EQ(judgement.Program[0].StepName, designed[1 - c.Segment].StepName) << c.What;
        } else {
            EXPECT_EQ(judgement.Program[c.Segment].Components.size(), c.Flows) << c.What;
            EXPECT_EQ(judgement.Program[c.Segment].StepName, designed[c.Segment].StepName) << c.What;
        }
    }
}

TEST(ProgramLoad, NumbersThatAreNotFiniteAreRefused) {
    // A file's text cannot hold them (the reader refuses 1e400), but a content made otherwise can.
    const TMoistrelState mixer = Mixer();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        std::function<void(Program::TProgramSegment&)> Edit;
        const char* Reason;
    } cases[] = {
        {[&](auto& s) { s.Duration_h = nan; }, "its duration is not a finite number"},
        {[&](auto& s) { s.Duration_h = infinity; }, "its duration is not a finite number"},
        {[&](auto& s) { s.Flows[0].Mass_gpm = infinity; }, "its MFC A flow is not a finite number"},
        {[&](auto& s) { s.Flows[1].Mass_gpm = nan; }, "its MFC B flow is not a finite number"},
        {[&](auto& s) { s.Flows[2].Mass_gpm = nan; }, "its liquid flow is not a finite number"},
        {[&](auto& s) { s.Flows[0].Pulsed = nan; },
         "its MFC A flow has a pulsed share that is not a finite number"},
    };
    for (const auto& c : cases) {
        Program::TProgramFileContent content =
            Program::ProgramFileContent(Designed(mixer), Program::MixerComposition(mixer));
        c.Edit(content.Segments[0]);
        const TLoadJudgement judgement = Program::JudgeLoadedProgram(content, mixer);
        ASSERT_EQ(judgement.Segments.size(), 2U);
        EXPECT_TRUE(judgement.Segments[0].Refused) << c.Reason;
        EXPECT_EQ(judgement.Segments[0].Notes, std::vector<std::string>{c.Reason});
        EXPECT_EQ(judgement.Program.size(), 1U);
    }
}

TEST(ProgramLoad, TheOperatorIsAskedOnceWithEverythingSegmentBySegment) {
    const Base::TScopedFormatSettings dot({".", ":"});
    const std::string name = "The program in \"week 50.mixprog\" ";
    const std::string gasB = "MFC B gas: \"N2\" in the file, \"Ar\" on the mixer";
    const std::string composed =
        name + "was composed for other gases or another liquid than the mixer holds now:\n\n";
    const std::string wetChanged =
        "Segment 1 \"wet\": pump command \"/1TgV48000IA192000V64OA0G0R\" in the file, "
        "\"/1TgV48000IA192000V32OA0G0R\" now; liquid flow 995.675 µg/min in the file, 996.709 µg/min now";
    const auto largerSyringe = [](TMoistrelState& m) {
        m.PumpDetails.SYRINGE_VOLUME_INDEX = 1;
        m.PumpDetails.SYRINGE_VOLUMEul = UnitMain::GetSyringeVolume(1);
        UnitMain::UpdateSyringeSize(m.PumpDetails);
    };
    const auto otherGasB = [](TMoistrelState& m) {
        UnitMain::ActiveLUTData(m.MFCBDetails)->NameShort = "Ar";
    };
    const struct {
        const char* What;
        std::function<void(json&)> EditFile;
        std::function<void(TMoistrelState&)> EditMixer;
        bool Ask;
        bool CanLoad;
        std::string Text;
    } cases[] = {
        {"as saved", NoFileChange, NoMixerChange, false, true, ""},
        {"another gas only", NoFileChange, otherGasB, true, true, composed + gasB + "\n\nLoad it anyway?"},
        {"a segment changed", NoFileChange, largerSyringe, true, true,
         name + "does not load as it was saved. Its segments, built again on the mixer as it is now:\n\n" +
             wetChanged + "\n\nLoad it anyway?"},
        {"another gas, a segment changed and one refused",
         [](json& f) { f["segments"][1]["duration_h"] = 0; },
         [&](TMoistrelState& m) {
             otherGasB(m);
             largerSyringe(m);
         },
         true, true,
         composed + gasB + "\n\nIts segments, built again on the mixer as it is now:\n\n" + wetChanged +
             "\nSegment 2 \"pulsed\": refused: it lasts 0 h; a segment lasts more than 0 and at most 10000 "
             "hours\n\nLoad it without the refused segments?"},
        {"every segment refused",
         [](json& f) {
             f["segments"][0]["duration_h"] = 20000;
             f["segments"][1]["flows"][0]["massFlow_gpm"] = 3000;
         },
         NoMixerChange, true, false,
         name +
             "does not load as it was saved. Its segments, built again on the mixer as it is now:\n\n"
             "Segment 1 \"wet\": refused: it lasts 20000 h; a segment lasts more than 0 and at most 10000 "
             "hours\n"
             "Segment 2 \"pulsed\": refused: its MFC A flow of 3000000000 µg/min is above MFC A's highest, "
             "29999 µg/min\n\nNo segment of it can run on the mixer as it is now; nothing is loaded."},
        {"no segment, another gas", [](json& f) { f["segments"] = json::array(); }, otherGasB, true, true,
         composed + gasB + "\n\nLoad it anyway?"},
    };
    for (const auto& c : cases) {
        json file = SavedJson();
        c.EditFile(file);
        TMoistrelState mixer = Mixer();
        c.EditMixer(mixer);
        const Program::TLoadQuestion question =
            Program::LoadQuestion("week 50.mixprog", JudgeText(file.dump(), mixer));
        EXPECT_EQ(question.Ask, c.Ask) << c.What;
        EXPECT_EQ(question.CanLoad, c.CanLoad) << c.What;
        EXPECT_EQ(question.Text, c.Text) << c.What;
    }
}

// A program of targets made on the mixer: 50 % RH at 23 ºC in 0.02 g/min of oxygen, a dew point of
// -10 ºC with half of the carrier in nitrogen, and between them a segment of flows set by hand.
GasMixtures::TTargetInput RH50() {
    GasMixtures::TTargetInput input;
    input.Target = {GasMixtures::TTargetKind::tkRelativeHumidity, 50.0, ""};
    input.Carrier = 0.02;
    input.TempC = 23.0;
    input.Pressure_mbar = 1013.25;
    return input;
}

GasMixtures::TTargetInput DewPointMinus10() {
    GasMixtures::TTargetInput input;
    input.Target = {GasMixtures::TTargetKind::tkDewPoint, -10.0, ""};
    input.Carrier = 0.04;
    input.BSharePercent = 50.0;
    input.TempC = 23.0;
    input.Pressure_mbar = 1013.25;
    return input;
}

TGasItem Solved(const TMoistrelState& mixer, const GasMixtures::TTargetInput& input, const std::string& name,
                double hours) {
    const Target::TTargetSolution solution = Target::SolveTarget(mixer, input);
    EXPECT_TRUE(solution.Ok) << solution.Refusal;
    TGasItem segment = solution.Segment;
    segment.StepName = name;
    segment.StepTime = hours;
    return segment;
}

std::vector<TGasItem> Targeted(const TMoistrelState& mixer) {
    return {Solved(mixer, RH50(), "humid", 1.0),
            TestSupport::DesignedSegment(mixer, "wet", 1.5, 20000, 50000, 1000.0),
            Solved(mixer, DewPointMinus10(), "dew", 0.5)};
}

json TargetedJson() {
    const TMoistrelState mixer = Mixer();
    return json::parse(Program::ProgramFileJson(
        Program::ProgramFileContent(Targeted(mixer), Program::MixerComposition(mixer))));
}

TEST(ProgramLoad, AProgramOfTargetsOnTheMixerItWasMadeForLoadsAsItWasMade) {
    const TMoistrelState mixer = Mixer();
    const std::vector<TGasItem> targeted = Targeted(mixer);
    ASSERT_TRUE(targeted[0].Target.has_value());
    const TLoadJudgement judgement = JudgeText(TargetedJson().dump(), mixer);
    for (const Program::TJudgedSegment& segment : judgement.Segments) {
        EXPECT_FALSE(segment.Refused) << segment.Name;
        EXPECT_TRUE(segment.Notes.empty()) << segment.Name << ": " << segment.Notes.front();
    }
    EXPECT_EQ(judgement.Program, targeted);
    EXPECT_FALSE(Program::LoadQuestion("a.mixprog", judgement).Ask);
}

// Whatever changed on the mixer, a segment of a target gets the flows its target needs there, and
// the figure it gives is the target's again; one that cannot be reached there is refused.
TEST(ProgramLoad, SegmentsOfTargetsAreSolvedAgainFromTheirTargets) {
    const Base::TScopedFormatSettings dot({".", ":"});
    const auto largerSyringe = [](TMoistrelState& m) {
        m.PumpDetails.SYRINGE_VOLUME_INDEX = 1;
        m.PumpDetails.SYRINGE_VOLUMEul = UnitMain::GetSyringeVolume(1);
        UnitMain::UpdateSyringeSize(m.PumpDetails);
    };
    const struct {
        const char* What;
        std::function<void(json&)> EditFile;
        std::function<void(TMoistrelState&)> EditMixer;
        // Of the first segment, "humid": its refusal, or the start of its one note ("" for none).
        bool Refused;
        std::string Note;
        std::size_t Loaded; // segments of the three that load
    } cases[] = {
        {"a larger syringe", NoFileChange, largerSyringe, false,
         "solved again from its target RH 50 %: A 20000 µg/min, B none, C 155.872 µg/min, pump command "
         "\"/1TgV48000IA192000V5OA0G0R\" (in the file: A 20000 µg/min, B none, C 155.847 µg/min, pump "
         "command \"/1TgV48000IA192000V10OA0G0R\")",
         3},
        {"the 24 000-step pump", NoFileChange,
         [](TMoistrelState& m) { UnitMain::ApplyPumpModel(m.PumpDetails, 0); }, false,
         "solved again from its target RH 50 %: ", 3},
        {"argon on MFC A", NoFileChange,
         [](TMoistrelState& m) { UnitMain::ActiveLUTData(m.MFCADetails)->NameShort = "Ar"; }, false,
         "solved again from its target RH 50 %: ", 3},
        {"another liquid with water", NoFileChange,
         [](TMoistrelState& m) {
             TestSupport::AssignLiquid(m, "Ethanol 40 %",
                                       {{GasMixtures::gC2H6O, 40.0}, {GasMixtures::gH2O, 60.0}}, 0.93);
         },
         false, "solved again from its target RH 50 %: ", 3},
        // The file's flows are never taken for a segment of a target, even on the same mixer.
        {"flows edited in the file",
         [](json& f) {
             f["segments"][0]["flows"][1]["massFlow_gpm"] = 0.0003;
             f["segments"][0]["flows"][1]["pumpCommand"] = "/1TgV48000IA192000V48000OA0G0R";
         },
         NoMixerChange, false, "solved again from its target RH 50 %: ", 3},
        {"a liquid without water", NoFileChange,
         [](TMoistrelState& m) {
             TestSupport::AssignLiquid(m, "Ethanol", {{GasMixtures::gC2H6O, 1.0}}, 0.7893);
         },
         true,
         "its target RH 50 % cannot be reached on the mixer as it is now: The pump's liquid \"Ethanol\" "
         "holds "
         "no water: a relative humidity or dew point needs a liquid with water.",
         1},
        {"MFC A's range now below the carrier", NoFileChange,
         [](TMoistrelState& m) { UnitMain::ActiveLUTData(m.MFCADetails)->RangeMax = 0.01F; }, true,
         "its target RH 50 % cannot be reached on the mixer as it is now: The carrier asks 0.020 000 g/min "
         "of "
         "MFC A, above its highest flow of 0.010 000 g/min: lower the carrier or give MFC B a larger share.",
         0},
        {"a target beyond what the mixer reaches",
         [](json& f) { f["segments"][0]["target"]["value"] = 100.5; }, NoMixerChange, true,
         "its target RH 100.5 % cannot be reached on the mixer as it is now: ", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        json file = TargetedJson();
        c.EditFile(file);
        TMoistrelState mixer = Mixer();
        c.EditMixer(mixer);
        const TLoadJudgement judgement = JudgeText(file.dump(), mixer);
        ASSERT_EQ(judgement.Segments.size(), 3U);
        const Program::TJudgedSegment& humid = judgement.Segments[0];
        EXPECT_EQ(humid.Refused, c.Refused);
        ASSERT_EQ(humid.Notes.size(), 1U) << testing::PrintToString(humid.Notes);
        EXPECT_EQ(humid.Notes[0].substr(0, c.Note.size()), c.Note) << humid.Notes[0];
        // Beside it the dew point, solved again too, and the segment of flows, judged by them.
        ASSERT_EQ(judgement.Program.size(), c.Loaded);
        if (c.Refused) {
            continue;
        }
        // The solver's segment on this mixer, under the file's name and duration, with its target.
        EXPECT_EQ(judgement.Program[0], Solved(mixer, RH50(), "humid", 1.0));
        EXPECT_EQ(judgement.Program[2], Solved(mixer, DewPointMinus10(), "dew", 0.5));
        const GasMixtures::TTargetInput target = RH50();
        // The pump's speed steps leave it within a few per cent of the target.
        EXPECT_NEAR(Target::TargetFigure(judgement.Program[0], target.Target, target.Pressure_mbar), 50.0,
                    1.0);
        const std::string question = Program::LoadQuestion("a.mixprog", judgement).Text;
        EXPECT_NE(question.find("Segment 1 \"humid\": solved again from its target RH 50 %: A "),
                  std::string::npos)
            << question;
    }
}

// A segment of flows set by hand in the same file keeps the checks of every loaded segment.
TEST(ProgramLoad, ASegmentWithoutTargetBesideThemIsJudgedByItsFlows) {
    const Base::TScopedFormatSettings dot({".", ":"});
    TMoistrelState mixer = Mixer();
    UnitMain::ActiveLUTData(mixer.MFCBDetails)->RangeMax = 0.03F;
    const TLoadJudgement judgement = JudgeText(TargetedJson().dump(), mixer);
    ASSERT_EQ(judgement.Segments.size(), 3U);
    EXPECT_TRUE(judgement.Segments[1].Refused);
    EXPECT_EQ(
        judgement.Segments[1].Notes,
        std::vector<std::string>{"its MFC B flow of 50000 µg/min is above MFC B's highest, 30000 µg/min"});
    // The targets' flows fit the smaller MFC B: 20000 µg/min of it for the dew point, none for the RH.
    EXPECT_FALSE(judgement.Segments[0].Refused);
    EXPECT_FALSE(judgement.Segments[2].Refused);
    EXPECT_EQ(judgement.Program.size(), 2U);
}

} // namespace
