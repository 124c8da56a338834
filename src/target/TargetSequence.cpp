#include "target/TargetSequence.h"

#include "base/NumberFormat.h"
#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"
#include "model/MixtureReport.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace Target {

namespace {

// The longest segment the editor accepts, hours.
constexpr double LongestHoldHours = 10000.0;

bool IsSeparator(char c) {
    return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

TSequenceValues Refused(std::string why) {
    TSequenceValues values;
    values.Refusal = std::move(why);
    return values;
}

std::string HoursRefusal(const char* what, double hours) {
    return std::string(what) + " of " + Base::FormatGeneral(hours) +
           " hours is not possible: give more than 0 and at most 10000 hours.";
}

} // namespace

TSequenceValues SequenceFromList(const std::string& text) {
    TSequenceValues result;
    std::size_t at = 0;
    while (at < text.size()) {
        if (IsSeparator(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !IsSeparator(text[end])) {
            ++end;
        }
        const std::string word = text.substr(at, end - at);
        char* stop = nullptr;
        errno = 0;
        const double value = std::strtod(word.c_str(), &stop);
        if (stop != word.c_str() + word.size() || errno == ERANGE || !std::isfinite(value)) {
            return Refused("\"" + word + "\" is not a number: separate the targets with commas.");
        }
        if (result.Values.size() == SequenceLimit) {
            return Refused("A sequence makes at most " + std::to_string(SequenceLimit) + " segments.");
        }
        result.Values.push_back(value);
        at = end;
    }
    if (result.Values.empty()) {
        return Refused("The sequence has no target: type them separated by commas, \"10, 30, 50\".");
    }
    result.Ok = true;
    return result;
}

TSequenceValues SequenceFromRange(double from, double to, double step) {
    if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step) || step == 0.0) {
        return Refused("From, to and a step other than 0 are needed.");
    }
    const double span = to - from;
    const double size = std::fabs(step);
    // The count of steps, with room for the rounding of a step such as 0.1.
    const double steps = std::floor(std::fabs(span) / size + 1e-9);
    if (steps + 1.0 > static_cast<double>(SequenceLimit)) {
        return Refused("A sequence makes at most " + std::to_string(SequenceLimit) + " segments.");
    }
    TSequenceValues result;
    const double signedStep = span < 0.0 ? -size : size;
    for (double i = 0.0; i <= steps; i += 1.0) {
        result.Values.push_back(from + i * signedStep);
    }
    // The far end belongs to the sequence even when the steps do not land on it.
    if (std::fabs(result.Values.back() - to) > size * 1e-9) {
        result.Values.push_back(to);
    }
    result.Ok = true;
    return result;
}

TSequenceResult BuildSequence(const UnitMain::TMoistrelState& state, const TSequenceInput& input) {
    TSequenceResult result;
    if (!(input.HoldHours > 0.0) || input.HoldHours > LongestHoldHours) {
        result.Refusals.push_back(HoursRefusal("A hold", input.HoldHours));
    }
    if (input.SettlingHours != 0.0 &&
        (!(input.SettlingHours > 0.0) || input.SettlingHours > LongestHoldHours)) {
        result.Refusals.push_back(HoursRefusal("A settling time", input.SettlingHours));
    }
    if (input.Values.empty()) {
        result.Refusals.emplace_back("The sequence has no target.");
    }
    if (!result.Refusals.empty()) {
        return result;
    }

    for (std::size_t i = 0; i < input.Values.size(); ++i) {
        TTargetInput solve = input.Solve;
        solve.Target.Value = input.Values[i];
        const std::string name = TargetName(solve.Target, state);
        const TTargetSolution solved = SolveTarget(state, solve);
        if (!solved.Ok) {
            result.Refusals.push_back(name + ": " + solved.Refusal);
            continue;
        }
        GasMixtures::TGasItem segment = solved.Segment;
        // The segment editor's own judgement: the liquid's ppm limit.
        GasMixtures::TGasItemDictionary totals;
        GasMixtures::AddMixtureToGasTotals(segment, totals);
        (void)GasMixtures::AnalyseMixture(totals, segment, solve.TempC, solve.Pressure_mbar);
        if (!segment.Valid) {
            result.Refusals.push_back(name + ": the liquid's concentration is above its ppm limit.");
            continue;
        }
        segment.StepName = name;
        if (i == 0 && input.SettlingHours > 0.0) {
            GasMixtures::TGasItem settling = segment;
            settling.StepName = "Settling, " + name;
            settling.StepTime = input.SettlingHours;
            result.Segments.push_back(std::move(settling));
        }
        segment.StepTime = input.HoldHours;
        result.Segments.push_back(std::move(segment));
    }
    if (!result.Refusals.empty()) {
        result.Segments.clear();
        return result;
    }
    result.Ok = true;
    return result;
}

} // namespace Target
