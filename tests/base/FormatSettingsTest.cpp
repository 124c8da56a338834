// The separators as start-up reads them from the operator's locale, under real locales: the C
// locale and a comma locale (scripts/bootstrap generates de_DE.UTF-8).

#include "base/FormatSettings.h"

#include "base/NumberFormat.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <langinfo.h>
#include <optional>
#include <string>

namespace {

// Sets an environment variable for one test and puts the old value back.
class TScopedEnvironment {
public:
    TScopedEnvironment(const char* name, const char* value) : fName(name) {
        if (const char* saved = std::getenv(name)) {
            fSaved = saved;
        }
        ::setenv(name, value, 1);
    }
    ~TScopedEnvironment() {
        if (fSaved) {
            ::setenv(fName, fSaved->c_str(), 1);
        } else {
            ::unsetenv(fName);
        }
    }
    TScopedEnvironment(const TScopedEnvironment&) = delete;
    TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

private:
    const char* fName;
    std::optional<std::string> fSaved;
};

struct TLocaleCase {
    const char* Locale;
    const char* ThousandsSeparator; // of the locale itself: must differ from the decimal separator
    const char* DateFormat;         // likewise for the time separator
    const char* DecimalSeparator;
    const char* TimeSeparator;
    const char* Masked; // 1000.25 under "### ###.###" with the settings read
};

class FormatSettingsFromLocaleTest : public ::testing::TestWithParam<TLocaleCase> {};

TEST_P(FormatSettingsFromLocaleTest, ReadsTheSeparatorsAsStartUpDoes) {
    const TLocaleCase& c = GetParam();
    locale_t locale = newlocale(LC_ALL_MASK, c.Locale, static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) {
        GTEST_SKIP() << "the locale " << c.Locale << " is not installed here; scripts/bootstrap generates it";
    }
    // The locale must tell each pair apart, or a mix-up (the thousands separator read as the decimal
    // one, the date separator as the time one) would pass unseen.
    const std::string thousands = nl_langinfo_l(THOUSEP, locale);
    const std::string dateFormat = nl_langinfo_l(D_FMT, locale);
    freelocale(locale);
    ASSERT_EQ(thousands, c.ThousandsSeparator);
    ASSERT_EQ(dateFormat, c.DateFormat);

    // Start-up reads the locale named by the environment; LC_ALL outranks LC_NUMERIC, LC_TIME and LANG.
    const TScopedEnvironment environment("LC_ALL", c.Locale);
    const Base::TScopedFormatSettings settings(Base::FormatSettingsFromLocale());
    EXPECT_EQ(Base::FormatSettings().DecimalSeparator, c.DecimalSeparator);
    EXPECT_EQ(Base::FormatSettings().TimeSeparator, c.TimeSeparator);
    EXPECT_EQ(Base::FormatMask("### ###.###", 1000.25), c.Masked);
}

// Named after the locale, so that ctest lists "Locales/...ReadsTheSeparatorsAsStartUpDoes/de_DE_UTF_8".
std::string LocaleCaseName(const ::testing::TestParamInfo<TLocaleCase>& info) {
    std::string name = info.param.Locale;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0; },
        '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Locales, FormatSettingsFromLocaleTest,
                         ::testing::Values(TLocaleCase{"C", "", "%m/%d/%y", ".", ":", "1 000.25"},
                                           TLocaleCase{"de_DE.UTF-8", ".", "%d.%m.%Y", ",", ":", "1 000,25"}),
                         LocaleCaseName);

} // namespace
