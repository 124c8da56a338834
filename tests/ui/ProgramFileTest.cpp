// Saved programs in the real window, with the virtual instruments on their manual clock: "Save
// program..." and "Load program..." pressed with the mouse, the file dialogs and questions answered
// by the test's dialogs; a loaded program run with "Start with current program".

#include "program/ProgramFile.h"

#include "app/TMoistrel.h"
#include "base/RecordingDialogs.h"
#include "program/SegmentEditor.h"
#include "pump/PumpSettings.h"
#include "run/RunDataFile.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/ProgramPlaces.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"
#include "ui/TForm1.h"
#include "ui/controllers/TProgramFileController.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TTabbedListBox.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using GasMixtures::TGasItem;
using TestSupport::Flow;
using TestSupport::Segment;
using UnitMain::TForm1;

const std::string WaterCommand = "/1TgV48000IA192000V64OA0G0R";
const std::string SlowWaterCommand = "/1TgV48000IA192000V32OA0G0R";

class ProgramFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        program.Startup();
        form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
        form().PageControl1->setCurrentIndex(TForm1::pgMixtureOperation);
        // The mixer as validation and gas selection leave it: O2 on MFC A, N2 on MFC B, water in
        // the pump (from the first start), the instruments on the virtual ports.
        UnitMain::TMoistrelState& s = state();
        TestSupport::ValidatedOnPorts(s, sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB));
        // 0.0002 h: 0.72 s of instrument time, which the worker's pauses pass in a few passes.
        // Segments as the editor makes them on this mixer: a loaded program is built again on it.
        s.SegmentProgram = {TestSupport::DesignedSegment(s, "constant", 0.0002, 20000, 50000, 1000.0),
                            TestSupport::DesignedSegment(s, "pulsed", 0.0002, 200, 30000, 500.0)};
        ASSERT_EQ(s.SegmentProgram[0].Components.at(2).PumpCommand, WaterCommand);
        ASSERT_EQ(s.SegmentProgram[1].Components.at(2).PumpCommand, SlowWaterCommand);
        ASSERT_LT(s.SegmentProgram[1].Components[0].Pulsed, 1.0F);
        program.Segments().ShowStepProgram();
        saved = s.SegmentProgram;
    }

    void Press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void Save(const std::string& path) {
        dialogs.FileNames.emplace_back(path);
        Press(op()->ButtonSaveProgram);
    }
    void Load(const std::string& path) {
        dialogs.FileNames.emplace_back(path);
        Press(op()->ButtonLoadProgram);
    }

    std::vector<std::string> ListLines() {
        std::vector<std::string> lines;
        for (int i = 0; i < op()->RzTabbedListBoxSteps->Count(); ++i) {
            lines.push_back(op()->RzTabbedListBoxSteps->Item(i));
        }
        return lines;
    }

    static void WriteWhole(const std::string& path, const std::string& text) {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << text;
    }

    // Starts the program in the editor with "Start with current program", waits for its end and
    // gives the run data file's fields that come from the segment (number, name, A and B
    // set-points, pump command, liquid ppm, RH), a row each time one of them changes. The data file
    // is removed afterwards, so that the next run's is the only one.
    void RunAndReadSegmentColumns(std::vector<std::vector<std::string>>& columns) {
        Press(op()->ButtonApply);
        ASSERT_EQ(state().MixerState, UnitMain::msRunning)
            << (dialogs.Messages.empty() ? "" : dialogs.Messages[0]);
        ASSERT_TRUE(QTest::qWaitFor([this] { return state().MixerState == UnitMain::msValidated; }, 60000))
            << form().MemoLog->Text();
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(Userdata())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Run ", 0) == 0 && entry.path().extension() == ".csv") {
                files.push_back(entry.path());
            }
        }
        ASSERT_EQ(files.size(), 1U);
        std::ifstream file(files[0]);
        std::string line;
        ASSERT_TRUE(std::getline(file, line));
        ASSERT_EQ(line, UnitMain::RunDataHeader());
        while (std::getline(file, line)) {
            std::vector<std::string> fields(1);
            for (const char c : line) {
                if (c == ',') {
                    fields.emplace_back();
                } else {
                    fields.back() += c;
                }
            }
            ASSERT_EQ(fields.size(), 15U) << line;
            if (fields[2] == "1" || fields[2] == "6") {
                // After the stop's verdict nothing flows: those lines carry no segment's set-points.
                continue;
            }
            std::vector<std::string> row;
            for (const std::size_t column : {3, 4, 5, 9, 11, 12, 13, 14}) {
                row.push_back(fields[column]);
            }
            if (columns.empty() || columns.back() != row) {
                columns.push_back(row);
            }
        }
        file.close();
        std::filesystem::remove(files[0]);
    }

    TForm1& form() { return program.Form(); }
    UnitMain::TMixtureOperationTab* op() { return form().Operation; }
    UnitMain::TMoistrelState& state() { return program.State(); }
    std::string Userdata() const { return folder.File("Userdata"); }

    TestSupport::TSimHarness sim{TestSupport::ManualClock()};
    TestSupport::TTempFolder folder{"moistrel-prog"};
    Base::TRecordingDialogs dialogs;
    App::TMoistrel program{sim.Clock(), TestSupport::PlacesIn(folder), &dialogs};
    std::vector<TGasItem> saved;
};

