#include "settings/StoredSettings.h"

#include "base/NumberFormat.h"
#include "model/GasItems.h"

#include <cctype>

namespace Settings {

namespace {

constexpr const char* SectionSyringe = "Syringe";
constexpr const char* SectionPorts = "COM ports";
constexpr const char* SectionLogging = "Logging";
constexpr const char* SectionGraph = "Graph";
constexpr const char* SectionCustom = "Custom flow conditions";
constexpr const char* SectionFluid = "Fluid";
constexpr const char* SectionRun = "Run";
constexpr const char* SectionHistory = "History";
constexpr const char* KeyReadingLossLimit = "ReadingLossLimitSeconds";
constexpr const char* KeyLoggingType = "Type[Off|File|Live]";
constexpr const char* KeyCull = "DynamicRangeCull";
// What a row without a substance is written as: no gas identifier, so it reads back as none.
constexpr const char* NoSubstanceText = "None";

std::string MixKey(int row, const char* what) {
    return "Mix" + std::to_string(row + 1) + what;
}

// A gas identifier without regard to letter case, as its list position; NoSubstance otherwise.
int ItemIndexFromIdentifier(const std::string& text) {
    for (int ordinal = 0; ordinal < GasMixtures::GasItemsCount; ++ordinal) {
        const std::string identifier =
            GasMixtures::GasItemsToText(static_cast<GasMixtures::TGasItems>(ordinal));
        if (identifier.size() != text.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t i = 0; i < text.size() && same; ++i) {
            same = std::tolower(static_cast<unsigned char>(text[i])) ==
                   std::tolower(static_cast<unsigned char>(identifier[i]));
        }
        if (same) {
            return ordinal;
        }
    }
    return NoSubstance;
}

std::string IdentifierOfItemIndex(int itemIndex) {
    if (itemIndex < 0 || itemIndex >= GasMixtures::GasItemsCount) {
        return NoSubstanceText;
    }
    return GasMixtures::GasItemsToText(static_cast<GasMixtures::TGasItems>(itemIndex));
}

// Reads the number keys, noting each one that is there but cannot be used.
class TNumberReader {
public:
    TNumberReader(const TProfileFile& file, std::vector<TUnreadableSetting>* unreadable)
        : fFile(file), fUnreadable(unreadable) {}

    std::int32_t Integer(const char* section, const std::string& key, std::int32_t defaultValue) const {
        const auto text = fFile.Find(section, key);
        if (!text) {
            return defaultValue;
        }
        if (const auto value = ParseProfileInteger(*text)) {
            return *value;
        }
        Note(section, key, *text, "is not a whole number", std::to_string(defaultValue));
        return defaultValue;
    }

    double Real(const char* section, const std::string& key, double defaultValue, TSettingRange range) const {
        const auto text = fFile.Find(section, key);
        if (!text) {
            return defaultValue;
        }
        const auto value = ParseProfileFloat(*text);
        if (!value) {
            Note(section, key, *text, "is not a number", Base::FormatGeneral(defaultValue));
            return defaultValue;
        }
        if (*value < range.Min || *value > range.Max) {
            Note(section, key, *text,
                 "lies outside " + Base::FormatGeneral(range.Min) + " to " + Base::FormatGeneral(range.Max),
                 Base::FormatGeneral(defaultValue));
            return defaultValue;
        }
        return *value;
    }

private:
    void Note(const char* section, const std::string& key, const std::string& text, const std::string& reason,
              const std::string& defaultText) const {
        if (fUnreadable == nullptr) {
            return;
        }
        const std::size_t name = key.find_first_not_of(' ');
        fUnreadable->push_back(
            {section, name == std::string::npos ? key : key.substr(name), text, reason, defaultText});
    }

