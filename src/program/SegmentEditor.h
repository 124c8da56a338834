#pragma once
// The segment program editor's core: adding a snapshot of the design as a segment (appended, or
// saved over the selected one), removing the last segment, the design values that loading a
// segment puts back on the screen, and the line each segment shows in the list.

#include "model/GasItem.h"

#include <optional>
#include <string>
#include <vector>

namespace Program {

// The refusal lines, as they go into the design panel.
inline constexpr const char* InvalidMixtureRefusal =
    "Cannot add invalid mixture. Fluid ppm higher than artificial limit.";
inline constexpr const char* DeleteRefusal =
    "Cannot delete Segment. Either segment program is running, or no segments to delete.";
inline constexpr const char* DurationRefusal =
    "Cannot add Segment. Duration must be more than 0 and at most 10000 hours.";
inline constexpr const char* FluidFlowRefusal =
    "Cannot add Segment. The pump cannot dispense this C flow (see Pump speed).";

// The longest segment, in hours.
inline constexpr double MaxStepDuration_h = 10000.0;

// Whether a segment may last this long: more than 0 and at most MaxStepDuration_h hours.
bool StepDurationAllowed(double hours);

// What is needed to judge a new segment: the custom conditions of the mixture analysis.
struct TAddStepInput {
    GasMixtures::TGasItem Segment; // the snapshot of the design
    int SelectedIndex = -1;        // the list's selection; -1 appends
    // The C flow asked for (µg/min). The snapshot carries the flow the pump achieves, and none when
    // the pump cannot dispense this one at all: such a segment would dose nothing without a word.
    double RequestedFluidFlow_ugpm = 0.0;
    double CustomTempC = 0.0;
    double CustomPressmBar = 0.0;
};

// Appends the segment, or replaces the selected one, and returns an empty text. A refused segment
// leaves the program unchanged and returns the refusal line: a C flow the pump cannot dispense, a
// design without any flow or one the mixture analysis finds invalid, a duration out of range.
std::string AddOrSaveSegment(std::vector<GasMixtures::TGasItem>& program, const TAddStepInput& input);

// Removes the last segment, whichever is selected; refused (false) while running or when empty.
bool DeleteLastSegment(std::vector<GasMixtures::TGasItem>& program, bool running);

// What loading a segment puts into the design fields.
struct TRetrievedStep {
    std::string StepComments; // the segment's name; a generated "ID:3" becomes the comment
    double StepDuration = 0.0;
    std::int32_t FlowA_ugpm = 0;
    std::int32_t FlowB_ugpm = 0;
    double FlowC_ugpm = 0.0; // the C field holds a real, rounded to a whole µg/min
};
TRetrievedStep RetrieveStep(const GasMixtures::TGasItem& segment);

// "1\tDry\t1 h 30 min \tA:120 C:350 " for segment index 0; a segment of a target adds a column
// with it: "1\tRH 50 %\t0 h 30 min \tA:30000 C:350 \tTarget: RH 50 %".
std::string StepListLine(std::size_t index, const GasMixtures::TGasItem& segment);
// Every segment's list line, in program order.
std::vector<std::string> StepListLines(const std::vector<GasMixtures::TGasItem>& program);

// "1 h 30 min " for 1.5 hours.
std::string StepDurationText(double hours);

} // namespace Program
