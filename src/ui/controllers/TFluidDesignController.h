#pragma once
// Joins the "Pump && fluid details" page to the fluid designer of the design core: the four
// substance rows, the density, "Set to water", "Apply and save" and the custom conditions.

#include "state/MoistrelState.h"

#include <QObject>
#include <functional>
#include <string>

namespace UnitMain {

class TDesignController;
class TForm1;

class TFluidDesignController : public QObject {
public:
    // Connects the handlers; `form`, `state` and `flows` must outlive the controller.
    TFluidDesignController(TForm1& form, TMoistrelState& state, TDesignController& flows,
                           QObject* parent = nullptr);

    // The settings file part of "Apply and save" (store the pump and fluid settings); until it is
    // set, "Apply and save" applies without saving.
    void SetSaveSettings(std::function<void()> save) { fSaveSettings = std::move(save); }
    // Detects and initialises the pump on the given port; "Apply and save" calls it when "Pump
    // found" is ticked and a pump port is selected.
    void SetPumpFindInit(std::function<bool(const std::string& port)> findInit) {
        fPumpFindInit = std::move(findInit);
    }

    // The four substance lists: the catalogue's long names in ordinal order, the first empty.
    void FillSubstanceLists();
    // What the loading of the settings does when there are none yet: the lists, pure water as the
    // designed liquid, assigned to the pump with the pump settings on the screen.
    void StartWithWater();

    void FluidMixtureCalculation();
    // A substance was chosen (`renamed`: the mixture becomes "Designed mixture"), or a mass typed.
    void ComboBoxMix1Change(bool renamed);
    void RtDoubleEditDesignedMixtureDensityKeyUp();
    void ButtonRestoreWaterClick();
    void AssignFluidMixtureToPump();
    void ButtonApplyPumpAndFluidClick();
    // Both custom condition fields: the vapour pressure line into Memo2, then the design panel.
    void RtDoubleEditCustomTempKeyUp();

private:
    void ApplyPumpSettings();

    TForm1& fForm;
    TMoistrelState& fState;
    TDesignController& fFlows;
    std::function<void()> fSaveSettings;
    std::function<bool(const std::string&)> fPumpFindInit;
};

} // namespace UnitMain
