// The segment editor in the real window: "Add or Save Segment" and "Delete last Segment" pressed
// with the mouse, list lines clicked, keys released in the list, the refusal lines in Memo1.

#include "program/SegmentEditor.h"

#include "app/TMoistrel.h"
#include "base/Clock.h"
#include "model/GasItem.h"
#include "state/MoistrelState.h"
#include "support/ProgramPlaces.h"
#include "ui/TForm1.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TDebugTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TTabbedListBox.h"
#include "ui/widgets/TTrackBar.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidgetItem>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace {

using UnitMain::TForm1;

// After start-up the demonstration gases flow in the middle of their ranges and the C flow is 0.
constexpr const char* StartFlows = "A:18049 B:45046 ";

GasMixtures::TGasItem Flow(std::int32_t instrumentId, float mass_gpm) {
    GasMixtures::TGasItem flow;
    flow.InstrumentID = instrumentId;
    flow.Mass = mass_gpm;
    return flow;
}

GasMixtures::TGasItem Segment(const std::string& name, double hours,
                              std::vector<GasMixtures::TGasItem> components) {
    GasMixtures::TGasItem segment;
    segment.StepName = name;
    segment.StepTime = hours;
    segment.Valid = true;
    segment.Components = std::move(components);
    return segment;
}

// The whole program as main() builds it, started without a settings file, on the design page.
class SegmentEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        program.Startup();
        form->show();
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        form->PageControl1->setCurrentIndex(TForm1::pgMixtureOperation);
        QApplication::processEvents();
    }

    // Replaces the text of a field by typing, one key at a time.
    static void Type(QWidget* field, const QString& text) {
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }

    void Press(QPushButton* button) const { QTest::mouseClick(button, Qt::LeftButton); }
    void Add() const { Press(op()->ButtonAddStep); }
    void Delete() const { Press(op()->ButtonSegmentDelete); }

    // Adds a segment with this comment and these flows (µg/min); the other fields as they stand.
    void AddDesign(const QString& comment, const QString& flowA, const QString& flowC = QStringLiteral("0")) {
        Type(op()->EditStepComments, comment);
        Type(op()->RtIntegerEditY1Flow, flowA);
        Type(op()->RtDoubleEditFluidFlow, flowC);
        Add();
    }

    // A mouse click in the middle of a line of the segment list.
    void ClickLine(int index) const {
        Widgets::TTabbedListBox* list = list_();
        QTreeWidgetItem* item = list->topLevelItem(index);
        ASSERT_NE(item, nullptr);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        ASSERT_TRUE(list->hasFocus());
    }

    // A key pressed and released in the segment list.
    void KeyInList(Qt::Key key) const {
        list_()->setFocus();
        ASSERT_TRUE(list_()->hasFocus());
        QTest::keyClick(list_(), key);
    }

    std::vector<std::string> ListLines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < list_()->Count(); ++i) {
            lines.push_back(list_()->Item(i));
        }
        return lines;
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& segment : state.SegmentProgram) {
            names.push_back(segment.StepName);
        }
        return names;
    }

    UnitMain::TMixtureOperationTab* op() const { return form->Operation; }
    Widgets::TTabbedListBox* list_() const { return form->Operation->RzTabbedListBoxSteps; }

    Base::TManualClock clock{46000.5};
    TestSupport::TTempFolder folder{"moistrel-program"};
    App::TMoistrel program{clock, TestSupport::PlacesIn(folder)};
    TForm1* form = &program.Form();
    UnitMain::TMoistrelState& state = program.State();
};

TEST_F(SegmentEditorTest, PressesWithoutCommentNameTheSegmentsByTheirNumbers) {
    Add();
    Add();
    Add();
    const std::string flows = std::string("\t0 h 45 min \t") + StartFlows;
    EXPECT_EQ(ListLines(),
              (std::vector<std::string>{"1\tID:1" + flows, "2\tID:2" + flows, "3\tID:3" + flows}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"ID:1", "ID:2", "ID:3"}));
    EXPECT_EQ(list_()->ItemIndex(), -1);
}

