#include "target/TargetSolver.h"

#include "base/NumberFormat.h"
#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"
#include "model/MixtureReport.h"
#include "pump/PumpSpeedFunction.h"
#include "support/DesignStates.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Target::TCarrierUnit;
using Target::TTargetKind;
using UnitMain::TMoistrelState;

// A calibration mixer: nitrogen on MFC A up to 1 g/min, argon on MFC B up to 2 g/min, a 50 µl syringe
// of pure water.
TMoistrelState CalibrationMixer() {
    TMoistrelState state = TestSupport::ValidatedState();
    TestSupport::SetGas(state.MFCADetails, "ttyUSB1", "N2", 1.0F, 0.01F);
    TestSupport::SetGas(state.MFCBDetails, "ttyUSB2", "Ar", 2.0F, 0.02F);
    return state;
}

// The same with one gram of ethanol in 999 g of water, for concentrations of a few ppm.
TMoistrelState DiluteEthanolMixer() {
    TMoistrelState state = CalibrationMixer();
    TestSupport::AssignLiquid(state, "Ethanol 0.1 %",
                              {{GasMixtures::gH2O, 999.0}, {GasMixtures::gC2H6O, 1.0}}, 0.997);
    return state;
}

struct TConditions {
    double TempC;
    double Pressure_mbar;
};
constexpr TConditions Conditions[] = {{23.0, 1013.25}, {5.0, 800.0}, {60.0, 2000.0}};

Target::TTargetInput InputFor(const TMoistrelState& state, Target::TTarget target, TConditions at,
                              double carrier = 1.0, double bShare = 0.0) {
    Target::TTargetInput input = Target::DefaultTargetInput(state);
    input.Target = std::move(target);
    input.Carrier = carrier;
    input.BSharePercent = bShare;
    input.TempC = at.TempC;
    input.Pressure_mbar = at.Pressure_mbar;
    return input;
}

// The relative gap between the stroke times of the pump's speed and its slower neighbour: how far
// one speed step moves the liquid flow, and at most so far the target's figure.
double SpeedStep(std::int32_t frequency) {
    using UnitMoistrelPumpSpeedFunction::CalculateStrokeTime;
    using UnitMoistrelPumpSpeedFunction::SearchStrokeSteps;
    if (frequency <= 1) {
        return 1.0;
    }
    return CalculateStrokeTime(frequency - 1, SearchStrokeSteps) /
               CalculateStrokeTime(frequency, SearchStrokeSteps) -
           1.0;
}

// The figure the report itself gives for the segment, read the way the design panel reads it.
double ReportFigure(const GasMixtures::TGasItem& segment, const Target::TTarget& target, double pressure) {
    GasMixtures::TGasItemDictionary totals;
    GasMixtures::AddMixtureToGasTotals(segment, totals);
    switch (target.Kind) {
    case TTargetKind::tkRelativeHumidity:
        return GasMixtures::LiquidFigures(totals).RelativeHumidity;
    case TTargetKind::tkDewPoint:
        return Target::DewPointC(GasMixtures::SubstancePPM(totals, "H2O") / 1e6 * pressure);
    case TTargetKind::tkPPM:
        return GasMixtures::SubstancePPM(totals, target.Substance == "Ethanol" ? "C2H6O" : target.Substance);
    }
    return NAN;
}

// The size of the error in the quantity the pump sets: the water's (or substance's) mole fraction.
double RelativeError(const Target::TTarget& target, double achieved) {
    if (target.Kind == TTargetKind::tkDewPoint) {
        return std::fabs(GasMixtures::CalculateVapourPressure(achieved) /
                             GasMixtures::CalculateVapourPressure(target.Value) -
                         1.0);
    }
    return std::fabs(achieved / target.Value - 1.0);
}

struct TSolvedCase {
    TTargetKind Kind;
    std::vector<double> Values;
    std::string Substance;
    bool DiluteEthanol;
};

