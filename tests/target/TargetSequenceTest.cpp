#include "target/TargetSequence.h"

#include "support/DesignStates.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Target::TTargetKind;

struct TListRow {
    std::string Text;
    bool Ok;
    std::vector<double> Values;
    std::string Refusal;
};

TEST(TargetSequenceTest, AListOfTargetsReadsInOrderOrSaysWhatIsWrong) {
    const std::vector<TListRow> rows = {
        {"10, 30, 50, 70, 90, 70, 50, 30, 10", true, {10, 30, 50, 70, 90, 70, 50, 30, 10}, ""},
        {" -40;-20 0\t20 ", true, {-40, -20, 0, 20}, ""},
        {"2.5,,5", true, {2.5, 5}, ""},
        {"10, 3O, 50", false, {}, "\"3O\" is not a number: separate the targets with commas."},
        {"10, 1e999", false, {}, "\"1e999\" is not a number: separate the targets with commas."},
        {"10, nan", false, {}, "\"nan\" is not a number: separate the targets with commas."},
        {" , ", false, {}, "The sequence has no target: type them separated by commas, \"10, 30, 50\"."},
    };
    for (const TListRow& row : rows) {
        SCOPED_TRACE(row.Text);
        const Target::TSequenceValues read = Target::SequenceFromList(row.Text);
        EXPECT_EQ(read.Ok, row.Ok);
        EXPECT_EQ(read.Values, row.Ok ? row.Values : std::vector<double>{});
        EXPECT_EQ(read.Refusal, row.Refusal);
    }
    std::string tooMany;
    for (std::size_t i = 0; i <= Target::SequenceLimit; ++i) {
        tooMany += "1,";
    }
    EXPECT_FALSE(Target::SequenceFromList(tooMany).Ok);
}

struct TRangeRow {
    double From, To, Step;
    bool Ok;
    std::vector<double> Values;
};

TEST(TargetSequenceTest, FromToStepIncludesBothEndsInEitherDirection) {
    const std::vector<TRangeRow> rows = {
        {10, 90, 20, true, {10, 30, 50, 70, 90}},
        {90, 10, 20, true, {90, 70, 50, 30, 10}},
        {90, 10, -20, true, {90, 70, 50, 30, 10}},
        {10, 50, 15, true, {10, 25, 40, 50}}, // the far end is always a target
        {0, 0.3, 0.1, true, {0, 0.1, 0.2, 0.30000000000000004}},
        {5, 5, 1, true, {5}},
        {10, 90, 0, false, {}},
        {10, 1e9, 1, false, {}}, // more segments than a sequence makes
    };
    for (const TRangeRow& row : rows) {
        SCOPED_TRACE(std::to_string(row.From) + " to " + std::to_string(row.To) + " by " +
                     std::to_string(row.Step));
        const Target::TSequenceValues made = Target::SequenceFromRange(row.From, row.To, row.Step);
        EXPECT_EQ(made.Ok, row.Ok) << made.Refusal;
        ASSERT_EQ(made.Values.size(), row.Values.size());
        for (std::size_t i = 0; i < row.Values.size(); ++i) {
            EXPECT_NEAR(made.Values[i], row.Values[i], 1e-12);
        }
    }
}

UnitMain::TMoistrelState CalibrationMixer() {
    UnitMain::TMoistrelState state = TestSupport::ValidatedState();
    TestSupport::SetGas(state.MFCADetails, "ttyUSB1", "N2", 1.0F, 0.01F);
    return state;
}

Target::TSequenceInput RelativeHumidities(const UnitMain::TMoistrelState& state, std::vector<double> values) {
    Target::TSequenceInput input;
    input.Solve = Target::DefaultTargetInput(state);
    input.Solve.Target = {TTargetKind::tkRelativeHumidity, 0.0, {}};
    input.Solve.Carrier = 1.0;
    input.Solve.TempC = 23.0;
    input.Solve.Pressure_mbar = 1013.25;
    input.Values = std::move(values);
    input.HoldHours = 0.5;
    return input;
}

