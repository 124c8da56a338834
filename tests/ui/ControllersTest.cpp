// The design controllers in the real window: flows and track bars under the focus rules, the C flow
// with the pump command, the design panel Memo1, the fluid designer and the demonstration values.

#include "app/TMoistrel.h"
#include "base/Clock.h"
#include "design/FlowSetPoints.h"
#include "model/GasCatalogue.h"
#include "state/MoistrelState.h"
#include "support/ProgramPlaces.h"
#include "ui/TForm1.h"
#include "ui/controllers/TDesignController.h"
#include "ui/controllers/TFluidDesignController.h"
#include "ui/tabs/TDebugTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TPumpFluidTab.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TRadioGroup.h"
#include "ui/widgets/TTrackBar.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using UnitMain::TForm1;

// The whole program as main() builds it, started without a settings file and with logging off.
class ControllersTest : public ::testing::Test {
protected:
    void SetUp() override {
        program.Startup();
        form->show();
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        Page(TForm1::pgMixtureOperation);
    }

    void Page(TForm1::TPage page) {
        form->PageControl1->setCurrentIndex(page);
        QApplication::processEvents();
    }

    // Replaces the text of a focused field by typing, one key at a time.
    static void Type(QWidget* field, const QString& text) {
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
    }

    // Moves the focus away from the flow controls.
    void FocusElsewhere() const {
        op()->ButtonApply->setFocus();
        ASSERT_TRUE(op()->ButtonApply->hasFocus());
    }

    UnitMain::TMixtureOperationTab* op() const { return form->Operation; }
    UnitMain::TPumpFluidTab* pump() const { return form->PumpFluid; }
    UnitMain::TDebugTab* debug() const { return form->Debug; }

    Base::TManualClock clock{46000.5};
    TestSupport::TTempFolder folder{"moistrel-program"};
    App::TMoistrel program{clock, TestSupport::PlacesIn(folder)};
    TForm1* form = &program.Form();
    UnitMain::TMoistrelState& state = program.State();
    UnitMain::TDesignController* flows = &program.Design();
};

TEST_F(ControllersTest, StartUpPutsTheMiddleOfTheDemonstrationRanges) {
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 18049);
    EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), 45046);
    EXPECT_EQ(op()->RzTrackBarY1->Position(), 5);
    EXPECT_EQ(op()->GroupBoxY1->title(), QStringLiteral("A-component: O2"));
    EXPECT_EQ(op()->GroupBoxY2->title(), QStringLiteral("B-component: Ar"));
    EXPECT_EQ(op()->Label10->text(), QStringLiteral(" = 0.018 049  g/min"));
    EXPECT_EQ(op()->Label45->text(), QStringLiteral(" = 0.045 046  g/min"));
    EXPECT_EQ(op()->GroupBoxX->title(), QStringLiteral("C-component: Water pure"));
    EXPECT_EQ(op()->Label31->text(), QStringLiteral("00:45"));
    EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Max(), 323660.0);
    EXPECT_DOUBLE_EQ(state.MFCADetails.CurrentDesiredFlow, 0.018049);
    EXPECT_EQ(state.MFCADetails.ComPortName, "SIM");
    EXPECT_EQ(state.PumpDetails.Port, "SIM");
    // The panel shows the two demonstration gases on their simulated ports.
    const std::vector<std::string> lines = op()->Memo1->Lines();
    ASSERT_GE(lines.size(), 3U);
    EXPECT_EQ(lines[0], "Machine recipe");
    EXPECT_EQ(lines[1].substr(0, 10), "  SIM:0:O2");
    EXPECT_EQ(lines[2].substr(0, 10), "  SIM:1:Ar");
}

