// The whole program started against settings files of the test's making: the start-up order's
// effects in the real window, the first start without a file, what survives a save and a restart,
// saves that cannot be written, and logging asked for where no log file can be made.

#include "app/TMoistrel.h"
#include "base/Clock.h"
#include "base/FormatSettings.h"
#include "base/RecordingDialogs.h"
#include "design/FlowSetPoints.h"
#include "logging/DiagnosticLogger.h"
#include "settings/ProfileFile.h"
#include "settings/StoredSettings.h"
#include "state/MoistrelState.h"
#include "support/ProgramPlaces.h"
#include "support/ScopedSerialPorts.h"
#include "support/TempFolder.h"
#include "ui/TForm1.h"
#include "ui/controllers/TSettingsController.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TPumpFluidTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TRadioGroup.h"
#include "ui/widgets/TStatusPanels.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using UnitMain::TForm1;

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteWhole(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

// `text` with every "{name}" replaced by `value`.
std::string Replace(std::string text, const std::string& name, const std::string& value) {
    const std::string mark = "{" + name + "}";
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size())) {
        text.replace(at, mark.size(), value);
    }
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The index of `text` in the list, or -1.
int IndexOf(const Widgets::TListBox& list, const std::string& text) {
    const std::vector<std::string> items = list.Items();
    const auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

// The program of a test, built and started against the test's own folder. Three port paths of the
// test's choosing are listed beside the machine's own serial devices.
class StartupTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(folder.Made()) << folder.Error();
        fPorts.emplace(std::vector<std::string>{pumpPort, mfcAPort, mfcBPort});
    }

    void TearDown() override {
        program.reset();
        fPorts.reset();
        // A test that turned file logging on leaves the logger as the next test expects it.
        Logging::Logger().SetEnabled(false);
        Logging::Logger().CloseDispatcher();
        Logging::Logger().SetDestination({});
    }

    // Makes the program, runs the start-up sequence and shows the window.
    void Start() {
        program = std::make_unique<App::TMoistrel>(clock, places, &dialogs);
        program->Startup();
        Form().show();
        QApplication::setActiveWindow(&Form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    }
    // Closes the program (nothing is written at exit) and starts it again.
    void Restart() {
        program.reset();
        dialogs.Messages.clear();
        Start();
    }

    // "Apply and save" on the pump page, pressed with the mouse.
    void ApplyAndSave() {
        Form().PageControl1->setCurrentIndex(TForm1::pgPumpAndFluid);
        QApplication::processEvents();
        QTest::mouseClick(Pump()->ButtonApplyPumpAndFluid, Qt::LeftButton);
    }

    void WriteSettings(const std::string& text) const { WriteWhole(places.SettingsFile, text); }
    Settings::TProfileFile SettingsOnDisk() const {
        Settings::TProfileFile file(places.SettingsFile);
        std::string error;
        EXPECT_TRUE(file.Load(error)) << error;
        return file;
    }
    std::string Saved(const std::string& section, const std::string& key) const {
        return SettingsOnDisk().Find(section, key).value_or("<missing>");
    }

    TForm1& Form() { return program->Form(); }
    UnitMain::TMoistrelState& State() { return program->State(); }
    UnitMain::TSetupTab* SetupPage() { return Form().Setup; }
    UnitMain::TPumpFluidTab* Pump() { return Form().PumpFluid; }
    UnitMain::TMixtureOperationTab* Op() { return Form().Operation; }

    TestSupport::TTempFolder folder{"moistrel-startup"};
    std::string pumpPort = folder.File("pump");
    std::string mfcAPort = folder.File("mfc-a");
    std::string mfcBPort = folder.File("mfc-b");
    App::TProgramPlaces places = TestSupport::PlacesIn(folder);
    Base::TManualClock clock{46000.5};
    Base::TRecordingDialogs dialogs;
    std::unique_ptr<App::TMoistrel> program;

private:
    std::optional<TestSupport::TScopedSerialPorts> fPorts;
};

