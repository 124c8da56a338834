// The reusable widgets: bounded numeric fields, track bars, the LED caption, the list boxes and
// the text panes, driven by real key and mouse events where the operator would use them.

#include "base/FormatSettings.h"
#include "base/MemoryTextPane.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TStatusPanels.h"
#include "ui/widgets/TTabbedListBox.h"
#include "ui/widgets/TTrackBar.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// ---- Bounded numeric fields ----

struct TClampCase {
    double Min;
    double Max;
    double Given;
    double Held;
};

class DoubleClampTest : public ::testing::TestWithParam<TClampCase> {};

TEST_P(DoubleClampTest, EveryValueGivenIsClampedIntoTheBounds) {
    Widgets::TDoubleEdit edit;
    edit.SetBounds(GetParam().Min, GetParam().Max);
    edit.SetValue(GetParam().Given);
    EXPECT_DOUBLE_EQ(edit.Value(), GetParam().Held);
    double shown = 0;
    ASSERT_TRUE(Widgets::TNumberEdit::ParseNumber(edit.text().toStdString(), false, shown));
    EXPECT_DOUBLE_EQ(shown, GetParam().Held) << "the field shows the value it holds";
}

INSTANTIATE_TEST_SUITE_P(Cases, DoubleClampTest,
                         ::testing::Values(TClampCase{-273, 2000, 25.5, 25.5},
                                           TClampCase{-273, 2000, -300, -273},
                                           TClampCase{-273, 2000, 2000.5, 2000}, TClampCase{1, 1e300, 0, 1},
                                           TClampCase{1, 1e300, 1, 1}, TClampCase{0, 0, 5, 0}));

TEST(IntegerEdit, ClampsValuesAndRoundsToWholeNumbers) {
    Widgets::TIntegerEdit edit;
    edit.SetMin(0);
    edit.SetMax(1000001);
    const struct {
        int Given;
        int Held;
    } cases[] = {{1000000, 1000000}, {1000001, 1000001}, {1000002, 1000001}, {-1, 0}, {0, 0}};
    for (const auto& c : cases) {
        edit.SetValue(c.Given);
        EXPECT_EQ(edit.Value(), c.Held) << c.Given;
        EXPECT_EQ(edit.text().toInt(), c.Held);
    }
}

TEST(NumberEdit, ANewBoundClampsTheCurrentValueAtOnce) {
    Widgets::TDoubleEdit edit;
    edit.SetBounds(0, 10000);
    edit.SetValue(5000);
    edit.SetMax(995.7);
    EXPECT_DOUBLE_EQ(edit.Value(), 995.7);
    EXPECT_EQ(edit.text(), QStringLiteral("995.7"));
    edit.SetMin(996); // a minimum above the maximum moves the maximum with it
    EXPECT_DOUBLE_EQ(edit.Min(), 996);
    EXPECT_DOUBLE_EQ(edit.Max(), 996);
    EXPECT_DOUBLE_EQ(edit.Value(), 996);

    Widgets::TIntegerEdit flows;
    flows.SetValue(50000);
    flows.SetMax(35799);
    EXPECT_EQ(flows.Value(), 35799);
    flows.SetMin(40000);
    EXPECT_EQ(flows.Value(), 40000);
}

TEST(NumberEdit, ShowsTheValueInItsDisplayFormat) {
    Widgets::TDoubleEdit edit;
    edit.SetValue(995.66);
    EXPECT_EQ(edit.text(), QStringLiteral("995.66"));
    edit.SetDisplayFormat("0.0");
    EXPECT_EQ(edit.text(), QStringLiteral("995.7"));
    EXPECT_DOUBLE_EQ(edit.Value(), 995.66); // the format shows, it does not round the value
    edit.SetValue(0);
    EXPECT_EQ(edit.text(), QStringLiteral("0.0"));
}

struct TParseCase {
    const char* Text;
    bool Integral;
    bool Ok;
    double Value;
};

class ParseNumberTest : public ::testing::TestWithParam<TParseCase> {};