TEST_F(ControllersTest, TypingInAFlowFieldMovesItsTrackBar) {
    Type(op()->RtIntegerEditY1Flow, QStringLiteral("20000"));
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 20000);
    EXPECT_EQ(op()->RzTrackBarY1->Position(), 6);
    EXPECT_EQ(op()->Label10->text(), QStringLiteral(" = 0.02   g/min"));
    EXPECT_DOUBLE_EQ(state.MFCADetails.CurrentDesiredFlow, 0.02);

    // Too large: clamped to one below the single-precision range times a million.
    Type(op()->RtIntegerEditY1Flow, QStringLiteral("50000"));
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 35799);
    EXPECT_EQ(op()->RzTrackBarY1->Position(), 10);

    Type(op()->RtIntegerEditY2Flow, QStringLiteral("100000"));
    EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), 89200);
    EXPECT_EQ(op()->RzTrackBarY2->Position(), 10);
}

TEST_F(ControllersTest, MovingATrackBarChangesItsField) {
    op()->RzTrackBarY1->setFocus();
    ASSERT_TRUE(op()->RzTrackBarY1->hasFocus());
    QTest::keyClick(op()->RzTrackBarY1, Qt::Key_Left);
    EXPECT_EQ(op()->RzTrackBarY1->Position(), 4);
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 14499); // 298.33 + 0.4 × 35501.67

    op()->RzTrackBarFluid->setFocus();
    QTest::keyClick(op()->RzTrackBarFluid, Qt::Key_Right);
    EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Value(), 32366.0);
    EXPECT_NE(op()->Label30->text(), QStringLiteral("/1T"));
}

TEST_F(ControllersTest, NeitherControlFollowsWithoutFocus) {
    FocusElsewhere();
    // A track bar moved by code, not by the operator: the field stays.
    op()->RzTrackBarY1->SetPosition(9);
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 18049);
    op()->RzTrackBarFluid->SetPosition(3);
    EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Value(), 0.0);

    // A key released in a field that has no focus: the track bar stays.
    op()->RtIntegerEditY2Flow->SetValue(80000);
    QTest::keyClick(op()->RtIntegerEditY2Flow, Qt::Key_Shift);
    EXPECT_EQ(op()->RzTrackBarY2->Position(), 5);
    EXPECT_EQ(op()->Label45->text(), QStringLiteral(" = 0.08   g/min"));
}

TEST_F(ControllersTest, BFlowAtTheMinimumBecomesNoFlowWhenTypingEnds) {
    // The digits on the way stay while typing: "8", "89" and "892" are all at or below the minimum.
    Type(op()->RtIntegerEditY2Flow, QStringLiteral("892"));
    EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), 892);
    QTest::keyClick(op()->RtIntegerEditY2Flow, Qt::Key_Return);
    EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), 0);

    Type(op()->RtIntegerEditY2Flow, QStringLiteral("500"));
    FocusElsewhere();
    EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), 0);

    Type(op()->RtIntegerEditY2Flow, QStringLiteral("4500"));
    FocusElsewhere();
    EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), 4500);
}

TEST_F(ControllersTest, FluidFlowGivesThePumpCommand) {
    Type(op()->RtDoubleEditFluidFlow, QStringLiteral("1000"));
    EXPECT_EQ(op()->RtDoubleEditAchievableFluid->text(), QStringLiteral("995.7"));
    EXPECT_EQ(op()->Label55->text(), QStringLiteral("64"));
    EXPECT_EQ(op()->Label30->text(), QStringLiteral("/1TgV48000IA192000V64OA0G0R"));
    const std::vector<std::string> pumpLines = form->MemoPump->Lines();
    ASSERT_GE(pumpLines.size(), 3U);
    EXPECT_EQ(pumpLines[pumpLines.size() - 3], "     Status   : psCalculated");
    EXPECT_EQ(pumpLines[pumpLines.size() - 2], "     Speed Hz : 64");

    Type(op()->RtDoubleEditFluidFlow, QStringLiteral("300000"));
    EXPECT_EQ(op()->RtDoubleEditAchievableFluid->text(), QStringLiteral("0.0"));
    EXPECT_EQ(op()->Label55->text(), QStringLiteral("psOverCapacity"));
    EXPECT_EQ(op()->Label30->text(), QStringLiteral("/1T"));

    Type(op()->RtDoubleEditStepDuration, QStringLiteral("2.5"));
    EXPECT_EQ(op()->Label31->text(), QStringLiteral("02:30"));
}