TEST_F(ProgramFileTest, ASavedProgramLoadsIntoAClearedEditorAndRunsToTheSameSetPoints) {
    const std::vector<std::string> lines = ListLines();
    ASSERT_EQ(lines.size(), 2U);

    // The operator types the name without its extension; the dialog opens in "Userdata".
    Save(folder.File("Userdata/week 50"));
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
    ASSERT_EQ(dialogs.FileQuestions.size(), 1U);
    EXPECT_TRUE(dialogs.FileQuestions[0].Save);
    EXPECT_EQ(dialogs.FileQuestions[0].Title, "Save program");
    EXPECT_EQ(dialogs.FileQuestions[0].Folder, Userdata());
    EXPECT_EQ(dialogs.FileQuestions[0].Filter, "Segment programs (*.mixprog)");
    const std::string path = folder.File("Userdata/week 50.mixprog");
    ASSERT_TRUE(std::filesystem::exists(path));

    program.Segments().ClearStepProgram();
    ASSERT_EQ(op()->RzTabbedListBoxSteps->Count(), 0);

    Load(path);
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
    EXPECT_TRUE(dialogs.Questions.empty()) << "the mixer holds what the program was made for";
    ASSERT_EQ(dialogs.FileQuestions.size(), 2U);
    EXPECT_FALSE(dialogs.FileQuestions[1].Save);
    EXPECT_EQ(dialogs.FileQuestions[1].Title, "Load program");
    EXPECT_EQ(dialogs.FileQuestions[1].Folder, Userdata());
    EXPECT_EQ(ListLines(), lines);
    EXPECT_EQ(op()->RzTabbedListBoxSteps->ItemIndex(), -1);

    // The run of the loaded program: what MFC B and the pump are told, change by change.
    std::vector<float> setPointsB;
    std::vector<std::string> pumpLines;
    bool sawA = false;
    Press(op()->ButtonApply);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning)
        << (dialogs.Messages.empty() ? "" : dialogs.Messages[0]);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const float setPointB = sim.Sim().MfcState(Sim::sdMfcB).SetPoint;
            if (setPointB != 0.0F && (setPointsB.empty() || setPointsB.back() != setPointB)) {
                setPointsB.push_back(setPointB);
            }
            const std::string line = sim.Sim().PumpState().LastLine;
            if (!line.empty() && (pumpLines.empty() || pumpLines.back() != line)) {
                pumpLines.push_back(line);
            }
            sawA = sawA || sim.Sim().MfcState(Sim::sdMfcA).SetPoint == saved[0].Components[0].Mass;
            return state().MixerState == UnitMain::msValidated;
        },
        60000));
    EXPECT_EQ(setPointsB, (std::vector<float>{saved[0].Components[1].Mass, saved[1].Components[1].Mass}));
    ASSERT_GE(pumpLines.size(), 2U);
    EXPECT_EQ(pumpLines[0], WaterCommand);
    EXPECT_EQ(pumpLines[1], SlowWaterCommand);
    EXPECT_TRUE(sawA) << "MFC A was set to the first segment's constant flow";
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
}