TEST(TargetSequenceTest, EachTargetBecomesANamedSegmentOfItsHoldAfterAnOptionalSettling) {
    const UnitMain::TMoistrelState state = CalibrationMixer();
    Target::TSequenceInput input = RelativeHumidities(state, {10, 30, 50, 70, 90});
    input.SettlingHours = 2.0;
    const Target::TSequenceResult made = Target::BuildSequence(state, input);
    ASSERT_TRUE(made.Ok) << (made.Refusals.empty() ? "" : made.Refusals.front());
    const std::vector<std::string> names = {"Settling, RH 10 %", "RH 10 %", "RH 30 %",
                                            "RH 50 %",           "RH 70 %", "RH 90 %"};
    ASSERT_EQ(made.Segments.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(made.Segments[i].StepName, names[i]);
        EXPECT_DOUBLE_EQ(made.Segments[i].StepTime, i == 0 ? 2.0 : 0.5);
        EXPECT_TRUE(made.Segments[i].Valid);
        const double target = i == 0 ? 10.0 : input.Values[i - 1];
        EXPECT_NEAR(Target::TargetFigure(made.Segments[i], input.Solve.Target, 1013.25), target,
                    target * 0.2);
    }
    // The settling segment is the first target's, only longer.
    EXPECT_EQ(made.Segments[0].Components, made.Segments[1].Components);
}

TEST(TargetSequenceTest, OneUnreachableTargetRefusesTheWholeSequenceNamingEveryOne) {
    const UnitMain::TMoistrelState state = CalibrationMixer();
    const Target::TSequenceResult made =
        Target::BuildSequence(state, RelativeHumidities(state, {50, 120, 0.001}));
    EXPECT_FALSE(made.Ok);
    EXPECT_TRUE(made.Segments.empty());
    ASSERT_EQ(made.Refusals.size(), 2U);
    EXPECT_EQ(made.Refusals[0], "RH 120 %: A relative humidity above 100 % condenses: choose at most 100 %.");
    EXPECT_EQ(made.Refusals[1].rfind("RH 0.001 %: The target 0.001 % lies outside what the mixer reaches", 0),
              0U)
        << made.Refusals[1];
}

TEST(TargetSequenceTest, HoldsOutsideTheEditorsRangeAreRefused) {
    const UnitMain::TMoistrelState state = CalibrationMixer();
    for (const double hold : {0.0, -1.0, 10000.5}) {
        SCOPED_TRACE(hold);
        Target::TSequenceInput input = RelativeHumidities(state, {50});
        input.HoldHours = hold;
        const Target::TSequenceResult made = Target::BuildSequence(state, input);
        EXPECT_FALSE(made.Ok);
        ASSERT_EQ(made.Refusals.size(), 1U);
        EXPECT_NE(made.Refusals[0].find("give more than 0 and at most 10000 hours"), std::string::npos);
    }
    Target::TSequenceInput settling = RelativeHumidities(state, {50});
    settling.SettlingHours = -2.0;
    EXPECT_FALSE(Target::BuildSequence(state, settling).Ok);
}

TEST(TargetSequenceTest, ASegmentAboveTheLiquidsPPMLimitIsRefusedAsTheEditorWould) {
    UnitMain::TMoistrelState state = CalibrationMixer();
    state.PumpDetails.FLUID_MAX_PPM = 1000;
    TestSupport::AssignLiquid(state, "Water pure", {{GasMixtures::gH2O, 1000.0}}, 0.997735);
    const Target::TSequenceResult made = Target::BuildSequence(state, RelativeHumidities(state, {10, 50}));
    EXPECT_FALSE(made.Ok);
    ASSERT_EQ(made.Refusals.size(), 2U);
    EXPECT_EQ(made.Refusals[1], "RH 50 %: the liquid's concentration is above its ppm limit.");
}

} // namespace
