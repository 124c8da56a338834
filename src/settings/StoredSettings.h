#pragma once
// Every setting that survives a restart, as the settings file holds it: the keys with their
// defaults, the logging mode table, and the order in which a save writes them.

#include "settings/ProfileFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Settings {

// The diagnostic logging mode.
inline constexpr int LoggingModeOff = 0;
inline constexpr int LoggingModeLive = 1;
inline constexpr int LoggingModeFile = 2;

inline constexpr int MixRowCount = 4;
// A designer row's substance: the position in the substance list, which is the gas's ordinal;
// NoSubstance for a row without one.
inline constexpr int NoSubstance = -1;

// The values a real key may take, ends included: what the window's field lets the operator enter,
// and what reads back from the file. A number outside is taken as unreadable.
struct TSettingRange {
    double Min;
    double Max;
};
inline constexpr TSettingRange CustomTemperatureRange{-273.0, 2000.0}; // ºC
inline constexpr TSettingRange CustomPressureRange{1.0, 100000.0};     // mbar
inline constexpr TSettingRange MixtureDensityRange{0.01, 30.0};        // g/ml
inline constexpr TSettingRange MixtureMolarMassRange{0.0, 10000.0};    // g/mol; 0 for no substance
inline constexpr TSettingRange MixMassRange{0.0, 1000000.0};           // g

struct TStoredSettings {
    // "Syringe"
    std::int32_t SyringeVolumeIndex = 0;
    std::int32_t SyringeSteps = 192000;
    std::int32_t SyringeMaxSpeed = 48000;
    // "COM ports": the ports last chosen. A save leaves a stored name alone where this is none
    // (its port list has no selection).
    std::optional<std::string> PumpPort = std::string();
    std::optional<std::string> MFCAPort = std::string();
    std::optional<std::string> MFCBPort = std::string();
    // "Logging"
    int LoggingMode = LoggingModeOff;
    // "Graph"
    std::int32_t ChartPoints = 700;
    std::int32_t AverageSampleSize = 358;
    // "MFCA", "MFCB"
    std::int32_t MFCADynamicRangeCull = 20;
    std::int32_t MFCBDynamicRangeCull = 10;
    // "Custom flow conditions"
    double CustomTemperatureC = 75.0;
    double CustomPressuremBar = 1500.0;
    // "Fluid"
    std::string MixtureName = "Undefined mixture";
    double MixtureDensity = 1.0;
    double MixtureMolarMass = 18.0;
    std::int32_t MaxPPM = 1000000;
    std::array<int, MixRowCount> MixItemIndex{9, 0, 0, 0}; // water, then the empty entry
    std::array<double, MixRowCount> MixMass_g{1.0, 0.0, 0.0, 0.0};
    // "Run": seconds a run goes on without a reading of MFC A or B before it stops safely
    std::int32_t ReadingLossLimitSeconds = 60;
    // "History": the gases confirmed at the last gas selection
    std::string OldGasA = "Unknown";
    std::string OldGasB = "Unknown";
};

// "Off" 0, "Live" 1, any other text "File" 2 (compared exactly, letter case included).
int LoggingModeFromText(const std::string& text);
std::string LoggingModeText(int mode);

// A number key whose text the file holds but that cannot be used.
struct TUnreadableSetting {
    std::string Section;
    std::string Key;
    std::string Text;        // as the file holds it
    std::string Reason;      // "is not a number", "lies outside -273 to 2000"
    std::string DefaultText; // the default taken instead
};

// Every key of the file, each missing or unreadable one as its default. Each number key whose
// text cannot be read, or lies outside its range, goes to `unreadable` when one is given.
TStoredSettings ReadStoredSettings(const TProfileFile& file,
                                   std::vector<TUnreadableSetting>* unreadable = nullptr);

// The operation log's line of one unreadable key, and the start-up message of them all.
std::string UnreadableSettingLine(const TUnreadableSetting& setting);
std::string UnreadableSettingsMessage(const std::string& path,
                                      const std::vector<TUnreadableSetting>& settings);

// The save: every section but "History", in the file's order. The caller then saves the file.
void WriteStoredSettings(TProfileFile& file, const TStoredSettings& settings);

// The gas history of one MFC ('A' or 'B').
void WriteGasHistory(TProfileFile& file, char mfc, const std::string& gasName);

} // namespace Settings
