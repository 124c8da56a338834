// The main window as the operator meets it: pages, controls with their names, captions, defaults,
// ranges and enabled states, fonts, the Feedback box on resizing, the busy state and closing.

#include "base/Clock.h"
#include "base/DateTime.h"
#include "ui/TForm1.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TRadioGroup.h"
#include "ui/widgets/TStatusPanels.h"
#include "ui/widgets/TTabbedListBox.h"
#include "ui/widgets/TTrackBar.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>

namespace {

using UnitMain::TForm1;

class WindowTest : public ::testing::Test {
protected:
    Base::TManualClock fClock{Base::EncodeDateTime({2024, 5, 20, 14, 5, 33, 0})};
    TForm1 fForm{fClock};

    template <typename T> T* Find(const char* name) {
        T* found = fForm.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no " << name << " of the expected kind";
        return found;
    }
};

TEST_F(WindowTest, WindowHasItsNameCaptionSizeAndFont) {
    EXPECT_EQ(fForm.objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(fForm.windowTitle(), QStringLiteral("Moistrel"));
    EXPECT_EQ(fForm.width(), 1126);
    EXPECT_EQ(fForm.height(), 691);
    EXPECT_EQ(fForm.font().pixelSize(), 11);
    EXPECT_EQ(fForm.font().family(), QStringLiteral("Liberation Sans"));
}

// A port's name is told apart by its end: a long one loses its beginning in the list, and the
// whole name is the entry's tool tip.
TEST_F(WindowTest, PortListsShowTheEndOfALongPortName) {
    const std::string longName = "/a/rather/long/folder/of/the/virtual-instruments/mfc-a";
    for (Widgets::TListBox* list :
         {fForm.Setup->ListBoxPortPump, fForm.Setup->ListBoxPortMFC1, fForm.Setup->ListBoxPortMFC2}) {
        SCOPED_TRACE(list->objectName().toStdString());
        list->SetItems({"ttyS0", longName});
        EXPECT_EQ(list->textElideMode(), Qt::ElideLeft);
        EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(1)->toolTip().toStdString(), longName);
    }
}

// At the start size the design page shows what composing a program needs without scrolling: the
// Target box, Start and Stop, the segment program with its Save and Load buttons.
TEST_F(WindowTest, TheDesignPageShowsTheProgramAndItsButtonsAtTheStartSize) {
    fForm.show();
    fForm.PageControl1->setCurrentWidget(fForm.TabSheetMixtureOperation);
    QApplication::processEvents();
    auto* page = qobject_cast<QScrollArea*>(fForm.TabSheetMixtureOperation);
    ASSERT_NE(page, nullptr);
    const QRect shown = page->viewport()->rect();
    for (const char* name : {"GroupBoxTarget", "ButtonApplyTarget", "ButtonApply", "ButtonStop",
                             "RzTabbedListBoxSteps", "ButtonSaveProgram", "ButtonLoadProgram", "Memo1"}) {
        auto* widget = Find<QWidget>(name);
        ASSERT_NE(widget, nullptr);
        const QRect where(widget->mapTo(page->viewport(), QPoint(0, 0)), widget->size());
        EXPECT_TRUE(shown.contains(where)) << name << " lies outside the page shown";
    }
    EXPECT_EQ(page->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(page->horizontalScrollBar()->maximum(), 0);
}

TEST_F(WindowTest, SevenPagesInOrderWithTheirCaptions) {
    // A Qt caption writes "&&" for the one ampersand the operator reads.
    const QStringList expected = {QStringLiteral("Setup"),
                                  QStringLiteral("Pump && fluid details"),
                                  QStringLiteral("Debug && Development"),
                                  QStringLiteral("Mixture design && Operation"),
                                  QStringLiteral("Flows"),
                                  QStringLiteral("Log"),
                                  QStringLiteral("Pump info")};
    ASSERT_EQ(fForm.PageControl1->count(), expected.size());
    for (int i = 0; i < fForm.PageControl1->count(); ++i) {
        EXPECT_EQ(fForm.PageControl1->tabText(i), expected[i]) << "page " << i;
    }
    EXPECT_EQ(fForm.PageControl1->widget(0), fForm.TabSheetSetup);
    EXPECT_EQ(fForm.PageControl1->widget(1), fForm.TabSheetPumpAndFluid);
    EXPECT_EQ(fForm.PageControl1->widget(2), fForm.TabSheetDebug);
    EXPECT_EQ(fForm.TabSheetSetup->objectName(), QStringLiteral("TabSheetSetup"));
    EXPECT_EQ(fForm.TabSheetPumpAndFluid->objectName(), QStringLiteral("TabSheetPumpAndFluid"));
    EXPECT_EQ(fForm.TabSheetDebug->objectName(), QStringLiteral("TabSheetDebug"));
}

enum class TKind { Button, Label, Check, Edit, IntEdit, DoubleEdit, Track, Group, List, Tabbed, Combo, Memo };

struct TControlRow {
    const char* Name;
    TKind Kind;
    const char* Caption; // caption, title or text; nullptr: not checked
    double Value;        // numeric default (edits, track bars)
    double Min;
    double Max;
    bool Enabled;
};

constexpr double Lowest = std::numeric_limits<double>::lowest();
constexpr double Highest = std::numeric_limits<double>::max();
constexpr double IntLowest = std::numeric_limits<int>::min();
constexpr double IntHighest = std::numeric_limits<int>::max();

const TControlRow Controls[] = {
    // Page 0, "Setup".
    {"ButtonSetupFindPorts", TKind::Button, "Find ports", 0, 0, 0, true},
    {"ListBoxPortPump", TKind::List, nullptr, 0, 0, 0, true},
    {"ListBoxPortMFC1", TKind::List, nullptr, 0, 0, 0, true},
    {"ListBoxPortMFC2", TKind::List, nullptr, 0, 0, 0, true},
    {"ButtonSetupValidate", TKind::Button, "Validate", 0, 0, 0, true},
    {"ListBox1", TKind::List, nullptr, 0, 0, 0, true},
    {"ListBox2", TKind::List, nullptr, 0, 0, 0, true},
    {"GroupBoxFeedback", TKind::Group, "Feedback", 0, 0, 0, true},
    {"CheckBoxPump", TKind::Check, "Pump found", 0, 0, 0, true},
    {"CheckBoxMFC", TKind::Check, "2 MFCs (mass flow controllers) found", 0, 0, 0, true},
    {"CheckBoxGas", TKind::Check, "Gases selected", 0, 0, 0, true},
    {"MemoSetupFeedback", TKind::Memo, nullptr, 0, 0, 0, true},
    // Page 1, "Pump && fluid details".
    {"RtIntegerEditFluidPPMLimit", TKind::IntEdit, "1000000", 1000000, 0, 1000001, true},
    {"RtDoubleEditCustomTemp", TKind::DoubleEdit, "75", 75, -273, 2000, true},
    {"RtDoubleEditCustomPressure", TKind::DoubleEdit, "1500", 1500, 1, 100000, true},
    {"ComboBoxMix1", TKind::Combo, nullptr, 0, 0, 0, true},
    {"ComboBoxMix2", TKind::Combo, nullptr, 0, 0, 0, true},
    {"ComboBoxMix3", TKind::Combo, nullptr, 0, 0, 0, true},
    {"ComboBoxMix4", TKind::Combo, nullptr, 0, 0, 0, true},
    {"RtDoubleEdit1", TKind::DoubleEdit, "0", 0, 0, 1000000, true},
    {"RtDoubleEdit2", TKind::DoubleEdit, "0", 0, 0, 1000000, true},
    {"RtDoubleEdit3", TKind::DoubleEdit, "0", 0, 0, 1000000, true},
    {"RtDoubleEdit4", TKind::DoubleEdit, "0", 0, 0, 1000000, true},
    {"EditDesignedMixtureName", TKind::Edit, "", 0, 0, 0, true},
    {"RtDoubleEditDesignedMixtureDensity", TKind::DoubleEdit, "1", 1, 0.01, 30, true},
    {"RtDoubleEditDesignMixtureMolarMass", TKind::DoubleEdit, "0", 0, 0, 10000, false},
    {"RtDoubleEditDesigtnMixtureMOLperML", TKind::DoubleEdit, "0", 0, Lowest, Highest, false},
    {"RtDoubleEditDesignMixtureMGperStroke", TKind::DoubleEdit, "0", 0, Lowest, Highest, false},
    {"ButtonRestoreWater", TKind::Button, "Set to water", 0, 0, 0, true},
    {"Memo2", TKind::Memo, nullptr, 0, 0, 0, true},
    {"EditFluidName", TKind::Edit, "Undefined", 0, 0, 0, false},
    {"RtDoubleEditFluidDensity", TKind::DoubleEdit, "0.9970474111", 0.9970474111, Lowest, Highest, false},
    {"RtDoubleEditFluidMolarMass", TKind::DoubleEdit, "18.01528111", 18.01528111, Lowest, Highest, false},
    {"RtDoubleEditFluidMolPerGram", TKind::DoubleEdit, "1", 1, Lowest, Highest, false},
    {"RtDoubleEditSyringeGramsperStroke", TKind::DoubleEdit, "1", 1, Lowest, Highest, false},
    {"ButtonApplyPumpAndFluid", TKind::Button, "Apply and save", 0, 0, 0, true},
    // Page 2, "Debug && Development".
    {"EditDebugCOMPort", TKind::Edit, "COM9", 0, 0, 0, true},
    {"EditDebugCOMSend", TKind::Edit, "/1TI?23", 0, 0, 0, true},
    {"ButtonDebugCOMSend", TKind::Button, "Send", 0, 0, 0, true},
    {"MemoDebugCOM", TKind::Memo, nullptr, 0, 0, 0, true},
    {"ButtonPumpFluid", TKind::Button, "Dispense syringe 10 times slowly (for mixers with low pH2O/flow)", 0,
     0, 0, true},
    {"ButtonPumpFluidFast", TKind::Button, "Dispense syringe 10 times fast (for mixers with high pH2O/flow)",
     0, 0, 0, true},
    {"EditY1DemoName", TKind::Edit, "O2", 0, 0, 0, true},
    {"RtDoubleEditY1DemoMass", TKind::DoubleEdit, "31.9988", 31.9988, Lowest, Highest, true},
    {"RtDoubleEditY1DemoRange", TKind::DoubleEdit, "0.0358", 0.0358, Lowest, Highest, true},
    {"RtDoubleEditY1DemoTurndown", TKind::DoubleEdit, "120", 120, Lowest, Highest, true},
    {"ButtonMFCAAir", TKind::Button, "Set to Air", 0, 0, 0, true},
    {"ButtonMFCAH2", TKind::Button, "Set to H2", 0, 0, 0, true},
    {"EditY2DemoName", TKind::Edit, "Ar", 0, 0, 0, true},
    {"RtDoubleEditY2DemoMass", TKind::DoubleEdit, "39.948", 39.948, Lowest, Highest, true},
    {"RtDoubleEditY2DemoRange", TKind::DoubleEdit, "0.0892", 0.0892, Lowest, Highest, true},
    {"RtDoubleEditY2DemoTurndown", TKind::DoubleEdit, "100", 100, Lowest, Highest, true},
    {"ButtonMFCBAir", TKind::Button, "Set to Air", 0, 0, 0, true},
    {"ButtonMFCBN2", TKind::Button, "Set to N2", 0, 0, 0, true},
    // Page 3, "Mixture design && Operation".
    {"GroupBoxY1", TKind::Group, "A-component: ", 0, 0, 0, true},
    {"RzTrackBarY1", TKind::Track, nullptr, 5, 0, 10, true},
    {"RtIntegerEditY1Flow", TKind::IntEdit, "0", 0, 0, IntHighest, true}, // no negative flow
    {"Label10", TKind::Label, "0 g/min", 0, 0, 0, true},
    {"GroupBoxY2", TKind::Group, "B-component: ", 0, 0, 0, true},
    {"RzTrackBarY2", TKind::Track, nullptr, 5, 0, 10, true},
    {"RtIntegerEditY2Flow", TKind::IntEdit, "0", 0, 0, IntHighest, true}, // no negative flow
    {"Label45", TKind::Label, "0 g/min", 0, 0, 0, true},
    {"GroupBoxX", TKind::Group, "C-component: Undefined", 0, 0, 0, true},
    {"RzTrackBarFluid", TKind::Track, nullptr, 0, 0, 10, true},
    {"RtDoubleEditFluidFlow", TKind::DoubleEdit, "0", 0, 0, Highest, true},
    {"RtDoubleEditAchievableFluid", TKind::DoubleEdit, "0.0", 0, Lowest, Highest, false},
    {"Label30", TKind::Label, "", 0, 0, 0, true},
    {"Label55", TKind::Label, "", 0, 0, 0, true},
    {"GroupBoxSegment", TKind::Group, "Segment", 0, 0, 0, true},
    {"RtDoubleEditStepDuration", TKind::DoubleEdit, "0.75", 0.75, Lowest, Highest, true},
    {"Label31", TKind::Label, "hh:mm", 0, 0, 0, true},
    {"EditStepComments", TKind::Edit, "", 0, 0, 0, true},
    {"ButtonAddStep", TKind::Button, "Add or Save Segment", 0, 0, 0, true},
    {"ButtonSegmentDelete", TKind::Button, "Delete last Segment", 0, 0, 0, true},
    {"GroupBoxOperation", TKind::Group, "Operation", 0, 0, 0, true},
    {"ButtonApply", TKind::Button, "Start with current program", 0, 0, 0, true},
    {"ButtonStop", TKind::Button, "Stop", 0, 0, 0, true},
    {"GroupBoxSegmentProgram", TKind::Group, "Segment program (esc to unselect)", 0, 0, 0, true},
    {"RzTabbedListBoxSteps", TKind::Tabbed, nullptr, 0, 0, 0, true},
    {"Label24", TKind::Label, "All flow will automatically stop after the last segment duration", 0, 0, 0,
     true},
    {"Memo1", TKind::Memo, nullptr, 0, 0, 0, true},
    // Pages 5 and 6.
    {"MemoLog", TKind::Memo, nullptr, 0, 0, 0, true},
    {"MemoPump", TKind::Memo, nullptr, 0, 0, 0, true},
};

TEST_F(WindowTest, EveryControlHasItsNameCaptionDefaultRangeAndEnabledState) {
    for (const TControlRow& row : Controls) {
        SCOPED_TRACE(row.Name);
        const QString caption = row.Caption == nullptr ? QString() : QString::fromUtf8(row.Caption);
        QWidget* widget = Find<QWidget>(row.Name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->isEnabled(), row.Enabled);
        switch (row.Kind) {
        case TKind::Button:
            ASSERT_NE(Find<QPushButton>(row.Name), nullptr);
            EXPECT_EQ(Find<QPushButton>(row.Name)->text(), caption);
            break;
        case TKind::Label:
            ASSERT_NE(Find<QLabel>(row.Name), nullptr);
            EXPECT_EQ(Find<QLabel>(row.Name)->text(), caption);
            break;
        case TKind::Check:
            ASSERT_NE(Find<QCheckBox>(row.Name), nullptr);
            EXPECT_EQ(Find<QCheckBox>(row.Name)->text(), caption);
            EXPECT_FALSE(Find<QCheckBox>(row.Name)->isChecked());
            break;
        case TKind::Edit:
            ASSERT_NE(Find<QLineEdit>(row.Name), nullptr);
            EXPECT_EQ(Find<QLineEdit>(row.Name)->text(), caption);
            break;
        case TKind::IntEdit: {
            auto* edit = Find<Widgets::TIntegerEdit>(row.Name);
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->text(), caption);
            EXPECT_EQ(edit->Value(), static_cast<int>(row.Value));
            EXPECT_EQ(edit->Min(), static_cast<int>(row.Min));
            EXPECT_EQ(edit->Max(), static_cast<int>(row.Max));
            break;
        }
        case TKind::DoubleEdit: {
            auto* edit = Find<Widgets::TDoubleEdit>(row.Name);
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->text(), caption);
            EXPECT_DOUBLE_EQ(edit->Value(), row.Value);
            EXPECT_DOUBLE_EQ(edit->Min(), row.Min);
            EXPECT_DOUBLE_EQ(edit->Max(), row.Max);
            break;
        }
        case TKind::Track: {
            auto* track = Find<Widgets::TTrackBar>(row.Name);
            ASSERT_NE(track, nullptr);
            EXPECT_EQ(track->Position(), static_cast<int>(row.Value));
            EXPECT_EQ(track->minimum(), static_cast<int>(row.Min));
            EXPECT_EQ(track->Max(), static_cast<int>(row.Max));
            break;
        }
        case TKind::Group:
            ASSERT_NE(Find<QGroupBox>(row.Name), nullptr);
            EXPECT_EQ(Find<QGroupBox>(row.Name)->title(), caption);
            break;
        case TKind::List:
            ASSERT_NE(Find<Widgets::TListBox>(row.Name), nullptr);
            EXPECT_EQ(Find<Widgets::TListBox>(row.Name)->Count(), 0);
            break;
        case TKind::Tabbed:
            ASSERT_NE(Find<Widgets::TTabbedListBox>(row.Name), nullptr);
            EXPECT_EQ(Find<Widgets::TTabbedListBox>(row.Name)->Count(), 0);
            break;
        case TKind::Combo:
            ASSERT_NE(Find<QComboBox>(row.Name), nullptr);
            break;
        case TKind::Memo: {
            auto* memo = Find<Widgets::TMemoPane>(row.Name);
            ASSERT_NE(memo, nullptr);
            EXPECT_TRUE(memo->Lines().empty());
            EXPECT_TRUE(memo->isReadOnly());
            EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            EXPECT_EQ(memo->font().family(), QStringLiteral("Liberation Mono"));
            EXPECT_EQ(memo->font().pixelSize(), fForm.font().pixelSize());
            break;
        }
        }
    }
}

