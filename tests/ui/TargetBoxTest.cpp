// The "Target" box of the design page in the real window: a target typed and applied fills the A,
// B and C fields with what the solver finds and the design panel shows the figure the box calls
// achieved; a target out of reach is refused with its range; "Sequence..." appends a whole
// sequence, or nothing.

#include "app/TMoistrel.h"
#include "base/Clock.h"
#include "model/GasItem.h"
#include "state/MoistrelState.h"
#include "support/ProgramPlaces.h"
#include "target/TargetSolver.h"
#include "ui/TForm1.h"
#include "ui/controllers/TDesignController.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using UnitMain::TForm1;
using UnitMain::TTargetBox;

class TargetBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        program.Startup();
        form->show();
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        form->PageControl1->setCurrentIndex(TForm1::pgMixtureOperation);
        QApplication::processEvents();
    }

    static void Type(QWidget* field, const QString& text) {
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }

    // The box as an operator fills it; the conditions as they stand.
    void Fill(int kind, const QString& value, const QString& carrier, const QString& bShare) {
        box()->ComboBoxTargetKind->setCurrentIndex(kind);
        Type(box()->EditTargetValue, value);
        Type(box()->EditTargetCarrier, carrier);
        Type(box()->EditTargetBShare, bShare);
    }

    void Apply() const { QTest::mouseClick(box()->ButtonApplyTarget, Qt::LeftButton); }

    std::string LastMemoLine() const {
        const std::vector<std::string> lines = form->Operation->Memo1->Lines();
        return lines.empty() ? std::string() : lines.back();
    }

    TTargetBox* box() const { return form->Operation->GroupBoxTarget; }
    UnitMain::TMixtureOperationTab* op() const { return form->Operation; }

    Base::TManualClock clock{46000.5};
    TestSupport::TTempFolder folder{"moistrel-target-box"};
    App::TMoistrel program{clock, TestSupport::PlacesIn(folder)};
    TForm1* form = &program.Form();
    UnitMain::TMoistrelState& state = program.State();
};

TEST_F(TargetBoxTest, EveryFieldIsNamedByItsLabel) {
    const std::vector<std::pair<QWidget*, QString>> fields{
        {box()->ComboBoxTargetKind, QStringLiteral("Kind")},
        {box()->EditTargetValue, QStringLiteral("Value")},
        {box()->EditTargetSubstance, QStringLiteral("Substance")},
        {box()->EditTargetCarrier, QStringLiteral("Carrier flow")},
        {box()->ComboBoxTargetCarrierUnit, QStringLiteral("Carrier unit")},
        {box()->EditTargetBShare, QStringLiteral("B share")},
        {box()->EditTargetTemp, QStringLiteral("Temperature")},
        {box()->EditTargetPressure, QStringLiteral("Pressure")},
    };
    for (const auto& [field, name] : fields) {
        EXPECT_EQ(field->accessibleName(), name) << field->objectName().toStdString();
    }
    // A label's buddy is the field it names, so its mnemonic and a screen reader reach it.
    for (QLabel* label : box()->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            EXPECT_EQ(label->buddy()->accessibleName(), label->text()) << label->text().toStdString();
        }
    }
}

TEST_F(TargetBoxTest, TheConditionsStartAsTheDesignsCustomConditions) {
    EXPECT_DOUBLE_EQ(box()->EditTargetTemp->Value(), state.DesignInputs.CustomTempC);
    EXPECT_DOUBLE_EQ(box()->EditTargetPressure->Value(), state.DesignInputs.CustomPressure_mbar);
}

TEST_F(TargetBoxTest, TheKindChoosesTheUnitAndTheSubstanceField) {
    struct TRow {
        int Kind;
        const char* Unit;
        bool Substance;
    };
    for (const TRow& row :
         {TRow{TTargetBox::KindRelativeHumidity, "%", false},
          TRow{TTargetBox::KindDewPoint, "\u00BAC", false}, TRow{TTargetBox::KindPPM, "ppm", true}}) {
        box()->ComboBoxTargetKind->setCurrentIndex(row.Kind);
        EXPECT_EQ(box()->LabelTargetUnit->text(), QString::fromUtf8(row.Unit));
        EXPECT_EQ(box()->EditTargetSubstance->isEnabled(), row.Substance);
    }
}

