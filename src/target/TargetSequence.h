#pragma once
// Sequences of targets: the values a calibration steps through ("10, 30, 50, 70, 90, 70, 50, 30,
// 10", or from 10 to 90 in steps of 20), each held for a time, made into segments of the program by
// the target solver, with an optional first segment to settle at the first target.

#include "model/GasItem.h"
#include "state/MoistrelState.h"
#include "target/TargetSolver.h"

#include <string>
#include <vector>

namespace Target {

struct TSequenceValues {
    bool Ok = false;
    std::string Refusal; // what is wrong with the text or the steps
    std::vector<double> Values;
};

// The values of a list typed as numbers separated by commas, semicolons or blanks.
TSequenceValues SequenceFromList(const std::string& text);
// From `from` to `to` in steps of `step` (its sign follows the direction), both ends included.
TSequenceValues SequenceFromRange(double from, double to, double step);

// Most segments a sequence may make at once.
inline constexpr std::size_t SequenceLimit = 1000;

struct TSequenceInput {
    TTargetInput Solve;         // the carrier, conditions and kind; its value is each of Values
    std::vector<double> Values; // the targets in order
    double HoldHours = 0.0;     // each target's segment
    double SettlingHours = 0.0; // 0: no settling segment; otherwise one more at the first target, first
};

struct TSequenceResult {
    bool Ok = false;
    // One line per target that cannot be reached ("RH 95 %: ..."); nothing is appended then.
    std::vector<std::string> Refusals;
    std::vector<GasMixtures::TGasItem> Segments; // named after their targets, ready to append
};

// Solves every target of the sequence on the mixer as it stands. All or nothing: a single target
// that cannot be reached refuses the whole sequence, with every refusal listed.
TSequenceResult BuildSequence(const UnitMain::TMoistrelState& state, const TSequenceInput& input);

} // namespace Target
