// Segments that keep their target, in the real window with the virtual instruments on their manual
// clock: a target applied and added as a segment keeps it until a flow is typed by hand; a sequence
// of five targets appends five named segments that show their targets; its run leaves a data file
// whose "Target" and "RH %" columns follow the sequence; a saved program of targets loaded after the
// syringe was changed is solved again from its targets, and the operator is told.

#include "app/TMoistrel.h"
#include "base/RecordingDialogs.h"
#include "model/GasItem.h"
#include "program/ProgramFile.h"
#include "program/SegmentEditor.h"
#include "pump/PumpSettings.h"
#include "run/RunDataFile.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/ProgramPlaces.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"
#include "target/TargetSolver.h"
#include "ui/TForm1.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/controllers/TTargetController.h"
#include "ui/dialogs/TSequenceDialog.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TTargetBox.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TTabbedListBox.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using GasMixtures::TGasItem;
using UnitMain::TForm1;
using UnitMain::TTargetBox;
namespace fs = std::filesystem;

// The fields of a data file line; a quoted field keeps what is between its quotes.
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The speed of a pump command, "/1TgV48000IA192000V14OA0G0R" gives 14; 0 without one.
int SpeedOf(const std::string& command) {
    const std::size_t at = command.rfind('V');
    return at == std::string::npos ? 0 : std::atoi(command.c_str() + at + 1);
}

std::string TwoDecimals(double value) {
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.2f", value);
    return buffer.data();
}

class TargetProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        program.Startup();
        form().show();
        QApplication::setActiveWindow(&form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
        form().PageControl1->setCurrentIndex(TForm1::pgMixtureOperation);
        // The mixer as validation and gas selection leave it: O2 on MFC A, N2 on MFC B, water in
        // the pump, the instruments on the virtual ports.
        TestSupport::ValidatedOnPorts(state(), sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA),
                                      sim.Path(Sim::sdMfcB));
        state().SegmentProgram.clear();
        program.Segments().ShowStepProgram();
        // Relative humidity at 23 ºC and 1013.25 mbar in 0.02 g/min of oxygen.
        box()->ComboBoxTargetKind->setCurrentIndex(TTargetBox::KindRelativeHumidity);
        box()->ComboBoxTargetCarrierUnit->setCurrentIndex(TTargetBox::UnitGramsPerMinute);
        Type(box()->EditTargetCarrier, QStringLiteral("0.02"));
        Type(box()->EditTargetBShare, QStringLiteral("0"));
        Type(box()->EditTargetTemp, QStringLiteral("23"));
        Type(box()->EditTargetPressure, QStringLiteral("1013.25"));
    }

    static void Type(QWidget* field, const QString& text) {
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }

    static void Press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // The sequence dialog answered through the controller's seam: a list of targets, each held
    // `hold` hours, no settling segment.
    void AppendSequence(const QString& values, double hold) {
        program.Targets().SetAskSequence([&](UnitMain::TSequenceDialog& dialog) {
            dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            dialog.RadioSequenceList->setChecked(true);
            Type(dialog.EditSequenceList, values);
            dialog.EditSequenceHold->SetValue(hold);
            dialog.EditSequenceSettling->SetValue(0.0);
            return true;
        });
        Press(box()->ButtonTargetSequence);
        // The dialog has gone; the window is the operator's again.
        QApplication::setActiveWindow(&form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    }

    std::vector<std::string> ListLines() {
        std::vector<std::string> lines;
        for (int i = 0; i < op()->RzTabbedListBoxSteps->Count(); ++i) {
            lines.push_back(op()->RzTabbedListBoxSteps->Item(i));
        }
        return lines;
    }

    // The one run data file in Userdata beside the program file.
    fs::path RunDataFile() const {
        for (const auto& entry : fs::directory_iterator(folder.File("Userdata"))) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Run ", 0) == 0 && entry.path().extension() == ".csv") {
                return entry.path();
            }
        }
        return {};
    }

    TForm1& form() { return program.Form(); }
    UnitMain::TMixtureOperationTab* op() { return form().Operation; }
    TTargetBox* box() { return form().Operation->GroupBoxTarget; }
    UnitMain::TMoistrelState& state() { return program.State(); }

    TestSupport::TSimHarness sim{TestSupport::ManualClock()};
    TestSupport::TTempFolder folder{"moistrel-target-program"};
    Base::TRecordingDialogs dialogs;
    App::TMoistrel program{sim.Clock(), TestSupport::PlacesIn(folder), &dialogs};
};