TEST_P(ParseNumberTest, ReadsWhatTheOperatorTypes) {
    double value = -12345.0;
    const bool ok = Widgets::TNumberEdit::ParseNumber(GetParam().Text, GetParam().Integral, value);
    EXPECT_EQ(ok, GetParam().Ok);
    if (GetParam().Ok) {
        EXPECT_DOUBLE_EQ(value, GetParam().Value);
    } else {
        EXPECT_DOUBLE_EQ(value, -12345.0) << "a failed read must leave the value alone";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseNumberTest,
    ::testing::Values(TParseCase{"17900", true, true, 17900}, TParseCase{"-273", false, true, -273},
                      TParseCase{"0.035 800", false, true, 0.0358},
                      TParseCase{"1 000 000", true, true, 1000000}, TParseCase{"1.5e-3", false, true, 0.0015},
                      TParseCase{"+2", false, true, 2}, TParseCase{"1.", false, true, 1},
                      TParseCase{".5", false, true, 0.5}, TParseCase{"1.5", true, false, 0},
                      TParseCase{"1e3", true, false, 0}, TParseCase{"-", false, false, 0},
                      TParseCase{"", false, false, 0}, TParseCase{"1.2.3", false, false, 0},
                      TParseCase{"12a", false, false, 0}, TParseCase{"1e", false, false, 0},
                      TParseCase{"1-2", false, false, 0}, TParseCase{"1e999", false, false, 0}));

TEST(NumberEdit, ReadsAndShowsTheLocaleDecimalSeparator) {
    const Base::TScopedFormatSettings comma(Base::TFormatSettings{",", ":"});
    double value = 0;
    EXPECT_TRUE(Widgets::TNumberEdit::ParseNumber("0,0358", false, value));
    EXPECT_DOUBLE_EQ(value, 0.0358);
    EXPECT_FALSE(Widgets::TNumberEdit::ParseNumber("0.0358", false, value));

    Widgets::TDoubleEdit edit;
    edit.show();
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("12,5"));
    EXPECT_DOUBLE_EQ(edit.Value(), 12.5);
    edit.SetDisplayFormat("0.00");
    EXPECT_EQ(edit.text(), QStringLiteral("12,50"));
}

TEST(NumberEdit, TypingClampsTheValueAndTidiesTheTextOnReturn) {
    Widgets::TIntegerEdit edit;
    edit.SetMin(0);
    edit.SetMax(1000001);
    edit.SetValue(1000000);
    edit.show();
    edit.setFocus();
    QSignalSpy releases(&edit, &Widgets::TNumberEdit::KeyUp);
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("5000000"));
    EXPECT_EQ(edit.Value(), 1000001);
    EXPECT_EQ(edit.text(), QStringLiteral("5000000")) << "the text stays as typed while typing";
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.text(), QStringLiteral("1000001"));
    EXPECT_EQ(releases.count(), 8);

    // Letters do not change the value; leaving the field shows the value again.
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("12"));
    QTest::keyClicks(&edit, QStringLiteral("x"));
    EXPECT_EQ(edit.Value(), 12);
    // An emptied field holds 0 (clamped into the bounds).
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.Value(), 0);
}

TEST(NumberEdit, KeyUpCarriesTheKeyAndFiresForKeysThatChangeNothing) {
    Widgets::TDoubleEdit edit;
    edit.show();
    edit.setFocus();
    QSignalSpy releases(&edit, &Widgets::TNumberEdit::KeyUp);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_A, Qt::ShiftModifier);
    // Shift+A releases A and then Shift itself.
    ASSERT_EQ(releases.count(), 3);
    EXPECT_EQ(releases.at(0).at(0).toInt(), int(Qt::Key_Left));
    EXPECT_EQ(releases.at(2).at(0).toInt(), int(Qt::Key_Shift));
    EXPECT_EQ(releases.at(1).at(0).toInt(), int(Qt::Key_A));
    EXPECT_EQ(releases.at(1).at(1).value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
}

// ---- Track bars ----

TEST(TrackBar, ReportsOnlyRealChangesAndClampsPositions) {
    Widgets::TTrackBar track;
    QSignalSpy changes(&track, &Widgets::TTrackBar::Changed);
    const struct {
        int Given;
        int Held;
        int Reports; // total so far
    } steps[] = {{5, 5, 1}, {5, 5, 1}, {15, 10, 2}, {10, 10, 2}, {11, 10, 2}, {-3, 0, 3}, {0, 0, 3}};
    for (const auto& step : steps) {
        track.SetPosition(step.Given);
        EXPECT_EQ(track.Position(), step.Held) << step.Given;
        EXPECT_EQ(changes.count(), step.Reports) << step.Given;
    }
    EXPECT_EQ(changes.last().at(0).toInt(), 0);
}