TEST(TargetSolverTest, EveryTargetIsReachedWithinOneSpeedStepAndTheReportGivesTheAchievedFigure) {
    const std::vector<TSolvedCase> cases = {
        {TTargetKind::tkRelativeHumidity, {1, 5, 10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100}, "", false},
        {TTargetKind::tkDewPoint, {-40, -30, -20, -10, -5, 0, 2, 5, 10, 15, 20}, "", false},
        {TTargetKind::tkPPM, {100, 1000, 5000, 10000, 50000, 100000}, "H2O", false},
        {TTargetKind::tkPPM, {1, 2, 5, 10, 20, 50}, "Ethanol", true},
    };
    for (const TSolvedCase& kind : cases) {
        const TMoistrelState state = kind.DiluteEthanol ? DiluteEthanolMixer() : CalibrationMixer();
        for (const double value : kind.Values) {
            for (const TConditions at : Conditions) {
                const Target::TTarget target{kind.Kind, value, kind.Substance};
                // A dew point above the temperature condenses: that is a refusal, tested below.
                if (kind.Kind == TTargetKind::tkDewPoint && value > at.TempC) {
                    continue;
                }
                SCOPED_TRACE(Target::TargetName(target, state) + " at " + std::to_string(at.TempC) + " C, " +
                             std::to_string(at.Pressure_mbar) + " mbar");
                const Target::TTargetSolution solved =
                    Target::SolveTarget(state, InputFor(state, target, at));
                ASSERT_TRUE(solved.Ok) << solved.Refusal;
                EXPECT_EQ(solved.FlowA_ugpm, 1000000);
                EXPECT_EQ(solved.FlowB_ugpm, 0);
                EXPECT_GT(solved.PumpFrequency, 0);
                EXPECT_EQ(solved.PumpCommand.rfind("/1T", 0), 0U);
                EXPECT_DOUBLE_EQ(ReportFigure(solved.Segment, target, at.Pressure_mbar), solved.Achieved);
                EXPECT_LE(RelativeError(target, solved.Achieved), SpeedStep(solved.PumpFrequency))
                    << "achieved " << solved.Achieved << " at " << solved.PumpFrequency << " Hz";
                EXPECT_LE(solved.ReachableLow, solved.Achieved);
                EXPECT_GE(solved.ReachableHigh, solved.Achieved);
            }
        }
    }
}

TEST(TargetSolverTest, TheSegmentIsTheOneTheDesignScreenMakesOfTheSolvedFields) {
    const TMoistrelState state = CalibrationMixer();
    const Target::TTarget target{TTargetKind::tkRelativeHumidity, 40.0, {}};
    const Target::TTargetInput input = InputFor(state, target, Conditions[0], 1.0, 25.0);
    const Target::TTargetSolution solved = Target::SolveTarget(state, input);
    ASSERT_TRUE(solved.Ok) << solved.Refusal;
    EXPECT_EQ(solved.FlowA_ugpm, 750000);
    EXPECT_EQ(solved.FlowB_ugpm, 250000);
    EXPECT_EQ(solved.FlowC_ugpm, std::round(solved.FlowC_ugpm)); // the C field holds whole µg/min

    Design::TSnapshotInput screen;
    screen.FlowA = solved.FlowA_ugpm;
    screen.FlowB = solved.FlowB_ugpm;
    screen.AchievableC = solved.AchievableC_ugpm;
    screen.PumpCommand = solved.PumpCommand;
    screen.StepComments = "RH 40 %";
    screen.StepDuration = state.DesignInputs.StepDuration_h;
    screen.CustomTempC = Conditions[0].TempC;
    screen.CustomPressure_mbar = Conditions[0].Pressure_mbar;
    // The design screen's segment, and besides the target it was solved for.
    GasMixtures::TGasItem flows = solved.Segment;
    flows.Target.reset();
    EXPECT_EQ(Design::CreateMixture(state, screen), flows);
    EXPECT_EQ(solved.Segment.StepName, "RH 40 %");
    ASSERT_TRUE(solved.Segment.Target.has_value());
    EXPECT_EQ(solved.Segment.Target->Input, input);
    EXPECT_EQ(solved.Segment.Target->Name, "RH 40 %");
}