// The design panel of the demonstration gases in the middle of their ranges and 1000 µg/min of
// water (995.7 achievable) at the custom conditions 75 ºC and 1500 mbar.
const std::vector<std::string> DemonstrationPanel = {
    "Machine recipe",
    "  SIM:0:O2               0.018 049 g/min ",
    "  SIM:1:Ar               0.045 046 g/min ",
    "  SIM:2:Water pure       0.000 996 g/min ",
    "",
    "Components",
    "  O2                     31.999 g/mol",
    "  Ar                     39.948 g/mol",
    "  Water pure             18.015 g/mol",
    "",
    "Mass flow",
    "  O2           gram/min: 0.018 049 (28.16%)",
    "  Ar           gram/min: 0.045 046 (70.28%)",
    "  H2O          gram/min: 0.000 996 (1.55%)",
    "                         ---------",
    "  Total        gram/min: 0.064 091",
    "",
    "Volumetric flow (assuming everything is in gas state)",
    "                mln/min:     39 (  0ºC, 1013.25 mBar)",
    "                 ml/min:     46 ( 50ºC, 1013.25 mBar)",
    "                 ml/min:     53 (100ºC, 1013.25 mBar)",
    "                 ml/min:     61 (150ºC, 1013.25 mBar)",
    "                 ml/min:     34 ( 75ºC, 1500    mBar)",
    "",
    "Concentration",
    "  O2            mol/min: 0.000 564 (  322 881 ppm)",
    "  Ar            mol/min: 0.001 128 (  645 482 ppm)",
    "  H2O           mol/min: 0.000 055 (   31 637 ppm)",
    "             ******************************************* ",
    "             *   for 75ºC, 1500 mbar",
    "             *      ppm @ 100% RH ->   257 303 ppm",
    "             *        Current ppm ->    31 637 ppm",
    "             *                 RH ->        12 %",
    "             ******************************************* ",
};

TEST_F(ControllersTest, DesignPanelShowsRecipeAndAnalysis) {
    Type(op()->RtDoubleEditFluidFlow, QStringLiteral("1000"));
    FocusElsewhere();
    EXPECT_EQ(op()->Memo1->Lines(), DemonstrationPanel);
    EXPECT_NE(op()->Memo1->Text().find("Concentration\r\n"), std::string::npos) << "lines end in CR LF";

    // An operator's limit below the water's concentration, applied to the pump.
    Page(TForm1::pgPumpAndFluid);
    pump()->RtIntegerEditFluidPPMLimit->SetValue(1000);
    QTest::mouseClick(pump()->ButtonApplyPumpAndFluid, Qt::LeftButton);
    EXPECT_EQ(state.PumpDetails.FLUID_MAX_PPM, 1000);
    std::vector<std::string> limited = DemonstrationPanel;
    limited.emplace_back("    Exceeding the fluid ppm limit  (    1 000 ppm)");
    EXPECT_EQ(op()->Memo1->Lines(), limited);

    // The custom conditions: a key released in the pressure field adds the vapour pressure line of
    // the temperature to Memo2 and redraws the panel with the new pressure.
    Type(pump()->RtDoubleEditCustomPressure, QStringLiteral("1013"));
    const std::vector<std::string> memo2 = pump()->Memo2->Lines();
    ASSERT_FALSE(memo2.empty());
    EXPECT_EQ(memo2.back().rfind("H2O Vapor pressure @ 75ºC = ", 0), 0U) << memo2.back();
    EXPECT_NE(op()->Memo1->Text().find(" ( 75ºC, 1013    mBar)"), std::string::npos);
}