TEST_F(ProgramFileTest, FilesThatAreNotAProgramAreRefusedAndTheEditorKeepsItsProgram) {
    const std::vector<std::string> lines = ListLines();
    const struct {
        const char* Name;
        std::string Text;
        const char* Message;
    } cases[] = {
        {"notes.mixprog", "Dry 1.5 h A:120",
         "Cannot load program file \"notes.mixprog\": it is not JSON text (error at byte 1)"},
        {"future.mixprog", R"({"version": 3, "segments": []})",
         "Cannot load program file \"future.mixprog\": it is of version 3; this program reads versions 1 and "
         "2"},
        {"short.mixprog", R"({"version": 1, "segments": []})",
         "Cannot load program file \"short.mixprog\": \"composedFor\" is missing"},
        {"negative.mixprog", R"({"version": 1, "composedFor": {"gasA": "O2", "gasB": "N2", "liquid":
            {"name": "Water pure", "density_gpml": 0.997735, "parts": []}}, "segments": [{"name": "x",
            "duration_h": 1, "flows": [{"device": "MFC B", "gasNameMFC": "N2", "gasNameLong": "Nitrogen",
            "massFlow_gpm": -0.05, "pulsed": 1, "pumpCommand": ""}]}]})",
         "Cannot load program file \"negative.mixprog\": segment 1, flow 1: \"massFlow_gpm\" is negative"},
    };
    for (const auto& c : cases) {
        const std::string path = folder.File(c.Name);
        WriteWhole(path, c.Text);
        dialogs.Messages.clear();
        Load(path);
        ASSERT_EQ(dialogs.Messages.size(), 1U) << c.Name;
        EXPECT_EQ(dialogs.Messages[0], c.Message);
        EXPECT_TRUE(dialogs.Questions.empty());
        EXPECT_EQ(state().SegmentProgram, saved) << c.Name;
        EXPECT_EQ(ListLines(), lines) << c.Name;
    }
    dialogs.Messages.clear();
    Load(folder.File("missing.mixprog"));
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{"Cannot load program file \"missing.mixprog\": it cannot be read"}));
    EXPECT_EQ(state().SegmentProgram, saved);
}

TEST_F(ProgramFileTest, LoadingIsRefusedWhileARunIsInProgress) {
    const std::string path = folder.File("other.mixprog");
    const Program::TProgramFileContent other = Program::ProgramFileContent(
        {Segment("other", 1.0, {Flow(1, 0.07F)})}, UnitMain::MixerComposition(state()));
    ASSERT_EQ(Program::WriteProgramFile(path, other), "");

    Press(op()->ButtonApply);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning);
    // The tick waits while the test looks, so that the run neither ends nor stops under it.
    state().Run.TickDone = false;
    Load(path);
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{UnitMain::LoadWhileRunningRefusal}));
    EXPECT_TRUE(dialogs.FileQuestions.empty()) << "refused before a file is asked for";

    // "Stop" leaves the program running until the safe stop has ended.
    Press(op()->ButtonStop);
    ASSERT_EQ(state().MixerState, UnitMain::msStopping);
    Load(path);
    EXPECT_EQ(dialogs.Messages.size(), 2U);
    EXPECT_EQ(dialogs.Messages.back(), UnitMain::LoadWhileRunningRefusal);
    EXPECT_EQ(state().SegmentProgram, saved);

    state().Run.TickDone = true;
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().MixerState == UnitMain::msValidated; }, 60000))
        << "state " << int(state().MixerState) << "\n"
        << form().MemoLog->Text();
    dialogs.FileNames.clear();
    Load(path);
    EXPECT_EQ(dialogs.Messages.size(), 2U);
    ASSERT_EQ(state().SegmentProgram.size(), 1U);
    EXPECT_EQ(state().SegmentProgram[0].StepName, "other");
}

