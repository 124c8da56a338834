// The segment program editor's core: add or save, delete the last, load back, the list lines.

#include "program/SegmentEditor.h"

#include "base/FormatSettings.h"
#include "design/MixtureSnapshot.h"
#include "support/DesignStates.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using GasMixtures::TGasItem;

TGasItem Flow(std::int32_t instrument, float mass_gpm) {
    TGasItem component;
    component.InstrumentID = instrument;
    component.Mass = mass_gpm;
    return component;
}

TGasItem Segment(const std::string& name, double hours, std::vector<TGasItem> components) {
    TGasItem segment;
    segment.StepName = name;
    segment.StepTime = hours;
    segment.Components = std::move(components);
    segment.Valid = true;
    return segment;
}

TGasItem WithTarget(TGasItem segment, const std::string& name) {
    segment.Target = GasMixtures::TSegmentTarget{{}, name};
    return segment;
}

TEST(SegmentEditor, ListLines) {
    const Base::TScopedFormatSettings dot({".", ":"});
    const struct {
        TGasItem Item;
        std::size_t Index;
        const char* Line;
    } cases[] = {
        {Segment("Dry", 1.5, {Flow(0, 0.000120F), Flow(2, 0.000350F)}), 0,
         "1\tDry\t1 h 30 min \tA:120 C:350 "},
        {Segment("ID:2", 0.75, {Flow(1, 0.0005F)}), 1, "2\tID:2\t0 h 45 min \tB:500 "},
        {Segment("Long", 26.0, {Flow(0, 1.5F), Flow(1, 0.25F), Flow(2, 0.0000005F)}), 9,
         "10\tLong\t26 h 00 min \tA:1500000 B:250000 C:0 "},
        {Segment("Tabs\tkept", 0.0, {}), 2, "3\tTabs\tkept\t0 h 00 min \t"},
        // Minutes round half away from zero: 0.0125 h = 0.75 min.
        {Segment("Round", 0.0125, {Flow(0, 0.000001F)}), 0, "1\tRound\t0 h 01 min \tA:1 "},
        // Hours beyond what a mask prints sensibly are written in the general format.
        {Segment("Ages", 1e99, {Flow(0, 0.000001F)}), 0, "1\tAges\t1E99 h 00 min \tA:1 "},
        {Segment("Long", 999999999999999.5, {}), 0, "1\tLong\t999999999999999 h 30 min \t"},
        // Flows beyond what a line can count (a file's 9.3e12 or 1e39 g/min) stop at the largest
        // count rather than turn negative.
        {Segment("Huge", 1.0, {Flow(0, 9.3e12F)}), 0, "1\tHuge\t1 h 00 min \tA:9223372036854775807 "},
        {Segment("Inf", 1.0, {Flow(1, std::numeric_limits<float>::infinity())}), 0,
         "1\tInf\t1 h 00 min \tB:9223372036854775807 "},
        // A segment of a target shows it in a column of its own, whatever the segment is called.
        {WithTarget(Segment("RH 50 %", 0.5, {Flow(0, 0.02F), Flow(2, 0.000157F)}), "RH 50 %"), 2,
         "3\tRH 50 %\t0 h 30 min \tA:20000 C:157 \tTarget: RH 50 %"},
        {WithTarget(Segment("Settling, Td -10 ºC", 0.25, {Flow(1, 0.03F)}), "Td -10 ºC"), 0,
         "1\tSettling, Td -10 ºC\t0 h 15 min \tB:30000 \tTarget: Td -10 ºC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Program::StepListLine(c.Index, c.Item), c.Line);
    }
}

TEST(SegmentEditor, RetrieveStepPutsTheFirstThreeFlowsBackByInstrument) {
    const struct {
        TGasItem Item;
        std::int32_t A;
        std::int32_t B;
        double C;
    } cases[] = {
        {Segment("ID:3", 0.75, {Flow(0, 0.000120F), Flow(2, 0.000350F)}), 120, 0, 350.0},
        {Segment("x", 1.0, {Flow(1, 0.0005F)}), 0, 500, 0.0},
        {Segment("x", 1.0, {Flow(2, 0.0000104F), Flow(1, 0.02F), Flow(0, 0.001F)}), 1000, 20000, 10.0},
        // Only the first three components count, and other instrument numbers are ignored.
        {Segment("x", 1.0, {Flow(7, 0.1F), Flow(1, 0.001F), Flow(1, 0.002F), Flow(0, 0.003F)}), 0, 2000, 0.0},
        {Segment("x", 1.0, {}), 0, 0, 0.0},
    };
    for (const auto& c : cases) {
        const Program::TRetrievedStep step = Program::RetrieveStep(c.Item);
        EXPECT_EQ(step.StepComments, c.Item.StepName);
        EXPECT_EQ(step.StepDuration, c.Item.StepTime);
        EXPECT_EQ(step.FlowA_ugpm, c.A);
        EXPECT_EQ(step.FlowB_ugpm, c.B);
        EXPECT_EQ(step.FlowC_ugpm, c.C);
    }
}

TEST(SegmentEditor, AddAppendsWithoutSelectionAndOverwritesTheSelectedOne) {
    const UnitMain::TMoistrelState state = TestSupport::ValidatedState();
    std::vector<TGasItem> program;
    Program::TAddStepInput input;
    input.CustomTempC = 20.0;
    input.CustomPressmBar = 1500.0;
    for (const std::int64_t flow : {1000, 2000, 3000}) {
        input.Segment = Design::CreateMixture(state, TestSupport::DesignScreen(flow, 0, 0.0));
        EXPECT_EQ(Program::AddOrSaveSegment(program, input), "");
    }
    ASSERT_EQ(program.size(), 3U);
    EXPECT_EQ(Program::RetrieveStep(program[2]).FlowA_ugpm, 3000);

    input.Segment = Design::CreateMixture(state, TestSupport::DesignScreen(0, 5000, 0.0));
    input.SelectedIndex = 0;
    EXPECT_EQ(Program::AddOrSaveSegment(program, input), "");
    ASSERT_EQ(program.size(), 3U);
    EXPECT_EQ(Program::RetrieveStep(program[0]).FlowB_ugpm, 5000);
    EXPECT_EQ(Program::RetrieveStep(program[1]).FlowA_ugpm, 2000);
}

TEST(SegmentEditor, AddRefusesADesignWithoutFlowOrAboveThePpmLimit) {
    UnitMain::TMoistrelState state = TestSupport::ValidatedState();
    std::vector<TGasItem> program{Segment("kept", 1.0, {Flow(0, 0.001F)})};
    Program::TAddStepInput input;
    input.CustomTempC = 20.0;
    input.CustomPressmBar = 1500.0;

    input.Segment = Design::CreateMixture(state, TestSupport::DesignScreen(0, 0, 0.0));
    EXPECT_EQ(Program::AddOrSaveSegment(program, input), Program::InvalidMixtureRefusal) << "no flow at all";

    // Water at 100 ppm at most, but far more water than that in the gas.
    state.PumpDetails.FLUID_MAX_PPM = 100;
    input.Segment = Design::CreateMixture(state, TestSupport::DesignScreen(1000, 0, 1000.0));
    input.SelectedIndex = 0;
    EXPECT_EQ(Program::AddOrSaveSegment(program, input), Program::InvalidMixtureRefusal)
        << "above the ppm limit";

    ASSERT_EQ(program.size(), 1U);
    EXPECT_EQ(program[0].StepName, "kept");
}

// A segment is added only when it lasts more than 0 and at most 10 000 hours, and only when it
// doses the C flow the fields ask for.
TEST(SegmentEditor, AddJudgesTheDurationAndTheFluidFlow) {
    const UnitMain::TMoistrelState state = TestSupport::ValidatedState();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* Case;
        double Hours;
        std::int64_t A;
        double RequestedC; // the C field
        double AchievableC;
        const char* Refusal;
    } cases[] = {
        {"three_quarters", 0.75, 1000, 0.0, 0.0, ""},
        {"shortest", 1e-6, 1000, 0.0, 0.0, ""},
        {"longest", 10000.0, 1000, 0.0, 0.0, ""},
        {"zero", 0.0, 1000, 0.0, 0.0, Program::DurationRefusal},
        {"negative_zero", -0.0, 1000, 0.0, 0.0, Program::DurationRefusal},
        {"negative", -5000.0, 1000, 0.0, 0.0, Program::DurationRefusal},
        {"above_longest", 10000.000001, 1000, 0.0, 0.0, Program::DurationRefusal},
        {"ages", 1e99, 1000, 0.0, 0.0, Program::DurationRefusal},
        {"infinite", std::numeric_limits<double>::infinity(), 1000, 0.0, 0.0, Program::DurationRefusal},
        {"undefined", nan, 1000, 0.0, 0.0, Program::DurationRefusal},
        {"fluid_dosed", 0.75, 1000, 1000.0, 995.7, ""},
        // The pump cannot dispense the C flow asked for: the snapshot has no liquid.
        {"fluid_out_of_reach", 0.75, 1000, 323660.0, 0.0, Program::FluidFlowRefusal},
        {"only_fluid_out_of_reach", 0.75, 0, 323660.0, 0.0, Program::FluidFlowRefusal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        std::vector<TGasItem> program{Segment("kept", 1.0, {Flow(0, 0.001F)})};
        Design::TSnapshotInput screen = TestSupport::DesignScreen(c.A, 0, c.AchievableC);
        screen.StepDuration = c.Hours;
        Program::TAddStepInput input;
        input.Segment = Design::CreateMixture(state, screen);
        input.RequestedFluidFlow_ugpm = c.RequestedC;
        input.CustomTempC = 20.0;
        input.CustomPressmBar = 1500.0;
        EXPECT_EQ(Program::AddOrSaveSegment(program, input), c.Refusal);
        ASSERT_EQ(program.size(), *c.Refusal == '\0' ? 2U : 1U);
        EXPECT_EQ(program[0].StepName, "kept");
    }
}

TEST(SegmentEditor, DeleteRemovesTheLastUnlessRunningOrEmpty) {
    std::vector<TGasItem> program{Segment("1", 1, {}), Segment("2", 1, {}), Segment("3", 1, {})};
    EXPECT_FALSE(Program::DeleteLastSegment(program, true));
    EXPECT_EQ(program.size(), 3U);
    EXPECT_TRUE(Program::DeleteLastSegment(program, false));
    ASSERT_EQ(program.size(), 2U);
    EXPECT_EQ(program.back().StepName, "2");
    program.clear();
    EXPECT_FALSE(Program::DeleteLastSegment(program, false));
}

} // namespace