TEST_F(ControllersTest, FluidDesignerOnItsPage) {
    Page(TForm1::pgPumpAndFluid);
    EXPECT_EQ(pump()->ComboBoxMix1->count(), 13);
    EXPECT_EQ(pump()->ComboBoxMix1->currentIndex(), 9);
    EXPECT_EQ(pump()->EditDesignedMixtureName->text(), QStringLiteral("Water pure"));
    EXPECT_NEAR(pump()->RtDoubleEditDesignMixtureMGperStroke->Value(), 49.887, 0.0005);
    EXPECT_EQ(pump()->Memo2->Lines().at(2).substr(0, 50),
              "  Water pure           55.508    1.000 000        ");

    // Choosing ethanol in row 2 renames the mixture; typing a mass keeps the name.
    pump()->ComboBoxMix2->setCurrentIndex(static_cast<int>(GasMixtures::gC2H6O));
    emit pump()->ComboBoxMix2->activated(static_cast<int>(GasMixtures::gC2H6O));
    EXPECT_EQ(pump()->EditDesignedMixtureName->text(), QStringLiteral("Designed mixture"));
    pump()->EditDesignedMixtureName->setText(QStringLiteral("Half and half"));
    Type(pump()->RtDoubleEdit1, QStringLiteral("50"));
    Type(pump()->RtDoubleEdit2, QStringLiteral("50"));
    EXPECT_EQ(pump()->EditDesignedMixtureName->text(), QStringLiteral("Half and half"));
    EXPECT_NEAR(pump()->RtDoubleEditDesignMixtureMolarMass->Value(), 25.9, 0.005);
    const std::vector<std::string> lines = pump()->Memo2->Lines();
    ASSERT_GE(lines.size(), 4U);
    EXPECT_EQ(lines[2].substr(0, 42), "  Water pure           2.775     0.718 881");
    EXPECT_EQ(lines[3].substr(0, 42), "  Ethanol              1.085     0.281 119");

    // Until "Apply and save" the pump keeps its water and the C flow its command.
    EXPECT_EQ(state.PumpDetails.Fluid.GasNameLong, "Water pure");
    EXPECT_EQ(pump()->EditFluidName->text(), QStringLiteral("Water pure"));
    QTest::mouseClick(pump()->ButtonApplyPumpAndFluid, Qt::LeftButton);
    EXPECT_EQ(state.PumpDetails.Fluid.GasNameLong, "Half and half");
    EXPECT_EQ(state.PumpDetails.Fluid.Components.size(), 2U);
    EXPECT_EQ(pump()->EditFluidName->text(), QStringLiteral("Half and half"));
    EXPECT_EQ(op()->GroupBoxX->title(), QStringLiteral("C-component: Half and half"));

    QTest::mouseClick(pump()->ButtonRestoreWater, Qt::LeftButton);
    EXPECT_EQ(pump()->ComboBoxMix2->currentIndex(), -1);
    EXPECT_EQ(state.DesignedMixture.Components.size(), 1U);
    EXPECT_EQ(state.PumpDetails.Fluid.Components.size(), 2U);
}

TEST_F(ControllersTest, DemonstrationPresetsApplyAtTheNextKeyRelease) {
    Page(TForm1::pgDebug);
    QTest::mouseClick(debug()->ButtonMFCAH2, Qt::LeftButton);
    EXPECT_EQ(debug()->EditY1DemoName->text(), QStringLiteral("H2"));
    EXPECT_DOUBLE_EQ(debug()->RtDoubleEditY1DemoMass->Value(), 2.01588);
    EXPECT_EQ(op()->GroupBoxY1->title(), QStringLiteral("A-Component: H2"));
    EXPECT_EQ(state.MFCADetails.LUT[0].NameShort, "O2");

    debug()->EditY1DemoName->setFocus();
    QTest::keyClick(debug()->EditY1DemoName, Qt::Key_End);
    EXPECT_EQ(state.MFCADetails.LUT[0].NameShort, "H2");
    EXPECT_EQ(op()->GroupBoxY1->title(), QStringLiteral("A-component: H2"));

    // A wider range puts the A flow where its track bar stands within it.
    Type(debug()->RtDoubleEditY1DemoRange, QStringLiteral("0.1"));
    EXPECT_FLOAT_EQ(state.MFCADetails.LUT[0].RangeMax, 0.1F);
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 50417); // 833.33 + 0.5 × 99166.67
}

