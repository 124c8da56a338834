#include "app/TRemoteInstrument.h"

#include "app/TMoistrel.h"
#include "app/TRemoteDialogs.h"
#include "run/RunDataFile.h"
#include "settings/ProfileFile.h"
#include "state/MoistrelState.h"
#include "target/TargetSequence.h"
#include "ui/TForm1.h"
#include "ui/controllers/TGasSelectionController.h"
#include "ui/controllers/TProgramFileController.h"
#include "ui/controllers/TRunController.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/controllers/TSetupController.h"
#include "ui/controllers/TTargetController.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"

#include <QCheckBox>
#include <QListWidgetItem>
#include <QPushButton>
#include <cmath>
#include <filesystem>
#include <limits>
#include <utility>

namespace App {

namespace {

using Remote::TActionResult;
using Remote::TRefusalKind;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A failed reading (-1) is no figure.
double Reading(double value) {
    return value == -1.0 ? NaN : value;
}

bool RunsOrStops(UnitMain::TMixerState state) {
    return state == UnitMain::msRunning || state == UnitMain::msStopping;
}

// The refusal of a call that said something and did not get done; `fallback` when it said nothing.
TActionResult RefusedWith(const TRemoteDialogs::TCall& call, const std::string& fallback,
                          TRefusalKind kind = TRefusalKind::rkSettingsConflict) {
    const std::string said = call.Text();
    return TActionResult::Refused(said.empty() ? fallback : said, kind);
}

} // namespace

std::string TRemoteInstrument::Identity() {
    return "Moistrel,Moistrel gas-mixture and humidity generator,0,0.1";
}

Remote::TMixerStatus TRemoteInstrument::State() {
    const UnitMain::TMixerState state = fProgram.State().MixerState;
    std::string caption = fProgram.Form().Operation->RzLEDDisplay1->Caption();
    if (caption.empty()) {
        // Before the first tick has shown one: the caption the tick will show.
        switch (state) {
        case UnitMain::msSimulation:
            caption = "Simulation";
            break;
        case UnitMain::msValidated:
            caption = "Stopped";
            break;
        case UnitMain::msRunning:
            caption = "Running";
            break;
        case UnitMain::msStopping:
            caption = "Stopping";
            break;
        default:
            caption = "Cannot stop flow. Manually power off the mixer.";
            break;
        }
    }
    return {static_cast<int>(state), caption};
}

TActionResult TRemoteInstrument::LoadProgram(const std::string& file) {
    std::filesystem::path path(file);
    if (path.is_relative()) {
        path = std::filesystem::path(fProgram.Places().ProgramFolder) / "Userdata" / path;
    }
    std::error_code error;
    if (!RunsOrStops(fProgram.State().MixerState) && !std::filesystem::is_regular_file(path, error)) {
        return TActionResult::Refused("There is no program file \"" + path.string() + "\".",
                                      TRefusalKind::rkFileNotFound);
    }
    const TRemoteDialogs::TCall call(fProgram.RemoteDialogs(), {path.string(), false});
    fProgram.ProgramFiles().ButtonLoadProgramClick();
    if (!call.Said().empty()) {
        // Refused while the mixer runs, or by the operator's question about another mixer (which
        // a client cannot answer): a conflict; a file that is no program: a failure.
        const bool conflict =
            RunsOrStops(fProgram.State().MixerState) || call.Said().front().rfind("Load program: ", 0) == 0;
        return RefusedWith(call, "", conflict ? TRefusalKind::rkSettingsConflict : TRefusalKind::rkExecution);
    }
    return TActionResult::Success();
}

TActionResult TRemoteInstrument::ClearProgram() {
    if (RunsOrStops(fProgram.State().MixerState)) {
        return TActionResult::Refused(
            "The segment program cannot be cleared while the mixer runs. Stop it first.");
    }
    fProgram.Segments().ClearStepProgram();
    return TActionResult::Success();
}

TActionResult TRemoteInstrument::AppendTarget(const Remote::TTargetRequest& target) {
    if (RunsOrStops(fProgram.State().MixerState)) {
        return TActionResult::Refused("Segments cannot be appended while the mixer runs. Stop it first.");
    }
    // The carrier, B's share and the conditions are those of the window's Target box.
    Target::TSequenceInput input;
    input.Solve = fProgram.Targets().GatherInput();
    switch (target.Kind) {
    case Remote::TTargetKind::tkRelativeHumidity:
        input.Solve.Target.Kind = Target::TTargetKind::tkRelativeHumidity;
        break;
    case Remote::TTargetKind::tkDewPoint:
        input.Solve.Target.Kind = Target::TTargetKind::tkDewPoint;
        break;
    case Remote::TTargetKind::tkPPM:
        input.Solve.Target.Kind = Target::TTargetKind::tkPPM;
        break;
    }
    input.Solve.Target.Substance = target.Substance;
    input.Values = {target.Value};
    input.HoldHours = target.HoldSeconds / 3600.0;
    Target::TSequenceResult result = Target::BuildSequence(fProgram.State(), input);
    if (!result.Ok) {
        std::string text;
        for (const std::string& refusal : result.Refusals) {
            text += (text.empty() ? "" : " ") + refusal;
        }
        return TActionResult::Refused(text.empty() ? "The target cannot be reached." : text,
                                      TRefusalKind::rkOutOfRange);
    }
    for (GasMixtures::TGasItem& segment : result.Segments) {
        fProgram.State().SegmentProgram.push_back(std::move(segment));
    }
    fProgram.Segments().ShowStepProgram();
    return TActionResult::Success();
}

int TRemoteInstrument::ProgramCount() {
    return static_cast<int>(fProgram.State().SegmentProgram.size());
}

TActionResult TRemoteInstrument::StartProgram() {
    const TRemoteDialogs::TCall call(fProgram.RemoteDialogs(), {});
    fProgram.Run().Run().ButtonApplyClick();
    // A press while a program runs leaves it running, and says why it did not start.
    if (!call.Said().empty() || fProgram.State().MixerState != UnitMain::msRunning) {
        return RefusedWith(call, "The run did not start.");
    }
    return TActionResult::Success();
}

TActionResult TRemoteInstrument::StopProgram() {
    const TRemoteDialogs::TCall call(fProgram.RemoteDialogs(), {});
    fProgram.Run().Run().ButtonStopClick();
    if (!call.Said().empty() || fProgram.State().MixerState != UnitMain::msStopping) {
        return RefusedWith(call, "The stop was not taken.");
    }
    return TActionResult::Success();
}

Remote::TSegmentStatus TRemoteInstrument::Segment() {
    const UnitMain::TMoistrelState& state = fProgram.State();
    Remote::TSegmentStatus status;
    status.Count = static_cast<int>(state.SegmentProgram.size());
    const int current = state.Run.CurrentSegment;
    if (state.MixerState == UnitMain::msRunning && current >= 0 && current < status.Count) {
        status.Segment = current + 1;
        const double hours = state.SegmentProgram[static_cast<std::size_t>(current)].StepTime;
        status.SecondsLeft = (hours / 24.0 - (fProgram.Clock().Now() - state.Run.StepStartTime)) * 86400.0;
    }
    return status;
}

double TRemoteInstrument::FlowA() {
    return Reading(fProgram.State().Run.FlowAObserved);
}
double TRemoteInstrument::FlowB() {
    return Reading(fProgram.State().Run.FlowBObserved);
}
double TRemoteInstrument::TotalizerA() {
    return fProgram.State().Run.FlowATotalizer;
}

double TRemoteInstrument::RelativeHumidity() {
    const auto& row = fProgram.Run().Run().Recorder().LastRow();
    return row ? row->RelativeHumidity : NaN;
}

double TRemoteInstrument::PPM() {
    const auto& row = fProgram.Run().Run().Recorder().LastRow();
    return row ? row->LiquidPPM : NaN;
}

std::string TRemoteInstrument::LastDataLine() {
    return fProgram.Run().Run().Recorder().LastLine();
}
std::string TRemoteInstrument::DataHeader() {
    return UnitMain::RunDataHeader();
}

bool TRemoteInstrument::SetUpAllowed(std::string& refusal) const {
    const UnitMain::TMixerState state = fProgram.State().MixerState;
    if (RunsOrStops(state) || state == UnitMain::msCannotStop ||
        !fProgram.Form().TabSheetSetup->isEnabled()) {
        refusal = "The set-up is closed while the mixer runs or could not stop. Stop it first.";
        return false;
    }
    return true;
}

TActionResult TRemoteInstrument::Validate() {
    std::string refusal;
    if (!SetUpAllowed(refusal)) {
        return TActionResult::Refused(refusal);
    }
    const TRemoteDialogs::TCall call(fProgram.RemoteDialogs(), {});
    fProgram.Setup().ButtonSetupValidateClick();
    const UnitMain::TSetupTab* page = fProgram.Form().Setup;
    if (!page->CheckBoxPump->isChecked() || !page->CheckBoxMFC->isChecked()) {
        const std::vector<std::string> lines = page->MemoSetupFeedback->Lines();
        std::string last;
        for (auto line = lines.rbegin(); line != lines.rend() && last.empty(); ++line) {
            last = *line;
        }
        return RefusedWith(call, "Validation did not find the pump and both MFCs. " + last,
                           TRefusalKind::rkExecution);
    }
    return TActionResult::Success();
}

TActionResult TRemoteInstrument::SelectGasA(const std::string& name) {
    return SelectGas(true, name);
}
TActionResult TRemoteInstrument::SelectGasB(const std::string& name) {
    return SelectGas(false, name);
}

TActionResult TRemoteInstrument::SelectGas(bool mfcA, const std::string& name) {
    std::string refusal;
    if (!SetUpAllowed(refusal)) {
        return TActionResult::Refused(refusal);
    }
    UnitMain::TSetupTab* page = fProgram.Form().Setup;
    Widgets::TListBox& list = mfcA ? *page->ListBox1 : *page->ListBox2;
    int row = -1;
    for (int i = 0; i < list.Count() && row < 0; ++i) {
        if (list.item(i)->text().toStdString() == name) {
            row = i;
        }
    }
    if (row < 0) {
        return TActionResult::Refused(std::string(mfcA ? "MFC A" : "MFC B") + " has no gas table \"" + name +
                                          "\" (validate the instruments first).",
                                      TRefusalKind::rkIllegalValue);
    }
    const TRemoteDialogs::TCall call(fProgram.RemoteDialogs(), {});
    list.SetItemIndex(row);
    fProgram.GasSelection().ListBox1Click(&list);
    if (list.ItemIndex() != row) {
        return RefusedWith(call, "The MFC did not take the gas table \"" + name + "\".",
                           TRefusalKind::rkExecution);
    }
    return TActionResult::Success();
}

bool TRemoteInstrument::RemoteGasConfirmationAllowed() {
    if (fConfirmationAllowed) {
        return true;
    }
    Settings::TProfileFile file(fProgram.Places().SettingsFile);
    std::string error;
    return file.Load(error) && file.ReadInteger("Remote", "Confirm gases", 0) == 1;
}

TActionResult TRemoteInstrument::ConfirmGases() {
    std::string refusal;
    if (!SetUpAllowed(refusal)) {
        return TActionResult::Refused(refusal);
    }
    Widgets::TListBox& list = *fProgram.Form().Setup->ListBox1;
    if (list.ItemIndex() < 0 || fProgram.Form().Setup->ListBox2->ItemIndex() < 0) {
        return TActionResult::Refused("Select the gases of MFC A and MFC B first.");
    }
    // The pick of A's gas again, as the operator's click would, with Yes to the confirmation.
    const TRemoteDialogs::TCall call(fProgram.RemoteDialogs(), {std::nullopt, true});
    fProgram.GasSelection().ListBox1Click(&list);
    if (fProgram.State().MixerState != UnitMain::msValidated) {
        return RefusedWith(call, "The gases were not confirmed.");
    }
    return TActionResult::Success();
}

} // namespace App