TEST_F(ProgramFileTest, OtherGasesOrAnotherLiquidAreNamedAndTheOperatorDecides) {
    const std::string path = folder.File("week 50.mixprog");
    Save(path);
    ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();

    // Since then MFC B got argon and the pump another liquid; the editor holds a program of its own.
    UnitMain::TMoistrelState& s = state();
    SerialPortVogtlin::TLUTData* tableB = UnitMain::ActiveLUTData(s.MFCBDetails);
    ASSERT_NE(tableB, nullptr);
    tableB->NameShort = "Ar";
    s.PumpDetails.Fluid.GasNameLong = "Ethanol 40 %";
    const std::vector<TGasItem> own = {Segment("own", 2.0, {Flow(1, 0.04F)})};
    s.SegmentProgram = own;
    program.Segments().ShowStepProgram();
    const std::vector<std::string> ownLines = ListLines();

    const std::string question = "The program in \"week 50.mixprog\" was composed for other gases or another "
                                 "liquid than the mixer holds now:\n\n"
                                 "MFC B gas: \"N2\" in the file, \"Ar\" on the mixer\n"
                                 "liquid: \"Water pure\" in the file, \"Ethanol 40 %\" on the mixer\n\n"
                                 "Load it anyway?";
    dialogs.Answers = {false};
    Load(path);
    ASSERT_EQ(dialogs.Questions.size(), 1U);
    EXPECT_EQ(dialogs.Questions[0].Title, "Load program");
    EXPECT_EQ(dialogs.Questions[0].Text, question);
    EXPECT_EQ(s.SegmentProgram, own) << "No keeps the program in the editor";
    EXPECT_EQ(ListLines(), ownLines);

    dialogs.Answers = {true};
    Load(path);
    ASSERT_EQ(dialogs.Questions.size(), 2U);
    EXPECT_EQ(dialogs.Questions[1].Text, question);
    ASSERT_EQ(s.SegmentProgram.size(), saved.size()) << "Yes loads it anyway";
    EXPECT_EQ(s.SegmentProgram[1].StepName, "pulsed");
    EXPECT_EQ(ListLines(), Program::StepListLines(saved));
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(ProgramFileTest, ASyringeChangedSinceTheSaveGetsPumpCommandsComputedAgainAndTheOperatorIsTold) {
    const std::string path = folder.File("week 50.mixprog");
    Save(path);
    ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();

    // Since the save the pump got a 100 µL syringe; the editor holds a program of its own.
    UnitMain::TMoistrelState& s = state();
    s.PumpDetails.SYRINGE_VOLUME_INDEX = 1;
    s.PumpDetails.SYRINGE_VOLUMEul = UnitMain::GetSyringeVolume(1);
    UnitMain::UpdateSyringeSize(s.PumpDetails);
    const std::vector<TGasItem> own = {Segment("own", 2.0, {Flow(1, 0.04F)})};
    s.SegmentProgram = own;
    program.Segments().ShowStepProgram();

    dialogs.Answers = {false};
    Load(path);
    ASSERT_EQ(dialogs.Questions.size(), 1U);
    const std::string question = dialogs.Questions[0].Text;
    EXPECT_NE(question.find("Segment 1 \"constant\": pump command \"" + WaterCommand +
                            "\" in the file, \"/1TgV48000IA192000V32OA0G0R\" now"),
              std::string::npos)
        << question;
    EXPECT_NE(question.find("Segment 2 \"pulsed\": pump command \"" + SlowWaterCommand + "\" in the file"),
              std::string::npos)
        << question;
    EXPECT_EQ(s.SegmentProgram, own) << "No keeps the program in the editor";

    dialogs.Answers = {true};
    Load(path);
    ASSERT_EQ(dialogs.Questions.size(), 2U);
    ASSERT_EQ(s.SegmentProgram.size(), 2U);
    EXPECT_EQ(s.SegmentProgram[0].Components.at(2).PumpCommand, "/1TgV48000IA192000V32OA0G0R");
    EXPECT_NE(s.SegmentProgram[1].Components.at(2).PumpCommand, SlowWaterCommand);
    EXPECT_NE(s.SegmentProgram[0].Components[2].Mass, saved[0].Components[2].Mass);

    // The run sends the commands computed now, never the file's.
    std::vector<std::string> pumpLines;
    Press(op()->ButtonApply);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning)
        << (dialogs.Messages.empty() ? "" : dialogs.Messages[0]);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::string line = sim.Sim().PumpState().LastLine;
            if (!line.empty() && (pumpLines.empty() || pumpLines.back() != line)) {
                pumpLines.push_back(line);
            }
            return state().MixerState == UnitMain::msValidated;
        },
        60000));
    ASSERT_GE(pumpLines.size(), 2U);
    EXPECT_EQ(pumpLines[0], s.SegmentProgram[0].Components[2].PumpCommand);
    EXPECT_EQ(pumpLines[1], s.SegmentProgram[1].Components[2].PumpCommand);
}

