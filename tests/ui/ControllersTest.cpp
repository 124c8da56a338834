// The design controllers in the real window: flows and track bars under the focus rules, the C flow
// with the pump command, the design panel Memo1, the fluid designer and the demonstration values.

#include "base/Clock.h"
#include "design/FlowSetPoints.h"
#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"
#include "model/MixtureReport.h"
#include "state/MoistrelState.h"
#include "ui/TForm1.h"
#include "ui/controllers/TDesignController.h"
#include "ui/controllers/TFluidDesignController.h"
#include "ui/tabs/TDebugTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TPumpFluidTab.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TTrackBar.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using UnitMain::TForm1;

class ControllersTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm1>(clock);
        flows = std::make_unique<UnitMain::TDesignController>(*form, state);
        fluid = std::make_unique<UnitMain::TFluidDesignController>(*form, state, *flows);
        // What the start-up does: the liquid (from the settings; here the first-start water), then
        // the demonstration values, ranges and flows.
        fluid->StartWithWater();
        flows->Startup();
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
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

    // The design panel exactly as the composing routines give it for the current snapshot.
    std::string ExpectedPanel() const {
        GasMixtures::TGasItem snapshot = flows->CreateMixture();
        if (snapshot.Components.empty()) {
            return {};
        }
        GasMixtures::TGasItemDictionary totals;
        GasMixtures::AddMixtureToGasTotals(snapshot, totals);
        return GasMixtures::MachineRecipeAsString(snapshot) +
               GasMixtures::AnalyseMixture(totals, snapshot, pump()->RtDoubleEditCustomTemp->Value(),
                                           pump()->RtDoubleEditCustomPressure->Value());
    }

    Base::TManualClock clock{46000.5};
    UnitMain::TMoistrelState state;
    std::unique_ptr<TForm1> form;
    // Declared after the form so that they are destroyed before it.
    std::unique_ptr<UnitMain::TDesignController> flows;
    std::unique_ptr<UnitMain::TFluidDesignController> fluid;
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

TEST_F(ControllersTest, DesignPanelShowsRecipeAndAnalysis) {
    Type(op()->RtDoubleEditFluidFlow, QStringLiteral("1000"));
    FocusElsewhere();
    const std::string panel = op()->Memo1->Text();
    EXPECT_EQ(panel, ExpectedPanel());
    EXPECT_NE(panel.find("  SIM:2:Water pure"), std::string::npos) << panel;
    EXPECT_NE(panel.find("Concentration\r\n"), std::string::npos);
    EXPECT_NE(panel.find("  H2O           mol/min: "), std::string::npos);
    EXPECT_EQ(panel.find("Exceeding the fluid ppm limit"), std::string::npos);

    // An operator's limit below the water's concentration, applied to the pump.
    Page(TForm1::pgPumpAndFluid);
    pump()->RtIntegerEditFluidPPMLimit->SetValue(1000);
    QTest::mouseClick(pump()->ButtonApplyPumpAndFluid, Qt::LeftButton);
    EXPECT_EQ(state.PumpDetails.FLUID_MAX_PPM, 1000);
    const std::string limited = op()->Memo1->Text();
    EXPECT_EQ(limited, ExpectedPanel());
    EXPECT_NE(limited.find("    Exceeding the fluid ppm limit  (    1 000 ppm)\r\n"), std::string::npos)
        << limited;

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

} // namespace
