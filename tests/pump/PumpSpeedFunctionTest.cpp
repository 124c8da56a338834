// Known answers of the pump speed function: the worked examples of the operator's pump report,
// the refusals, the field bound and the stroke time model.

#include "pump/PumpSpeedFunction.h"

#include "base/FormatSettings.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace UnitMoistrelPumpSpeedFunction;

// Water at 20 ºC as the gas catalogue holds it: a single-precision value, widened.
const double WaterDensity = static_cast<double>(0.997735f);

TPumpDetails MakeRecord(double volume_ul, double density, double desired_ugpm, std::int32_t steps = 192000,
                        std::int32_t maxSpeed = 48000) {
    TPumpDetails d;
    d.Init();
    d.SyringeVolume_ul = volume_ul;
    d.FluidDensity = density;
    d.TotalSteps = steps;
    d.MaxSpeed = maxSpeed;
    d.DesiredDispense_ugpm = desired_ugpm;
    return d;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

class PumpSpeedFunction : public ::testing::Test {
protected:
    // Every report here is written with a point; the comma locale has its own test.
    Base::TScopedFormatSettings fFormat{Base::TFormatSettings{".", ":"}};
};

struct TKnownAnswer {
    const char* Name;
    double Volume;
    double Desired;
    TPumpSpeedInfo Info;
    bool Result;
    std::int32_t Frequency;
    double Achieved;
    std::vector<std::string> Lines;
};

const std::vector<TKnownAnswer>& KnownAnswers() {
    static const std::vector<TKnownAnswer> cases = {
        {"water_50ul_1000",
         50.0,
         1000.0,
         TPumpSpeedInfo::psCalculated,
         true,
         64,
         995.675,
         {
             "          Desired dispense, µg/m: 1 000",
             "          Desired dispense, µg/h: 60 000",
             "            Syringe dispense, µg: 49886.751",
             "           Full dispenses needed: 1.203",
             "        Time spent retracting, s: 6.952",
             "     Time left for dispensing, s: 3593.048",
             "                Dispensing ratio: 0.998",
             "     Time available per dispense: 2987.425",
             "      Optimal dispense speed, Hz: 64",
             "                 Stroke error, s: 12.977",
             "     Required dispense speed, Hz: 64",
         }},
        {"water_50ul_300000_over_capacity",
         50.0,
         300000.0,
         TPumpSpeedInfo::psOverCapacity,
         false,
         0,
         0.0,
         {
             "          Desired dispense, µg/m: 300 000",
             "          Desired dispense, µg/h: 18000 000",
             "            Syringe dispense, µg: 49886.751",
             "           Full dispenses needed: 360.817",
             "        Time spent retracting, s: 2085.524",
             "     Time left for dispensing, s: 1514.476",
             "                Dispensing ratio: 0.421",
             "     Time available per dispense: 4.197",
             "      Optimal dispense speed, Hz: 48000",
             "                 Stroke error, s: 1.574",
             "     Required dispense speed, Hz: 66001",
         }},
        {"water_1000ul_1000",
         1000.0,
         1000.0,
         TPumpSpeedInfo::psCalculated,
         true,
         3,
         935.280,
         {
             "          Desired dispense, µg/m: 1 000",
             "          Desired dispense, µg/h: 60 000",
             "            Syringe dispense, µg: 997735.023",
             "           Full dispenses needed: .06",
             "        Time spent retracting, s: .348",
             "     Time left for dispensing, s: 3599.652",
             "                Dispensing ratio: 1.000",
             "     Time available per dispense: 59858.321",
             "      Optimal dispense speed, Hz: 3",
             "                 Stroke error, s: 4142.079",
             "     Required dispense speed, Hz: 3",
         }},
        {"water_50ul_100_slow",
         50.0,
         100.0,
         TPumpSpeedInfo::psCalculated,
         true,
         6,
         93.518,
         {
             "          Desired dispense, µg/m:  100",
             "          Desired dispense, µg/h: 6 000",
             "            Syringe dispense, µg: 49886.751",
             "           Full dispenses needed: .12",
             "        Time spent retracting, s: .695",
             "     Time left for dispensing, s: 3599.305",
             "                Dispensing ratio: 1.000",
             "     Time available per dispense: 29926.271",
             "      Optimal dispense speed, Hz: 6",
             "                 Stroke error, s: 2074.129",
             "     Required dispense speed, Hz: 6",
         }},
        // "Time available per dispense" keeps its zeros: a last digit 0, and a leading 0 below 1 s
        {"water_50ul_20000_time_ending_in_zero",
         50.0,
         20000.0,
         TPumpSpeedInfo::psCalculated,
         true,
         1339,
         20007.148,
         {
             "          Desired dispense, µg/m: 20 000",
             "          Desired dispense, µg/h: 1200 000",
             "            Syringe dispense, µg: 49886.751",
             "           Full dispenses needed: 24.054",
             "        Time spent retracting, s: 139.035",
             "     Time left for dispensing, s: 3460.965",
             "                Dispensing ratio: 0.961",
             "     Time available per dispense: 143.880",
             "      Optimal dispense speed, Hz: 1339",
             "                 Stroke error, s: -0.051",
             "     Required dispense speed, Hz: 1339",
         }},
        {"water_50ul_500000_under_a_second_per_dispense",
         50.0,
         500000.0,
         TPumpSpeedInfo::psOverCapacity,
         false,
         0,
         0.0,
         {
             "          Desired dispense, µg/m: 500 000",
             "          Desired dispense, µg/h: 30000 000",
             "            Syringe dispense, µg: 49886.751",
             "           Full dispenses needed: 601.362",
             "        Time spent retracting, s: 3475.873",
             "     Time left for dispensing, s: 124.127",
             "                Dispensing ratio: 0.034",
             "     Time available per dispense: 0.206",
             "      Optimal dispense speed, Hz: 48000",
             "                 Stroke error, s: 5.565",
             "     Required dispense speed, Hz: 1342127",
         }},
        {"water_50ul_nothing_to_dispense",
         50.0,
         0.0,
         TPumpSpeedInfo::psCalculated,
         true,
         0,
         0.0,
         {
             "          Desired dispense, µg/m:  ",
             "          Desired dispense, µg/h:  ",
             "            Syringe dispense, µg: 49886.751",
             "           Full dispenses needed: ",
             "        Time spent retracting, s: ",
             "     Time left for dispensing, s: 3600",
             "                Dispensing ratio: 1.000",
         }},
    };
    return cases;
}

TEST_F(PumpSpeedFunction, KnownAnswersOfTheOperatorsReport) {
    for (const auto& c : KnownAnswers()) {
        SCOPED_TRACE(c.Name);
        TPumpDetails d = MakeRecord(c.Volume, WaterDensity, c.Desired);
        EXPECT_EQ(CalculatePumpSpeed(d), c.Result);
        EXPECT_EQ(d.Info, c.Info);
        EXPECT_EQ(d.PumpFrequency, c.Frequency);
        EXPECT_NEAR(d.AchievedDispense_ugpm, c.Achieved, 0.0005);
        EXPECT_EQ(d.Feedback, Join(c.Lines));
    }
}

TEST_F(PumpSpeedFunction, TheSmallPumpModelGivesTheSameReport) {
    // The speed search assumes 192 000-step strokes whatever the model, so the 24 000-step pump
    // gets the same speed, rate and report.
    for (const auto& c : KnownAnswers()) {
        SCOPED_TRACE(c.Name);
        TPumpDetails d = MakeRecord(c.Volume, WaterDensity, c.Desired, /*steps=*/24000);
        EXPECT_EQ(CalculatePumpSpeed(d), c.Result);
        EXPECT_EQ(d.Info, c.Info);
        EXPECT_EQ(d.PumpFrequency, c.Frequency);
        EXPECT_NEAR(d.AchievedDispense_ugpm, c.Achieved, 0.0005);
        EXPECT_EQ(d.Feedback, Join(c.Lines));
    }
}

TEST_F(PumpSpeedFunction, FeedbackIsAppendedNotReplaced) {
    TPumpDetails d = MakeRecord(50.0, WaterDensity, 1000.0);
    d.Feedback = "earlier\r\n";
    ASSERT_TRUE(CalculatePumpSpeed(d));
    EXPECT_EQ(d.Feedback, "earlier\r\n" + Join(KnownAnswers()[0].Lines));
}

TEST_F(PumpSpeedFunction, FeedbackFollowsTheOperatorsDecimalSeparator) {
    Base::TScopedFormatSettings comma(Base::TFormatSettings{",", ":"});
    TPumpDetails d = MakeRecord(1000.0, WaterDensity, 1000.0);
    ASSERT_TRUE(CalculatePumpSpeed(d));
    EXPECT_NE(d.Feedback.find("           Full dispenses needed: ,06\r\n"), std::string::npos) << d.Feedback;
    EXPECT_NE(d.Feedback.find("                Dispensing ratio: 1,000\r\n"), std::string::npos);
}

TEST_F(PumpSpeedFunction, SyringeVolumeBounds) {
    struct TCase {
        double Volume;
        bool Accepted;
    };
    const TCase cases[] = {{12500.0, true}, {12500.001, false}, {49.999, false}, {50.0, true},
                           {0.0, false},    {1.0, false},       {-50.0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Volume);
        TPumpDetails d = MakeRecord(c.Volume, WaterDensity, 1000.0);
        const bool result = CalculatePumpSpeed(d);
        if (c.Accepted) {
            EXPECT_NE(d.Info, TPumpSpeedInfo::psUndefinedSyringe);
            EXPECT_FALSE(d.Feedback.empty());
        } else {
            EXPECT_FALSE(result);
            EXPECT_EQ(d.Info, TPumpSpeedInfo::psUndefinedSyringe);
            EXPECT_EQ(d.Feedback, "");
            EXPECT_EQ(d.PumpFrequency, 0);
        }
    }
}

TEST_F(PumpSpeedFunction, LargestSyringeBelowTheSlowestStrokeDeliversMore) {
    // 0.005 dispenses an hour: a stroke may take 748 295 s, the slowest (1 Hz) takes 192 000 s,
    // so the pump at its slowest delivers more than desired, in proportion.
    TPumpDetails d = MakeRecord(12500.0, WaterDensity, 1000.0);
    ASSERT_TRUE(CalculatePumpSpeed(d));
    EXPECT_EQ(d.Info, TPumpSpeedInfo::psCalculated);
    EXPECT_EQ(d.PumpFrequency, 1);
    EXPECT_NEAR(d.AchievedDispense_ugpm, 3897.364, 0.0005);
    EXPECT_NE(d.Feedback.find("                 Stroke error, s: -556295.088\r\n"), std::string::npos)
        << d.Feedback;
    EXPECT_NE(d.Feedback.find("     Required dispense speed, Hz: 0\r\n"), std::string::npos);
}

TEST_F(PumpSpeedFunction, NoFluidMassIsAFluidProblemAfterTwoLines) {
    for (double density : {0.0, -1.0}) {
        SCOPED_TRACE(density);
        TPumpDetails d = MakeRecord(50.0, density, 1000.0);
        EXPECT_FALSE(CalculatePumpSpeed(d));
        EXPECT_EQ(d.Info, TPumpSpeedInfo::psFluidProblem);
        EXPECT_EQ(d.Feedback, Join({"          Desired dispense, µg/m: 1 000",
                                    "          Desired dispense, µg/h: 60 000"}));
        EXPECT_EQ(d.PumpFrequency, 0);
    }
}

TEST_F(PumpSpeedFunction, StrokeOfNoStepsIsAFailureNotASuccess) {
    TPumpDetails d = MakeRecord(50.0, WaterDensity, 1000.0, /*steps=*/0);
    EXPECT_FALSE(CalculatePumpSpeed(d));
    EXPECT_EQ(d.Info, TPumpSpeedInfo::psUndefinedSyringe);
    EXPECT_EQ(d.PumpFrequency, 0);
    EXPECT_EQ(d.AchievedDispense_ugpm, 0.0);
    // The whole calculation is still shown.
    EXPECT_EQ(d.Feedback, Join(KnownAnswers()[0].Lines));
}

TEST_F(PumpSpeedFunction, RequiredSpeedAboveTheMaximumIsOverCapacity) {
    // 64 Hz needed: a pump limited to 63 Hz cannot, one of 64 Hz can.
    TPumpDetails slow = MakeRecord(50.0, WaterDensity, 1000.0, 192000, 63);
    EXPECT_FALSE(CalculatePumpSpeed(slow));
    EXPECT_EQ(slow.Info, TPumpSpeedInfo::psOverCapacity);
    EXPECT_EQ(slow.PumpFrequency, 0);

    TPumpDetails exact = MakeRecord(50.0, WaterDensity, 1000.0, 192000, 64);
    EXPECT_TRUE(CalculatePumpSpeed(exact));
    EXPECT_EQ(exact.PumpFrequency, 64);
}

TEST_F(PumpSpeedFunction, RatesThatLeaveNoTimeToDispenseAreOverCapacity) {
    // Above about 517 800 µg/min in 50 µL, refilling alone takes the whole hour; far above, the
    // numbers leave every integer range. None of this may come out as a speed.
    for (double desired : {517900.0, 1.0e6, 1.0e12, 1.0e300}) {
        SCOPED_TRACE(desired);
        TPumpDetails d = MakeRecord(50.0, WaterDensity, desired);
        EXPECT_FALSE(CalculatePumpSpeed(d));
        EXPECT_EQ(d.Info, TPumpSpeedInfo::psOverCapacity);
        EXPECT_EQ(d.PumpFrequency, 0);
        EXPECT_EQ(d.AchievedDispense_ugpm, 0.0);
    }
}

TEST_F(PumpSpeedFunction, NegativeRateGivesNoSpeed) {
    TPumpDetails d = MakeRecord(50.0, WaterDensity, -1000.0);
    EXPECT_FALSE(CalculatePumpSpeed(d));
    EXPECT_NE(d.Info, TPumpSpeedInfo::psCalculated);
    EXPECT_EQ(d.PumpFrequency, 0);
}

TEST_F(PumpSpeedFunction, InitResetsEveryField) {
    TPumpDetails d = MakeRecord(1000.0, WaterDensity, 1000.0);
    ASSERT_TRUE(CalculatePumpSpeed(d));
    d.RetractTime_s = 1.0;
    d.Init();
    EXPECT_EQ(d.SyringeVolume_ul, 5.0);
    EXPECT_EQ(d.FluidDensity, 0.0);
    EXPECT_EQ(d.TotalSteps, 192000);
    EXPECT_EQ(d.MaxSpeed, 0);
    EXPECT_EQ(d.RetractTime_s, 5.78);
    EXPECT_EQ(d.DesiredDispense_ugpm, 0.0);
    EXPECT_EQ(d.Info, TPumpSpeedInfo::psUndefined);
    EXPECT_EQ(d.PumpFrequency, 0);
    EXPECT_EQ(d.AchievedDispense_ugpm, 0.0);
    EXPECT_EQ(d.Feedback, "");
}

TEST(PumpSpeedInfo, OperatorVisibleNamesInOrder) {
    const char* names[] = {"psUndefined", "psCalculated", "psOverCapacity", "psUndefinedSyringe",
                           "psFluidProblem"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(PumpSpeedInfoName(static_cast<TPumpSpeedInfo>(i)), names[i]);
    }
}

TEST(PumpMaxDispense, KnownBoundsForWater) {
    struct TCase {
        double Volume;
        std::int64_t Bound;
    };
    for (const TCase c : {TCase{50.0, 323660}, TCase{1000.0, 6473194}, TCase{12500.0, 80914929}}) {
        TPumpDetails d;
        d.Init();
        d.SyringeVolume_ul = c.Volume;
        d.FluidDensity = WaterDensity;
        EXPECT_EQ(CalculateMaxDispense(d), c.Bound) << c.Volume;
    }
}

TEST(PumpMaxDispense, NoRetractTimeGivesNoBound) {
    TPumpDetails d;
    d.Init();
    d.SyringeVolume_ul = 50.0;
    d.FluidDensity = WaterDensity;
    d.RetractTime_s = 0.0;
    EXPECT_EQ(CalculateMaxDispense(d), 0);
}

TEST(PumpStrokeTime, KnownStrokesAndRefusals) {
    struct TCase {
        std::int32_t Speed;
        std::int32_t Steps;
        double Seconds;
    };
    const TCase cases[] = {
        {1, 192000, 192000.0 + 1.0 / 35000.0 + 0.4},
        {64, 192000, 3000.0 + 64.0 / 35000.0 + 0.4},
        {48000, 192000, 4.0 + 48000.0 / 35000.0 + 0.4},
        {48000, 24000, 0.5 + 48000.0 / 35000.0 + 0.4},
        {0, 192000, -1.0},
        {-5, 192000, -1.0},
        {64, 23999, -2.0},
        {0, 0, -1.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(CalculateStrokeTime(c.Speed, c.Steps), c.Seconds, 1e-9) << c.Speed << " Hz " << c.Steps;
    }
    EXPECT_NEAR(CalculateStrokeTime(64, 192000), 3000.402, 0.0005);
    EXPECT_NEAR(CalculateStrokeTime(48000, 192000), 5.771, 0.0005);
}

TEST(PumpOptimalSpeed, ClosestStrokeAndItsError) {
    double error = 0.0;
    EXPECT_EQ(FindOptimalSpeed(3000.402, error), 64);
    EXPECT_NEAR(error, 0.0, 0.001);

    // Shorter than the fastest stroke: the top speed, with the stroke still too long.
    EXPECT_EQ(FindOptimalSpeed(4.197, error), 48000);
    EXPECT_NEAR(error, 5.771428571 - 4.197, 1e-6);

    // Longer than the slowest stroke: 1 Hz, stroke too short.
    EXPECT_EQ(FindOptimalSpeed(250000.0, error), 1);
    EXPECT_LT(error, 0.0);
}

} // namespace
