#pragma once
// The run's view of the window as the run tests see it: everything the run shows is kept, the pump
// port selection and the recipe's texts are set by the test. A test may make the next LED caption
// fail, to see a tick survive an unexpected failure.

#include "run/RunWindow.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace TestSupport {

class TRecordingRunWindow final : public UnitMain::TRunWindow {
public:
    std::string LEDCaption() const override { return Caption; }
    void SetLEDCaption(const std::string& caption) override {
        if (FailNextCaption) {
            FailNextCaption = false;
            throw std::runtime_error("the LED caption is gone");
        }
        Caption = caption;
        Captions.push_back(caption);
    }
    void SetStatusPanel(int index, const std::string& text) override {
        Panels.at(static_cast<std::size_t>(index)) = text;
    }
    void SetWindowCaption(const std::string& caption) override { WindowCaption = caption; }
    void RestoreWindowCaption() override { WindowCaption = "Moistrel"; }
    void AddChartPoints(Base::TDateTime x, const UnitMain::TChartValues& values) override {
        Points.push_back({x, values});
    }
    int ChartPointCount() const override { return static_cast<int>(Points.size()); }
    void DeleteFirstChartPoints() override { Points.erase(Points.begin()); }
    void SetSetupPagesEnabled(bool enabled) override { SetupPagesEnabled = enabled; }
    void SetSegmentButtonsEnabled(bool enabled) override { SegmentButtonsEnabled = enabled; }
    UnitMain::TStopPorts SelectedPorts() const override { return Ports; }
    Program::TRecipeInput RecipeInput() const override { return Recipe; }

    struct TPoint {
        Base::TDateTime X = 0.0;
        UnitMain::TChartValues Values{};
    };

    std::string Caption;
    std::vector<std::string> Captions;
    std::array<std::string, 5> Panels;
    std::string WindowCaption = "Moistrel";
    std::vector<TPoint> Points;
    bool SetupPagesEnabled = true;
    bool SegmentButtonsEnabled = true;
    UnitMain::TStopPorts Ports;
    Program::TRecipeInput Recipe;
    bool FailNextCaption = false;
};

} // namespace TestSupport
