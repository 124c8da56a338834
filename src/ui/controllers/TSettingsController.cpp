#include "ui/controllers/TSettingsController.h"

#include "base/FileReplace.h"
#include "design/FluidDesigner.h"
#include "logging/DiagnosticLogger.h"
#include "pump/PumpSettings.h"
#include "ui/TForm1.h"
#include "ui/controllers/TFluidSteps.h"
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
#include <optional>
#include <vector>

namespace UnitMain {

namespace {

std::optional<std::string> SelectedPort(const Widgets::TListBox& list) {
    if (list.ItemIndex() < 0) {
        return std::nullopt;
    }
    return list.SelectedText();
}

// What a liquid not stored yet is called.
constexpr const char* UndefinedMixtureName = "Undefined mixture";

} // namespace

std::string LoggingUnavailableMessage(const std::string& folder) {
    return "Logging cannot be enabled if the log file cannot be created in the Moistrel folder (" + folder +
           "). Make that folder writable, or run Moistrel from a folder where it may write files." +
           " Alternatively set Logging type=Off in the ini-file.";
}

TSettingsController::TSettingsController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs,
                                         std::string path, std::string logFolder)
    : fForm(form), fState(state), fDialogs(dialogs), fPath(std::move(path)),
      fLogFolder(std::move(logFolder)) {}

void TSettingsController::INILoad(TFluidSteps& fluid) {
    // What a save that died before its rename left beside the file goes before anything reads it.
    for (const std::string& stale : Base::RemoveStaleReplacements(fPath)) {
        fForm.LogOld(*fForm.MemoLog, "Removed the temporary file of an unfinished save: " + stale);
    }
    Settings::TProfileFile file(fPath);
    std::string error;
    if (!file.Load(error)) {
        // An unreadable file is no reason not to start: every key takes its default. The logger is
        // not set up yet, so the operation log is where this is said.
        fForm.LogOld(*fForm.MemoLog, error + ": every setting takes its default.");
    }
    std::vector<Settings::TUnreadableSetting> unreadable;
    const Settings::TStoredSettings stored = Settings::ReadStoredSettings(file, &unreadable);
    for (const Settings::TUnreadableSetting& setting : unreadable) {
        fForm.LogOld(*fForm.MemoLog, Settings::UnreadableSettingLine(setting));
    }
    if (!unreadable.empty()) {
        fDialogs.ShowMessage(Settings::UnreadableSettingsMessage(fPath, unreadable));
    }
    TPumpFluidTab* page = fForm.PumpFluid;
    TPumpDetails& pump = fState.PumpDetails;

    fluid.FillSubstanceLists();
    pump.FLUID_MAX_PPM = stored.MaxPPM;
    page->RtIntegerEditFluidPPMLimit->SetValue(stored.MaxPPM);
    pump.SYRINGE_VOLUME_INDEX = stored.SyringeVolumeIndex;
    pump.SYRINGE_VOLUMEul = GetSyringeVolume(pump.SYRINGE_VOLUME_INDEX);
    page->RadioGroupSyringeVolume->SetItemIndex(pump.SYRINGE_VOLUME_INDEX);
    pump.SYRINGE_STEPS = stored.SyringeSteps;
    pump.SYRINGE_MAXSPEED = stored.SyringeMaxSpeed;

    TProgramSettings& settings = fState.Settings;
    settings.SavedPumpPort = stored.PumpPort.value_or("");
    settings.SavedMFCAPort = stored.MFCAPort.value_or("");
    settings.SavedMFCBPort = stored.MFCBPort.value_or("");
    settings.LoggingMode = stored.LoggingMode;
    // The logger is set up for this folder only after loading, so the folder itself is asked.
    if (settings.LoggingMode != Settings::LoggingModeOff && !Logging::LogFileCanBeCreatedIn(fLogFolder)) {
        fDialogs.ShowMessage(LoggingUnavailableMessage(fLogFolder));
        settings.LoggingMode = Settings::LoggingModeOff;
    }
    settings.ChartPoints = stored.ChartPoints;
    settings.AverageSampleSize = stored.AverageSampleSize;
    settings.MFCADynamicRangeCull = stored.MFCADynamicRangeCull;
    settings.MFCBDynamicRangeCull = stored.MFCBDynamicRangeCull;
    settings.ReadingLossLimitSeconds = stored.ReadingLossLimitSeconds;

    page->RtDoubleEditCustomTemp->SetValue(stored.CustomTemperatureC);
    page->RtDoubleEditCustomPressure->SetValue(stored.CustomPressuremBar);
    for (int row = 0; row < Settings::MixRowCount; ++row) {
        page->ComboBoxMix[row]->setCurrentIndex(stored.MixItemIndex[static_cast<std::size_t>(row)]);
        page->RtDoubleEdit[row]->SetValue(stored.MixMass_g[static_cast<std::size_t>(row)]);
    }
    page->EditDesignedMixtureName->setText(QString::fromStdString(stored.MixtureName));
    page->RtDoubleEditDesignedMixtureDensity->SetValue(stored.MixtureDensity);
    page->RtDoubleEditDesignMixtureMolarMass->SetValue(stored.MixtureMolarMass);

    fluid.FluidMixtureCalculation();
    fluid.AssignFluidMixtureToPump();

    pump.SYRINGE_VOLUMEul = GetSyringeVolume(pump.SYRINGE_VOLUME_INDEX);
    UpdateSyringeSize(pump);
    page->RtDoubleEditSyringeGramsperStroke->SetValue(pump.SYRINGE_SIZEmg);
    page->RtIntegerEditFluidPPMLimit->SetValue(pump.FLUID_MAX_PPM);
    page->RadioGroupSyringeVolume->SetItemIndex(pump.SYRINGE_VOLUME_INDEX);
    fForm.Operation->GroupBoxX->setTitle(QString::fromStdString(Design::FluidCaption(pump)));
    const int model = PumpModelIndexForSteps(pump.SYRINGE_STEPS);
    if (model >= 0) {
        page->RadioGroupPumpOptimization->SetItemIndex(model);
    }
    fluid.RtDoubleEditDesignedMixtureDensityKeyUp();

    // At start-up the port discovery has just cleared "Pump found", so this waits for a later load.
    const TSetupTab* setup = fForm.Setup;
    if (setup->CheckBoxPump->isChecked() && setup->ListBoxPortPump->ItemIndex() >= 0) {
        fluid.ButtonApplyPumpAndFluidClick();
    }
    if (page->EditFluidName->text() == QString::fromLatin1(UndefinedMixtureName)) {
        fluid.ButtonRestoreWaterClick();
        fluid.ButtonApplyPumpAndFluidClick();
    }
}