TEST_F(StartupTest, FirstStartSetsWaterAndWritesTheFile) {
    ASSERT_FALSE(fs::exists(places.SettingsFile));
    Start();

    EXPECT_EQ(Pump()->EditFluidName->text(), QStringLiteral("Water pure"));
    EXPECT_EQ(Op()->GroupBoxX->title(), QStringLiteral("C-component: Water pure"));
    EXPECT_EQ(State().PumpDetails.Fluid.GasNameLong, "Water pure");
    EXPECT_TRUE(dialogs.Messages.empty());

    ASSERT_TRUE(fs::exists(places.SettingsFile));
    struct TKey {
        const char* Section;
        const char* Key;
        const char* Value;
    };
    const TKey written[] = {
        {"Syringe", "Steps", "192000"},
        {"Syringe", "MaxSpeed", "48000"},
        {"Logging", "Type[Off|File|Live]", "Off"},
        {"Graph", "Points", "700"},
        {"Graph", "Average sample size", "358"},
        {"MFCA", "DynamicRangeCull", "20"},
        {"MFCB", "DynamicRangeCull", "10"},
        {"Fluid", "Mixture name", "Water pure"},
        {"Fluid", "Max PPM", "1000000"},
    };
    const Settings::TProfileFile file = SettingsOnDisk();
    for (const TKey& key : written) {
        EXPECT_EQ(file.Find(key.Section, key.Key).value_or("<missing>"), key.Value)
            << key.Section << "/" << key.Key;
    }
    // Read back as a whole, the file gives the water the window shows.
    const Settings::TStoredSettings stored = Settings::ReadStoredSettings(file);
    EXPECT_EQ(stored.MixItemIndex[0], 9) << "row 1 is water (gH2O)";
    EXPECT_EQ(stored.LoggingMode, Settings::LoggingModeOff);
}

