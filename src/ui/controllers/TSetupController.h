#pragma once
// Joins the "Setup" page to the instrument set-up: finding the ports now; the validation and the
// gas selection join it later.

#include "state/MoistrelState.h"

#include <QObject>

namespace UnitMain {

class TForm1;

class TSetupController : public QObject {
public:
    // Connects the handlers; `form` and `state` must outlive the controller.
    TSetupController(TForm1& form, TMoistrelState& state, QObject* parent = nullptr);

    // "Find ports": the three port lists get the machine's ports afresh (no selection) and the
    // three "Feedback" check boxes are cleared. The operating state stays as it is.
    void ButtonSetupFindPortsClick();

private:
    TForm1& fForm;
    TMoistrelState& fState;
};

} // namespace UnitMain