Settings::TStoredSettings TSettingsController::Gather() const {
    const TPumpFluidTab* page = fForm.PumpFluid;
    const TSetupTab* setup = fForm.Setup;
    const TPumpDetails& pump = fState.PumpDetails;
    const TProgramSettings& settings = fState.Settings;
    Settings::TStoredSettings s;
    s.SyringeVolumeIndex = pump.SYRINGE_VOLUME_INDEX;
    s.SyringeSteps = pump.SYRINGE_STEPS;
    s.SyringeMaxSpeed = pump.SYRINGE_MAXSPEED;
    s.PumpPort = SelectedPort(*setup->ListBoxPortPump);
    s.MFCAPort = SelectedPort(*setup->ListBoxPortMFC1);
    s.MFCBPort = SelectedPort(*setup->ListBoxPortMFC2);
    s.LoggingMode = settings.LoggingMode;
    s.ChartPoints = settings.ChartPoints;
    s.AverageSampleSize = settings.AverageSampleSize;
    s.MFCADynamicRangeCull = settings.MFCADynamicRangeCull;
    s.MFCBDynamicRangeCull = settings.MFCBDynamicRangeCull;
    s.ReadingLossLimitSeconds = settings.ReadingLossLimitSeconds;
    s.CustomTemperatureC = fState.DesignInputs.CustomTempC;
    s.CustomPressuremBar = fState.DesignInputs.CustomPressure_mbar;
    s.MixtureName = pump.Fluid.GasNameLong;
    s.MixtureDensity = pump.Fluid.DensityFluid20C;
    s.MixtureMolarMass = static_cast<double>(pump.Fluid.MolarMass);
    s.MaxPPM = pump.FLUID_MAX_PPM;
    for (int row = 0; row < Settings::MixRowCount; ++row) {
        s.MixItemIndex[static_cast<std::size_t>(row)] = page->ComboBoxMix[row]->currentIndex();
        s.MixMass_g[static_cast<std::size_t>(row)] = page->RtDoubleEdit[row]->Value();
    }
    return s;
}

bool TSettingsController::INISaveAndApply() {
    Design::ApplyPumpSettings(fState.PumpDetails, fForm.PumpFluid->RadioGroupPumpOptimization->ItemIndex());
    fForm.Operation->GroupBoxX->setTitle(QString::fromStdString(Design::FluidCaption(fState.PumpDetails)));

    // The whole new file is composed first and replaces the old one in one step, so a save that
    // fails half-way leaves the old file whole. Keys of other writers (the gas history) stay.
    Settings::TProfileFile file(fPath);
    std::string error;
    if (!file.Load(error)) {
        fDialogs.ShowMessage("Unable to write to " + fPath);
        return false;
    }
    Settings::WriteStoredSettings(file, Gather());
    if (!file.Save(error)) {
        fDialogs.ShowMessage(error);
        return false;
    }
    Logging::Logger().Send("IniFileSaved");
    return true;
}

void TSettingsController::SetListBox(const std::string& value, Widgets::TListBox& list) {
    const std::vector<std::string> items = list.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == value) {
            list.SetItemIndex(static_cast<int>(i));
        }
    }
}

} // namespace UnitMain
