// The run data file's lines and the end-of-run report, as texts: what a reading program and an
// operator get, whatever the operator's locale.

#include "run/RunDataFile.h"

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "run/RunRecorder.h"
#include "support/TempFolder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace UnitMain;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

Base::TDateTime At(int hour, int minute, int second, int millisecond = 0) {
    return Base::EncodeDateTime({2026, 12, 10, hour, minute, second, millisecond});
}

TRunDataRow Row() {
    TRunDataRow row;
    row.Time = At(14, 5, 33, 250);
    row.ElapsedSeconds = 12.0;
    row.MixerState = 2;
    row.Segment = 2;
    row.SegmentName = "wet";
    row.ASetPoint = 0.02;
    row.AObserved = 0.0199876;
    row.AMovingAverage = 0.02001;
    row.ATotalizer = 1.5;
    row.BSetPoint = 0.05;
    row.BObserved = 0.05;
    row.PumpCommand = "/1TgV48000IA192000V64OA0G0R";
    row.LiquidPPM = 44123.456;
    row.RelativeHumidity = 283.126;
    return row;
}

struct TLineCase {
    const char* Name;
    TRunDataRow Row;
    std::string Line;
};

TRunDataRow With(const std::function<void(TRunDataRow&)>& change) {
    TRunDataRow row = Row();
    change(row);
    return row;
}

class RunDataLine : public testing::TestWithParam<TLineCase> {};