TEST_F(TargetProgramTest, AnAppliedTargetStaysWithItsSegmentUntilAFlowIsTypedByHand) {
    Type(box()->EditTargetValue, QStringLiteral("40"));
    const Target::TTargetInput input = program.Targets().GatherInput();
    Press(box()->ButtonApplyTarget);
    const Target::TTargetSolution solution = Target::SolveTarget(state(), input);
    ASSERT_TRUE(solution.Ok) << solution.Refusal;
    // The design panel's figures are at the design's conditions (75 ºC, 1500 mbar), not the target's.
    const std::vector<std::string> panel = op()->Memo1->Lines();
    ASSERT_FALSE(panel.empty());
    EXPECT_EQ(panel.back(),
              "The figures above are for 75 \u00BAC and 1500 mbar; the target and the segments made "
              "of it are for 23 \u00BAC and 1013.25 mbar.");
    Press(op()->ButtonAddStep);
    ASSERT_EQ(state().SegmentProgram.size(), 1U);
    const TGasItem& applied = state().SegmentProgram[0];
    ASSERT_TRUE(applied.Target.has_value());
    EXPECT_EQ(applied.Target->Input, input);
    EXPECT_EQ(applied.Target->Name, "RH 40 %");
    EXPECT_EQ(applied.StepName, "RH 40 %");
    EXPECT_EQ(applied.Components, solution.Segment.Components) << "the flows the target solves to";
    EXPECT_NEAR(Target::TargetFigure(applied, input.Target, input.Pressure_mbar), solution.Achieved, 1e-9);
    EXPECT_EQ(ListLines().at(0).substr(ListLines().at(0).rfind('\t')), "\tTarget: RH 40 %");

    // Recalled and saved over itself, it is still the segment of its target.
    op()->RzTabbedListBoxSteps->SetItemIndex(0);
    program.Segments().RetrieveStep();
    Press(op()->ButtonAddStep);
    ASSERT_EQ(state().SegmentProgram.size(), 1U);
    EXPECT_EQ(state().SegmentProgram[0].Target, applied.Target);

    // A flow typed by hand: the next segment has flows only, and so has the one after it.
    op()->RzTabbedListBoxSteps->SetItemIndex(-1);
    Type(op()->RtIntegerEditY1Flow, QStringLiteral("15000"));
    QTest::keyClick(op()->RtIntegerEditY1Flow, Qt::Key_Return);
    Press(op()->ButtonAddStep);
    Press(op()->ButtonAddStep);
    ASSERT_EQ(state().SegmentProgram.size(), 3U);
    EXPECT_FALSE(state().SegmentProgram[1].Target.has_value());
    EXPECT_FALSE(state().SegmentProgram[2].Target.has_value());
    EXPECT_EQ(ListLines().at(1).find("Target"), std::string::npos) << ListLines().at(1);

    // Typed back to the target's own flow, the fields no longer say which target they came from.
    Type(op()->RtIntegerEditY1Flow, QString::number(solution.FlowA_ugpm));
    QTest::keyClick(op()->RtIntegerEditY1Flow, Qt::Key_Return);
    Press(op()->ButtonAddStep);
    ASSERT_EQ(state().SegmentProgram.size(), 4U);
    EXPECT_FALSE(state().SegmentProgram[3].Target.has_value());
}

