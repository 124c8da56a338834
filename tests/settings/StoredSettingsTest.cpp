// Every key of the settings file with its default, the logging mode table, and what a save writes.

#include "settings/StoredSettings.h"

#include "base/FormatSettings.h"
#include "support/TempFolder.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Settings::TProfileFile;
using Settings::TStoredSettings;

TProfileFile FromText(const TestSupport::TTempFolder& folder, const std::string& text) {
    std::ofstream(folder.File("moistrel.ini"), std::ios::binary) << text;
    TProfileFile file(folder.File("moistrel.ini"));
    std::string error;
    EXPECT_TRUE(file.Load(error)) << error;
    return file;
}

TEST(StoredSettings, AnEmptyFileGivesEveryDefaultAndTheFirstSaveWritesThemAll) {
    const Base::TScopedFormatSettings point({".", ":"});
    const TestSupport::TTempFolder folder("moistrel-ini");
    TProfileFile file = FromText(folder, "");
    TStoredSettings settings = Settings::ReadStoredSettings(file);
    EXPECT_EQ(settings.MixtureName, "Undefined mixture");
    EXPECT_EQ(settings.OldGasA, "Unknown");
    EXPECT_EQ(settings.OldGasB, "Unknown");
    EXPECT_EQ(settings.PumpPort, std::string());

    settings.MixtureName = "Water pure"; // what the first start's "Set to water" leaves
    Settings::WriteStoredSettings(file, settings);
    EXPECT_EQ(file.Text(), "[Syringe]\n"
                           " Volume Index=0\n"
                           " Steps=192000\n"
                           " MaxSpeed=48000\n"
                           "[COM ports]\n"
                           "Pump=\n"
                           "MFCA=\n"
                           "MFCB=\n"
                           "[Logging]\n"
                           "Type[Off|File|Live]=Off\n"
                           "[Graph]\n"
                           " Points=700\n"
                           " Average sample size=358\n"
                           "[MFCA]\n"
                           "DynamicRangeCull=20\n"
                           "[MFCB]\n"
                           "DynamicRangeCull=10\n"
                           "[Custom flow conditions]\n"
                           "TemperatureC=75\n"
                           "PressuremBar=1500\n"
                           "[Fluid]\n"
                           "Mixture name=Water pure\n"
                           "Mixture custom density=1\n"
                           "Mixture molar mass=18\n"
                           "Max PPM=1000000\n"
                           "Mix1ID=gH2O\n"
                           "Mix1Mass=1\n"
                           "Mix2ID=gUndefined\n"
                           "Mix2Mass=0\n"
                           "Mix3ID=gUndefined\n"
                           "Mix3Mass=0\n"
                           "Mix4ID=gUndefined\n"
                           "Mix4Mass=0\n"
                           "[Run]\n"
                           "ReadingLossLimitSeconds=60\n");
}

TEST(StoredSettings, LoggingModeTable) {
    const struct {
        const char* Text;
        int Mode;
        const char* WrittenBack;
    } cases[] = {
        {"Off", 0, "Off"},  {"Live", 1, "Live"}, {"File", 2, "File"},
        {"off", 2, "File"}, {"LIVE", 2, "File"}, {"", 2, "File"},
    };
    const TestSupport::TTempFolder folder("moistrel-ini");
    for (const auto& c : cases) {
        TProfileFile file = FromText(folder, std::string("[Logging]\nType[Off|File|Live]=") + c.Text + "\n");
        const TStoredSettings settings = Settings::ReadStoredSettings(file);
        EXPECT_EQ(settings.LoggingMode, c.Mode) << "'" << c.Text << "'";
        Settings::WriteStoredSettings(file, settings);
        EXPECT_EQ(file.ReadString("Logging", "Type[Off|File|Live]", ""), c.WrittenBack)
            << "'" << c.Text << "'";
    }
}

