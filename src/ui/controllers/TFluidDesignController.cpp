#include "ui/controllers/TFluidDesignController.h"

#include "design/FluidDesigner.h"
#include "model/GasItems.h"
#include "ui/TForm1.h"
#include "ui/controllers/TApplyAndSaveSteps.h"
#include "ui/controllers/TDesignRefresh.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TPumpFluidTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TRadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

namespace UnitMain {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TFluidDesignController::TFluidDesignController(TForm1& form, TMoistrelState& state, TDesignRefresh& flows,
                                               TSettingsSaver& settings, TPumpFinder& pump, QObject* parent)
    : QObject(parent), fForm(form), fState(state), fFlows(flows), fSettings(settings), fPump(pump) {
    TPumpFluidTab* page = form.PumpFluid;
    for (int row = 0; row < Design::DesignerRowCount; ++row) {
        // Only the operator's choice renames the mixture, so the list's own signal for a user pick.
        connect(page->ComboBoxMix[row], &QComboBox::activated, this, [this] { ComboBoxMix1Change(true); });
        connect(page->RtDoubleEdit[row], &Widgets::TNumberEdit::KeyUp, this,
                [this] { ComboBoxMix1Change(false); });
    }
    connect(page->RtDoubleEditDesignedMixtureDensity, &Widgets::TNumberEdit::KeyUp, this,
            [this] { RtDoubleEditDesignedMixtureDensityKeyUp(); });
    connect(page->ButtonRestoreWater, &QPushButton::clicked, this, [this] { ButtonRestoreWaterClick(); });
    connect(page->ButtonApplyPumpAndFluid, &QPushButton::clicked, this,
            [this] { ButtonApplyPumpAndFluidClick(); });
    connect(page->RtDoubleEditCustomTemp, &Widgets::TNumberEdit::KeyUp, this,
            [this] { RtDoubleEditCustomTempKeyUp(); });
    connect(page->RtDoubleEditCustomPressure, &Widgets::TNumberEdit::KeyUp, this,
            [this] { RtDoubleEditCustomTempKeyUp(); });
    for (Widgets::TDoubleEdit* field : {page->RtDoubleEditCustomTemp, page->RtDoubleEditCustomPressure}) {
        connect(field, &Widgets::TNumberEdit::ValueChanged, this, [this] { GatherDesignInputs(); });
    }
    GatherDesignInputs();
}

void TFluidDesignController::GatherDesignInputs() {
    if (fApplyingInputs) {
        return;
    }
    fState.DesignInputs.CustomTempC = fForm.PumpFluid->RtDoubleEditCustomTemp->Value();
    fState.DesignInputs.CustomPressure_mbar = fForm.PumpFluid->RtDoubleEditCustomPressure->Value();
}

void TFluidDesignController::ApplyDesignInputs() {
    const TDesignInputs inputs = fState.DesignInputs;
    {
        const QScopedValueRollback applying(fApplyingInputs, true);
        fForm.PumpFluid->RtDoubleEditCustomTemp->SetValue(inputs.CustomTempC);
        fForm.PumpFluid->RtDoubleEditCustomPressure->SetValue(inputs.CustomPressure_mbar);
    }
    GatherDesignInputs();
}

void TFluidDesignController::FillSubstanceLists() {
    QStringList names;
    for (const std::string& name : GasMixtures::GasItemsLongNames()) {
        names.append(Q(name));
    }
    for (QComboBox* list : fForm.PumpFluid->ComboBoxMix) {
        list->clear();
        list->addItems(names);
        list->setCurrentIndex(-1);
    }
}

void TFluidDesignController::StartWithWater() {
    FillSubstanceLists();
    ButtonRestoreWaterClick();
    AssignFluidMixtureToPump();
    ApplyPumpSettings();
}

void TFluidDesignController::FluidMixtureCalculation() {
    TPumpFluidTab* page = fForm.PumpFluid;
    Design::TFluidDesignInput input;
    for (int row = 0; row < Design::DesignerRowCount; ++row) {
        input.Rows[row].ItemIndex = page->ComboBoxMix[row]->currentIndex();
        input.Rows[row].ItemText = page->ComboBoxMix[row]->currentText().toStdString();
        input.Rows[row].Mass_g = page->RtDoubleEdit[row]->Value();
    }
    input.MixtureName = page->EditDesignedMixtureName->text().toStdString();
    input.Density = page->RtDoubleEditDesignedMixtureDensity->Value();
    input.SyringeVolume_ul = fState.PumpDetails.SYRINGE_VOLUMEul;
    input.MolPerML = page->RtDoubleEditDesigtnMixtureMOLperML->Value();

    const Design::TFluidDesignResult result = Design::FluidMixtureCalculation(fState.DesignedMixture, input);
    fState.DesignedMixture = result.DesignedMixture;
    page->Memo2->SetText(result.Memo2);
    page->RtDoubleEditDesignMixtureMolarMass->SetValue(result.MolarMass);
    RtDoubleEditDesignedMixtureDensityKeyUp();
}

void TFluidDesignController::ComboBoxMix1Change(bool renamed) {
    if (renamed) {
        fForm.PumpFluid->EditDesignedMixtureName->setText(QString::fromUtf8(Design::ChangedMixtureName));
    }
    FluidMixtureCalculation();
}

void TFluidDesignController::RtDoubleEditDesignedMixtureDensityKeyUp() {
    TPumpFluidTab* page = fForm.PumpFluid;
    const Design::TDensityFigures figures = Design::DesignedMixtureDensityFigures(
        page->RtDoubleEditDesignMixtureMolarMass->Value(), page->RtDoubleEditDesignedMixtureDensity->Value(),
        fState.PumpDetails.SYRINGE_VOLUMEul);
    if (figures.MolPerML) {
        page->RtDoubleEditDesigtnMixtureMOLperML->SetValue(*figures.MolPerML);
    }
    page->RtDoubleEditDesignMixtureMGperStroke->SetValue(figures.MGperStroke);
}

void TFluidDesignController::ButtonRestoreWaterClick() {
    TPumpFluidTab* page = fForm.PumpFluid;
    const Design::TWaterDesign water = Design::RestoreWater();
    page->EditDesignedMixtureName->setText(Q(water.MixtureName));
    for (int row = 0; row < Design::DesignerRowCount; ++row) {
        page->ComboBoxMix[row]->setCurrentIndex(water.Rows[row].ItemIndex);
        page->RtDoubleEdit[row]->SetValue(water.Rows[row].Mass_g);
    }
    page->RtDoubleEditDesignedMixtureDensity->SetValue(water.Density);
    FluidMixtureCalculation();
}

void TFluidDesignController::AssignFluidMixtureToPump() {
    TPumpFluidTab* page = fForm.PumpFluid;
    Design::TFluidAssignInput input;
    input.MixtureName = page->EditDesignedMixtureName->text().toStdString();
    input.Density = page->RtDoubleEditDesignedMixtureDensity->Value();
    input.MolarMass = page->RtDoubleEditDesignMixtureMolarMass->Value();
    input.MolPerML = page->RtDoubleEditDesigtnMixtureMOLperML->Value();
    input.PPMLimit = page->RtIntegerEditFluidPPMLimit->Value();
    input.SyringeIndex = page->RadioGroupSyringeVolume->ItemIndex();

    const Design::TAssignedFluid shown =
        Design::AssignFluidMixtureToPump(fState.PumpDetails, fState.DesignedMixture, input);
    page->RtDoubleEditSyringeGramsperStroke->SetValue(shown.SyringeSizeMg);
    page->EditFluidName->setText(Q(shown.Name));
    page->RtDoubleEditFluidDensity->SetValue(shown.Density);
    page->RtDoubleEditFluidMolPerGram->SetValue(shown.MolPerML);
    page->RtDoubleEditFluidMolarMass->SetValue(shown.MolarMass);
}

void TFluidDesignController::ApplyPumpSettings() {
    Design::ApplyPumpSettings(fState.PumpDetails, fForm.PumpFluid->RadioGroupPumpOptimization->ItemIndex());
    fForm.Operation->GroupBoxX->setTitle(Q(Design::FluidCaption(fState.PumpDetails)));
}

void TFluidDesignController::ButtonApplyPumpAndFluidClick() {
    AssignFluidMixtureToPump();
    ApplyPumpSettings();
    fSettings.SaveSettings();
    const TSetupTab* setup = fForm.Setup;
    if (setup->CheckBoxPump->isChecked() && setup->ListBoxPortPump->ItemIndex() >= 0) {
        fPump.PumpFindInit(setup->ListBoxPortPump->SelectedText());
    }
    fFlows.PumpSettingsChanged();
}

void TFluidDesignController::RtDoubleEditCustomTempKeyUp() {
    TPumpFluidTab* page = fForm.PumpFluid;
    page->Memo2->AddLine(Design::VapourPressureLine(fState.DesignInputs.CustomTempC));
    fFlows.ShowMixture2();
}

} // namespace UnitMain
