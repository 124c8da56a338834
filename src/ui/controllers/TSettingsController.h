#pragma once
// Joins the settings file to the window: loading it at start-up into the state and the fields,
// and "save and apply" (the pump model, then every setting written as one new file). The file's
// rules and keys are the Qt-free settings layer; this is only the gathering and showing.

#include "base/Dialogs.h"
#include "settings/StoredSettings.h"
#include "state/MoistrelState.h"
#include "ui/controllers/TApplyAndSaveSteps.h"

#include <string>

namespace Widgets {
class TListBox;
}

namespace UnitMain {

class TFluidSteps;
class TForm1;

// The message of a logging mode that cannot be honoured: the log file cannot be made in `folder`.
std::string LoggingUnavailableMessage(const std::string& folder);

class TSettingsController final : public TSettingsSaver {
public:
    // `path` is the settings file, `logFolder` where the diagnostic log file would go; `form`,
    // `state` and `dialogs` must outlive the controller.
    TSettingsController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs, std::string path,
                        std::string logFolder);

    const std::string& Path() const { return fPath; }

    // Loads the whole file into the state and the fields. On a first start (no liquid stored) it
    // sets water and saves through `fluid`'s "Apply and save".
    void INILoad(TFluidSteps& fluid);
    // Applies the pump model and writes the file; false (after telling the operator) when the
    // file cannot be written. The window stays usable either way.
    bool INISaveAndApply();
    // "Apply and save" of the pump page.
    void SaveSettings() override { (void)INISaveAndApply(); }

    // Selects the last entry of `list` whose text is exactly `value`; none: the selection stays.
    static void SetListBox(const std::string& value, Widgets::TListBox& list);

private:
    Settings::TStoredSettings Gather() const;

    TForm1& fForm;
    TMoistrelState& fState;
    Base::TDialogs& fDialogs;
    std::string fPath;
    std::string fLogFolder;
};

} // namespace UnitMain
