#include "ui/controllers/TRunController.h"

#include "ui/TForm1.h"
#include "ui/tabs/TFlowsTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/tabs/TTargetBox.h"
#include "ui/widgets/TFlowChart.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TStatusPanels.h"
#include "ui/widgets/TTabbedListBox.h"

#include <QGroupBox>
#include <QPushButton>

namespace UnitMain {

TRunController::TRunController(TForm1& form,
                               const std::function<std::unique_ptr<TRunControl>(TRunWindow&)>& makeRun,
                               QObject* parent)
    : QObject(parent), fForm(form), fOwnCaption(form.windowTitle()), fRun(makeRun(*this)) {
    TMixtureOperationTab* page = fForm.Operation;
    connect(page->ButtonApply, &QPushButton::clicked, this, [this] { fRun->ButtonApplyClick(); });
    connect(page->ButtonStop, &QPushButton::clicked, this, [this] { fRun->ButtonStopClick(); });
    fForm.SetCloseQuery([this] { return fRun->FormCloseQuery(); });
    fForm.ConnectTick([this] { fRun->Timer1Timer(); });
}

TRunController::~TRunController() {
    fForm.ConnectTick({});
    fForm.SetCloseQuery({});
}

std::string TRunController::LEDCaption() const {
    return fForm.Operation->RzLEDDisplay1->Caption();
}

void TRunController::SetLEDCaption(const std::string& caption) {
    fForm.Operation->RzLEDDisplay1->SetCaption(caption);
}

void TRunController::SetStatusPanel(int index, const std::string& text) {
    fForm.Operation->StatusBar1->SetPanelText(index, text);
}

void TRunController::SetWindowCaption(const std::string& caption) {
    fForm.setWindowTitle(QString::fromStdString(caption));
}

void TRunController::RestoreWindowCaption() {
    fForm.setWindowTitle(fOwnCaption);
}

void TRunController::AddChartPoints(Base::TDateTime x, const TChartValues& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        fForm.Flows->Chart1->AddPoint(static_cast<int>(i) + 1, x, values[i]);
    }
}

int TRunController::ChartPointCount() const {
    return fForm.Flows->Chart1->PointCount(1);
}

void TRunController::DeleteFirstChartPoints() {
    for (int series = 1; series <= Widgets::TFlowChart::SeriesCount; ++series) {
        fForm.Flows->Chart1->DeleteFirstPoint(series);
    }
}

void TRunController::SetSetupPagesEnabled(bool enabled) {
    fForm.SetPageEnabled(TForm1::pgSetup, enabled);
    fForm.SetPageEnabled(TForm1::pgPumpAndFluid, enabled);
    fForm.SetPageEnabled(TForm1::pgDebug, enabled);
}

void TRunController::SetSegmentButtonsEnabled(bool enabled) {
    fForm.Operation->ButtonAddStep->setEnabled(enabled);
    fForm.Operation->ButtonSegmentDelete->setEnabled(enabled);
    // A sequence appends segments as "Add or Save Segment" does.
    fForm.Operation->GroupBoxTarget->ButtonTargetSequence->setEnabled(enabled);
}

TStopPorts TRunController::SelectedPorts() const {
    const TSetupTab* page = fForm.Setup;
    return {page->ListBoxPortPump->SelectedText(), page->ListBoxPortMFC1->SelectedText(),
            page->ListBoxPortMFC2->SelectedText()};
}

Program::TRecipeInput TRunController::RecipeInput() const {
    const TMixtureOperationTab* page = fForm.Operation;
    Program::TRecipeInput input;
    input.CaptionA = page->GroupBoxY1->title().toStdString();
    input.CaptionB = page->GroupBoxY2->title().toStdString();
    input.CaptionC = page->GroupBoxX->title().toStdString();
    for (int i = 0; i < page->RzTabbedListBoxSteps->Count(); ++i) {
        input.SegmentLines.push_back(page->RzTabbedListBoxSteps->Item(i));
    }
    return input;
}

} // namespace UnitMain