TEST_F(WindowTest, ObjectNamesAreUnique) {
    for (const TControlRow& row : Controls) {
        EXPECT_EQ(fForm.findChildren<QWidget*>(QString::fromLatin1(row.Name)).size(), 1) << row.Name;
    }
}

TEST_F(WindowTest, PagesFilledByOnePaneHaveNoBorder) {
    for (const char* name : {"MemoLog", "MemoPump", "Memo1"}) {
        EXPECT_EQ(Find<Widgets::TMemoPane>(name)->frameShape(), QFrame::NoFrame) << name;
    }
}

TEST_F(WindowTest, DisplayOnlyRadioGroupsListTheirItems) {
    auto* syringe = Find<Widgets::TRadioGroup>("RadioGroupSyringeVolume");
    auto* model = Find<Widgets::TRadioGroup>("RadioGroupPumpOptimization");
    ASSERT_NE(syringe, nullptr);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(syringe->title(), QStringLiteral("Pump syringe volume"));
    EXPECT_EQ(model->title(), QStringLiteral("Pump model"));
    const QStringList volumes = {QStringLiteral("50 µL"),   QStringLiteral("100 µL"),
                                 QStringLiteral("250 µL"),  QStringLiteral("500 µL"),
                                 QStringLiteral("1000 µL"), QStringLiteral("2500 µL"),
                                 QStringLiteral("5000 µL"), QStringLiteral("12500 µL")};
    ASSERT_EQ(syringe->Count(), volumes.size());
    for (int i = 0; i < syringe->Count(); ++i) {
        EXPECT_EQ(syringe->Button(i)->text(), volumes[i]);
    }
    ASSERT_EQ(model->Count(), 2);
    EXPECT_EQ(model->Button(0)->text(), QStringLiteral("High concentrations (24 000 steps)"));
    EXPECT_EQ(model->Button(1)->text(), QStringLiteral("Low concentrations (192 000 steps)"));
    EXPECT_FALSE(syringe->isEnabled());
    EXPECT_FALSE(model->isEnabled());
    syringe->SetItemIndex(3);
    EXPECT_EQ(syringe->ItemIndex(), 3);
    syringe->SetItemIndex(-1);
    EXPECT_EQ(syringe->ItemIndex(), -1);
}

