#pragma once
// The run's view of the window: what the tick shows (the LED caption, the five status panels, the
// flow chart, the window caption), what a run switches on and off (the set-up pages, the segment
// buttons) and the two things it reads there (the ports selected, the recipe's captions and
// list lines). The window implements it; tests record it.

#include "base/DateTime.h"
#include "program/Recipe.h"
#include "run/InstrumentStop.h"

#include <array>
#include <string>

namespace UnitMain {

// One point of each of the five chart series, in series order: 1 "Gas A", 2 "Gas A moving
// average", 3 "Gas B setpoint", 4 "Gas B", 5 "Gas A setpoint".
using TChartValues = std::array<double, 5>;

class TRunWindow {
public:
    virtual ~TRunWindow() = default;

    virtual std::string LEDCaption() const = 0;
    virtual void SetLEDCaption(const std::string& caption) = 0;
    virtual void SetStatusPanel(int index, const std::string& text) = 0;
    virtual void SetWindowCaption(const std::string& caption) = 0;
    // Back to the window's own caption (a later stop succeeded after a failed one).
    virtual void RestoreWindowCaption() = 0;

    // Adds one point at x to every series.
    virtual void AddChartPoints(Base::TDateTime x, const TChartValues& values) = 0;
    // The points of series 1.
    virtual int ChartPointCount() const = 0;
    // Drops the oldest point of every series.
    virtual void DeleteFirstChartPoints() = 0;

    // TabSheetSetup, TabSheetPumpAndFluid and TabSheetDebug together.
    virtual void SetSetupPagesEnabled(bool enabled) = 0;
    // ButtonAddStep and ButtonSegmentDelete together.
    virtual void SetSegmentButtonsEnabled(bool enabled) = 0;

    // The ports the three port lists show selected (empty where none is). Only Stop before the
    // mixer is set up uses them; a run and its safe stop use the ports the instruments were
    // validated on.
    virtual TStopPorts SelectedPorts() const = 0;
    // The recipe as the window shows it (captions of the flow boxes, the segment list), without
    // the time.
    virtual Program::TRecipeInput RecipeInput() const = 0;
};

} // namespace UnitMain