TEST_F(ControllersTest, ATypedFlowSurvivesReapplyingUnchangedDemonstrationValues) {
    Type(op()->RtIntegerEditY1Flow, QStringLiteral("20000"));
    FocusElsewhere();
    flows->ApplysimulationValues();
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 20000);
    EXPECT_EQ(flows->CreateMixture().Components.at(0).Mass, 0.02F);

    // After validation the demonstration fields change nothing but themselves.
    state.MixerState = UnitMain::msValidated;
    Page(TForm1::pgDebug);
    Type(debug()->RtDoubleEditY1DemoRange, QStringLiteral("0.5"));
    EXPECT_FLOAT_EQ(state.MFCADetails.LUT[0].RangeMax, 0.0358F);
}

// ---- Faults found in review ----

// How the focus leaves a typed B flow for the B track bar.
enum class TLeave { ShiftTab, ClickOnHandle };

struct TLeaveCase {
    TLeave How;
    const char* Typed;
    int Kept;
};

TEST_F(ControllersTest, ATypedBFlowSurvivesTheFocusMovingToItsTrackBar) {
    // 4500 stands at track bar position 0, 45000 at 5, the handle in the middle of the bar. The
    // end of the typing must not take the track bar's new focus for the operator moving it.
    const TLeaveCase cases[] = {{TLeave::ShiftTab, "4500", 4500}, {TLeave::ClickOnHandle, "45000", 45000}};
    Widgets::TIntegerEdit* field = op()->RtIntegerEditY2Flow;
    Widgets::TTrackBar* track = op()->RzTrackBarY2;
    for (const TLeaveCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        Type(field, QString::fromLatin1(c.Typed));
        const int position = track->Position();
        if (c.How == TLeave::ShiftTab) {
            // The key goes down in the field; it comes up wherever the focus went.
            QTest::keyPress(field, Qt::Key_Tab, Qt::ShiftModifier);
            ASSERT_EQ(QApplication::focusWidget(), track);
            QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        } else {
            ASSERT_EQ(position, 5);
            QTest::mouseClick(track, Qt::LeftButton, {}, track->rect().center());
            ASSERT_EQ(QApplication::focusWidget(), track);
        }
        EXPECT_EQ(track->Position(), position);
        EXPECT_EQ(field->Value(), c.Kept);
        EXPECT_EQ(op()->Label45->text(), QString::fromStdString(Design::FlowLabel(c.Kept)));
        EXPECT_DOUBLE_EQ(state.MFCBDetails.CurrentDesiredFlow, c.Kept / 1e6);
    }
}

// A wheel turn over a track bar that does not have the focus.
void Wheel(QWidget* target, int notches) {
    const QPointF at = QPointF(target->rect().center());
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

TEST_F(ControllersTest, ATrackBarMovedByTheMouseWithoutTheFocusLeadsItsFlow) {
    FocusElsewhere();
    Wheel(op()->RzTrackBarY1, 1);
    ASSERT_FALSE(op()->RzTrackBarY1->hasFocus());
    EXPECT_EQ(op()->RzTrackBarY1->Position(), 6);
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 21599); // 298.33 + 0.6 × 35501.67
    EXPECT_EQ(op()->Label10->text(), QStringLiteral(" = 0.021 599  g/min"));
    EXPECT_DOUBLE_EQ(state.MFCADetails.CurrentDesiredFlow, 0.021599);

    Wheel(op()->RzTrackBarY2, -1);
    EXPECT_EQ(op()->RzTrackBarY2->Position(), 4);
    EXPECT_EQ(op()->RtIntegerEditY2Flow->Value(), 36215); // 892 + 0.4 × 88308
    EXPECT_DOUBLE_EQ(state.MFCBDetails.CurrentDesiredFlow, 0.036215);

    Wheel(op()->RzTrackBarFluid, 1);
    EXPECT_EQ(op()->RzTrackBarFluid->Position(), 1);
    EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Value(), 32366.0);
    EXPECT_EQ(op()->Label30->text(), QStringLiteral("/1TgV48000IA192000V2226OA0G0R"));

    // The design panel follows as well: the A flow of the snapshot is the new one.
    EXPECT_EQ(flows->CreateMixture().Components.at(0).Mass, 0.021599F);
}