TEST_F(StartupTest, StartUpRunsItsStepsInOrder) {
    const std::string text = Replace(Replace(Replace("[COM ports]\n"
                                                     "Pump={pump}\n"
                                                     "MFCA={a}\n"
                                                     "MFCB={b}\n"
                                                     "[Fluid]\n"
                                                     "Mixture name=Ethanol\n"
                                                     "Mixture custom density=0.789\n"
                                                     "Mix1ID=gC2H6O\n"
                                                     "Mix1Mass=1\n",
                                                     "pump", pumpPort),
                                             "a", mfcAPort),
                                     "b", mfcBPort);
    WriteSettings(text);

    // What the sequence must undo or keep: built by hand, then started.
    program = std::make_unique<App::TMoistrel>(clock, places, &dialogs);
    for (QCheckBox* box : {SetupPage()->CheckBoxPump, SetupPage()->CheckBoxMFC, SetupPage()->CheckBoxGas}) {
        box->setChecked(true);
    }
    for (int panel = 0; panel <= 4; ++panel) {
        Op()->StatusBar1->SetPanelText(panel, "before " + std::to_string(panel));
    }
    State().SegmentProgram.resize(2);
    Form().PageControl1->setCurrentIndex(TForm1::pgFlows);
    program->Startup();

    // The saved ports, each in its own list.
    struct TPortList {
        Widgets::TListBox* List;
        std::string Port;
    };
    for (const TPortList& row : {TPortList{SetupPage()->ListBoxPortPump, pumpPort},
                                 TPortList{SetupPage()->ListBoxPortMFC1, mfcAPort},
                                 TPortList{SetupPage()->ListBoxPortMFC2, mfcBPort}}) {
        ASSERT_NE(IndexOf(*row.List, row.Port), -1) << row.Port << " is listed";
        EXPECT_EQ(row.List->ItemIndex(), IndexOf(*row.List, row.Port)) << row.Port;
        EXPECT_EQ(row.List->SelectedText(), row.Port);
    }
    // The stored liquid, assigned to the pump; no first-start save.
    EXPECT_EQ(Pump()->EditFluidName->text(), QStringLiteral("Ethanol"));
    EXPECT_EQ(Op()->GroupBoxX->title(), QStringLiteral("C-component: Ethanol"));
    EXPECT_EQ(State().PumpDetails.Fluid.GasNameLong, "Ethanol");
    EXPECT_EQ(ReadWhole(places.SettingsFile), text) << "a start with a stored liquid writes nothing";
    // The demonstration flows in the middle of their ranges, and the C range of the liquid.
    EXPECT_DOUBLE_EQ(State().MFCADetails.CurrentDesiredFlow, 0.018049);
    EXPECT_EQ(Op()->RtIntegerEditY1Flow->Value(), 18049);
    EXPECT_EQ(Op()->RtIntegerEditY2Flow->Value(), 45046);
    // The C range is the stored liquid's (water's would be 323660 µg/min).
    const double fluidMaximum = Design::FluidFlowMaximum(Design::PumpSetupOf(State().PumpDetails));
    EXPECT_NE(fluidMaximum, 323660.0);
    EXPECT_DOUBLE_EQ(Op()->RtDoubleEditFluidFlow->Max(), fluidMaximum);
    // Simulated instruments, the Setup page in front, the check boxes cleared.
    EXPECT_EQ(State().MFCADetails.ComPortName, "SIM");
    EXPECT_EQ(State().MFCBDetails.ComPortName, "SIM");
    EXPECT_EQ(State().PumpDetails.Port, "SIM");
    EXPECT_EQ(Form().PageControl1->currentIndex(), TForm1::pgSetup);
    for (QCheckBox* box : {SetupPage()->CheckBoxPump, SetupPage()->CheckBoxMFC, SetupPage()->CheckBoxGas}) {
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    }
    for (int panel = 0; panel <= 3; ++panel) {
        EXPECT_EQ(Op()->StatusBar1->PanelText(panel), "") << "panel " << panel;
    }
    EXPECT_EQ(Op()->StatusBar1->PanelText(4), "before 4");
    EXPECT_EQ(State().MixerState, UnitMain::msSimulation);
    EXPECT_TRUE(State().SegmentProgram.empty());
    // The recipes' folder beside the program, none in the folder the program was started from.
    EXPECT_TRUE(fs::is_directory(fs::path(places.ProgramFolder) / "Userdata"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "Userdata"));
    EXPECT_TRUE(dialogs.Messages.empty());
}

// One settings file: checked after loading, saved with "Apply and save", checked on disk, then
// checked again after a restart.
struct TSurvivalCase {
    const char* Name;
    const char* Settings; // "{pump}" stands for the pump port the test lists, "{PUMP}" for it in capitals
    std::function<void(StartupTest&)> Loaded;
    std::function<void(StartupTest&, const Settings::TProfileFile&)> Saved;
};

void PrintTo(const TSurvivalCase& row, std::ostream* out) {
    *out << row.Name;
}

class StartupSurvivalTest : public StartupTest, public ::testing::WithParamInterface<TSurvivalCase> {};

TEST_P(StartupSurvivalTest, SurvivesSaveAndRestart) {
    const TSurvivalCase& row = GetParam();
    WriteSettings(Replace(Replace(row.Settings, "pump", pumpPort), "PUMP", Upper(pumpPort)));
    Start();
    {
        SCOPED_TRACE("loaded");
        row.Loaded(*this);
    }
    ApplyAndSave();
    EXPECT_TRUE(dialogs.Messages.empty());
    {
        SCOPED_TRACE("saved");
        row.Saved(*this, SettingsOnDisk());
    }
    Restart();
    {
        SCOPED_TRACE("restarted");
        row.Loaded(*this);
    }
    EXPECT_TRUE(dialogs.Messages.empty());
}

// A name with letters outside ASCII, as the file holds it (UTF-8).
const std::string NonAsciiName = "\u00c9thanol\u2013eau \u00b5";