TEST_F(SegmentEditorTest, SavingOverTheSelectedSegmentKeepsTheCountAndThenAppends) {
    Add();
    Add();
    Add();
    ClickLine(0);
    EXPECT_EQ(list_()->ItemIndex(), 0);
    EXPECT_EQ(op()->EditStepComments->text(), QStringLiteral("ID:1"));

    // The comment cleared: the saved segment takes the number an appended one would have.
    Type(op()->EditStepComments, QString());
    Type(op()->RtIntegerEditY1Flow, QStringLiteral("20000"));
    Add();
    EXPECT_EQ(Names(), (std::vector<std::string>{"ID:4", "ID:2", "ID:3"}));
    ASSERT_EQ(list_()->Count(), 3);
    EXPECT_EQ(list_()->Item(0), "1\tID:4\t0 h 45 min \tA:20000 B:45046 ");
    EXPECT_EQ(list_()->ItemIndex(), -1);

    // The rebuilt list has no selection, so the next press appends.
    Add();
    EXPECT_EQ(Names(), (std::vector<std::string>{"ID:4", "ID:2", "ID:3", "ID:4"}));
    EXPECT_EQ(list_()->Count(), 4);
}

TEST_F(SegmentEditorTest, EscThenAddAppendsTheLoadedSegmentAndKeepsTheSelectedOne) {
    Type(op()->RtDoubleEditStepDuration, QStringLiteral("1.5"));
    AddDesign(QStringLiteral("Dry"), QStringLiteral("20000"), QStringLiteral("1000"));
    Type(op()->RtDoubleEditStepDuration, QStringLiteral("0.75"));
    AddDesign(QStringLiteral("Wet"), QStringLiteral("30000"));
    const std::string first = list_()->Item(0);
    EXPECT_EQ(first, "1\tDry\t1 h 30 min \tA:20000 B:45046 C:996 ");

    ClickLine(0);
    KeyInList(Qt::Key_Escape);
    EXPECT_EQ(list_()->ItemIndex(), -1);
    // The fields keep what was loaded.
    EXPECT_EQ(op()->EditStepComments->text(), QStringLiteral("Dry"));
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 20000);

    Add();
    ASSERT_EQ(list_()->Count(), 3);
    EXPECT_EQ(list_()->Item(0), first);
    EXPECT_EQ(list_()->Item(2), "3" + first.substr(1));
    ASSERT_EQ(state.SegmentProgram.size(), 3U);
    EXPECT_DOUBLE_EQ(state.SegmentProgram[2].StepTime, 1.5);
    EXPECT_EQ(state.SegmentProgram[2].Components.size(), state.SegmentProgram[0].Components.size());
}

TEST_F(SegmentEditorTest, DeleteRemovesTheLastSegmentWhicheverIsSelected) {
    AddDesign(QStringLiteral("one"), QStringLiteral("20000"));
    AddDesign(QStringLiteral("two"), QStringLiteral("20000"));
    AddDesign(QStringLiteral("three"), QStringLiteral("20000"));
    const std::vector<std::string> memo = op()->Memo1->Lines();
    ClickLine(0);
    Delete();
    EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(list_()->Count(), 2);
    EXPECT_EQ(list_()->ItemIndex(), -1);
    EXPECT_EQ(op()->Memo1->Lines(), memo);
}

// A refused delete: the pane gets an empty line and the refusal, the program stays, and the list
// is rebuilt all the same.
struct TRefusedDelete {
    const char* Case;
    int Segments;
    UnitMain::TMixerState MixerState;
};

void PrintTo(const TRefusedDelete& row, std::ostream* os) {
    *os << row.Case;
}

class RefusedDeleteTest : public SegmentEditorTest, public ::testing::WithParamInterface<TRefusedDelete> {};