TEST_F(ControllersTest, ThePumpSpeedFollowsEveryChangeOfTheCFlow) {
    // Above the field's maximum (323 660 µg/min, the pump's limit) the value is clamped; the pump
    // speed must be that of the clamped value however the text came in, not the one of the 1000
    // typed before (or of "40000" on the way).
    const struct {
        const char* How;
        std::function<void(QWidget*)> Enter;
    } ways[] = {
        {"the last key still down when Shift+Tab moves the focus to the track bar",
         [](QWidget* field) {
             Type(field, QStringLiteral("40000"));
             QTest::keyPress(field, Qt::Key_0);
             QTest::keyPress(field, Qt::Key_Tab, Qt::ShiftModifier);
             QTest::keyRelease(QApplication::focusWidget(), Qt::Key_0, Qt::ShiftModifier);
             QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
         }},
        {"an input method's commit",
         [](QWidget* field) {
             field->setFocus();
             static_cast<QLineEdit*>(field)->selectAll();
             QInputMethodEvent commit;
             commit.setCommitString(QStringLiteral("400000"));
             QApplication::sendEvent(field, &commit);
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.How);
        Type(op()->RtDoubleEditFluidFlow, QStringLiteral("1000"));
        ASSERT_EQ(op()->Label55->text(), QStringLiteral("64"));
        way.Enter(op()->RtDoubleEditFluidFlow);
        FocusElsewhere();
        EXPECT_DOUBLE_EQ(op()->RtDoubleEditFluidFlow->Value(), 323660.0);
        EXPECT_EQ(op()->Label55->text(), QStringLiteral("psOverCapacity"));
        EXPECT_EQ(op()->Label30->text(), QStringLiteral("/1T"));
        EXPECT_EQ(op()->RtDoubleEditAchievableFluid->text(), QStringLiteral("0.0"));
        EXPECT_EQ(op()->RzTrackBarFluid->Position(), 10);
    }
}

// ---- Gaps ----

TEST_F(ControllersTest, ANewTurndownAloneMovesTheFlowIntoTheNewRange) {
    // Turndown 50 instead of 120: the minimum becomes 716 µg/min; the A track bar stays at 5.
    Page(TForm1::pgDebug);
    Type(debug()->RtDoubleEditY1DemoTurndown, QStringLiteral("50"));
    EXPECT_FLOAT_EQ(state.MFCADetails.LUT[0].RangeMin, 0.0358F / 50.0F);
    EXPECT_EQ(op()->RzTrackBarY1->Position(), 5);
    EXPECT_EQ(op()->RtIntegerEditY1Flow->Value(), 18258); // 716 + 0.5 × 35084
    EXPECT_DOUBLE_EQ(state.MFCADetails.CurrentDesiredFlow, 0.018258);
}

// ---- The design inputs: one place for what is typed on three pages ----

TEST_F(ControllersTest, TheDesignInputsStartAsTheWindowsDefaults) {
    const UnitMain::TDesignInputs defaults;
    const UnitMain::TDesignInputs& held = state.DesignInputs;
    EXPECT_EQ(held.CustomTempC, defaults.CustomTempC);
    EXPECT_EQ(held.CustomPressure_mbar, defaults.CustomPressure_mbar);
    for (const auto& [shown, expected] :
         {std::pair{held.DemoA, defaults.DemoA}, std::pair{held.DemoB, defaults.DemoB}}) {
        EXPECT_EQ(shown.Name, expected.Name);
        EXPECT_EQ(shown.Mass, expected.Mass);
        EXPECT_EQ(shown.Range, expected.Range);
        EXPECT_EQ(shown.Turndown, expected.Turndown);
    }
    EXPECT_EQ(held.StepDuration_h, defaults.StepDuration_h);
    EXPECT_EQ(held.StepComments, defaults.StepComments);
}

TEST_F(ControllersTest, WhatIsTypedOnEachPageGoesIntoTheDesignInputs) {
    const UnitMain::TDesignInputs& held = state.DesignInputs;
    const struct {
        TForm1::TPage Page;
        QWidget* Field;
        const char* Typed;
        std::function<bool()> Held;
    } rows[] = {
        {TForm1::pgPumpAndFluid, pump()->RtDoubleEditCustomTemp, "20",
         [&] { return held.CustomTempC == 20.0; }},
        {TForm1::pgPumpAndFluid, pump()->RtDoubleEditCustomPressure, "1013",
         [&] { return held.CustomPressure_mbar == 1013.0; }},
        {TForm1::pgDebug, debug()->EditY1DemoName, "N2", [&] { return held.DemoA.Name == "N2"; }},
        {TForm1::pgDebug, debug()->RtDoubleEditY1DemoMass, "28", [&] { return held.DemoA.Mass == 28.0; }},
        {TForm1::pgDebug, debug()->RtDoubleEditY1DemoRange, "0.05", [&] { return held.DemoA.Range == 0.05; }},
        {TForm1::pgDebug, debug()->RtDoubleEditY1DemoTurndown, "40",
         [&] { return held.DemoA.Turndown == 40.0; }},
        {TForm1::pgDebug, debug()->EditY2DemoName, "He", [&] { return held.DemoB.Name == "He"; }},
        {TForm1::pgDebug, debug()->RtDoubleEditY2DemoMass, "4", [&] { return held.DemoB.Mass == 4.0; }},
        {TForm1::pgDebug, debug()->RtDoubleEditY2DemoRange, "0.2", [&] { return held.DemoB.Range == 0.2; }},
        {TForm1::pgDebug, debug()->RtDoubleEditY2DemoTurndown, "80",
         [&] { return held.DemoB.Turndown == 80.0; }},
        {TForm1::pgMixtureOperation, op()->RtDoubleEditStepDuration, "2.5",
         [&] { return held.StepDuration_h == 2.5; }},
        {TForm1::pgMixtureOperation, op()->EditStepComments, "Dry start",
         [&] { return held.StepComments == "Dry start"; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Field->objectName().toStdString());
        Page(row.Page);
        Type(row.Field, QString::fromUtf8(row.Typed));
        EXPECT_TRUE(row.Held());
    }
    // The snapshot and the simulated tables read them from there.
    const GasMixtures::TGasItem segment = flows->CreateMixture();
    EXPECT_EQ(segment.StepName, "Dry start");
    EXPECT_EQ(segment.StepTime, 2.5);
    EXPECT_EQ(state.MFCADetails.LUT[0].NameShort, "N2");
    EXPECT_FLOAT_EQ(state.MFCBDetails.LUT[0].RangeMax, 0.2F);
    EXPECT_NE(op()->Memo1->Text().find("ml/min:    631 ( 20ºC, 1013    mBar)"), std::string::npos)
        << op()->Memo1->Text();
}

TEST_F(ControllersTest, DesignInputsSetByTheProgramShowOnTheirPages) {
    // What the settings file and a recalled segment will do: write the record, then apply it.
    state.DesignInputs.CustomTempC = -10.0;
    state.DesignInputs.CustomPressure_mbar = 900.0;
    state.DesignInputs.DemoA = {"Air", 28.9647, 0.5, 50.0};
    state.DesignInputs.DemoB = {"N2", 28.0134, 1.0, 20.0};
    state.DesignInputs.StepDuration_h = 1.25;
    state.DesignInputs.StepComments = "Recalled";
    flows->ApplyDesignInputs();
    program.FluidDesign().ApplyDesignInputs();
    EXPECT_EQ(pump()->RtDoubleEditCustomTemp->text(), QStringLiteral("-10"));
    EXPECT_EQ(pump()->RtDoubleEditCustomPressure->text(), QStringLiteral("900"));
    EXPECT_EQ(debug()->EditY1DemoName->text(), QStringLiteral("Air"));
    EXPECT_EQ(debug()->RtDoubleEditY1DemoMass->text(), QStringLiteral("28.9647"));
    EXPECT_EQ(debug()->RtDoubleEditY1DemoRange->text(), QStringLiteral("0.5"));
    EXPECT_EQ(debug()->RtDoubleEditY1DemoTurndown->text(), QStringLiteral("50"));
    EXPECT_EQ(debug()->EditY2DemoName->text(), QStringLiteral("N2"));
    EXPECT_EQ(debug()->RtDoubleEditY2DemoMass->text(), QStringLiteral("28.0134"));
    EXPECT_EQ(debug()->RtDoubleEditY2DemoRange->text(), QStringLiteral("1"));
    EXPECT_EQ(debug()->RtDoubleEditY2DemoTurndown->text(), QStringLiteral("20"));
    EXPECT_EQ(op()->RtDoubleEditStepDuration->text(), QStringLiteral("1.25"));
    EXPECT_EQ(op()->EditStepComments->text(), QStringLiteral("Recalled"));
    // Applying keeps the record as it was given (no field read back half-applied values).
    EXPECT_EQ(state.DesignInputs.DemoA.Name, "Air");
    EXPECT_EQ(state.DesignInputs.DemoA.Turndown, 50.0);
    EXPECT_EQ(state.DesignInputs.DemoB.Range, 1.0);
    EXPECT_EQ(state.DesignInputs.CustomTempC, -10.0);
}

// ---- The composition ----

TEST_F(ControllersTest, Timer1RunsTheRunControlsTickAndStopsWithoutAHandler) {
    // The program connects the run control's tick when it is built: in state 0 the tick shows
    // "Simulation" on the LED caption.
    EXPECT_TRUE(form->Timer1->isActive());
    op()->RzLEDDisplay1->SetCaption("something else");
    EXPECT_TRUE(QTest::qWaitFor([this] { return op()->RzLEDDisplay1->Caption() == "Simulation"; }, 5000));
    int ticks = 0;
    form->ConnectTick([&ticks] { ++ticks; });
    EXPECT_TRUE(QTest::qWaitFor([&ticks] { return ticks >= 2; }, 5000));
    form->ConnectTick({});
    EXPECT_FALSE(form->Timer1->isActive()) << "nothing may tick into nothing";
}

TEST_F(ControllersTest, ApplyAndSaveUsesThePumpSettingsOfThePage) {
    // The pump model on the page is the 24 000-step model: applying it changes the command's steps.
    Type(op()->RtDoubleEditFluidFlow, QStringLiteral("1000"));
    FocusElsewhere();
    Page(TForm1::pgPumpAndFluid);
    pump()->RadioGroupPumpOptimization->SetItemIndex(0);
    program.FluidDesign().ApplyPumpSettings();
    EXPECT_EQ(state.PumpDetails.SYRINGE_STEPS, 24000);
    QTest::mouseClick(pump()->ButtonApplyPumpAndFluid, Qt::LeftButton);
    EXPECT_TRUE(op()->Label30->text().startsWith(QStringLiteral("/1TgV48000IA24000V")))
        << op()->Label30->text().toStdString();
}

} // namespace
