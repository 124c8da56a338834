// The settings file's reader, over text (nothing touches the disk). The first line of the input is
// also taken as a value the program writes, as a string, a real and a whole number.

#include "FuzzCheck.h"
#include "base/Text.h"
#include "settings/ProfileFile.h"
#include "settings/StoredSettings.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using Settings::TProfileFile;

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Every section and key name that the written text holds, near enough: Find decides what they mean.
std::vector<std::pair<std::string, std::string>> NamesIn(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string_view line = Trimmed(std::string_view(text).substr(start, end - start));
        const std::size_t close = line.find(']');
        if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
            section = std::string(line.substr(1, close - 1));
        } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
            names.emplace_back(section, std::string(line.substr(0, equals)));
        }
        start = end + 1;
    }
    return names;
}

TProfileFile Reparsed(const TProfileFile& file) {
    TProfileFile again("fuzz.ini");
    again.Parse(file.Text());
    return again;
}

void CheckWrittenValues(TProfileFile file, std::string_view value) {
    // A string reads back as written once it is on one line and not longer than a value may be.
    const bool oneLine = value.find_first_of("\r\n") == std::string_view::npos;
    file.WriteString("Fuzz", "String", value);
    if (oneLine && Base::Utf8Length(value) <= Settings::MaxValueLength) {
        FUZZ_CHECK(file.Find("Fuzz", "String") == std::string(value));
        FUZZ_CHECK(Reparsed(file).Find("Fuzz", "String") == std::string(value));
    }
    const std::optional<std::string> written = file.Find("Fuzz", "String");
    FUZZ_CHECK(written && written->find_first_of("\r\n") == std::string::npos);

    // A number read is finite, and written and read again it is the same number (a real to the
    // 15 digits it is written with).
    if (const std::optional<double> real = Settings::ParseProfileFloat(value)) {
        FUZZ_CHECK(std::isfinite(*real));
        file.WriteFloat("Fuzz", "Real", *real);
        const double back = Reparsed(file).ReadFloat("Fuzz", "Real", NAN);
        const double size = std::fabs(*real);
        if (*real == 0.0) {
            FUZZ_CHECK(back == 0.0);
        } else if (size > 1e-300 && size < 1e300) {
            FUZZ_CHECK(std::fabs(back - *real) <= 1e-14 * size);
        }
    }
    if (const std::optional<std::int32_t> whole = Settings::ParseProfileInteger(value)) {
        file.WriteInteger("Fuzz", "Whole", *whole);
        FUZZ_CHECK(Reparsed(file).ReadInteger("Fuzz", "Whole", 0) == *whole);
        FUZZ_CHECK(Reparsed(file).ReadInteger("Fuzz", "Whole", 1) == *whole);
    }
}

bool Near(double a, double b) {
    return a == b || std::fabs(a - b) <= 1e-14 * std::fmax(std::fabs(a), std::fabs(b));
}

// The program's own settings: what is read from the file, saved and read again, reads the same, and
// nothing it saved is unreadable the next time.
void CheckStoredSettings(const TProfileFile& file) {
    const Settings::TStoredSettings first = Settings::ReadStoredSettings(file);
    TProfileFile saved = file;
    Settings::WriteStoredSettings(saved, first);
    std::vector<Settings::TUnreadableSetting> unreadable;
    const Settings::TStoredSettings second = Settings::ReadStoredSettings(Reparsed(saved), &unreadable);
    FUZZ_CHECK(unreadable.empty());
    FUZZ_CHECK(first.SyringeVolumeIndex == second.SyringeVolumeIndex &&
               first.SyringeSteps == second.SyringeSteps && first.SyringeMaxSpeed == second.SyringeMaxSpeed);
    FUZZ_CHECK(first.PumpPort == second.PumpPort && first.MFCAPort == second.MFCAPort &&
               first.MFCBPort == second.MFCBPort);
    FUZZ_CHECK(first.LoggingMode == second.LoggingMode && first.ChartPoints == second.ChartPoints &&
               first.AverageSampleSize == second.AverageSampleSize);
    FUZZ_CHECK(first.MFCADynamicRangeCull == second.MFCADynamicRangeCull &&
               first.MFCBDynamicRangeCull == second.MFCBDynamicRangeCull);
    FUZZ_CHECK(Near(first.CustomTemperatureC, second.CustomTemperatureC) &&
               Near(first.CustomPressuremBar, second.CustomPressuremBar));
    FUZZ_CHECK(first.MixtureName == second.MixtureName && Near(first.MixtureDensity, second.MixtureDensity) &&
               Near(first.MixtureMolarMass, second.MixtureMolarMass) && first.MaxPPM == second.MaxPPM);
    FUZZ_CHECK(first.MixItemIndex == second.MixItemIndex);
    for (std::size_t row = 0; row < first.MixMass_g.size(); ++row) {
        FUZZ_CHECK(Near(first.MixMass_g[row], second.MixMass_g[row]));
    }
    FUZZ_CHECK(first.ReadingLossLimitSeconds == second.ReadingLossLimitSeconds);
    FUZZ_CHECK(first.OldGasA == second.OldGasA && first.OldGasB == second.OldGasB);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TProfileFile file("fuzz.ini");
    file.Parse(text);
    const std::string written = file.Text();

    // Saved and read again, the file reads the same, and a second save writes the same text.
    const TProfileFile again = Reparsed(file);
    FUZZ_CHECK(again.Text() == written);
    for (const auto& [section, key] : NamesIn(written)) {
        FUZZ_CHECK(again.Find(section, key) == file.Find(section, key));
        const std::optional<std::string> value = file.Find(section, key);
        if (value) {
            (void)Settings::ParseProfileFloat(*value);
            (void)Settings::ParseProfileInteger(*value);
        }
    }

    CheckStoredSettings(file);
    CheckWrittenValues(std::move(file), text.substr(0, text.find('\n')));
    return 0;
}