const TSurvivalCase SurvivalCases[] = {
    {"MaxPpm500", "[Fluid]\nMixture name=Water pure\nMax PPM=500\n",
     [](StartupTest& t) {
         EXPECT_EQ(t.Pump()->RtIntegerEditFluidPPMLimit->Value(), 500);
         EXPECT_EQ(t.State().PumpDetails.FLUID_MAX_PPM, 500);
     },
     [](StartupTest&, const Settings::TProfileFile& file) {
         EXPECT_EQ(file.Find("Fluid", "Max PPM"), "500");
     }},
    {"LowerCaseOffMeansFileLogging", "[Logging]\nType[Off|File|Live]=off\n[Fluid]\nMixture name=Water pure\n",
     [](StartupTest& t) { EXPECT_EQ(t.State().Settings.LoggingMode, Settings::LoggingModeFile); },
     [](StartupTest&, const Settings::TProfileFile& file) {
         EXPECT_EQ(file.Find("Logging", "Type[Off|File|Live]"), "File");
     }},
    {"Steps3000SelectsNoPumpModel", "[Syringe]\nSteps=3000\n[Fluid]\nMixture name=Water pure\n",
     [](StartupTest& t) {
         EXPECT_EQ(t.Pump()->RadioGroupPumpOptimization->ItemIndex(), -1);
         EXPECT_EQ(t.State().PumpDetails.SYRINGE_STEPS, 3000);
     },
     [](StartupTest&, const Settings::TProfileFile& file) {
         EXPECT_EQ(file.Find("Syringe", "Steps"), "3000");
     }},
    {"PortInOtherLetterCaseSelectsNothing", "[COM ports]\nPump={PUMP}\n[Fluid]\nMixture name=Water pure\n",
     [](StartupTest& t) {
         EXPECT_NE(IndexOf(*t.SetupPage()->ListBoxPortPump, t.pumpPort), -1) << "the port itself is listed";
         EXPECT_EQ(t.SetupPage()->ListBoxPortPump->ItemIndex(), -1);
         EXPECT_EQ(t.State().Settings.SavedPumpPort, Upper(t.pumpPort));
     },
     // A list without a selection leaves the stored name alone.
     [](StartupTest& t, const Settings::TProfileFile& file) {
         EXPECT_EQ(file.Find("COM ports", "Pump"), Upper(t.pumpPort));
     }},
    {"RowWithoutSubstanceStaysWithout",
     "[Fluid]\nMixture name=Salted water\nMix1ID=gH2O\nMix1Mass=1\nMix2ID=salt\nMix2Mass=0.5\n",
     [](StartupTest& t) {
         EXPECT_EQ(t.Pump()->ComboBoxMix2->currentIndex(), -1);
         EXPECT_EQ(t.Pump()->ComboBoxMix1->currentIndex(), 9) << "water";
     },
     [](StartupTest&, const Settings::TProfileFile& file) {
         EXPECT_EQ(Settings::ReadStoredSettings(file).MixItemIndex[1], Settings::NoSubstance)
             << file.Find("Fluid", "Mix2ID").value_or("<missing>");
     }},
    {"NonAsciiMixtureName",
     "[Fluid]\nMixture name=\u00c9thanol\u2013eau "
     "\u00b5\nMix1ID=gC2H6O\nMix1Mass=1\nMix2ID=gH2O\nMix2Mass=1\n",
     [](StartupTest& t) {
         EXPECT_EQ(t.Pump()->EditFluidName->text(), QString::fromUtf8(NonAsciiName));
         EXPECT_EQ(t.State().PumpDetails.Fluid.GasNameLong, NonAsciiName);
         EXPECT_EQ(t.Op()->GroupBoxX->title(), QString::fromUtf8("C-component: " + NonAsciiName));
     },
     [](StartupTest&, const Settings::TProfileFile& file) {
         EXPECT_EQ(file.Find("Fluid", "Mixture name"), NonAsciiName);
     }},
    {"LeadingBlankInAKeyIsTheSameKey", "[Graph]\nPoints=1234\n[Fluid]\nMixture name=Water pure\n",
     [](StartupTest& t) { EXPECT_EQ(t.State().Settings.ChartPoints, 1234); },
     // " Points" is written; the file still has one entry of that name, read back by "Points".
     [](StartupTest&, const Settings::TProfileFile& file) {
         EXPECT_EQ(file.Find("Graph", "Points"), "1234");
         const std::string text = file.Text();
         std::size_t entries = 0;
         std::istringstream lines(text);
         for (std::string line; std::getline(lines, line);) {
             const std::size_t name = line.find_first_not_of(' ');
             entries += name != std::string::npos && line.compare(name, 7, "Points=") == 0 ? 1 : 0;
         }
         EXPECT_EQ(entries, 1U) << text;
     }},
};