TEST(TargetSolverTest, ACarrierInNormalLitresIsSharedByVolume) {
    const TMoistrelState state = CalibrationMixer();
    const Target::TTarget target{TTargetKind::tkRelativeHumidity, 40.0, {}};
    Target::TTargetInput input = InputFor(state, target, Conditions[0], 1.0, 50.0);
    input.CarrierUnit = TCarrierUnit::cuNormalLitresPerMinute;
    const Target::TTargetSolution solved = Target::SolveTarget(state, input);
    ASSERT_TRUE(solved.Ok) << solved.Refusal;
    // Half a normal litre of each: 0.5 / 22.414 mol of N2 (28.0134 g/mol) and of Ar (39.948 g/mol).
    EXPECT_NEAR(static_cast<double>(solved.FlowA_ugpm), 0.5 / 22.414 * 28.0134 * 1e6, 1.0);
    EXPECT_NEAR(static_cast<double>(solved.FlowB_ugpm), 0.5 / 22.414 * 39.948 * 1e6, 1.0);
}

TEST(TargetSolverTest, ACarrierBelowMFCAsLowestFlowPulsesMFCA) {
    const TMoistrelState state = TestSupport::ValidatedState(); // O2 on MFC A, lowest flow 300 µg/min
    const Target::TTarget target{TTargetKind::tkPPM, 200000.0, "H2O"};
    const Target::TTargetSolution solved =
        Target::SolveTarget(state, InputFor(state, target, Conditions[0], 0.0002));
    ASSERT_TRUE(solved.Ok) << solved.Refusal;
    EXPECT_TRUE(solved.APulsed);
    EXPECT_NEAR(solved.Pulsed, 200.0F / 300.0F, 1e-6F);
}

struct TRefusalRow {
    const char* What;
    Target::TTarget Target;
    double Carrier;
    double BShare;
    bool DryLiquid;
    std::string Expected; // the start of the refusal
};

TEST(TargetSolverTest, EachRefusalSaysWhatToChange) {
    const std::vector<TRefusalRow> rows = {
        {"RH above saturation",
         {TTargetKind::tkRelativeHumidity, 100.5, {}},
         1.0,
         0.0,
         false,
         "A relative humidity above 100 % condenses: choose at most 100 %."},
        {"dew point above the temperature",
         {TTargetKind::tkDewPoint, 25.0, {}},
         1.0,
         0.0,
         false,
         "A dew point of 25 \u00BAC above the temperature of 23 \u00BAC condenses"},
        {"too dry for the pump",
         {TTargetKind::tkRelativeHumidity, 0.01, {}},
         1.0,
         0.0,
         false,
         "The target 0.01 % lies outside what the mixer reaches at this carrier flow ("},
        {"too wet for the pump",
         {TTargetKind::tkPPM, 900000.0, "H2O"},
         1.0,
         0.0,
         false,
         "The target 900000 ppm lies outside what the mixer reaches at this carrier flow ("},
        {"no water for RH",
         {TTargetKind::tkRelativeHumidity, 50.0, {}},
         1.0,
         0.0,
         true,
         "The pump's liquid \"Ethanol\" holds no water: a relative humidity or dew point needs a liquid with "
         "water."},
        {"no water for the dew point",
         {TTargetKind::tkDewPoint, -10.0, {}},
         1.0,
         0.0,
         true,
         "The pump's liquid \"Ethanol\" holds no water"},
        {"substance not in the liquid",
         {TTargetKind::tkPPM, 50.0, "CH4O"},
         1.0,
         0.0,
         false,
         "The pump's liquid \"Water pure\" holds no \"CH4O\": choose one of its substances"},
        {"no carrier",
         {TTargetKind::tkRelativeHumidity, 50.0, {}},
         0.0,
         0.0,
         false,
         "No carrier flow: enter the total flow of MFC A and MFC B."},
        {"carrier above MFC A",
         {TTargetKind::tkRelativeHumidity, 50.0, {}},
         1.5,
         0.0,
         false,
         "The carrier asks 1.500 000 g/min of MFC A, above its highest flow of 1.000 000 g/min"},
        {"carrier above MFC B",
         {TTargetKind::tkRelativeHumidity, 50.0, {}},
         2.5,
         100.0,
         false,
         "The carrier asks 2.500 000 g/min of MFC B, above its highest flow of 2.000 000 g/min"},
        {"MFC B below its lowest flow",
         {TTargetKind::tkRelativeHumidity, 50.0, {}},
         1.0,
         1.0,
         false,
         "The carrier asks 0.010 000 g/min of MFC B, not above its lowest flow of 0.020 000 g/min"},
        {"B share beyond 100 %",
         {TTargetKind::tkRelativeHumidity, 50.0, {}},
         1.0,
         120.0,
         false,
         "MFC B's share of the carrier must lie between 0 and 100 %."},
    };
    for (const TRefusalRow& row : rows) {
        SCOPED_TRACE(row.What);
        TMoistrelState state = CalibrationMixer();
        if (row.DryLiquid) {
            TestSupport::AssignLiquid(state, "Ethanol", {{GasMixtures::gC2H6O, 1.0}}, 0.7893);
        }
        const Target::TTargetSolution solved =
            Target::SolveTarget(state, InputFor(state, row.Target, Conditions[0], row.Carrier, row.BShare));
        EXPECT_FALSE(solved.Ok);
        EXPECT_EQ(solved.Refusal.rfind(row.Expected, 0), 0U) << solved.Refusal;
    }
}

