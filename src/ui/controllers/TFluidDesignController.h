#pragma once
// Joins the "Pump && fluid details" page to the fluid designer of the design core: the four
// substance rows, the density, "Set to water", "Apply and save" and the custom conditions, which
// go into the state's design inputs as they are typed.

#include "state/MoistrelState.h"
#include "ui/controllers/TFluidSteps.h"

#include <QObject>

namespace UnitMain {

class TDesignRefresh;
class TForm1;
class TPumpFinder;
class TSettingsSaver;

class TFluidDesignController : public QObject, public TFluidSteps {
public:
    // Connects the handlers and takes the custom conditions into the design inputs. "Apply and
    // save" stores the settings through `settings` and, when "Pump found" is ticked and a pump port
    // is selected, initialises the pump through `pump`; then `flows` follow the new pump settings.
    // All of them must outlive the controller.
    TFluidDesignController(TForm1& form, TMoistrelState& state, TDesignRefresh& flows,
                           TSettingsSaver& settings, TPumpFinder& pump, QObject* parent = nullptr);

    // The four substance lists: the catalogue's long names in ordinal order, the first empty.
    void FillSubstanceLists() override;
    // What the loading of the settings does when there are none yet: the lists, pure water as the
    // designed liquid, assigned to the pump with the pump settings on the screen.
    void StartWithWater();

    void FluidMixtureCalculation() override;
    // A substance was chosen (`renamed`: the mixture becomes "Designed mixture"), or a mass typed.
    void ComboBoxMix1Change(bool renamed);
    void RtDoubleEditDesignedMixtureDensityKeyUp() override;
    void ButtonRestoreWaterClick() override;
    void AssignFluidMixtureToPump() override;
    void ButtonApplyPumpAndFluidClick() override;
    // Both custom condition fields: the vapour pressure line into Memo2, then the design panel.
    void RtDoubleEditCustomTempKeyUp();
    // The pump model on the page into the pump settings, with the syringe's mass per stroke, and
    // the C component's caption. Also for the settings save and the validation.
    void ApplyPumpSettings();

    // The custom conditions into the design inputs, and back (for the settings file).
    void GatherDesignInputs();
    void ApplyDesignInputs();

private:
    TForm1& fForm;
    TMoistrelState& fState;
    TDesignRefresh& fFlows;
    TSettingsSaver& fSettings;
    TPumpFinder& fPump;
    bool fApplyingInputs = false;
};

} // namespace UnitMain