INSTANTIATE_TEST_SUITE_P(EdgeCases, StartupSurvivalTest, ::testing::ValuesIn(SurvivalCases),
                         [](const ::testing::TestParamInfo<TSurvivalCase>& row) { return row.param.Name; });

// The window after a failed save: usable, not busy.
void ExpectUsable(TForm1& form) {
    EXPECT_TRUE(form.isEnabled());
    EXPECT_FALSE(form.FormDisabled());
    EXPECT_TRUE(form.PumpFluid->ButtonApplyPumpAndFluid->isEnabled());
}

// Ways to put the settings file where nobody, root included, can write it. Each makes what it
// needs in `folder` and gives the settings file's path.
struct TUnwritablePlace {
    const char* Name;
    std::function<std::string(const TestSupport::TTempFolder&)> Make;
};

void PrintTo(const TUnwritablePlace& row, std::ostream* out) {
    *out << row.Name;
}

class StartupUnwritableTest : public StartupTest, public ::testing::WithParamInterface<TUnwritablePlace> {};

TEST_P(StartupUnwritableTest, FirstStartWhereNoFileCanBeWrittenSaysSoAndGoesOn) {
    places.SettingsFile = GetParam().Make(folder);
    const std::vector<fs::path> before = folder.Entries();
    Start();

    const std::vector<std::string> expected{"Unable to write to " + places.SettingsFile};
    EXPECT_EQ(dialogs.Messages, expected);
    EXPECT_EQ(Pump()->EditFluidName->text(), QStringLiteral("Water pure")) << "water is set all the same";
    ExpectUsable(Form());

    // The operator may try again, and is told again.
    ApplyAndSave();
    EXPECT_EQ(dialogs.Messages.size(), 2U);
    EXPECT_EQ(dialogs.Messages.back(), expected.front());
    ExpectUsable(Form());
    // Nothing was made beside the settings file but the recipes' folder.
    std::vector<fs::path> after = folder.Entries();
    std::erase(after, fs::path(folder.File("Userdata")));
    EXPECT_EQ(after.size(), before.size());
}

const TUnwritablePlace UnwritablePlaces[] = {
    {"FolderIsARegularFile",
     [](const TestSupport::TTempFolder& f) {
         WriteWhole(f.File("not-a-folder"), "x");
         return f.File("not-a-folder") + "/moistrel.ini";
     }},
    // Read-only by its mode, which holds for root too.
    {"ReadOnlyFile",
     [](const TestSupport::TTempFolder& f) {
         WriteWhole(f.File("moistrel.ini"), "[Graph]\nPoints=700\n");
         fs::permissions(f.File("moistrel.ini"), fs::perms(0444));
         return f.File("moistrel.ini");
     }},
    {"FolderInPlaceOfTheFile",
     [](const TestSupport::TTempFolder& f) {
         fs::create_directories(f.File("moistrel.ini") + "/inside");
         return f.File("moistrel.ini");
     }},
};

INSTANTIATE_TEST_SUITE_P(Places, StartupUnwritableTest, ::testing::ValuesIn(UnwritablePlaces),
                         [](const ::testing::TestParamInfo<TUnwritablePlace>& place) {
                             return place.param.Name;
                         });

