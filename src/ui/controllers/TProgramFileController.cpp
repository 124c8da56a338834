#include "ui/controllers/TProgramFileController.h"

#include "program/ProgramLoad.h"
#include "ui/TForm1.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TMixtureOperationTab.h"

#include <QPushButton>
#include <filesystem>
#include <utility>
#include <vector>

namespace UnitMain {

Program::TProgramComposition MixerComposition(const TMoistrelState& state) {
    return Program::MixerComposition(state);
}

TProgramFileController::TProgramFileController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs,
                                               TSegmentDesign& design, TSegmentController& segments,
                                               std::string folder, QObject* parent)
    : QObject(parent), fState(state), fDialogs(dialogs), fDesign(design), fSegments(segments),
      fFolder(std::move(folder)) {
    TMixtureOperationTab* op = form.Operation;
    connect(op->ButtonSaveProgram, &QPushButton::clicked, this, [this] { ButtonSaveProgramClick(); });
    connect(op->ButtonLoadProgram, &QPushButton::clicked, this, [this] { ButtonLoadProgramClick(); });
}

void TProgramFileController::ButtonSaveProgramClick() {
    if (fState.SegmentProgram.empty()) {
        fDialogs.ShowMessage(NothingToSaveRefusal);
        return;
    }
    const auto chosen = fDialogs.AskSaveFileName("Save program", fFolder, Program::ProgramFileFilter);
    if (!chosen) {
        return;
    }
    const std::string message = Program::WriteProgramFile(
        Program::WithProgramFileExtension(*chosen),
        Program::ProgramFileContent(fState.SegmentProgram, MixerComposition(fState)));
    if (!message.empty()) {
        fDialogs.ShowMessage(message);
    }
}

void TProgramFileController::ButtonLoadProgramClick() {
    // The tick reads the segment program for as long as the run lasts, the safe stop included.
    if (fState.MixerState == msRunning || fState.MixerState == msStopping) {
        fDialogs.ShowMessage(LoadWhileRunningRefusal);
        return;
    }
    const auto chosen = fDialogs.AskOpenFileName("Load program", fFolder, Program::ProgramFileFilter);
    if (!chosen) {
        return;
    }
    const Program::TProgramFileRead read = Program::ReadProgramFile(*chosen);
    if (!read.Ok) {
        fDialogs.ShowMessage(read.Message);
        return;
    }
    // Judged as the editor judges a new segment, so in simulation on the demonstration gases of
    // the moment.
    fDesign.ApplysimulationValues();
    Program::TLoadJudgement judgement = Program::JudgeLoadedProgram(read.Content, fState);
    const Program::TLoadQuestion question =
        Program::LoadQuestion(std::filesystem::path(*chosen).filename().string(), judgement);
    if (question.Ask && !question.CanLoad) {
        fDialogs.ShowMessage(question.Text);
        return;
    }
    if (question.Ask && !fDialogs.AskYesNo("Load program", question.Text)) {
        return;
    }
    fState.SegmentProgram = std::move(judgement.Program);
    fSegments.ShowStepProgram();
}

} // namespace UnitMain