TEST(StoredSettings, WhatWasSavedIsReadBackUnchanged) {
    const Base::TScopedFormatSettings comma({",", ":"});
    const TestSupport::TTempFolder folder("moistrel-ini");
    TStoredSettings saved;
    saved.SyringeVolumeIndex = 5;
    saved.SyringeSteps = 3000; // no known pump model: kept as it stands
    saved.PumpPort = "/tmp/sim/pump";
    saved.MFCAPort = "ttyUSB0";
    saved.MFCBPort = "ttyUSB1";
    saved.LoggingMode = Settings::LoggingModeLive;
    saved.ChartPoints = 350;
    saved.AverageSampleSize = 12;
    saved.MFCADynamicRangeCull = 50;
    saved.MFCBDynamicRangeCull = 5;
    saved.CustomTemperatureC = -12.5;
    saved.CustomPressuremBar = 1013.25;
    saved.MixtureName = "Éthanol–eau 40 ºC µ";
    saved.MixtureDensity = 0.9352;
    saved.MixtureMolarMass = 25.6;
    saved.MaxPPM = 500;
    saved.MixItemIndex = {5, Settings::NoSubstance, 9, 0}; // C2H6O, none, H2O, the empty entry
    saved.MixMass_g = {400.0, 0.0, 600.0, 0.125};
    saved.ReadingLossLimitSeconds = 15;
    {
        TProfileFile file(folder.File("moistrel.ini"));
        Settings::WriteStoredSettings(file, saved);
        std::string error;
        ASSERT_TRUE(file.Save(error)) << error;
    }
    TProfileFile file(folder.File("moistrel.ini"));
    std::string error;
    ASSERT_TRUE(file.Load(error)) << error;
    const TStoredSettings read = Settings::ReadStoredSettings(file);
    EXPECT_EQ(read.SyringeVolumeIndex, 5);
    EXPECT_EQ(read.SyringeSteps, 3000);
    EXPECT_EQ(read.PumpPort, "/tmp/sim/pump");
    EXPECT_EQ(read.MFCAPort, "ttyUSB0");
    EXPECT_EQ(read.MFCBPort, "ttyUSB1");
    EXPECT_EQ(read.LoggingMode, Settings::LoggingModeLive);
    EXPECT_EQ(read.ChartPoints, 350);
    EXPECT_EQ(read.AverageSampleSize, 12);
    EXPECT_EQ(read.MFCADynamicRangeCull, 50);
    EXPECT_EQ(read.MFCBDynamicRangeCull, 5);
    EXPECT_EQ(read.CustomTemperatureC, -12.5);
    EXPECT_EQ(read.CustomPressuremBar, 1013.25);
    EXPECT_EQ(read.MixtureName, "Éthanol–eau 40 ºC µ");
    EXPECT_EQ(read.MixtureDensity, 0.9352);
    EXPECT_EQ(read.MixtureMolarMass, 25.6);
    EXPECT_EQ(read.MaxPPM, 500);
    EXPECT_EQ(read.MixItemIndex, saved.MixItemIndex) << "a row without substance stays without";
    EXPECT_EQ(read.MixMass_g, saved.MixMass_g);
    EXPECT_EQ(read.ReadingLossLimitSeconds, 15);
    EXPECT_EQ(file.ReadString("Custom flow conditions", "PressuremBar", ""), "1013,25");
}

TEST(StoredSettings, PortsAreWrittenOnlyWhereAListHasASelection) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    TProfileFile file = FromText(folder, "[COM ports]\nPump=ttyS0\nMFCA=ttyS1\nMFCB=ttyS2\n");
    TStoredSettings settings = Settings::ReadStoredSettings(file);
    settings.PumpPort.reset();
    settings.MFCAPort = "ttyUSB0";
    settings.MFCBPort.reset();
    Settings::WriteStoredSettings(file, settings);
    EXPECT_EQ(file.ReadString("COM ports", "Pump", ""), "ttyS0");
    EXPECT_EQ(file.ReadString("COM ports", "MFCA", ""), "ttyUSB0");
    EXPECT_EQ(file.ReadString("COM ports", "MFCB", ""), "ttyS2");
}

TEST(StoredSettings, GasIdentifiersIgnoreLetterCaseAndAnythingElseIsNoSubstance) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    const TProfileFile file =
        FromText(folder, "[Fluid]\nMix1ID=GH2O\nMix2ID=gundefined\nMix3ID=water\nMix4ID=\n");
    const TStoredSettings settings = Settings::ReadStoredSettings(file);
    EXPECT_EQ(settings.MixItemIndex,
              (std::array<int, 4>{9, 0, Settings::NoSubstance, Settings::NoSubstance}));
}