TEST_F(TargetProgramTest, AFiveTargetSequenceAppendsFiveNamedSegmentsThatShowTheirTargets) {
    AppendSequence(QStringLiteral("10, 30, 50, 70, 90"), 0.5);
    const std::vector<std::string> names{"RH 10 %", "RH 30 %", "RH 50 %", "RH 70 %", "RH 90 %"};
    ASSERT_EQ(state().SegmentProgram.size(), names.size());
    const std::vector<std::string> lines = ListLines();
    ASSERT_EQ(lines.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const TGasItem& segment = state().SegmentProgram[i];
        EXPECT_EQ(segment.StepName, names[i]);
        ASSERT_TRUE(segment.Target.has_value()) << names[i];
        EXPECT_EQ(segment.Target->Name, names[i]);
        EXPECT_EQ(segment.Target->Input.Target.Value, 10.0 + 20.0 * static_cast<double>(i));
        EXPECT_EQ(lines[i], Program::StepListLine(i, segment));
        EXPECT_EQ(lines[i].substr(lines[i].rfind('\t')), "\tTarget: " + names[i]) << lines[i];
    }
}

TEST_F(TargetProgramTest, ARunOfASequenceLeavesADataFileWhoseTargetAndRHFollowIt) {
    // 0.0006 h: 2.16 s of instrument time a target, two or three lines of the data file each.
    AppendSequence(QStringLiteral("10, 30, 50, 70, 90"), 0.0006);
    const std::vector<TGasItem> sequence = state().SegmentProgram;
    ASSERT_EQ(sequence.size(), 5U);
    Press(op()->ButtonApply);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning)
        << (dialogs.Messages.empty() ? "" : dialogs.Messages[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return state().MixerState == UnitMain::msValidated; }, 120000));

    const std::vector<std::string> lines = ReadLines(RunDataFile());
    ASSERT_GT(lines.size(), 6U);
    const std::vector<std::string> header = CsvFields(lines[0]);
    ASSERT_EQ(header, CsvFields(UnitMain::RunDataHeader()));
    const auto column = [&header](const std::string& name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const std::size_t segmentAt = column("Segment");
    const std::size_t rhAt = column("RH %");
    const std::size_t targetAt = column("Target");
    const std::size_t pumpAt = column("Pump command");
    ASSERT_LT(targetAt, header.size());
    ASSERT_LT(rhAt, header.size());

    // Segment by segment, in the order of the sequence: its target's name and the RH it gives.
    std::vector<std::string> targetsSeen;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = CsvFields(lines[i]);
        ASSERT_EQ(f.size(), header.size()) << lines[i];
        const int number = std::stoi(f[segmentAt]);
        if (number == 0) {
            EXPECT_EQ(f[targetAt], "") << "before the first segment: " << lines[i];
            continue;
        }
        ASSERT_GE(number, 1) << lines[i];
        ASSERT_LE(number, 5) << lines[i];
        const TGasItem& segment = sequence[static_cast<std::size_t>(number - 1)];
        EXPECT_EQ(f[targetAt], segment.Target->Name) << lines[i];
        const GasMixtures::TTargetInput& target = segment.Target->Input;
        const double achieved = Target::TargetFigure(segment, target.Target, target.Pressure_mbar);
        EXPECT_EQ(f[rhAt], TwoDecimals(achieved)) << lines[i];
        // What the pump's whole speeds leave of the target: its next speed step is farther.
        const double step = target.Target.Value / std::max(1, SpeedOf(f[pumpAt]) - 1);
        EXPECT_NEAR(std::stod(f[rhAt]), target.Target.Value, step) << lines[i];
        if (targetsSeen.empty() || targetsSeen.back() != f[targetAt]) {
            targetsSeen.push_back(f[targetAt]);
        }
    }
    EXPECT_EQ(targetsSeen, (std::vector<std::string>{"RH 10 %", "RH 30 %", "RH 50 %", "RH 70 %", "RH 90 %"}));
}