TEST_F(WindowTest, StatusBarHasFivePanelsOfTheirWidths) {
    auto* bar = Find<Widgets::TStatusPanels>("StatusBar1");
    ASSERT_NE(bar, nullptr);
    const int widths[] = {220, 310, 290, 200, 250};
    ASSERT_EQ(bar->PanelCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(bar->PanelWidth(i), widths[i]);
    }
    bar->SetPanelText(4, "Flow A Warning");
    EXPECT_EQ(bar->PanelText(4), "Flow A Warning");
    bar->SetPanelText(7, "ignored");
    EXPECT_EQ(bar->PanelText(7), "");
}

TEST_F(WindowTest, LedCaptionIsEmptyAtStartAndTheTimerTicksEvery50Ms) {
    auto* led = Find<Widgets::TLedCaption>("RzLEDDisplay1");
    ASSERT_NE(led, nullptr);
    EXPECT_EQ(led->Caption(), "");
    EXPECT_EQ(fForm.Timer1->interval(), 50);
    EXPECT_EQ(fForm.Timer1->objectName(), QStringLiteral("Timer1"));
}

struct TResizeCase {
    int WindowWidth;
    int FeedbackWidth;
};

class FeedbackWidthTest : public WindowTest, public ::testing::WithParamInterface<TResizeCase> {};