TEST(TrackBar, TheOperatorMovesItByKeys) {
    Widgets::TTrackBar track;
    track.SetPosition(5);
    track.show();
    track.setFocus();
    QSignalSpy changes(&track, &Widgets::TTrackBar::Changed);
    QTest::keyClick(&track, Qt::Key_Right);
    EXPECT_EQ(track.Position(), 6);
    QTest::keyClick(&track, Qt::Key_End);
    QTest::keyClick(&track, Qt::Key_Right); // already at the end: no report
    EXPECT_EQ(track.Position(), 10);
    EXPECT_EQ(changes.count(), 2);
}

// ---- LED caption ----

TEST(LedCaption, ScrollsOneStepAtATimeAndKeepsItsPlaceForTheSameText) {
    Widgets::TLedCaption led;
    led.resize(300, 40);
    EXPECT_TRUE(led.Scrolling());
    led.SetCaption("Simulation");
    EXPECT_EQ(led.Caption(), "Simulation");
    EXPECT_EQ(led.ScrollOffset(), 0);
    led.Step();
    led.Step();
    EXPECT_EQ(led.ScrollOffset(), 2 * Widgets::TLedCaption::StepPixels);
    led.SetCaption("Simulation"); // the tick sets it again every 50 ms
    EXPECT_EQ(led.ScrollOffset(), 2 * Widgets::TLedCaption::StepPixels);
    led.SetCaption("Stopping");
    EXPECT_EQ(led.ScrollOffset(), 0);
    // The text comes round again after it has left the panel.
    int steps = 0;
    led.Step();
    while (led.ScrollOffset() != 0 && steps < 10000) {
        led.Step();
        ++steps;
    }
    EXPECT_LT(steps, 10000);
    EXPECT_GT(steps, 300 / Widgets::TLedCaption::StepPixels);
}

// ---- List boxes ----

