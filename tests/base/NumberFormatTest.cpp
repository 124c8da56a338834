#include "base/NumberFormat.h"

#include "base/FormatSettings.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct TMaskCase {
    const char* Mask;
    double Value;
    const char* Expected;
};

class FormatMaskTest : public ::testing::TestWithParam<TMaskCase> {
protected:
    Base::TScopedFormatSettings fDot{Base::TFormatSettings{".", ":"}};
};

TEST_P(FormatMaskTest, PrintsThePicture) {
    const TMaskCase& c = GetParam();
    EXPECT_EQ(Base::FormatMask(c.Mask, c.Value), c.Expected) << "mask \"" << c.Mask << "\" value " << c.Value;
}

INSTANTIATE_TEST_SUITE_P(
    Conventions, FormatMaskTest,
    ::testing::Values(
        // the two examples of the number-mask rules
        TMaskCase{"0.000 000", 0.0358, "0.035 800"}, TMaskCase{"#.###", 0.5, ".5"},
        // "#" alone prints nothing for 0; "0" always a digit
        TMaskCase{"#", 0.0, ""}, TMaskCase{"##", 0.4, ""}, TMaskCase{"##", 0.5, "1"},
        TMaskCase{"##", 12.0, "12"}, TMaskCase{"0", 0.0, "0"}, TMaskCase{"0", 64.0, "64"},
        // grouping blanks are literals, copied at their place
        TMaskCase{"### ###.###", 0.0, " "}, TMaskCase{"### ###.###", 1000.0, "1 000"},
        TMaskCase{"### ###.###", 60000.0, "60 000"}, TMaskCase{"# ### ###", 0.0, "  "},
        TMaskCase{"# ### ###", 1000000.0, "1 000 000"}, TMaskCase{"# ### ###", 5.0, "  5"},
        TMaskCase{"# ### ###", 999999.6, "1 000 000"},
        // surplus integer digits all print at the first placeholder
        TMaskCase{"### ###.###", 18000000.0, "18000 000"}, TMaskCase{"0.000 000", 12.5, "12.500 000"},
        TMaskCase{"00", 123.0, "123"}, TMaskCase{"00", 2.0, "02"},
        // beyond 15 integer digits every digit the double holds prints, not just the first 15
        TMaskCase{"0", 9007199254740992.0, "9007199254740992"},
        TMaskCase{"# ### ###", 123456789012345678.0, "123456789012 345 680"},
        TMaskCase{"0.00", -1234567890123456.75, "-1234567890123456.75"},
        TMaskCase{"0", 1e15, "1000000000000000"}, TMaskCase{"0", 999999999999999.4, "999999999999999"},
        // fractions: "#" drops trailing zeros, no separator without a fraction digit
        TMaskCase{"#.###", 0.0601, ".06"}, TMaskCase{"#.###", 0.3478, ".348"},
        TMaskCase{"#.###", 1.2031, "1.203"}, TMaskCase{"#.###", 0.0, ""}, TMaskCase{"0.000", 0.998, "0.998"},
        TMaskCase{"0.0", 0.04, "0.0"}, TMaskCase{"0.00", 100.0, "100.00"},
        // halves away from zero
        TMaskCase{"0", 2.5, "3"}, TMaskCase{"0", 3.5, "4"}, TMaskCase{"0", -2.5, "-3"},
        TMaskCase{"0.00", 0.125, "0.13"}, TMaskCase{"0.0", 995.65, "995.7"},
        // leading minus; no minus for a value that prints as zero
        TMaskCase{"0.000 000", -0.5, "-0.500 000"}, TMaskCase{"0.0", -0.01, "0.0"},
        // literal text around the placeholders, its blanks kept
        TMaskCase{" = 0.### ### ### g/min", 0.017898, " = 0.017 898  g/min"},
        TMaskCase{" = 0.### ### ### g/min", 0.0, " = 0   g/min"},
        TMaskCase{"  0.000 000", 0.5, "  0.500 000"},
        TMaskCase{"0.000 000 000", 1.0 / 3.0, "0.333 333 333"}));

