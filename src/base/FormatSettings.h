#pragma once
// Process-wide number and time separators. Filled once from the operator's locale at start-up;
// tests set them directly. Every text the program composes reads them from here.

#include <string>

namespace Base {

struct TFormatSettings {
    std::string DecimalSeparator = ".";
    std::string TimeSeparator = ":";
    // The character set of the operator's locale ("UTF-8", "ISO-8859-1", ...): the files the
    // operator reads outside the program are written in it.
    std::string Codeset = "UTF-8";
};

const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);

// The separators and character set of the locale named by the environment (LC_NUMERIC, LC_TIME,
// LC_CTYPE, LANG).
TFormatSettings FormatSettingsFromLocale();

// Restores the previous settings when it goes out of scope; for tests that switch locale.
class TScopedFormatSettings {
public:
    explicit TScopedFormatSettings(const TFormatSettings& settings);
    ~TScopedFormatSettings();
    TScopedFormatSettings(const TScopedFormatSettings&) = delete;
    TScopedFormatSettings& operator=(const TScopedFormatSettings&) = delete;

private:
    TFormatSettings fSaved;
};

} // namespace Base