TEST(StoredSettings, GasHistoryGoesToItsOwnSectionAndIsNotPartOfTheSave) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    TProfileFile file = FromText(folder, "");
    Settings::WriteGasHistory(file, 'A', "Air");
    Settings::WriteGasHistory(file, 'B', "CO2");
    TStoredSettings settings = Settings::ReadStoredSettings(file);
    EXPECT_EQ(settings.OldGasA, "Air");
    EXPECT_EQ(settings.OldGasB, "CO2");
    settings.OldGasA = "changed";
    Settings::WriteStoredSettings(file, settings);
    EXPECT_EQ(file.ReadString("History", "OldGasA", ""), "Air");
}

// A number the file holds but that cannot be used takes its default and is named, never silently.
TEST(StoredSettings, UnreadableNumbersTakeTheirDefaultAndAreNamed) {
    const TStoredSettings defaults;
    const struct {
        const char* Name;
        const char* File;
        std::function<double(const TStoredSettings&)> Field;
        double Value;
        const char* Reason; // none: read, nothing said
    } cases[] = {
        {"comma real under a point locale", "[Fluid]\nMixture custom density=0,9352\n",
         [](const TStoredSettings& s) { return s.MixtureDensity; }, 0.9352, nullptr},
        {"point real", "[Fluid]\nMixture molar mass=46.07\n",
         [](const TStoredSettings& s) { return s.MixtureMolarMass; }, 46.07, nullptr},
        {"grouped real", "[Fluid]\nMixture molar mass=1,046.5\n",
         [](const TStoredSettings& s) { return s.MixtureMolarMass; }, defaults.MixtureMolarMass,
         "is not a number"},
        {"two signs on a real", "[Custom flow conditions]\nTemperatureC=+-5\n",
         [](const TStoredSettings& s) { return s.CustomTemperatureC; }, defaults.CustomTemperatureC,
         "is not a number"},
        {"two signs on a whole number", "[Syringe]\nSteps=+-5\n",
         [](const TStoredSettings& s) { return static_cast<double>(s.SyringeSteps); },
         static_cast<double>(defaults.SyringeSteps), "is not a whole number"},
        {"nan", "[Fluid]\nMix1Mass=nan\n", [](const TStoredSettings& s) { return s.MixMass_g[0]; },
         defaults.MixMass_g[0], "is not a number"},
        {"inf", "[Custom flow conditions]\nPressuremBar=inf\n",
         [](const TStoredSettings& s) { return s.CustomPressuremBar; }, defaults.CustomPressuremBar,
         "is not a number"},
        {"the largest real at 15 digits", "[Fluid]\nMix2Mass=1.79769313486232E308\n",
         [](const TStoredSettings& s) { return s.MixMass_g[1]; }, defaults.MixMass_g[1], "is not a number"},
        {"a real outside its range", "[Custom flow conditions]\nTemperatureC=5000\n",
         [](const TStoredSettings& s) { return s.CustomTemperatureC; }, defaults.CustomTemperatureC,
         "lies outside -273 to 2000"},
        {"the largest real, outside every range", "[Fluid]\nMixture custom density=1.7976931348623157e308\n",
         [](const TStoredSettings& s) { return s.MixtureDensity; }, defaults.MixtureDensity,
         "lies outside 0.01 to 30"},
        {"a negative mass", "[Fluid]\nMix3Mass=-1\n", [](const TStoredSettings& s) { return s.MixMass_g[2]; },
         defaults.MixMass_g[2], "lies outside 0 to 1000000"},
        {"a range's own end", "[Custom flow conditions]\nPressuremBar=1\n",
         [](const TStoredSettings& s) { return s.CustomPressuremBar; }, 1.0, nullptr},
        {"an empty real", "[Fluid]\nMix4Mass=\n", [](const TStoredSettings& s) { return s.MixMass_g[3]; },
         defaults.MixMass_g[3], "is not a number"},
    };
    const Base::TScopedFormatSettings point({".", ":"});
    const TestSupport::TTempFolder folder("moistrel-ini");
    for (const auto& c : cases) {
        const TProfileFile file = FromText(folder, c.File);
        std::vector<Settings::TUnreadableSetting> unreadable;
        const TStoredSettings settings = Settings::ReadStoredSettings(file, &unreadable);
        EXPECT_EQ(c.Field(settings), c.Value) << c.Name;
        if (c.Reason == nullptr) {
            EXPECT_TRUE(unreadable.empty()) << c.Name;
            continue;
        }
        ASSERT_EQ(unreadable.size(), 1U) << c.Name;
        // The key as the file names it, in its section, with its text and the default taken.
        const std::string line(c.File);
        const std::size_t close = line.find(']');
        const std::size_t equals = line.find('=');
        const Settings::TUnreadableSetting& said = unreadable.front();
        EXPECT_EQ(said.Section, line.substr(1, close - 1)) << c.Name;
        EXPECT_EQ(said.Key, line.substr(close + 2, equals - close - 2)) << c.Name;
        EXPECT_EQ(said.Text, line.substr(equals + 1, line.size() - equals - 2)) << c.Name;
        EXPECT_EQ(said.Reason, c.Reason) << c.Name;
        EXPECT_EQ(Settings::UnreadableSettingLine(said),
                  "Settings file: [" + said.Section + "] " + said.Key + "=\"" + said.Text + "\" " + c.Reason +
                      "; the default " + said.DefaultText + " is used.")
            << c.Name;
    }
}