TEST_P(RefusedDeleteTest, AddsAnEmptyLineAndTheRefusal) {
    const TRefusedDelete& row = GetParam();
    for (int i = 0; i < row.Segments; ++i) {
        Add();
    }
    state.MixerState = row.MixerState;
    if (row.Segments > 0) {
        ClickLine(0);
    }
    const std::vector<std::string> before = op()->Memo1->Lines();
    ASSERT_FALSE(before.empty());

    Delete();
    std::vector<std::string> expected = before;
    expected.emplace_back();
    expected.emplace_back(Program::DeleteRefusal);
    EXPECT_EQ(op()->Memo1->Lines(), expected);
    EXPECT_EQ(state.SegmentProgram.size(), static_cast<std::size_t>(row.Segments));
    EXPECT_EQ(list_()->Count(), row.Segments);
    EXPECT_EQ(list_()->ItemIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(Segments, RefusedDeleteTest,
                         ::testing::Values(TRefusedDelete{"empty_program", 0, UnitMain::msSimulation},
                                           TRefusedDelete{"running", 2, UnitMain::msRunning}),
                         [](const auto& row) { return std::string(row.param.Case); });

// A design without any flow is refused with the ppm text on an otherwise empty design panel, and a
// second press does not stack a second refusal: in simulation and with validated instruments
// (where the demonstration values, and with them the panel's refresh, stay out of the press).
struct TNoFlow {
    const char* Case;
    UnitMain::TMixerState MixerState;
};

void PrintTo(const TNoFlow& row, std::ostream* os) {
    *os << row.Case;
}

class NoFlowTest : public SegmentEditorTest, public ::testing::WithParamInterface<TNoFlow> {};

TEST_P(NoFlowTest, IsRefusedWithThePpmText) {
    state.MixerState = GetParam().MixerState;
    Type(op()->RtIntegerEditY1Flow, QStringLiteral("0"));
    Type(op()->RtIntegerEditY2Flow, QStringLiteral("0"));
    QTest::keyClick(op()->RtIntegerEditY2Flow, Qt::Key_Return);
    ASSERT_EQ(op()->RtDoubleEditAchievableFluid->Value(), 0.0);

    const std::vector<std::string> refused{"", Program::InvalidMixtureRefusal};
    Add();
    EXPECT_EQ(op()->Memo1->Lines(), refused);
    Add();
    EXPECT_EQ(op()->Memo1->Lines(), refused);
    EXPECT_TRUE(state.SegmentProgram.empty());
    EXPECT_EQ(list_()->Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(States, NoFlowTest,
                         ::testing::Values(TNoFlow{"simulation", UnitMain::msSimulation},
                                           TNoFlow{"validated", UnitMain::msValidated}),
                         [](const auto& row) { return std::string(row.param.Case); });

TEST_F(SegmentEditorTest, AFluidAboveThePpmLimitIsRefusedBelowTheDesignPanel) {
    state.PumpDetails.FLUID_MAX_PPM = 10;
    Type(op()->RtDoubleEditFluidFlow, QStringLiteral("1000"));
    const std::vector<std::string> panel = op()->Memo1->Lines();
    ASSERT_FALSE(panel.empty());

    Add();
    std::vector<std::string> expected = panel;
    expected.emplace_back(Program::InvalidMixtureRefusal);
    EXPECT_EQ(op()->Memo1->Lines(), expected);
    EXPECT_TRUE(state.SegmentProgram.empty());
}

// What the list shows for a design entered in the fields.
struct TListedDesign {
    const char* Case;
    const char* Comment;
    const char* Duration;
    const char* FlowA;
    const char* FlowB;
    const char* FlowC;
    const char* TurndownB; // of the demonstration MFC B: 1000 lets B flow 500 µg/min
    const char* Line;
};

void PrintTo(const TListedDesign& row, std::ostream* os) {
    *os << row.Case;
}

class ListedDesignTest : public SegmentEditorTest, public ::testing::WithParamInterface<TListedDesign> {};

TEST_P(ListedDesignTest, ShowsNumberNameDurationAndFlows) {
    const TListedDesign& row = GetParam();
    form->PageControl1->setCurrentIndex(TForm1::pgDebug);
    Type(form->Debug->RtDoubleEditY2DemoTurndown, QString::fromUtf8(row.TurndownB));
    form->PageControl1->setCurrentIndex(TForm1::pgMixtureOperation);
    Type(op()->RtDoubleEditStepDuration, QString::fromUtf8(row.Duration));
    Type(op()->RtIntegerEditY1Flow, QString::fromUtf8(row.FlowA));
    Type(op()->RtIntegerEditY2Flow, QString::fromUtf8(row.FlowB));
    Type(op()->RtDoubleEditFluidFlow, QString::fromUtf8(row.FlowC));
    Type(op()->EditStepComments, QString::fromUtf8(row.Comment));
    Add();
    EXPECT_EQ(ListLines(), std::vector<std::string>{row.Line});
}

INSTANTIATE_TEST_SUITE_P(Designs, ListedDesignTest,
                         ::testing::Values(TListedDesign{"start_design", "", "0.75", "18049", "45046", "0",
                                                         "100", "1\tID:1\t0 h 45 min \tA:18049 B:45046 "},
                                           TListedDesign{"only_B", "", "0.75", "0", "500", "0", "1000",
                                                         "1\tID:1\t0 h 45 min \tB:500 "},
                                           TListedDesign{"A_and_C", "Dry", "1.5", "120", "0", "1000", "100",
                                                         "1\tDry\t1 h 30 min \tA:120 C:996 "},
                                           TListedDesign{"minutes_rounded", "Long", "2.999", "0", "0", "1000",
                                                         "100", "1\tLong\t2 h 60 min \tC:996 "}),
                         [](const auto& row) { return std::string(row.param.Case); });

TEST_F(SegmentEditorTest, ShowStepProgramListsTheSegmentsInColumns) {
    state.SegmentProgram = {Segment("Dry", 1.5, {Flow(0, 0.000120F), Flow(2, 0.000350F)})};
    program.Segments().ShowStepProgram();
    ASSERT_EQ(list_()->Count(), 1);
    EXPECT_EQ(list_()->Item(0), "1\tDry\t1 h 30 min \tA:120 C:350 ");
    const QTreeWidgetItem* item = list_()->topLevelItem(0);
    EXPECT_EQ(item->text(1), QStringLiteral("Dry"));
    EXPECT_EQ(item->text(2), QStringLiteral("1 h 30 min "));
    EXPECT_EQ(item->text(3), QStringLiteral("A:120 C:350 "));
}

// A segment loaded by a click: its values in the fields, a missing flow as 0, and the track bars,
// the duration label and the pump command recomputed from them.
struct TLoaded {
    const char* Case;
    std::vector<GasMixtures::TGasItem> Components;
    int FlowA;
    int FlowB;
    double FlowC;
    int TrackBarA;
    int TrackBarB;
};

void PrintTo(const TLoaded& row, std::ostream* os) {
    *os << row.Case;
}

class LoadedSegmentTest : public SegmentEditorTest, public ::testing::WithParamInterface<TLoaded> {};

TEST_P(LoadedSegmentTest, PutsItsValuesIntoTheDesignFields) {
    const TLoaded& row = GetParam();
    state.SegmentProgram = {Segment("Dry", 2.5, row.Components)};
    program.Segments().ShowStepProgram();
    ClickLine(0);

    EXPECT_EQ(op()->EditStepComments->text(), QStringLiteral("Dry"));
    EXPECT_DOUBLE_EQ(op()->RtDoubleEditStepDuration->Value(), 2.5);
    EXPECT_EQ(op()->Label31->text(), QStringLiteral("02:30"));
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), row.FlowA);
    EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), row.FlowB);
    EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Value(), row.FlowC);
    EXPECT_EQ(op()->RzTrackBarY1->Position(), row.TrackBarA);
    EXPECT_EQ(op()->RzTrackBarY2->Position(), row.TrackBarB);
    // The design inputs follow the loaded comment and duration.
    EXPECT_EQ(state.DesignInputs.StepComments, "Dry");
    EXPECT_DOUBLE_EQ(state.DesignInputs.StepDuration_h, 2.5);
    EXPECT_DOUBLE_EQ(state.MFCADetails.CurrentDesiredFlow, row.FlowA / 1000000.0);
}

