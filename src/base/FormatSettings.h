#pragma once
// Process-wide number and time separators. Filled once from the operator's locale at start-up;
// tests set them directly. Every text the program composes reads them from here.

#include <string>

namespace Base {

struct TFormatSettings {
    std::string DecimalSeparator = ".";
    std::string TimeSeparator = ":";
};

const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);

// The separators of the locale named by the environment (LC_NUMERIC, LC_TIME, LANG).
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