TEST(StoredSettings, TheStartUpMessageNamesEveryUnreadableKey) {
    const Base::TScopedFormatSettings point({".", ":"});
    const TestSupport::TTempFolder folder("moistrel-ini");
    const TProfileFile file = FromText(
        folder, "[Custom flow conditions]\nTemperatureC=nan\n[Fluid]\nMixture custom density=0.9.3\n");
    std::vector<Settings::TUnreadableSetting> unreadable;
    (void)Settings::ReadStoredSettings(file, &unreadable);
    EXPECT_EQ(Settings::UnreadableSettingsMessage("/x/moistrel.ini", unreadable),
              "The settings file /x/moistrel.ini holds values that cannot be used:\n"
              "[Custom flow conditions] TemperatureC=\"nan\" is not a number; the default 75 is used.\n"
              "[Fluid] Mixture custom density=\"0.9.3\" is not a number; the default 1 is used.\n"
              "The next save writes the values the window shows.");
}

// Whatever a save writes, the next start reads back without a word: the ends of every range.
TEST(StoredSettings, TheEndsOfEveryRangeSurviveASave) {
    for (const Base::TFormatSettings& locale :
         {Base::TFormatSettings{".", ":"}, Base::TFormatSettings{",", ":"}}) {
        const Base::TScopedFormatSettings scoped(locale);
        for (const bool low : {true, false}) {
            auto end = [low](Settings::TSettingRange range) { return low ? range.Min : range.Max; };
            TStoredSettings saved;
            saved.CustomTemperatureC = end(Settings::CustomTemperatureRange);
            saved.CustomPressuremBar = end(Settings::CustomPressureRange);
            saved.MixtureDensity = end(Settings::MixtureDensityRange);
            saved.MixtureMolarMass = end(Settings::MixtureMolarMassRange);
            saved.MixMass_g.fill(end(Settings::MixMassRange));
            const TestSupport::TTempFolder folder("moistrel-ini");
            TProfileFile file(folder.File("moistrel.ini"));
            Settings::WriteStoredSettings(file, saved);
            std::vector<Settings::TUnreadableSetting> unreadable;
            const TStoredSettings read = Settings::ReadStoredSettings(file, &unreadable);
            EXPECT_TRUE(unreadable.empty()) << locale.DecimalSeparator << (low ? " low" : " high");
            EXPECT_EQ(read.CustomTemperatureC, saved.CustomTemperatureC);
            EXPECT_EQ(read.CustomPressuremBar, saved.CustomPressuremBar);
            EXPECT_EQ(read.MixtureDensity, saved.MixtureDensity);
            EXPECT_EQ(read.MixtureMolarMass, saved.MixtureMolarMass);
            EXPECT_EQ(read.MixMass_g, saved.MixMass_g);
        }
    }
}

} // namespace