TEST_F(TargetProgramTest, AProgramOfTargetsLoadedAfterTheSyringeChangedIsSolvedAgainAndTheOperatorTold) {
    AppendSequence(QStringLiteral("20, 60"), 0.5);
    // And a segment of flows typed by hand, which keeps the checks of any loaded segment.
    Type(op()->EditStepComments, QStringLiteral("by hand"));
    Type(op()->RtIntegerEditY1Flow, QStringLiteral("20000"));
    QTest::keyClick(op()->RtIntegerEditY1Flow, Qt::Key_Return);
    Type(op()->RtIntegerEditY2Flow, QStringLiteral("50000"));
    QTest::keyClick(op()->RtIntegerEditY2Flow, Qt::Key_Return);
    Type(op()->RtDoubleEditFluidFlow, QStringLiteral("1000"));
    QTest::keyClick(op()->RtDoubleEditFluidFlow, Qt::Key_Return);
    Press(op()->ButtonAddStep);
    ASSERT_EQ(state().SegmentProgram.size(), 3U);
    ASSERT_FALSE(state().SegmentProgram[2].Target.has_value());
    const std::vector<TGasItem> saved = state().SegmentProgram;
    const std::string path = folder.File("targets.mixprog");
    dialogs.FileNames.emplace_back(path);
    Press(op()->ButtonSaveProgram);
    ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();

    // Since the save the pump got a 100 µL syringe.
    UnitMain::TMoistrelState& s = state();
    s.PumpDetails.SYRINGE_VOLUME_INDEX = 1;
    s.PumpDetails.SYRINGE_VOLUMEul = UnitMain::GetSyringeVolume(1);
    UnitMain::UpdateSyringeSize(s.PumpDetails);
    const Target::TTargetSolution rh20 = Target::SolveTarget(s, saved[0].Target->Input);
    const Target::TTargetSolution rh60 = Target::SolveTarget(s, saved[1].Target->Input);
    ASSERT_TRUE(rh20.Ok && rh60.Ok) << rh20.Refusal << rh60.Refusal;
    ASSERT_NE(rh20.PumpCommand, saved[0].Components.at(1).PumpCommand) << "the syringe makes a difference";

    dialogs.Answers = {true};
    dialogs.FileNames.emplace_back(path);
    Press(op()->ButtonLoadProgram);
    ASSERT_EQ(dialogs.Questions.size(), 1U) << "the operator is asked";
    const std::string question = dialogs.Questions[0].Text;
    for (const char* said :
         {"does not load as it was saved", "Segment 1 \"RH 20 %\": solved again from its target RH 20 %: A ",
          "Segment 2 \"RH 60 %\": solved again from its target RH 60 %: A ",
          "Segment 3 \"by hand\": pump command"}) {
        EXPECT_NE(question.find(said), std::string::npos) << said << "\n" << question;
    }
    EXPECT_NE(question.find(", pump command \"" + rh20.PumpCommand + "\" (in the file: A "),
              std::string::npos)
        << question;

    // The flows are the targets' on the mixer as it is now: the figures are the targets' again.
    ASSERT_EQ(s.SegmentProgram.size(), 3U);
    for (std::size_t i = 0; i < 2; ++i) {
        const Target::TTargetSolution& solved = i == 0 ? rh20 : rh60;
        const TGasItem& loaded = s.SegmentProgram[i];
        EXPECT_EQ(loaded.StepName, saved[i].StepName);
        EXPECT_EQ(loaded.StepTime, saved[i].StepTime);
        EXPECT_EQ(loaded.Components, solved.Segment.Components) << loaded.StepName;
        EXPECT_EQ(loaded.Target, saved[i].Target);
        const GasMixtures::TTargetInput& target = loaded.Target->Input;
        EXPECT_NEAR(Target::TargetFigure(loaded, target.Target, target.Pressure_mbar), solved.Achieved, 1e-9);
    }
    EXPECT_FALSE(s.SegmentProgram[2].Target.has_value());
    EXPECT_EQ(ListLines(), Program::StepListLines(s.SegmentProgram));
}

} // namespace