TEST_P(FeedbackWidthTest, FollowsTheWindowButNeverBelow300) {
    fForm.show();
    fForm.resize(GetParam().WindowWidth, 500);
    ASSERT_EQ(fForm.width(), GetParam().WindowWidth) << "the window refused the width";
    EXPECT_EQ(fForm.Setup->GroupBoxFeedback->width(), GetParam().FeedbackWidth);
}

INSTANTIATE_TEST_SUITE_P(Widths, FeedbackWidthTest,
                         ::testing::Values(TResizeCase{1126, 676}, TResizeCase{1400, 950},
                                           TResizeCase{800, 350}, TResizeCase{751, 301},
                                           TResizeCase{750, 300}, TResizeCase{749, 300},
                                           TResizeCase{600, 300}, TResizeCase{320, 300}));

TEST_F(WindowTest, FormDisableShowsTheHourglassAndDisablesTheWindowUntilReleased) {
    fForm.show();
    fForm.FormDisable(true);
    EXPECT_FALSE(fForm.isEnabled());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    fForm.FormDisable(true); // a second busy call must not need a second release
    fForm.FormDisable(false);
    EXPECT_TRUE(fForm.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, DisablingAPageDisablesItsControlsOnly) {
    fForm.SetPageEnabled(TForm1::pgSetup, false);
    EXPECT_FALSE(Find<QPushButton>("ButtonSetupValidate")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("ButtonApply")->isEnabled());
    fForm.SetPageEnabled(TForm1::pgSetup, true);
    EXPECT_TRUE(Find<QPushButton>("ButtonSetupValidate")->isEnabled());
}

TEST_F(WindowTest, CloseIsRefusedWhileTheQueryDeclines) {
    bool allow = false;
    int closed = 0;
    fForm.SetCloseQuery([&allow] { return allow; });
    fForm.SetOnClose([&closed] { ++closed; });
    fForm.show();
    EXPECT_FALSE(fForm.close());
    EXPECT_TRUE(fForm.isVisible());
    EXPECT_EQ(closed, 0);
    allow = true;
    EXPECT_TRUE(fForm.close());
    EXPECT_FALSE(fForm.isVisible());
    EXPECT_EQ(closed, 1);
}

TEST_F(WindowTest, TypingInAFlowFieldReportsEveryKeyRelease) {
    fForm.show();
    fForm.PageControl1->setCurrentIndex(TForm1::pgMixtureOperation);
    auto* field = Find<Widgets::TIntegerEdit>("RtIntegerEditY1Flow");
    ASSERT_NE(field, nullptr);
    QSignalSpy releases(field, &Widgets::TNumberEdit::KeyUp);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("17900"));
    EXPECT_EQ(releases.count(), 5);
    EXPECT_EQ(field->Value(), 17900);
    EXPECT_EQ(releases.last().at(0).toInt(), int(Qt::Key_0));
}