// Each kind of target applied on the demonstration mixer: the fields hold the solver's flows, the
// design as a segment gives the achieved figure, and the segment is named after the target.
TEST_F(TargetBoxTest, AnAppliedTargetFillsTheFlowsAndTheDesignGivesTheAchievedFigure) {
    struct TRow {
        int Kind;
        const char* Value;
        const char* BShare;
        const char* Name;
    };
    for (const TRow& row : {TRow{TTargetBox::KindRelativeHumidity, "40", "0", "RH 40 %"},
                            TRow{TTargetBox::KindDewPoint, "-10", "50", "Td -10 \u00BAC"},
                            TRow{TTargetBox::KindPPM, "5000", "25", "Water pure 5000 ppm"}}) {
        SCOPED_TRACE(row.Name);
        Fill(row.Kind, QString::fromUtf8(row.Value), QStringLiteral("0.03"), QString::fromUtf8(row.BShare));
        const Target::TTargetInput input = program.Targets().GatherInput();
        Apply();
        const Target::TTargetSolution solution = Target::SolveTarget(state, input);
        ASSERT_TRUE(solution.Ok) << solution.Refusal;
        EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), solution.FlowA_ugpm);
        EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), solution.FlowB_ugpm);
        EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Value(), solution.FlowC_ugpm);
        EXPECT_DOUBLE_EQ(op()->RtDoubleEditAchievableFluid->Value(), solution.AchievableC_ugpm);
        EXPECT_EQ(op()->Label30->text().toStdString(), solution.PumpCommand);
        EXPECT_EQ(op()->EditStepComments->text().toStdString(), row.Name);

        const GasMixtures::TGasItem design = program.Design().CreateMixture();
        const double figure = Target::TargetFigure(design, input.Target, input.Pressure_mbar);
        EXPECT_NEAR(figure, solution.Achieved, 1e-9);
        // The pump runs at whole speeds: what it reaches lies in the range, near the target.
        EXPECT_GE(solution.Achieved, solution.ReachableLow);
        EXPECT_LE(solution.Achieved, solution.ReachableHigh);
        EXPECT_EQ(box()->LabelTargetAchieved->text().toStdString(),
                  Target::AchievedText(solution, input.Target.Kind));
        EXPECT_EQ(box()->LabelTargetRange->text().toStdString(),
                  Target::ReachableText(solution, input.Target.Kind));
        EXPECT_NE(box()->LabelTargetRange->text(), QStringLiteral("Reachable: unknown"));
    }
}

TEST_F(TargetBoxTest, ATargetOutOfReachIsRefusedWithItsRangeAndLeavesTheFields) {
    Fill(TTargetBox::KindPPM, QStringLiteral("999000"), QStringLiteral("0.03"), QStringLiteral("0"));
    const int a = op()->RtIntegerEditY1Flow->Value();
    const double c = op()->RtDoubleEditFluidFlow->Value();
    Apply();
    EXPECT_NE(LastMemoLine().find("lies outside what the mixer reaches"), std::string::npos)
        << LastMemoLine();
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), a);
    EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Value(), c);
    EXPECT_EQ(box()->LabelTargetAchieved->text(), QStringLiteral("Achieved: none"));
    EXPECT_TRUE(box()->LabelTargetRange->text().startsWith(QStringLiteral("Reachable: ")))
        << box()->LabelTargetRange->text().toStdString();
    EXPECT_NE(box()->LabelTargetRange->text(), QStringLiteral("Reachable: unknown"));

    // No carrier at all: nothing to reach, and the operator is told what to enter.
    Fill(TTargetBox::KindRelativeHumidity, QStringLiteral("50"), QStringLiteral("0"), QStringLiteral("0"));
    Apply();
    EXPECT_EQ(LastMemoLine(), "No carrier flow: enter the total flow of MFC A and MFC B.");
    EXPECT_EQ(box()->LabelTargetRange->text(), QStringLiteral("Reachable: unknown"));
}

