#include "base/FormatSettings.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <mutex>

namespace Base {

namespace {

// Written once at start-up (and by tests between cases); read everywhere.
TFormatSettings& Current() {
    static TFormatSettings settings;
    return settings;
}

} // namespace

const TFormatSettings& FormatSettings() {
    return Current();
}

void SetFormatSettings(const TFormatSettings& settings) {
    Current() = settings;
}

TFormatSettings FormatSettingsFromLocale() {
    TFormatSettings result;
    locale_t locale =
        newlocale(LC_NUMERIC_MASK | LC_TIME_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) {
        return result;
    }
    const char* decimal = nl_langinfo_l(RADIXCHAR, locale);
    if (decimal != nullptr && std::strlen(decimal) > 0) {
        result.DecimalSeparator = decimal;
    }
    // The time separator is the first non-digit character of the locale's time format ("%H:%M:%S").
    // "%T", "%R" and "%r" (de_DE and en_US use them) stand for "%H:%M:%S", "%H:%M", "%I:%M:%S %p".
    const char* timeFormat = nl_langinfo_l(T_FMT, locale);
    if (timeFormat != nullptr) {
        for (const char* p = timeFormat; *p != '\0'; ++p) {
            if (*p == '%') {
                if (p[1] == 'T' || p[1] == 'R' || p[1] == 'r') {
                    result.TimeSeparator = ":";
                    break;
                }
                if (p[1] != '\0') {
                    ++p;
                }
                continue;
            }
            result.TimeSeparator = std::string(1, *p);
            break;
        }
    }
    const char* codeset = nl_langinfo_l(CODESET, locale);
    if (codeset != nullptr && std::strlen(codeset) > 0) {
        result.Codeset = codeset;
    }
    freelocale(locale);
    return result;
}

TScopedFormatSettings::TScopedFormatSettings(const TFormatSettings& settings) : fSaved(FormatSettings()) {
    SetFormatSettings(settings);
}

TScopedFormatSettings::~TScopedFormatSettings() {
    SetFormatSettings(fSaved);
}

} // namespace Base