// ---- Accessibility: a screen reader names every field as a sighted operator reads it ----

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible == nullptr ? QStringLiteral("<none>") : accessible->text(QAccessible::Name);
}

QString AccessibleDescription(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible == nullptr ? QStringLiteral("<none>") : accessible->text(QAccessible::Description);
}

const struct {
    const char* Field;
    const char* Name;
} FieldNames[] = {
    // Page 0: the labels over the lists, the pane under its heading.
    {"ListBoxPortPump", "Port for pump"},
    {"ListBoxPortMFC1", "Port for MFC A"},
    {"ListBoxPortMFC2", "Port for MFC B"},
    {"ListBox1", "MFC A"},
    {"ListBox2", "MFC B"},
    {"MemoSetupFeedback", "Additional Information"},
    // Page 1.
    {"RtIntegerEditFluidPPMLimit", "Artificial upper limit for fluid component in mixture"},
    {"RtDoubleEditCustomTemp", "Temp, C"},
    {"RtDoubleEditCustomPressure", "Pressure, mBar"},
    {"ComboBoxMix1", "Component 1"},
    {"RtDoubleEdit1", "Component 1 mass, g"},
    {"ComboBoxMix4", "Component 4"},
    {"RtDoubleEdit4", "Component 4 mass, g"},
    {"EditDesignedMixtureName", "Mixture name"},
    {"RtDoubleEditDesignedMixtureDensity", "Final density at 20ºC, g/ml"},
    {"RtDoubleEditDesignMixtureMolarMass", "Molar mass g/mol"},
    {"RtDoubleEditDesigtnMixtureMOLperML", "Calculated mol/ml"},
    {"RtDoubleEditDesignMixtureMGperStroke", "Calculated mg/stroke"},
    {"EditFluidName", "Name"},
    {"RtDoubleEditFluidDensity", "Final density at 20ºC, g/ml"},
    {"RtDoubleEditFluidMolarMass", "Molar mass g/mol"},
    {"RtDoubleEditFluidMolPerGram", "Calculated mol/ml"},
    {"RtDoubleEditSyringeGramsperStroke", "Calculated mg/stroke"},
    // Page 2.
    {"EditDebugCOMPort", "Port"},
    {"EditDebugCOMSend", "Send"},
    {"MemoDebugCOM", "Response"},
    {"EditY1DemoName", "Gas name"},
    {"RtDoubleEditY1DemoMass", "Gas mass"},
    {"RtDoubleEditY1DemoRange", "MFC range g/min"},
    {"RtDoubleEditY1DemoTurndown", "MFC turndown ratio"},
    {"EditY2DemoName", "Gas name"},
    {"RtDoubleEditY2DemoMass", "Gas mass"},
    {"RtDoubleEditY2DemoRange", "MFC range g/min"},
    {"RtDoubleEditY2DemoTurndown", "MFC turndown ratio"},
    // Page 3: the field's own label, not the caption of its box.
    {"RtIntegerEditY1Flow", "Flow µg/min"},
    {"RtIntegerEditY2Flow", "Flow µg/min"},
    {"RtDoubleEditFluidFlow", "Flow"},
    {"RtDoubleEditAchievableFluid", "Achievable"},
    {"RtDoubleEditStepDuration", "Duration"},
    {"EditStepComments", "Comments"},
    {"RzTabbedListBoxSteps", "Segment program (esc to unselect)"},
};