INSTANTIATE_TEST_SUITE_P(Segments, LoadedSegmentTest,
                         ::testing::Values(
                             // B was 45046 before: a segment without B leaves 0 there.
                             TLoaded{
                                 "without_B", {Flow(0, 0.000120F), Flow(2, 0.000350F)}, 120, 0, 350.0, 0, 0},
                             TLoaded{"only_B", {Flow(1, 0.080000F)}, 0, 80000, 0.0, 0, 9},
                             TLoaded{"all_three",
                                     {Flow(0, 0.020000F), Flow(1, 0.045046F), Flow(2, 0.000996F)},
                                     20000,
                                     45046,
                                     996.0,
                                     6,
                                     5}),
                         [](const auto& row) { return std::string(row.param.Case); });

TEST_F(SegmentEditorTest, LoadingSetsThePumpCommandOfTheLoadedFluidFlow) {
    state.SegmentProgram = {Segment("Wet", 0.75, {Flow(2, 0.001000F)})};
    program.Segments().ShowStepProgram();
    ClickLine(0);
    EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Value(), 1000.0);
    EXPECT_EQ(op()->RtDoubleEditAchievableFluid->text(), QStringLiteral("995.7"));
    EXPECT_EQ(op()->Label30->text(), QStringLiteral("/1TgV48000IA192000V64OA0G0R"));
}