TEST_F(ProgramFileTest, ASavedAndLoadedProgramWritesTheSameDataFileColumnsAsTheDesignedOne) {
    // 0.0005 h: 1.8 s of instrument time, so at least one line of the data file (one a second) for
    // each segment.
    UnitMain::TMoistrelState& s = state();
    s.SegmentProgram = {TestSupport::DesignedSegment(s, "constant", 0.0005, 20000, 50000, 1000.0),
                        TestSupport::DesignedSegment(s, "pulsed", 0.0005, 200, 30000, 500.0)};
    const std::vector<TGasItem> designedProgram = s.SegmentProgram;
    program.Segments().ShowStepProgram();

    std::vector<std::vector<std::string>> designed;
    ASSERT_NO_FATAL_FAILURE(RunAndReadSegmentColumns(designed));
    // Both segments ran, each with the liquid's ppm and RH of its gases and liquid.
    std::vector<std::string> segments;
    for (const std::vector<std::string>& row : designed) {
        if (row[0] == "1" || row[0] == "2") {
            segments.push_back(row[0]);
            ASSERT_FALSE(row[5].empty() || row[6].empty()) << "segment " << row[0];
            EXPECT_GT(std::stod(row[5]), 0.0) << "ppm of segment " << row[0];
            EXPECT_GT(std::stod(row[6]), 0.0) << "RH of segment " << row[0];
        }
    }
    ASSERT_EQ(segments, (std::vector<std::string>{"1", "2"}));

    const std::string path = folder.File("Userdata/week 50.mixprog");
    Save(path);
    program.Segments().ClearStepProgram();
    Load(path);
    ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
    ASSERT_TRUE(dialogs.Questions.empty()) << dialogs.Questions.front().Text;
    EXPECT_EQ(state().SegmentProgram, designedProgram) << "a loaded segment is the record the editor made";

    std::vector<std::vector<std::string>> loaded;
    ASSERT_NO_FATAL_FAILURE(RunAndReadSegmentColumns(loaded));
    EXPECT_EQ(loaded, designed);
}

TEST_F(ProgramFileTest, AnEmptyProgramIsNotSavedAndACancelledDialogChangesNothing) {
    // Cancelled dialogs (the test's dialogs have no file name to give).
    Press(op()->ButtonSaveProgram);
    Press(op()->ButtonLoadProgram);
    EXPECT_EQ(dialogs.FileQuestions.size(), 2U);
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(state().SegmentProgram, saved);
    EXPECT_TRUE(std::filesystem::is_empty(Userdata()));

    program.Segments().ClearStepProgram();
    Save(folder.File("empty.mixprog"));
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{UnitMain::NothingToSaveRefusal}));
    EXPECT_EQ(dialogs.FileQuestions.size(), 2U) << "no dialog for nothing to save";
    EXPECT_FALSE(std::filesystem::exists(folder.File("empty.mixprog")));
}

TEST_F(ProgramFileTest, TheButtonsSitBesideTheSegmentList) {
    EXPECT_EQ(op()->ButtonSaveProgram->text(), QStringLiteral("Save program..."));
    EXPECT_EQ(op()->ButtonLoadProgram->text(), QStringLiteral("Load program..."));
    EXPECT_EQ(op()->ButtonSaveProgram->parentWidget(), static_cast<QWidget*>(op()->GroupBoxSegmentProgram));
    EXPECT_EQ(op()->ButtonLoadProgram->parentWidget(), static_cast<QWidget*>(op()->GroupBoxSegmentProgram));
    EXPECT_TRUE(op()->ButtonSaveProgram->isVisible());
    EXPECT_TRUE(op()->ButtonLoadProgram->isVisible());
}

} // namespace
