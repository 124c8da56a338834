#include "ui/controllers/TSetupController.h"

#include "logging/DiagnosticLogger.h"
#include "serial/ListComPorts.h"
#include "setup/ServiceTools.h"
#include "ui/TForm1.h"
#include "ui/tabs/TDebugTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <exception>

namespace UnitMain {

namespace {

// How often validation's closing stop is sent to an instrument that did not confirm it.
constexpr int StopAttempts = 3;

void FillGasList(Widgets::TListBox& list, const std::vector<Setup::TGasListEntry>& entries) {
    for (const Setup::TGasListEntry& entry : entries) {
        list.AddItem(entry.Text, static_cast<int>(entry.Table));
    }
}

} // namespace

TSetupController::TSetupController(TForm1& form, TMoistrelState& state, TStepProgramClear& stepProgram,
                                   TSettingsSaver& settings, Base::TMainThread& mainThread,
                                   const Base::TClock& clock, TInstrumentStop& stop, QObject* parent)
    : QObject(parent), fForm(form), fState(state), fStepProgram(stepProgram), fSettings(settings),
      fMainThread(mainThread), fClock(clock), fStop(stop),
      fValidationOptions(Setup::ValidationOptions(clock, &mainThread)) {
    TSetupTab* page = fForm.Setup;
    connect(page->ButtonSetupFindPorts, &QPushButton::clicked, this, [this] { ButtonSetupFindPortsClick(); });
    connect(page->ButtonSetupValidate, &QPushButton::clicked, this, [this] { ButtonSetupValidateClick(); });
    Widgets::TListBox* pump = page->ListBoxPortPump;
    connect(pump, &Widgets::TListBox::Clicked, this, [this] { ListBoxPortPumpClick(); });
    connect(pump, &Widgets::TListBox::DoubleClicked, this, [this] { ListBoxPortPumpClick(); });
    connect(pump, &Widgets::TListBox::KeyUp, this, [this] { ListBoxPortPumpClick(); });
    // A selection can change without any of these (a drag onto another row, a click below the rows).
    connect(pump, &Widgets::TListBox::SelectionChanged, this, [this] { ListBoxPortPumpClick(); });
    for (Widgets::TListBox* mfc : {page->ListBoxPortMFC1, page->ListBoxPortMFC2}) {
        connect(mfc, &Widgets::TListBox::Clicked, this, [this] { ListBoxPortMFC1Click(); });
        connect(mfc, &Widgets::TListBox::DoubleClicked, this, [this] { ListBoxPortMFC1Click(); });
        connect(mfc, &Widgets::TListBox::KeyUp, this, [this] { ListBoxPortMFC1Click(); });
        connect(mfc, &Widgets::TListBox::SelectionChanged, this, [this] { ListBoxPortMFC1Click(); });
    }
    TDebugTab* debug = fForm.Debug;
    connect(debug->ButtonDebugCOMSend, &QPushButton::clicked, this, [this] { ButtonDebugCOMSendClick(); });
    connect(debug->ButtonPumpFluid, &QPushButton::clicked, this, [this] { ButtonPumpFluidClick(); });
    connect(debug->ButtonPumpFluidFast, &QPushButton::clicked, this, [this] { ButtonPumpFluidFastClick(); });
}

void TSetupController::ButtonSetupFindPortsClick() {
    TSetupTab* page = fForm.Setup;
    const std::vector<std::string> ports = SerialPort::ListComPorts();
    for (Widgets::TListBox* list : {page->ListBoxPortPump, page->ListBoxPortMFC1, page->ListBoxPortMFC2}) {
        list->SetItems(ports);
    }
    for (QCheckBox* box : {page->CheckBoxPump, page->CheckBoxMFC, page->CheckBoxGas}) {
        box->setChecked(false);
    }
}

void TSetupController::ListBoxPortPumpClick() {
    fState.MixerState = msSimulation;
    fForm.Setup->CheckBoxPump->setChecked(false);
}

void TSetupController::ListBoxPortMFC1Click() {
    fState.MixerState = msSimulation;
    fForm.Setup->CheckBoxMFC->setChecked(false);
}

void TSetupController::ButtonSetupValidateClick() {
    TSetupTab* page = fForm.Setup;
    Widgets::TMemoPane& feedback = *page->MemoSetupFeedback;
    feedback.Clear();
    fMainThread.ProcessPending();
    fStepProgram.ClearStepProgram();
    // The lists hold the same ports in the same order, so the same row is the same port.
    const int mfcA = page->ListBoxPortMFC1->ItemIndex();
    if (mfcA >= 0 && mfcA == page->ListBoxPortMFC2->ItemIndex()) {
        feedback.AddLine(Setup::DifferentMFCPortsRefusal);
        return;
    }
    fState.MixerState = msSimulation;
    fState.ValidationStopConfirmed = false;
    const TBusyWindow busy(fForm);
    page->ListBox1->Clear();
    page->ListBox2->Clear();
    const Setup::TValidationPorts ports{page->ListBoxPortPump->SelectedText(),
                                        page->ListBoxPortMFC1->SelectedText(),
                                        page->ListBoxPortMFC2->SelectedText()};
    try {
        const Setup::TValidationResult result =
            Setup::ValidateInstruments(ports, fState, feedback, fValidationOptions);
        StopFoundInstruments(result);
        ShowValidation(result);
    } catch (const std::exception& failure) {
        // Nothing below should throw; if something does, the operator sees it and the window
        // comes back (the busy state ends with `busy`).
        feedback.AddLine(std::string(" -> Validation stopped: ") + failure.what());
        page->CheckBoxMFC->setChecked(false);
    }
    if (Logging::Logger().Enabled()) {
        for (const std::string& line : feedback.Lines()) {
            Logging::Logger().Send(line);
        }
    }
}

void TSetupController::StopFoundInstruments(const Setup::TValidationResult& result) {
    // Only what was found is stopped; the ports are those of the instruments as validated.
    const SerialPortVogtlin::TMFCDetails& A = fState.MFCADetails;
    const SerialPortVogtlin::TMFCDetails& B = fState.MFCBDetails;
    const TStopPorts ports{fState.PumpDetails.Port, A.Validated ? A.ComPortName : std::string(),
                           B.Validated ? B.ComPortName : std::string()};
    Setup::TValidationStop stop{{result.PumpFound, false}, {A.Validated, false}, {B.Validated, false}};
    // A stop can only make things safer: one lost reply is asked again, the instruments that
    // confirmed are left alone.
    const auto pending = [&stop] { return !Setup::ValidationStopLines(stop).empty(); };
    for (int attempt = 0; attempt < StopAttempts && pending(); ++attempt) {
        const auto unconfirmed = [](const Setup::TInstrumentStopped& instrument, const std::string& port) {
            return instrument.Found && !instrument.Stopped ? port : std::string();
        };
        const TStopVerdict verdict =
            fStop.StopInstruments({unconfirmed(stop.Pump, ports.Pump), unconfirmed(stop.MFCA, ports.MFCA),
                                   unconfirmed(stop.MFCB, ports.MFCB)});
        stop.Pump.Stopped = stop.Pump.Stopped || verdict.FluidStopped;
        stop.MFCA.Stopped = stop.MFCA.Stopped || verdict.MFCAStopped;
        stop.MFCB.Stopped = stop.MFCB.Stopped || verdict.MFCBStopped;
    }
    for (const std::string& line : Setup::ValidationStopLines(stop)) {
        fForm.Setup->MemoSetupFeedback->AddLine(line);
    }
    fState.ValidationStopConfirmed = Setup::AllFoundAndStopped(stop);
}

void TSetupController::ShowValidation(const Setup::TValidationResult& result) {
    TSetupTab* page = fForm.Setup;
    page->CheckBoxPump->setChecked(result.PumpFound);
    if (result.PumpFound) {
        fForm.Debug->EditDebugCOMPort->setText(QString::fromStdString(fState.PumpDetails.Port));
    }
    FillGasList(*page->ListBox1, result.GasesA);
    FillGasList(*page->ListBox2, result.GasesB);
    page->CheckBoxMFC->setChecked(result.BothMFCsFound);
    if (result.BothMFCsFound) {
        // Stores, among the rest, the three ports just validated.
        fSettings.SaveSettings();
    }
}

void TSetupController::ButtonDebugCOMSendClick() {
    TDebugTab* debug = fForm.Debug;
    Setup::DebugCOMSend(debug->EditDebugCOMPort->text().toStdString(),
                        debug->EditDebugCOMSend->text().toStdString(), *debug->MemoDebugCOM, fClock);
    fForm.Operation->RzLEDDisplay1->SetCaption("Stopped");
}

void TSetupController::PrimePump(bool fast) {
    TDebugTab* debug = fForm.Debug;
    if (fState.MixerState != msValidated) {
        fForm.LogOld(*debug->MemoDebugCOM, Setup::PrimingRefusal);
        return;
    }
    // The pump is where it was validated, whatever the port list shows now.
    Setup::PrimePump(fState.PumpDetails.Port, fState.PumpDetails.SYRINGE_STEPS, fast, *debug->MemoDebugCOM,
                     fClock);
    fForm.Operation->RzLEDDisplay1->SetCaption("Stopped");
}

} // namespace UnitMain