TEST_F(SegmentEditorTest, ArrowsAndAnyKeyReleasedInTheListLoadTheSelectedSegment) {
    AddDesign(QStringLiteral("one"), QStringLiteral("20000"));
    AddDesign(QStringLiteral("two"), QStringLiteral("30000"));
    ClickLine(0);
    EXPECT_EQ(op()->EditStepComments->text(), QStringLiteral("one"));

    KeyInList(Qt::Key_Down);
    EXPECT_EQ(list_()->ItemIndex(), 1);
    EXPECT_EQ(op()->EditStepComments->text(), QStringLiteral("two"));
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 30000);

    // Whatever key is released in the list, the selected segment is loaded again.
    Type(op()->EditStepComments, QStringLiteral("changed"));
    Type(op()->RtIntegerEditY1Flow, QStringLiteral("10000"));
    KeyInList(Qt::Key_Shift);
    EXPECT_EQ(op()->EditStepComments->text(), QStringLiteral("two"));
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 30000);

    // Esc unselects; its release loads nothing.
    Type(op()->EditStepComments, QStringLiteral("kept"));
    KeyInList(Qt::Key_Escape);
    EXPECT_EQ(list_()->ItemIndex(), -1);
    EXPECT_EQ(op()->EditStepComments->text(), QStringLiteral("kept"));
}

TEST_F(SegmentEditorTest, ClearStepProgramEmptiesTheProgramAndTheList) {
    Add();
    Add();
    ClickLine(1);
    program.Segments().ClearStepProgram();
    EXPECT_TRUE(state.SegmentProgram.empty());
    EXPECT_EQ(list_()->Count(), 0);
    EXPECT_EQ(list_()->ItemIndex(), -1);

    // The next press appends; the comment loaded from segment 2 stays in its field.
    Add();
    EXPECT_EQ(ListLines(), std::vector<std::string>{std::string("1\tID:2\t0 h 45 min \t") + StartFlows});
}

// What a field shows once the operator has left it is what the segment holds, or the segment is
// refused with a line saying why. The rest of the design is the start-up one: A 18049, B 45046,
// no C, 0.75 hours.
enum class TDesignField : std::uint8_t { dfA, dfB, dfC, dfDuration };

struct TShownAndHeld {
    const char* Case;
    TDesignField Field;
    const char* Typed;
    const char* Shown;   // the field's text after the press
    const char* Refusal; // empty: added
};

void PrintTo(const TShownAndHeld& row, std::ostream* os) {
    *os << row.Case;
}

class ShownAndHeldTest : public SegmentEditorTest, public ::testing::WithParamInterface<TShownAndHeld> {
protected:
    Widgets::TNumberEdit* FieldOf(TDesignField field) const {
        switch (field) {
        case TDesignField::dfA:
            return op()->RtIntegerEditY1Flow;
        case TDesignField::dfB:
            return op()->RtIntegerEditY2Flow;
        case TDesignField::dfC:
            return op()->RtDoubleEditFluidFlow;
        case TDesignField::dfDuration:
            break;
        }
        return op()->RtDoubleEditStepDuration;
    }
};

// The flow of one instrument in a segment, µg/min; 0 when the segment has none.
double HeldFlow(const GasMixtures::TGasItem& segment, std::int32_t instrumentId) {
    for (const GasMixtures::TGasItem& component : segment.Components) {
        if (component.InstrumentID == instrumentId) {
            return static_cast<double>(component.Mass) * 1000000.0;
        }
    }
    return 0.0;
}

