#include "ui/controllers/TProgramFileController.h"

#include "ui/TForm1.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TMixtureOperationTab.h"

#include <QPushButton>
#include <filesystem>
#include <utility>
#include <vector>

namespace UnitMain {

namespace {

std::string GasOf(const SerialPortVogtlin::TMFCDetails& mfc) {
    const SerialPortVogtlin::TLUTData* table = ActiveLUTData(mfc);
    return table != nullptr ? table->NameShort : std::string();
}

} // namespace

Program::TProgramComposition MixerComposition(const TMoistrelState& state) {
    return {GasOf(state.MFCADetails), GasOf(state.MFCBDetails), Program::LiquidOf(state.PumpDetails.Fluid)};
}

TProgramFileController::TProgramFileController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs,
                                               TSegmentController& segments, std::string folder,
                                               QObject* parent)
    : QObject(parent), fState(state), fDialogs(dialogs), fSegments(segments), fFolder(std::move(folder)) {
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
    const std::vector<std::string> differences =
        Program::CompositionDifferences(read.Content.ComposedFor, MixerComposition(fState));
    if (!differences.empty()) {
        std::string question =
            "The program in \"" + std::filesystem::path(*chosen).filename().string() +
            "\" was composed for other gases or another liquid than the mixer holds now:\n";
        for (const std::string& difference : differences) {
            question += "\n" + difference;
        }
        question += "\n\nLoad it anyway?";
        if (!fDialogs.AskYesNo("Load program", question)) {
            return;
        }
    }
    fState.SegmentProgram = Program::SegmentsOfProgramFile(read.Content);
    fSegments.ShowStepProgram();
}

} // namespace UnitMain
