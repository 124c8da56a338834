#include "program/SegmentEditor.h"

#include "base/NumberFormat.h"
#include "base/Rounding.h"
#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"
#include "model/MixtureReport.h"

#include <algorithm>
#include <cmath>

namespace Program {

namespace {

constexpr double MicrogramsPerGram = 1000000.0;
// Loading looks at the first three components, the list shows the first ten.
constexpr std::size_t RetrievedComponents = 3;
constexpr std::size_t ListedComponents = 10;

std::int64_t ScreenFlow(float mass_gpm) {
    return Base::RoundHalfEven(static_cast<double>(mass_gpm) * MicrogramsPerGram);
}

char InstrumentLetter(std::int32_t instrumentId) {
    switch (instrumentId) {
    case 0:
        return 'A';
    case 1:
        return 'B';
    case 2:
        return 'C';
    default:
        return '\0';
    }
}

} // namespace

bool StepDurationAllowed(double hours) {
    // Written so that NaN is refused too.
    return hours > 0.0 && hours <= MaxStepDuration_h;
}

std::string AddOrSaveSegment(std::vector<GasMixtures::TGasItem>& program, const TAddStepInput& input) {
    GasMixtures::TGasItem segment = input.Segment;
    const bool hasFluid = std::any_of(segment.Components.begin(), segment.Components.end(),
                                      [](const GasMixtures::TGasItem& c) { return c.InstrumentID == 2; });
    if (!(input.RequestedFluidFlow_ugpm <= 0.0) && !hasFluid) {
        return FluidFlowRefusal;
    }
    GasMixtures::TGasItemDictionary totals;
    GasMixtures::AddMixtureToGasTotals(segment, totals);
    (void)GasMixtures::AnalyseMixture(totals, segment, input.CustomTempC, input.CustomPressmBar);
    if (segment.Components.empty() || !segment.Valid) {
        return InvalidMixtureRefusal;
    }
    if (!StepDurationAllowed(segment.StepTime)) {
        return DurationRefusal;
    }
    const bool overwrite =
        input.SelectedIndex >= 0 && static_cast<std::size_t>(input.SelectedIndex) < program.size();
    if (overwrite) {
        program[static_cast<std::size_t>(input.SelectedIndex)] = std::move(segment);
    } else {
        program.push_back(std::move(segment));
    }
    return {};
}

bool DeleteLastSegment(std::vector<GasMixtures::TGasItem>& program, bool running) {
    if (program.empty() || running) {
        return false;
    }
    program.pop_back();
    return true;
}

TRetrievedStep RetrieveStep(const GasMixtures::TGasItem& segment) {
    TRetrievedStep step;
    step.StepComments = segment.StepName;
    step.StepDuration = segment.StepTime;
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    const std::size_t count = std::min(segment.Components.size(), RetrievedComponents);
    for (std::size_t i = 0; i < count; ++i) {
        const GasMixtures::TGasItem& component = segment.Components[i];
        const double flow = static_cast<double>(component.Mass) * MicrogramsPerGram;
        switch (component.InstrumentID) {
        case 0:
            a = flow;
            break;
        case 1:
            b = flow;
            break;
        case 2:
            c = flow;
            break;
        default:
            break;
        }
    }
    step.FlowA_ugpm = static_cast<std::int32_t>(Base::RoundHalfEven(a));
    step.FlowB_ugpm = static_cast<std::int32_t>(Base::RoundHalfEven(b));
    step.FlowC_ugpm = static_cast<double>(Base::RoundHalfEven(c));
    return step;
}

std::string StepDurationText(double hours) {
    const double whole = std::floor(hours);
    return Base::FormatMaskOrGeneral("0", whole) + " h " + Base::FormatMask("00", (hours - whole) * 60.0) +
           " min ";
}

std::string StepListLine(std::size_t index, const GasMixtures::TGasItem& segment) {
    std::string flows;
    const std::size_t count = std::min(segment.Components.size(), ListedComponents);
    for (std::size_t i = 0; i < count; ++i) {
        const GasMixtures::TGasItem& component = segment.Components[i];
        // "0:", "1:" and "2:" become the letters of the instruments; other numbers stay.
        const char letter = InstrumentLetter(component.InstrumentID);
        flows += letter != '\0' ? std::string(1, letter) : std::to_string(component.InstrumentID);
        flows += ':';
        flows += std::to_string(ScreenFlow(component.Mass));
        flows += ' ';
    }
    std::string line = std::to_string(index + 1) + "\t" + segment.StepName + "\t" +
                       StepDurationText(segment.StepTime) + "\t" + flows;
    if (segment.Target) {
        line += "\tTarget: " + segment.Target->Name;
    }
    return line;
}

std::vector<std::string> StepListLines(const std::vector<GasMixtures::TGasItem>& program) {
    std::vector<std::string> lines;
    lines.reserve(program.size());
    for (std::size_t i = 0; i < program.size(); ++i) {
        lines.push_back(StepListLine(i, program[i]));
    }
    return lines;
}

} // namespace Program