TEST_P(ShownAndHeldTest, TheSegmentHoldsWhatTheFieldsShow) {
    const TShownAndHeld& row = GetParam();
    Type(FieldOf(row.Field), QString::fromUtf8(row.Typed));
    Add();
    ASSERT_FALSE(FieldOf(row.Field)->hasFocus());
    EXPECT_EQ(FieldOf(row.Field)->text().toStdString(), row.Shown);

    if (*row.Refusal != '\0') {
        EXPECT_TRUE(state.SegmentProgram.empty());
        ASSERT_FALSE(op()->Memo1->Lines().empty());
        EXPECT_EQ(op()->Memo1->Lines().back(), row.Refusal);
        return;
    }
    ASSERT_EQ(state.SegmentProgram.size(), 1U) << op()->Memo1->Lines().back();
    const GasMixtures::TGasItem& segment = state.SegmentProgram[0];
    // Every field of the design against the segment, not only the one typed into: the A and B
    // flows to the whole µg/min that the list shows and a recall puts back.
    EXPECT_EQ(std::round(HeldFlow(segment, 0)), op()->RtIntegerEditY1Flow->text().toDouble());
    EXPECT_EQ(std::round(HeldFlow(segment, 1)), op()->RtIntegerEditY2Flow->text().toDouble());
    // The C flow held is the one the pump achieves, shown to a tenth of a µg/min.
    EXPECT_NEAR(HeldFlow(segment, 2), op()->RtDoubleEditAchievableFluid->text().toDouble(), 0.05);
    EXPECT_EQ(HeldFlow(segment, 2) > 0.0, op()->RtDoubleEditFluidFlow->Value() > 0.0);
    EXPECT_EQ(segment.StepTime, op()->RtDoubleEditStepDuration->text().toDouble());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ShownAndHeldTest,
    ::testing::Values(
        TShownAndHeld{"A_negative", TDesignField::dfA, "-5000", "0", ""},
        TShownAndHeld{"A_far_too_large", TDesignField::dfA, "99999999999999999999", "35799", ""},
        TShownAndHeld{"B_negative", TDesignField::dfB, "-5000", "0", ""},
        TShownAndHeld{"B_below_its_lowest", TDesignField::dfB, "5", "0", ""},
        TShownAndHeld{"B_far_too_large", TDesignField::dfB, "99999999999999999999", "89200", ""},
        TShownAndHeld{"C_dosed", TDesignField::dfC, "1000", "1000", ""},
        // The field's bound lies above what the pump can dispense (about 259 000 µg/min here).
        TShownAndHeld{"C_far_too_large", TDesignField::dfC, "99999999999999999999", "323660",
                      Program::FluidFlowRefusal},
        TShownAndHeld{"C_beyond_the_pump", TDesignField::dfC, "280000", "280000", Program::FluidFlowRefusal},
        TShownAndHeld{"C_negative", TDesignField::dfC, "-5", "0", ""},
        TShownAndHeld{"duration_longest", TDesignField::dfDuration, "10000", "10000", ""},
        TShownAndHeld{"duration_short", TDesignField::dfDuration, "0.001", "0.001", ""},
        TShownAndHeld{"duration_negative", TDesignField::dfDuration, "-5000", "-5000",
                      Program::DurationRefusal},
        TShownAndHeld{"duration_zero", TDesignField::dfDuration, "0", "0", Program::DurationRefusal},
        TShownAndHeld{"duration_above_longest", TDesignField::dfDuration, "10000.5", "10000.5",
                      Program::DurationRefusal},
        TShownAndHeld{"duration_ages", TDesignField::dfDuration, "1e99", "1E99", Program::DurationRefusal}),
    [](const auto& row) { return std::string(row.param.Case); });

// Text that comes without a key release (an input method's commit, a paste by mouse) is held to
// MFC A's range as the field is left, like typed text. With validated instruments, where the press
// applies no demonstration values (which would bring the flow update along).
TEST_F(SegmentEditorTest, AFlowCommittedByAnInputMethodIsHeldToTheRange) {
    state.MixerState = UnitMain::msValidated;
    Type(op()->RtIntegerEditY1Flow, QString());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("99999999"));
    QApplication::sendEvent(op()->RtIntegerEditY1Flow, &commit);
    ASSERT_EQ(op()->RtIntegerEditY1Flow->Value(), 99999999);
    Add();
    EXPECT_EQ(op()->RtIntegerEditY1Flow->text(), QStringLiteral("35799"));
    ASSERT_EQ(state.SegmentProgram.size(), 1U);
    EXPECT_EQ(std::round(HeldFlow(state.SegmentProgram[0], 0)), 35799.0);
}

// The hh:mm label beside the duration, for durations the editor will refuse as well.
TEST_F(SegmentEditorTest, TheDurationLabelShowsAnyTypedDurationSensibly) {
    const struct {
        const char* Typed;
        const char* Label;
    } cases[] = {{"2.5", "02:30"}, {"-5000", "-5000:00"}, {"1e99", "1E99:00"}};
    for (const auto& c : cases) {
        Type(op()->RtDoubleEditStepDuration, QString::fromUtf8(c.Typed));
        EXPECT_EQ(op()->Label31->text().toStdString(), c.Label) << c.Typed;
    }
}

} // namespace