TEST_P(RunDataLine, IsCommaSeparatedWithPointDecimalsWhateverTheLocale) {
    Base::TFormatSettings comma;
    comma.DecimalSeparator = ",";
    comma.TimeSeparator = ".";
    for (const Base::TFormatSettings& settings : {Base::TFormatSettings{}, comma}) {
        Base::TScopedFormatSettings scoped(settings);
        EXPECT_EQ(UnitMain::RunDataLine(GetParam().Row), GetParam().Line);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunDataLine,
    testing::Values(
        TLineCase{
            "Whole", Row(),
            "2026-12-10T14:05:33.250,12.000,2,2,wet,0.020000,0.019988,0.020010,1.500000,0.050000,0.050000,"
            "/1TgV48000IA192000V64OA0G0R,44123.5,283.13,"},
        // A segment of a target names it in the last column, quoted where it needs to be.
        TLineCase{"Target", With([](TRunDataRow& r) { r.Target = "RH 50 %"; }),
                  "2026-12-10T14:05:33.250,12.000,2,2,wet,0.020000,0.019988,0.020010,1.500000,0.050000,"
                  "0.050000,/1TgV48000IA192000V64OA0G0R,44123.5,283.13,RH 50 %"},
        TLineCase{"TargetWithASeparator", With([](TRunDataRow& r) { r.Target = "Ethanol, pure 50 ppm"; }),
                  "2026-12-10T14:05:33.250,12.000,2,2,wet,0.020000,0.019988,0.020010,1.500000,0.050000,"
                  "0.050000,/1TgV48000IA192000V64OA0G0R,44123.5,283.13,\"Ethanol, pure 50 ppm\""},
        // A failed reading is an empty field, not -1; so are figures without a value.
        TLineCase{"FailedReadings", With([](TRunDataRow& r) {
                      r.AObserved = -1.0;
                      r.BObserved = -1.0;
                      r.ATotalizer = NaN;
                      r.LiquidPPM = NaN;
                      r.RelativeHumidity = NaN;
                  }),
                  "2026-12-10T14:05:33.250,12.000,2,2,wet,0.020000,,0.020010,,0.050000,,"
                  "/1TgV48000IA192000V64OA0G0R,,,"},
        TLineCase{
            "QuotedName", With([](TRunDataRow& r) { r.SegmentName = "dry, \"cold\""; }),
            "2026-12-10T14:05:33.250,12.000,2,2,\"dry, \"\"cold\"\"\",0.020000,0.019988,0.020010,1.500000,"
            "0.050000,0.050000,/1TgV48000IA192000V64OA0G0R,44123.5,283.13,"}),
    [](const testing::TestParamInfo<TLineCase>& param) { return std::string(param.param.Name); });

TEST(RunDataFile, NamesFollowTheRecipesTimeStamp) {
    EXPECT_EQ(RunDataFileName(At(14, 5, 33)), "Run 2026-12-10 14.05.33.csv");
    EXPECT_EQ(RunReportFileName(At(14, 5, 33)), "Run 2026-12-10 14.05.33 report.txt");
    EXPECT_EQ(RunDataHeader(), "Time,Elapsed s,Mixer state,Segment,Segment name,A set-point g/min,"
                               "A observed g/min,A moving average g/min,A totalizer g,B set-point g/min,"
                               "B observed g/min,Pump command,Liquid ppm,RH %,Target");
}

TEST(RunDataFile, AFileThatCannotBeMadeSaysWhy) {
    TestSupport::TTempFolder folder;
    TRunDataFile file;
    std::string error;
    EXPECT_FALSE(file.Open(folder.File("missing/Run.csv"), error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(file.WriteLine("x", error));
}

TSegmentRecord Record(int number, double plannedHours, double actualSeconds) {
    TSegmentRecord s;
    s.Number = number;
    s.Name = "segment " + std::to_string(number);
    s.PlannedHours = plannedHours;
    s.Start = At(10, 0, 0);
    s.End = s.Start + actualSeconds / Base::SecondsPerDay;
    s.ASetPoint = 0.5;
    s.BSetPoint = 1.0;
    s.TotalizerFirst = 10.0;
    s.TotalizerLast = 10.0 + 0.5 * actualSeconds / 60.0;
    s.BSum = 1.0 * actualSeconds;
    s.BCount = static_cast<long>(actualSeconds);
    return s;
}

TEST(RunReport, OneLinePerSegmentWithDeliveredShares) {
    TSegmentRecord short_of_b = Record(2, 0.5, 1800.0);
    short_of_b.BSum = 0.8 * 1800.0; // MFC B silent a fifth of the time: its readings count as no flow
    TSegmentRecord no_a = Record(3, 1.0, 600.0);
    no_a.ASetPoint = 0.0;
    no_a.TotalizerFirst = NaN;
    const std::vector<std::string> report = RunReport(At(9, 0, 0), {Record(1, 1.0, 3600.0), short_of_b, no_a},
                                                      TRunEnd::reStoppedByOperator, true);
    ASSERT_EQ(report.size(), 4U);
    EXPECT_EQ(report[0],
              "Run report of the run started 2026-12-10 09:00:00: stopped by the operator, flows stopped");
    EXPECT_EQ(report[1],
              "  Segment 1 \"segment 1\": planned 1:00:00, actual 1:00:00; A delivered 30.000 000 g of "
              "30.000 000 g asked (100.0 %); B mean 1.000 000 of 1.000 000 g/min (100.0 %)");
    EXPECT_EQ(report[2],
              "  Segment 2 \"segment 2\": planned 0:30:00, actual 0:30:00; A delivered 15.000 000 g of "
              "15.000 000 g asked (100.0 %); B mean 0.800 000 of 1.000 000 g/min (80.0 %)");
    // Stopped early: the actual duration, not the planned one.
    EXPECT_EQ(report[3],
              "  Segment 3 \"segment 3\": planned 1:00:00, actual 0:10:00; A none; B mean 1.000 000 of "
              "1.000 000 g/min (100.0 %)");
}

TEST(RunReport, SaysWhenTheFlowsCouldNotBeStopped) {
    const std::vector<std::string> report = RunReport(At(9, 0, 0), {}, TRunEnd::reCompleted, false);
    ASSERT_EQ(report.size(), 1U);
    EXPECT_EQ(report[0],
              "Run report of the run started 2026-12-10 09:00:00: ran to its end, flows NOT confirmed "
              "stopped (Could not stop flow!)");
}

} // namespace