TEST(TabbedListBox, ShowsTabSeparatedColumnsAndEscClearsTheSelection) {
    Widgets::TTabbedListBox list;
    list.resize(400, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const std::string lines[] = {"1\tDry\t1 h 30 min \tA:120 C:350 ", "2\tWet\t0 h 45 min \tB:500 ",
                                 "3\tID:3\t2 h 00 min \tA:1 "};
    for (const auto& line : lines) {
        list.AddItem(line);
    }
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.columnCount(), 4);
    EXPECT_EQ(list.Item(0), lines[0]);
    EXPECT_EQ(list.topLevelItem(0)->text(1), QStringLiteral("Dry"));
    EXPECT_EQ(list.topLevelItem(1)->text(3), QStringLiteral("B:500 "));
    EXPECT_EQ(list.ItemIndex(), -1);

    QSignalSpy clicks(&list, &Widgets::TTabbedListBox::Clicked);
    QSignalSpy releases(&list, &Widgets::TTabbedListBox::KeyUp);
    const QRect second = list.visualItemRect(list.topLevelItem(1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(list.ItemIndex(), 1);

    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.ItemIndex(), 2);
    QTest::keyClick(&list, Qt::Key_Escape);
    EXPECT_EQ(list.ItemIndex(), -1);
    ASSERT_EQ(releases.count(), 2);
    EXPECT_EQ(releases.last().at(0).toInt(), int(Qt::Key_Escape));

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST(ListBox, ReportsClicksDoubleClicksAndKeyReleases) {
    Widgets::TListBox list;
    list.resize(200, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.SetItems({"/tmp/sim/pump", "/tmp/sim/mfc-a", "ttyUSB0"});
    QSignalSpy clicks(&list, &Widgets::TListBox::Clicked);
    QSignalSpy doubles(&list, &Widgets::TListBox::DoubleClicked);
    QSignalSpy releases(&list, &Widgets::TListBox::KeyUp);
    const QPoint second = list.visualItemRect(list.item(1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(list.SelectedText(), "/tmp/sim/mfc-a");
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_GE(clicks.count(), 1);
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_EQ(releases.count(), 1);
    list.SetItemIndex(7);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Items().size(), 3U);
}

// ---- Text panes: the window's pane and the memory pane keep the same contract ----

template <typename T> class TextPaneTest : public ::testing::Test {
protected:
    std::unique_ptr<Base::TTextPane> Make() {
        if constexpr (std::is_same_v<T, Widgets::TMemoPane>) {
            return std::make_unique<Widgets::TMemoPane>(11, true);
        } else {
            return std::make_unique<T>();
        }
    }
};

using PaneKinds = ::testing::Types<Widgets::TMemoPane, Base::TMemoryTextPane>;
TYPED_TEST_SUITE(TextPaneTest, PaneKinds);

TYPED_TEST(TextPaneTest, AddsSetsAndClearsLines) {
    auto pane = this->Make();
    EXPECT_TRUE(pane->Lines().empty());
    EXPECT_EQ(pane->Text(), "");
    pane->AddLine("");
    ASSERT_EQ(pane->Lines(), std::vector<std::string>{""});
    pane->AddLine("Cannot delete Segment.");
    pane->AddLine("a\r\nb");
    EXPECT_EQ(pane->Lines(), (std::vector<std::string>{"", "Cannot delete Segment.", "a", "b"}));
    EXPECT_EQ(pane->Text(), "\r\nCannot delete Segment.\r\na\r\nb\r\n");

    pane->SetText("     Status   : psOK\r\n     Speed Hz : 64\r\n\r\n");
    EXPECT_EQ(pane->Lines(), (std::vector<std::string>{"     Status   : psOK", "     Speed Hz : 64", ""}));
    pane->AddLine("µg/min 20ºC");
    EXPECT_EQ(pane->Lines().back(), "µg/min 20ºC");

    pane->Clear();
    EXPECT_TRUE(pane->Lines().empty());
    pane->AddLine("x");
    EXPECT_EQ(pane->Lines(), std::vector<std::string>{"x"});
}

TYPED_TEST(TextPaneTest, ReplaceLastLineRewritesOnlyTheLastLine) {
    auto pane = this->Make();
    pane->ReplaceLastLine(" -> Elapsed: 0 s"); // an empty pane gets the line
    EXPECT_EQ(pane->Lines(), std::vector<std::string>{" -> Elapsed: 0 s"});
    pane->AddLine("Query port         :pump");
    pane->AddLine(" -> Elapsed: 0 s");
    pane->ReplaceLastLine(" -> Elapsed: 12 s");
    pane->ReplaceLastLine(" -> Elapsed: 13 s");
    EXPECT_EQ(pane->Lines(), (std::vector<std::string>{" -> Elapsed: 0 s", "Query port         :pump",
                                                       " -> Elapsed: 13 s"}));
    pane->AddLine(" -> Pump is OK and on standby.");
    EXPECT_EQ(pane->Lines().size(), 4U);
}

TEST(MemoPane, ReadOnlyForTheOperator) {
    Widgets::TMemoPane pane(11, true);
    pane.AddLine("20-14-05-33 Tick:Stop");
    pane.show();
    pane.setFocus();
    QTest::keyClicks(&pane, QStringLiteral("typed"));
    QTest::keyClick(&pane, Qt::Key_Backspace);
    EXPECT_EQ(pane.Lines(), std::vector<std::string>{"20-14-05-33 Tick:Stop"});
}

// ---- Status panels ----

TEST(StatusPanels, PanelsKeepTheirWidthsAndTextsInAnyWindowWidth) {
    Widgets::TStatusPanels bar({220, 310, 290, 200, 250});
    bar.resize(600, 24);
    bar.show();
    bar.SetPanelText(0, "Gas A flow: 94 % of 0.017 900 g/min");
    EXPECT_EQ(bar.PanelText(0), "Gas A flow: 94 % of 0.017 900 g/min");
    EXPECT_EQ(bar.Panel(1)->x(), 220);
    EXPECT_EQ(bar.Panel(4)->x(), 220 + 310 + 290 + 200);
    EXPECT_LT(bar.minimumSizeHint().width(), 600) << "the bar must not hold the window wide";
}

} // namespace