TEST(FormatMask, NonFiniteValuesPrintAQuestionMark) {
    EXPECT_EQ(Base::FormatMask("0.000", std::numeric_limits<double>::quiet_NaN()), "?");
    EXPECT_EQ(Base::FormatMask("# ### ###", std::numeric_limits<double>::infinity()), "?");
}

TEST(FormatMask, UsesTheLocaleDecimalSeparator) {
    Base::TScopedFormatSettings comma(Base::TFormatSettings{",", ":"});
    EXPECT_EQ(Base::FormatMask("0.000 000", 0.0358), "0,035 800");
    EXPECT_EQ(Base::FormatMask("### ###.###", 1000.25), "1 000,25");
    EXPECT_EQ(Base::FormatMask("#.###", 0.0), "");
}

struct TGeneralCase {
    double Value;
    const char* Expected;
};

class FormatGeneralTest : public ::testing::TestWithParam<TGeneralCase> {
protected:
    Base::TScopedFormatSettings fDot{Base::TFormatSettings{".", ":"}};
};

TEST_P(FormatGeneralTest, ShortestFifteenDigitText) {
    EXPECT_EQ(Base::FormatGeneral(GetParam().Value), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Conventions, FormatGeneralTest,
                         ::testing::Values(TGeneralCase{0.0, "0"}, TGeneralCase{1000.0, "1000"},
                                           TGeneralCase{20.0, "20"}, TGeneralCase{-12.5, "-12.5"},
                                           TGeneralCase{1013.25, "1013.25"}, TGeneralCase{1e-6, "1E-6"},
                                           TGeneralCase{1.5e20, "1.5E20"}, TGeneralCase{1e-5, "0.00001"},
                                           TGeneralCase{0.000012, "0.000012"},
                                           TGeneralCase{999999999999999.0, "999999999999999"},
                                           TGeneralCase{1e15, "1E15"}, TGeneralCase{0.1 + 0.2, "0.3"},
                                           TGeneralCase{1.0 / 3.0, "0.333333333333333"},
                                           TGeneralCase{-2.5e-7, "-2.5E-7"}));

TEST(FormatGeneral, SinglePrecisionValuesShowTheirWidenedDigits) {
    Base::TScopedFormatSettings dot(Base::TFormatSettings{".", ":"});
    // 0.997735 is not exact in single precision; widened, its fifteen digits show.
    EXPECT_EQ(Base::FormatGeneral(static_cast<double>(0.997735F)), "0.997735023498535");
    EXPECT_EQ(Base::FormatGeneral(static_cast<double>(2.0F)), "2");
}

TEST(FormatGeneral, CommaLocaleAndNonFinite) {
    Base::TScopedFormatSettings comma(Base::TFormatSettings{",", "."});
    EXPECT_EQ(Base::FormatGeneral(1013.25), "1013,25");
    EXPECT_EQ(Base::FormatGeneral(1.5e20), "1,5E20");
    EXPECT_EQ(Base::FormatGeneral(std::numeric_limits<double>::quiet_NaN()), "?");
}

// Under the mask while the integer digits mean something, in the general format beyond.
TEST(FormatMaskOrGeneral, NeverPrintsMoreDigitsThanTheNumberHolds) {
    Base::TScopedFormatSettings dot(Base::TFormatSettings{".", ":"});
    const struct {
        double Value;
        const char* Text;
    } cases[] = {
        {0.25, "0.25"},
        {10000.0, "10000.00"},
        {-5000.0, "-5000.00"},
        {999999999999999.0, "999999999999999.00"},
        {1e15, "1E15"},
        {1e99, "1E99"},
        {-1e99, "-1E99"},
        {std::numeric_limits<double>::infinity(), "?"},
        {std::numeric_limits<double>::quiet_NaN(), "?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base::FormatMaskOrGeneral("0.00", c.Value), c.Text) << c.Value;
    }
}

} // namespace
