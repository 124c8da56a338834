#pragma once
// Joins the run control to the window: the window side of the run display (LED caption, status
// panels, flow chart, window caption, pages and segment buttons), the Start and Stop buttons,
// Timer1 and the close query.

#include "run/RunControl.h"
#include "run/RunWindow.h"

#include <QObject>
#include <QString>
#include <memory>

namespace UnitMain {

class TForm1;

class TRunController : public QObject, public TRunWindow {
public:
    // Connects the buttons, the timer and the close query; `form` must outlive the controller,
    // and the run control is made by `makeRun` with this controller as its window.
    TRunController(TForm1& form, const std::function<std::unique_ptr<TRunControl>(TRunWindow&)>& makeRun,
                   QObject* parent = nullptr);
    ~TRunController() override;
    TRunController(const TRunController&) = delete;
    TRunController& operator=(const TRunController&) = delete;

    TRunControl& Run() { return *fRun; }

    // TRunWindow
    std::string LEDCaption() const override;
    void SetLEDCaption(const std::string& caption) override;
    void SetStatusPanel(int index, const std::string& text) override;
    void SetWindowCaption(const std::string& caption) override;
    void RestoreWindowCaption() override;
    void AddChartPoints(Base::TDateTime x, const TChartValues& values) override;
    int ChartPointCount() const override;
    void DeleteFirstChartPoints() override;
    void SetSetupPagesEnabled(bool enabled) override;
    void SetSegmentButtonsEnabled(bool enabled) override;
    TStopPorts SelectedPorts() const override;
    Program::TRecipeInput RecipeInput() const override;

private:
    TForm1& fForm;
    QString fOwnCaption;
    std::unique_ptr<TRunControl> fRun;
};

} // namespace UnitMain