TEST_F(WindowTest, EveryFieldIsNamedByItsLabel) {
    for (const auto& row : FieldNames) {
        SCOPED_TRACE(row.Field);
        QWidget* field = Find<QWidget>(row.Field);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(AccessibleName(field), QString::fromUtf8(row.Name));
    }
    // Where the label stands beside the field it is the field's buddy (Alt+letter and screen
    // readers both go through it).
    for (const char* name : {"RtIntegerEditY1Flow", "RtDoubleEditCustomTemp", "EditY2DemoName", "ListBox1"}) {
        QWidget* field = Find<QWidget>(name);
        const QList<QLabel*> labels =
            field->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        EXPECT_EQ(std::count_if(labels.begin(), labels.end(),
                                [field](QLabel* label) { return label->buddy() == field; }),
                  1)
            << name;
    }
}

TEST_F(WindowTest, TheLedCaptionStatusPanelsAndChartAreNamed) {
    auto* led = Find<Widgets::TLedCaption>("RzLEDDisplay1");
    led->SetCaption("Simulation");
    EXPECT_EQ(AccessibleName(led), QStringLiteral("Simulation"));
    led->SetCaption("Step 2 of 5");
    EXPECT_EQ(AccessibleName(led), QStringLiteral("Step 2 of 5"));

    auto* bar = Find<Widgets::TStatusPanels>("StatusBar1");
    EXPECT_EQ(AccessibleName(bar), QStringLiteral("Status bar"));
    bar->SetPanelText(2, "Flow B 0.045 g/min");
    for (int i = 0; i < bar->PanelCount(); ++i) {
        EXPECT_EQ(AccessibleName(bar->Panel(i)), QStringLiteral("Status panel %1").arg(i + 1));
    }
    EXPECT_EQ(AccessibleDescription(bar->Panel(2)), QStringLiteral("Flow B 0.045 g/min"));

    auto* chart = Find<QWidget>("Chart1");
    EXPECT_EQ(AccessibleName(chart), QStringLiteral("Flows"));
    EXPECT_EQ(AccessibleDescription(chart),
              QStringLiteral("Gas A, Gas A moving average, Gas A setpoint, Gas B, Gas B setpoint"));
}

TEST_F(WindowTest, LogOldWritesTheStampedLineIntoThePane) {
    fForm.LogOld(*fForm.MemoLog, "Tick:Stop");
    ASSERT_EQ(fForm.MemoLog->Lines().size(), 1U);
    EXPECT_EQ(fForm.MemoLog->Lines()[0], "20-14-05-33 Tick:Stop");
}

} // namespace