TEST(TargetSolverTest, ATargetOutsideTheRangeNamesTheRange) {
    const TMoistrelState state = CalibrationMixer();
    const Target::TTarget target{TTargetKind::tkDewPoint, -70.0, {}};
    const Target::TTargetSolution solved = Target::SolveTarget(state, InputFor(state, target, Conditions[0]));
    ASSERT_FALSE(solved.Ok);
    EXPECT_LT(solved.ReachableLow, solved.ReachableHigh);
    EXPECT_GT(solved.ReachableLow, -70.0);
    EXPECT_DOUBLE_EQ(solved.ReachableHigh, 23.0); // the range ends where water condenses
    EXPECT_NE(solved.Refusal.find(Base::FormatMask("0.000", solved.ReachableLow) + " to 23.000 \u00BAC"),
              std::string::npos)
        << solved.Refusal;
}

TEST(TargetSolverTest, TheBoxLinesGiveTheAchievedFigureAndTheRangeInTheTargetsUnit) {
    Target::TTargetSolution solved;
    EXPECT_EQ(Target::AchievedText(solved, TTargetKind::tkRelativeHumidity), "Achieved: none");
    EXPECT_EQ(Target::ReachableText(solved, TTargetKind::tkRelativeHumidity), "Reachable: unknown");
    // A refused target whose range is known still shows the range.
    solved.RangeKnown = true;
    solved.ReachableLow = -41.25;
    solved.ReachableHigh = 23.0;
    EXPECT_EQ(Target::AchievedText(solved, TTargetKind::tkDewPoint), "Achieved: none");
    EXPECT_EQ(Target::ReachableText(solved, TTargetKind::tkDewPoint), "Reachable: -41.250 to 23.000 \u00BAC");
    solved.Ok = true;
    solved.Achieved = 49.8734;
    EXPECT_EQ(Target::AchievedText(solved, TTargetKind::tkRelativeHumidity), "Achieved: 49.873 %");
    EXPECT_EQ(Target::AchievedText(solved, TTargetKind::tkPPM), "Achieved: 49.873 ppm");
}

TEST(TargetSolverTest, TheDewPointInvertsTheReportsVapourPressureToAThousandthOfADegree) {
    for (double t = -60.0; t <= 60.0; t += 0.37) {
        SCOPED_TRACE(t);
        EXPECT_NEAR(Target::DewPointC(GasMixtures::CalculateVapourPressure(t)), t, 0.001);
    }
    EXPECT_TRUE(std::isnan(Target::DewPointC(0.0)));
    EXPECT_TRUE(std::isnan(Target::DewPointC(-1.0)));
    EXPECT_TRUE(std::isnan(Target::DewPointC(NAN)));
}

TEST(TargetSolverTest, SegmentNamesFollowTheTarget) {
    const TMoistrelState state = DiluteEthanolMixer();
    EXPECT_EQ(Target::TargetName({TTargetKind::tkRelativeHumidity, 50.0, {}}, state), "RH 50 %");
    EXPECT_EQ(Target::TargetName({TTargetKind::tkDewPoint, -10.0, {}}, state), "Td -10 \u00BAC");
    EXPECT_EQ(Target::TargetName({TTargetKind::tkPPM, 50.0, "ethanol"}, state), "Ethanol 50 ppm");
    EXPECT_EQ(Target::TargetName({TTargetKind::tkPPM, 2.5, "C2H6O"}, state), "Ethanol 2.5 ppm");
}

} // namespace