TEST_F(StartupTest, ASaveThatFailsHalfWayLeavesTheOldFileWhole) {
    WriteSettings("[Fluid]\nMixture name=Water pure\nMax PPM=500\n");
    const std::string old = ReadWhole(places.SettingsFile);
    Start();
    ASSERT_TRUE(dialogs.Messages.empty());

    // The disk fills up half-way through the write: the process may not write files above 64 bytes
    // while the button does its work.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ApplyAndSave();
    ::setrlimit(RLIMIT_FSIZE, &saved);

    const std::vector<std::string> expected{"Unable to write to " + places.SettingsFile};
    EXPECT_EQ(dialogs.Messages, expected);
    EXPECT_EQ(ReadWhole(places.SettingsFile), old);
    for (const fs::path& entry : fs::directory_iterator(fs::path(places.SettingsFile).parent_path())) {
        EXPECT_EQ(entry.filename().string().rfind("moistrel.ini.", 0), std::string::npos)
            << "no half-written file is left: " << entry;
    }
    ExpectUsable(Form());

    // Once the disk has room, the same button saves.
    ApplyAndSave();
    EXPECT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(Saved("Syringe", "Steps"), "192000");
    EXPECT_EQ(Saved("Fluid", "Max PPM"), "500");
}

// Logging asked for where the log file cannot be made: the log folder is a regular file.
class StartupLoggingTest : public StartupTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(StartupLoggingTest, LoggingThatCannotBeHadIsTurnedOffOnce) {
    const std::string logFolder = folder.File("log-folder-is-a-file");
    WriteWhole(logFolder, "x");
    places.LogFolder = logFolder;
    WriteSettings(std::string("[Logging]\nType[Off|File|Live]=") + GetParam() +
                  "\n[Fluid]\nMixture name=Water pure\n");
    Start();

    const std::vector<std::string> expected{UnitMain::LoggingUnavailableMessage(logFolder)};
    EXPECT_EQ(dialogs.Messages, expected);
    const std::string ending = " Alternatively set Logging type=Off in the ini-file.";
    ASSERT_GE(expected.front().size(), ending.size());
    EXPECT_EQ(expected.front().substr(expected.front().size() - ending.size()), ending);
    EXPECT_NE(expected.front().find(logFolder), std::string::npos) << "the message names the log folder";
    EXPECT_EQ(State().Settings.LoggingMode, Settings::LoggingModeOff);
    EXPECT_FALSE(Logging::Logger().Enabled());

    ApplyAndSave();
    EXPECT_EQ(dialogs.Messages.size(), 1U) << "the message comes once per start";
    EXPECT_EQ(Saved("Logging", "Type[Off|File|Live]"), "Off");
}

INSTANTIATE_TEST_SUITE_P(Modes, StartupLoggingTest, ::testing::Values("Live", "File"),
                         [](const ::testing::TestParamInfo<const char*>& mode) {
                             return std::string(mode.param);
                         });

// Logging asked for where the log file can be made is no matter for the operator.
TEST_F(StartupTest, LoggingIntoAWritableFolderSaysNothing) {
    WriteSettings("[Logging]\nType[Off|File|Live]=File\n[Fluid]\nMixture name=Water pure\n");
    Start();
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(State().Settings.LoggingMode, Settings::LoggingModeFile);
    EXPECT_TRUE(Logging::Logger().Enabled());
}

// Whether a line of the operation log (after its time stamp) is `message`.
bool Logged(const TForm1& form, const std::string& message) {
    const std::vector<std::string> lines = form.MemoLog->Lines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() > message.size() &&
               line.compare(line.size() - message.size(), message.size(), message) == 0;
    });
}

