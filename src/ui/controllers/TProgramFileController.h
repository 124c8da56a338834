#pragma once
// Joins "Save program..." and "Load program..." beside the segment list to the saved programs:
// saving writes the segment program with the gases and the liquid it was composed for; loading
// builds every segment again on the mixer as it is now and judges it as the editor would, then
// replaces the segment program and shows it in the list. When the mixer holds other gases or
// another liquid, or a segment comes out differently or is refused, one question lists it all and
// the operator decides. A file that is not a program is refused with the reason, and the program
// in the editor stays as it was. Loading is refused while a run is in progress.

#include "base/Dialogs.h"
#include "program/ProgramFile.h"
#include "state/MoistrelState.h"
#include "ui/controllers/TSegmentDesign.h"

#include <QObject>
#include <string>

namespace UnitMain {

class TForm1;
class TSegmentController;

// What the loading is refused with while the mixer runs or stops.
inline constexpr const char* LoadWhileRunningRefusal =
    "A program cannot be loaded while the mixer runs. Stop it first.";
// What an empty program gets instead of a save dialog.
inline constexpr const char* NothingToSaveRefusal = "There is no segment to save.";

// The gases of the MFCs' active tables and the pump's liquid, as a program file records them.
Program::TProgramComposition MixerComposition(const TMoistrelState& state);

class TProgramFileController : public QObject {
public:
    // Connects the two buttons; `form`, `state`, `dialogs`, `design` and `segments` must outlive
    // the controller. The file dialogs open in `folder`.
    TProgramFileController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs,
                           TSegmentDesign& design, TSegmentController& segments, std::string folder,
                           QObject* parent = nullptr);

    void ButtonSaveProgramClick();
    void ButtonLoadProgramClick();

private:
    TMoistrelState& fState;
    Base::TDialogs& fDialogs;
    TSegmentDesign& fDesign;
    TSegmentController& fSegments;
    std::string fFolder;
};

} // namespace UnitMain