    const TProfileFile& fFile;
    std::vector<TUnreadableSetting>* fUnreadable;
};

} // namespace

int LoggingModeFromText(const std::string& text) {
    if (text == "Off") {
        return LoggingModeOff;
    }
    if (text == "Live") {
        return LoggingModeLive;
    }
    return LoggingModeFile;
}

std::string LoggingModeText(int mode) {
    switch (mode) {
    case LoggingModeOff:
        return "Off";
    case LoggingModeLive:
        return "Live";
    default:
        return "File";
    }
}

TStoredSettings ReadStoredSettings(const TProfileFile& file, std::vector<TUnreadableSetting>* unreadable) {
    const TStoredSettings defaults;
    const TNumberReader number(file, unreadable);
    TStoredSettings s;
    s.MaxPPM = number.Integer(SectionFluid, "Max PPM", defaults.MaxPPM);
    s.SyringeVolumeIndex = number.Integer(SectionSyringe, " Volume Index", defaults.SyringeVolumeIndex);
    s.SyringeSteps = number.Integer(SectionSyringe, "Steps", defaults.SyringeSteps);
    s.SyringeMaxSpeed = number.Integer(SectionSyringe, "MaxSpeed", defaults.SyringeMaxSpeed);
    s.PumpPort = file.ReadString(SectionPorts, "Pump", "");
    s.MFCAPort = file.ReadString(SectionPorts, "MFCA", "");
    s.MFCBPort = file.ReadString(SectionPorts, "MFCB", "");
    s.LoggingMode = LoggingModeFromText(file.ReadString(SectionLogging, KeyLoggingType, "Off"));
    s.ChartPoints = number.Integer(SectionGraph, "Points", defaults.ChartPoints);
    s.AverageSampleSize = number.Integer(SectionGraph, "Average sample size", defaults.AverageSampleSize);
    s.MFCADynamicRangeCull = number.Integer("MFCA", KeyCull, defaults.MFCADynamicRangeCull);
    s.MFCBDynamicRangeCull = number.Integer("MFCB", KeyCull, defaults.MFCBDynamicRangeCull);
    s.CustomTemperatureC =
        number.Real(SectionCustom, "TemperatureC", defaults.CustomTemperatureC, CustomTemperatureRange);
    s.CustomPressuremBar =
        number.Real(SectionCustom, "PressuremBar", defaults.CustomPressuremBar, CustomPressureRange);
    for (int row = 0; row < MixRowCount; ++row) {
        const auto r = static_cast<std::size_t>(row);
        s.MixItemIndex[r] = ItemIndexFromIdentifier(file.ReadString(
            SectionFluid, MixKey(row, "ID"), IdentifierOfItemIndex(defaults.MixItemIndex[r])));
        s.MixMass_g[r] = number.Real(SectionFluid, MixKey(row, "Mass"), defaults.MixMass_g[r], MixMassRange);
    }
    s.MixtureName = file.ReadString(SectionFluid, "Mixture name", defaults.MixtureName);
    s.MixtureDensity =
        number.Real(SectionFluid, "Mixture custom density", defaults.MixtureDensity, MixtureDensityRange);
    s.MixtureMolarMass =
        number.Real(SectionFluid, "Mixture molar mass", defaults.MixtureMolarMass, MixtureMolarMassRange);
    s.ReadingLossLimitSeconds =
        number.Integer(SectionRun, KeyReadingLossLimit, defaults.ReadingLossLimitSeconds);
    s.OldGasA = file.ReadString(SectionHistory, "OldGasA", defaults.OldGasA);
    s.OldGasB = file.ReadString(SectionHistory, "OldGasB", defaults.OldGasB);
    return s;
}

namespace {

// `[Fluid] Mixture custom density="abc" is not a number; the default 1 is used.`
std::string Described(const TUnreadableSetting& setting) {
    return "[" + setting.Section + "] " + setting.Key + "=\"" + setting.Text + "\" " + setting.Reason +
           "; the default " + setting.DefaultText + " is used.";
}

} // namespace

std::string UnreadableSettingLine(const TUnreadableSetting& setting) {
    return "Settings file: " + Described(setting);
}

std::string UnreadableSettingsMessage(const std::string& path,
                                      const std::vector<TUnreadableSetting>& settings) {
    std::string message = "The settings file " + path + " holds values that cannot be used:";
    for (const TUnreadableSetting& setting : settings) {
        message += "\n" + Described(setting);
    }
    message += "\nThe next save writes the values the window shows.";
    return message;
}

void WriteStoredSettings(TProfileFile& file, const TStoredSettings& s) {
    file.WriteInteger(SectionSyringe, " Volume Index", s.SyringeVolumeIndex);
    file.WriteInteger(SectionSyringe, " Steps", s.SyringeSteps);
    file.WriteInteger(SectionSyringe, " MaxSpeed", s.SyringeMaxSpeed);
    if (s.PumpPort) {
        file.WriteString(SectionPorts, "Pump", *s.PumpPort);
    }
    if (s.MFCAPort) {
        file.WriteString(SectionPorts, "MFCA", *s.MFCAPort);
    }
    if (s.MFCBPort) {
        file.WriteString(SectionPorts, "MFCB", *s.MFCBPort);
    }
    file.WriteString(SectionLogging, KeyLoggingType, LoggingModeText(s.LoggingMode));
    file.WriteInteger(SectionGraph, " Points", s.ChartPoints);
    file.WriteInteger(SectionGraph, " Average sample size", s.AverageSampleSize);
    file.WriteInteger("MFCA", KeyCull, s.MFCADynamicRangeCull);
    file.WriteInteger("MFCB", KeyCull, s.MFCBDynamicRangeCull);
    file.WriteFloat(SectionCustom, "TemperatureC", s.CustomTemperatureC);
    file.WriteFloat(SectionCustom, "PressuremBar", s.CustomPressuremBar);
    file.WriteString(SectionFluid, "Mixture name", s.MixtureName);
    file.WriteFloat(SectionFluid, "Mixture custom density", s.MixtureDensity);
    file.WriteFloat(SectionFluid, "Mixture molar mass", s.MixtureMolarMass);
    file.WriteInteger(SectionFluid, "Max PPM", s.MaxPPM);
    for (int row = 0; row < MixRowCount; ++row) {
        const auto r = static_cast<std::size_t>(row);
        file.WriteString(SectionFluid, MixKey(row, "ID"), IdentifierOfItemIndex(s.MixItemIndex[r]));
        file.WriteFloat(SectionFluid, MixKey(row, "Mass"), s.MixMass_g[r]);
    }
    // After the keys older files have, so that their order stays as it was.
    file.WriteInteger(SectionRun, KeyReadingLossLimit, s.ReadingLossLimitSeconds);
}

void WriteGasHistory(TProfileFile& file, char mfc, const std::string& gasName) {
    file.WriteString(SectionHistory, mfc == 'B' ? "OldGasB" : "OldGasA", gasName);
}

} // namespace Settings
