#include "settings/StoredSettings.h"

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

TStoredSettings ReadStoredSettings(const TProfileFile& file) {
    const TStoredSettings defaults;
    TStoredSettings s;
    s.MaxPPM = file.ReadInteger(SectionFluid, "Max PPM", defaults.MaxPPM);
    s.SyringeVolumeIndex = file.ReadInteger(SectionSyringe, " Volume Index", defaults.SyringeVolumeIndex);
    s.SyringeSteps = file.ReadInteger(SectionSyringe, "Steps", defaults.SyringeSteps);
    s.SyringeMaxSpeed = file.ReadInteger(SectionSyringe, "MaxSpeed", defaults.SyringeMaxSpeed);
    s.PumpPort = file.ReadString(SectionPorts, "Pump", "");
    s.MFCAPort = file.ReadString(SectionPorts, "MFCA", "");
    s.MFCBPort = file.ReadString(SectionPorts, "MFCB", "");
    s.LoggingMode = LoggingModeFromText(file.ReadString(SectionLogging, KeyLoggingType, "Off"));
    s.ChartPoints = file.ReadInteger(SectionGraph, "Points", defaults.ChartPoints);
    s.AverageSampleSize = file.ReadInteger(SectionGraph, "Average sample size", defaults.AverageSampleSize);
    s.MFCADynamicRangeCull = file.ReadInteger("MFCA", KeyCull, defaults.MFCADynamicRangeCull);
    s.MFCBDynamicRangeCull = file.ReadInteger("MFCB", KeyCull, defaults.MFCBDynamicRangeCull);
    s.CustomTemperatureC = file.ReadFloat(SectionCustom, "TemperatureC", defaults.CustomTemperatureC);
    s.CustomPressuremBar = file.ReadFloat(SectionCustom, "PressuremBar", defaults.CustomPressuremBar);
    for (int row = 0; row < MixRowCount; ++row) {
        const auto r = static_cast<std::size_t>(row);
        s.MixItemIndex[r] = ItemIndexFromIdentifier(file.ReadString(
            SectionFluid, MixKey(row, "ID"), IdentifierOfItemIndex(defaults.MixItemIndex[r])));
        s.MixMass_g[r] = file.ReadFloat(SectionFluid, MixKey(row, "Mass"), defaults.MixMass_g[r]);
    }
    s.MixtureName = file.ReadString(SectionFluid, "Mixture name", defaults.MixtureName);
    s.MixtureDensity = file.ReadFloat(SectionFluid, "Mixture custom density", defaults.MixtureDensity);
    s.MixtureMolarMass = file.ReadFloat(SectionFluid, "Mixture molar mass", defaults.MixtureMolarMass);
    s.ReadingLossLimitSeconds =
        file.ReadInteger(SectionRun, KeyReadingLossLimit, defaults.ReadingLossLimitSeconds);
    s.OldGasA = file.ReadString(SectionHistory, "OldGasA", defaults.OldGasA);
    s.OldGasB = file.ReadString(SectionHistory, "OldGasB", defaults.OldGasB);
    return s;
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