// A stored number that cannot be read is no silent default: the operation log and a message at
// start-up name each key. A real written under the other locale's separator is read.
TEST_F(StartupTest, UnreadableStoredNumbersAreSaidAtStartUp) {
    const Base::TScopedFormatSettings point({".", ":"});
    WriteSettings("[Custom flow conditions]\n"
                  "TemperatureC=nan\n"
                  "PressuremBar=1013,25\n"
                  "[Fluid]\n"
                  "Mixture name=Ethanol\n"
                  "Mixture custom density=0,789\n"
                  "Mix1ID=gC2H6O\n"
                  "Mix1Mass=+-1\n"
                  "Mix2ID=gH2O\n"
                  "Mix2Mass=1.79769313486232E308\n");
    Start();

    const std::vector<Settings::TUnreadableSetting> unreadable{
        {"Custom flow conditions", "TemperatureC", "nan", "is not a number", "75"},
        {"Fluid", "Mix1Mass", "+-1", "is not a number", "1"},
        {"Fluid", "Mix2Mass", "1.79769313486232E308", "is not a number", "0"},
    };
    const std::vector<std::string> expected{
        Settings::UnreadableSettingsMessage(places.SettingsFile, unreadable)};
    EXPECT_EQ(dialogs.Messages, expected);
    for (const Settings::TUnreadableSetting& setting : unreadable) {
        EXPECT_TRUE(Logged(Form(), Settings::UnreadableSettingLine(setting))) << Form().MemoLog->Text();
    }
    EXPECT_NE(Form().MemoLog->Text().find("[Fluid] Mix1Mass=\"+-1\""), std::string::npos)
        << "the key is named";
    EXPECT_EQ(Pump()->RtDoubleEditCustomTemp->Value(), 75.0);
    EXPECT_EQ(Pump()->RtDoubleEditCustomPressure->Value(), 1013.25) << "read in the other separator";
    EXPECT_EQ(Pump()->RtDoubleEditDesignedMixtureDensity->Value(), 0.789) << "read in the other separator";
    EXPECT_EQ(Pump()->RtDoubleEdit1->Value(), 1.0);
    EXPECT_EQ(Pump()->RtDoubleEdit2->Value(), 0.0);

    // The next save writes what the window shows, and the start after it has nothing to say.
    ApplyAndSave();
    EXPECT_EQ(Saved("Custom flow conditions", "TemperatureC"), "75");
    Restart();
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
    EXPECT_EQ(Pump()->RtDoubleEditCustomPressure->Value(), 1013.25);
}

// A settings file that cannot be read is said in the operation log (the diagnostic logger is not
// set up yet when the file is loaded); every setting takes its default, and the file is left.
TEST_F(StartupTest, ASettingsFileThatCannotBeReadIsSaidInTheOperationLog) {
    fs::create_directories(places.SettingsFile + "/inside");
    Start();
    EXPECT_TRUE(Logged(Form(), "Unable to read " + places.SettingsFile +
                                   " (not a regular file): every setting takes its default."))
        << Form().MemoLog->Text();
    EXPECT_EQ(State().Settings.ChartPoints, 700);
    EXPECT_TRUE(fs::is_directory(places.SettingsFile + "/inside"));
}

// A save that died before its rename left its temporary file: the start removes it (and says
// so), and nothing else beside the settings file.
TEST_F(StartupTest, StartUpRemovesTheTemporaryFileOfASaveThatDied) {
    WriteSettings("[Fluid]\nMixture name=Water pure\nMax PPM=500\n");
    const std::string stale = places.SettingsFile + ".replacing-x7Qp2Z";
    const std::string other = places.SettingsFile + ".backup";
    WriteWhole(stale, "[Fluid]\nMixture na");
    WriteWhole(other, "mine");
    Start();
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_EQ(ReadWhole(other), "mine");
    EXPECT_TRUE(Logged(Form(), "Removed the temporary file of an unfinished save: " + stale))
        << Form().MemoLog->Text();
    EXPECT_EQ(State().PumpDetails.FLUID_MAX_PPM, 500);
    EXPECT_TRUE(dialogs.Messages.empty());
}

} // namespace