// The dialog as the operator fills it, answered through the controller's seam.
struct TSequenceAnswer {
    bool List = true;
    QString Values;
    double From = 0.0, To = 0.0, Step = 0.0;
    double Hold = 0.5;
    double Settling = 0.0;
    bool Accept = true;
};

TEST_F(TargetBoxTest, ASequenceAppendsOneNamedSegmentPerTargetOrNothing) {
    struct TRow {
        const char* Name;
        TSequenceAnswer Answer;
        std::vector<std::string> Names; // of the appended segments; none: refused
        const char* Said;               // the last line of the design panel
    };
    const std::vector<TRow> rows{
        {"a list with a settling segment",
         {true, QStringLiteral("10, 50, 30"), 0, 0, 0, 0.5, 0.25, true},
         {"Settling, RH 10 %", "RH 10 %", "RH 50 %", "RH 30 %"},
         "Sequence: 4 segments appended."},
        {"from, to and step",
         {false, QString(), 20, 60, 20, 1.0, 0.0, true},
         {"RH 20 %", "RH 40 %", "RH 60 %"},
         "Sequence: 3 segments appended."},
        {"cancelled", {true, QStringLiteral("10"), 0, 0, 0, 0.5, 0.0, false}, {}, nullptr},
        {"text that is no number", {true, QStringLiteral("10, ten"), 0, 0, 0, 0.5, 0.0, true}, {}, nullptr},
        {"one target out of reach refuses all",
         {true, QStringLiteral("10, 120"), 0, 0, 0, 0.5, 0.0, true},
         {},
         nullptr},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        state.SegmentProgram.clear();
        program.Segments().ShowStepProgram();
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        Fill(TTargetBox::KindRelativeHumidity, QStringLiteral("50"), QStringLiteral("0.03"),
             QStringLiteral("0"));
        const std::vector<std::string> memoBefore = op()->Memo1->Lines();
        const TSequenceAnswer answer = row.Answer;
        bool asked = false;
        program.Targets().SetAskSequence([&](UnitMain::TSequenceDialog& dialog) {
            asked = true;
            dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            (answer.List ? dialog.RadioSequenceList : dialog.RadioSequenceRange)->setChecked(true);
            if (answer.List) {
                Type(dialog.EditSequenceList, answer.Values);
            } else {
                dialog.EditSequenceFrom->SetValue(answer.From);
                dialog.EditSequenceTo->SetValue(answer.To);
                dialog.EditSequenceStep->SetValue(answer.Step);
            }
            dialog.EditSequenceHold->SetValue(answer.Hold);
            dialog.EditSequenceSettling->SetValue(answer.Settling);
            return answer.Accept;
        });
        QTest::mouseClick(box()->ButtonTargetSequence, Qt::LeftButton);
        EXPECT_TRUE(asked);

        std::vector<std::string> names;
        for (const GasMixtures::TGasItem& segment : state.SegmentProgram) {
            names.push_back(segment.StepName);
        }
        EXPECT_EQ(names, row.Names);
        EXPECT_EQ(op()->RzTabbedListBoxSteps->Count(), static_cast<int>(row.Names.size()));
        if (row.Said != nullptr) {
            EXPECT_EQ(LastMemoLine(), row.Said);
            ASSERT_FALSE(state.SegmentProgram.empty());
            EXPECT_DOUBLE_EQ(state.SegmentProgram.back().StepTime, answer.Hold);
            if (answer.Settling > 0.0) {
                EXPECT_DOUBLE_EQ(state.SegmentProgram.front().StepTime, answer.Settling);
            }
        } else if (answer.Accept) {
            // A refusal says why in the design panel.
            EXPECT_NE(op()->Memo1->Lines(), memoBefore);
            EXPECT_FALSE(LastMemoLine().empty());
        } else {
            EXPECT_EQ(op()->Memo1->Lines(), memoBefore);
        }
    }
}

} // namespace
