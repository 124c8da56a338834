#include "base/DateTime.h"

#include "base/Clock.h"
#include "base/FormatSettings.h"

#include <gtest/gtest.h>

namespace {

Base::TDateTime Sample() {
    return Base::EncodeDateTime({2026, 12, 20, 14, 5, 33, 7});
}

TEST(DateTime, CountsDaysFrom1899December30) {
    EXPECT_DOUBLE_EQ(Base::EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(Base::EncodeDateTime({1900, 1, 1, 0, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(Base::EncodeDateTime({2000, 1, 1, 12, 0, 0, 0}), 36526.5);
}

TEST(DateTime, DecodeReversesEncode) {
    const Base::TDateTimeParts parts = Base::DecodeDateTime(Sample());
    EXPECT_EQ(parts.Year, 2026);
    EXPECT_EQ(parts.Month, 12);
    EXPECT_EQ(parts.Day, 20);
    EXPECT_EQ(parts.Hour, 14);
    EXPECT_EQ(parts.Minute, 5);
    EXPECT_EQ(parts.Second, 33);
    EXPECT_EQ(parts.Millisecond, 7);
}

struct TPatternCase {
    const char* Pattern;
    const char* Expected;
};

class FormatDateTimeTest : public ::testing::TestWithParam<TPatternCase> {};

TEST_P(FormatDateTimeTest, PrintsPattern) {
    Base::TScopedFormatSettings dot(Base::TFormatSettings{".", ":"});
    EXPECT_EQ(Base::FormatDateTime(GetParam().Pattern, Sample()), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Conventions, FormatDateTimeTest,
                         ::testing::Values(TPatternCase{"yyyy-mm-dd hh:mm:ss", "2026-12-20 14:05:33"},
                                           TPatternCase{"yyyy-mm-dd hh.mm.ss", "2026-12-20 14.05.33"},
                                           TPatternCase{"yyyy-mm-dd hh_mm_ss", "2026-12-20 14_05_33"},
                                           TPatternCase{"hh:mm:ss:zzz", "14:05:33:007"},
                                           TPatternCase{"hh:nn:ss.zzz", "14:05:33.007"},
                                           TPatternCase{"dd-hh-mm-ss", "20-14-05-33"}));

TEST(FormatDateTime, ColonPrintsTheLocaleTimeSeparator) {
    Base::TScopedFormatSettings settings(Base::TFormatSettings{",", "."});
    EXPECT_EQ(Base::FormatDateTime("yyyy-mm-dd hh:mm:ss", Sample()), "2026-12-20 14.05.33");
    EXPECT_EQ(Base::FormatDateTime("yyyy-mm-dd hh_mm_ss", Sample()), "2026-12-20 14_05_33");
}

TEST(Clock, ManualClockMovesOnlyWhenTold) {
    Base::TManualClock clock(Sample());
    EXPECT_DOUBLE_EQ(clock.Now(), Sample());
    clock.AdvanceSeconds(3600);
    EXPECT_EQ(Base::FormatDateTime("hh:mm:ss", clock.Now()), "15:05:33");
}

TEST(Clock, SystemClockIsAfter2020) {
    Base::TSystemClock clock;
    EXPECT_GT(clock.Now(), Base::EncodeDateTime({2020, 1, 1, 0, 0, 0, 0}));
}

} // namespace
