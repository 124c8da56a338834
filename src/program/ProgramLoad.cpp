#include "program/ProgramLoad.h"

#include "base/NumberFormat.h"
#include "base/Rounding.h"
#include "design/FlowSetPoints.h"
#include "design/MixtureSnapshot.h"
#include "program/SegmentEditor.h"
#include "pump/PumpSpeedFunction.h"
#include "target/TargetSolver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace Program {

namespace {

using GasMixtures::TGasItem;
using UnitMain::TMoistrelState;

constexpr double MicrogramsPerGram = Design::MicrogramsPerGram;
constexpr std::int32_t DeviceA = 0;
constexpr std::int32_t DeviceB = 1;
constexpr std::int32_t DevicePump = 2;

// The A and B fields hold whole µg/min in a 32-bit integer: a file's flow beyond that is never
// converted, whatever the MFC's range says.
constexpr auto FieldLimit_ugpm = static_cast<double>(std::numeric_limits<std::int32_t>::max());

std::string GasOf(const SerialPortVogtlin::TMFCDetails& mfc) {
    const SerialPortVogtlin::TLUTData* table = UnitMain::ActiveLUTData(mfc);
    return table != nullptr ? table->NameShort : std::string();
}

// A figure for the operator, with as many decimals as it needs (up to three).
std::string Figure(double value) {
    return Base::FormatMaskOrGeneral("0.###", value + 0.0); // + 0.0: a -0 reads as the 0 it is
}

// Two figures that differ, each with the decimals that show the difference.
std::pair<std::string, std::string> Differing(double a, double b) {
    std::string mask = "0.###";
    for (int more = 0; more < 9; ++more) {
        std::pair<std::string, std::string> texts{Base::FormatMaskOrGeneral(mask, a + 0.0),
                                                  Base::FormatMaskOrGeneral(mask, b + 0.0)};
        if (texts.first != texts.second) {
            return texts;
        }
        mask += '#';
    }
    return {Base::FormatGeneral(a), Base::FormatGeneral(b)};
}

std::string Flow_ugpm(double ugpm) {
    return Figure(ugpm) + " µg/min";
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// "X in the file, Y now" for two flows in µg/min.
std::string FlowChange(const std::string& what, double inFile_ugpm, double now_ugpm) {
    const auto [file, now] = Differing(inFile_ugpm, now_ugpm);
    return what + " " + file + " µg/min in the file, " + now + " µg/min now";
}

const char* DeviceFlowName(std::int32_t device) {
    return device == DeviceA ? "MFC A flow" : device == DeviceB ? "MFC B flow" : "liquid flow";
}

// The component of a rebuilt segment that a device doses, or nullptr.
const TGasItem* ComponentOf(const TGasItem& segment, std::int32_t device) {
    const auto found = std::find_if(segment.Components.begin(), segment.Components.end(),
                                    [device](const TGasItem& c) { return c.InstrumentID == device; });
    return found != segment.Components.end() ? &*found : nullptr;
}

class TSegmentJudge {
public:
    TSegmentJudge(const TProgramSegment& segment, std::size_t number, const TMoistrelState& mixer)
        : fSegment(segment), fMixer(mixer) {
        fJudged.Number = number;
        fJudged.Name = segment.Name;
        for (const TProgramFlow& flow : segment.Flows) {
            if (flow.Device >= DeviceA && flow.Device <= DevicePump) {
                fFlows[static_cast<std::size_t>(flow.Device)] = &flow;
            }
        }
    }

    TJudgedSegment Judge() {
        if (!NumbersAreSound() || !DurationAllowed()) {
            return fJudged;
        }
        if (fSegment.Target) {
            return JudgeTarget(*fSegment.Target);
        }
        if (!GasFlow(DeviceA) || !GasFlow(DeviceB) || !LiquidFlow()) {
            return fJudged;
        }
        TGasItem segment = Design::CreateMixture(fMixer, Screen());
        // The editor names a segment without comment by its place; a loaded one keeps its own name.
        if (!segment.Components.empty()) {
            segment.StepName = fSegment.Name;
        }
        if (!AsTheEditorJudges(std::move(segment))) {
            return fJudged;
        }
        NoteChanges();
        return fJudged;
    }

private:
    // A segment of a target is solved again from it on the mixer as it is now: its flows are what
    // the target needs here, whatever syringe, liquid or gas tables the file was made with.
    TJudgedSegment JudgeTarget(const GasMixtures::TTargetInput& target) {
        const Target::TTargetSolution solution = Target::SolveTarget(fMixer, target);
        const std::string name = Target::TargetName(target.Target, fMixer);
        if (!solution.Ok) {
            Refuse("its target " + name +
                   " cannot be reached on the mixer as it is now: " + solution.Refusal);
            return fJudged;
        }
        TGasItem segment = solution.Segment;
        segment.StepName = fSegment.Name;
        segment.StepTime = fSegment.Duration_h + 0.0;
        fRequestedC_ugpm = solution.FlowC_ugpm;
        if (!AsTheEditorJudges(std::move(segment))) {
            return fJudged;
        }
        if (SolvedDifferently()) {
            fJudged.Notes.push_back("solved again from its target " + name + ": " +
                                    FlowsText(fJudged.Segment) + " (in the file: " + FileFlowsText() + ")");
        }
        return fJudged;
    }

    // Whether the solved segment doses otherwise than the file says.
    bool SolvedDifferently() const {
        for (const std::int32_t device : {DeviceA, DeviceB, DevicePump}) {
            const TProgramFlow* flow = FlowOf(device);
            const TGasItem* now = ComponentOf(fJudged.Segment, device);
            if ((flow == nullptr) != (now == nullptr)) {
                return true;
            }
            if (flow != nullptr && (now->Mass != static_cast<float>(flow->Mass_gpm) ||
                                    (device == DevicePump && now->PumpCommand != flow->PumpCommand))) {
                return true;
            }
        }
        return false;
    }

    // "A 30000 µg/min, B none, C 412.5 µg/min, pump command "...""
    static std::string FlowsText(const std::array<double, 3>& flows_ugpm, const std::string& command) {
        std::string text;
        for (const std::int32_t device : {DeviceA, DeviceB, DevicePump}) {
            const double flow = flows_ugpm[static_cast<std::size_t>(device)];
            text += std::string(device == DeviceA   ? "A "
                                : device == DeviceB ? ", B "
                                                    : ", C ") +
                    (flow > 0.0 ? Flow_ugpm(flow) : std::string("none"));
        }
        if (!command.empty()) {
            text += ", pump command " + Quoted(command);
        }
        return text;
    }

    static std::string FlowsText(const TGasItem& segment) {
        std::array<double, 3> flows{};
        std::string command;
        for (const std::int32_t device : {DeviceA, DeviceB, DevicePump}) {
            if (const TGasItem* now = ComponentOf(segment, device); now != nullptr) {
                flows[static_cast<std::size_t>(device)] = static_cast<double>(now->Mass) * MicrogramsPerGram;
                if (device == DevicePump) {
                    command = now->PumpCommand;
                }
            }
        }
        return FlowsText(flows, command);
    }

    std::string FileFlowsText() const {
        std::array<double, 3> flows{};
        std::string command;
        for (const std::int32_t device : {DeviceA, DeviceB, DevicePump}) {
            if (const TProgramFlow* flow = FlowOf(device); flow != nullptr) {
                flows[static_cast<std::size_t>(device)] = flow->Mass_gpm * MicrogramsPerGram;
                if (device == DevicePump) {
                    command = flow->PumpCommand;
                }
            }
        }
        return FlowsText(flows, command);
    }

    // The segment judged as the editor judges a new one; false when refused.
    bool AsTheEditorJudges(TGasItem segment) {
        const UnitMain::TDesignInputs& inputs = fMixer.DesignInputs;
        std::vector<TGasItem> judged;
        const bool empty = segment.Components.empty();
        const std::string refusal =
            AddOrSaveSegment(judged, {std::move(segment), -1, fRequestedC_ugpm, inputs.CustomTempC,
                                      inputs.CustomPressure_mbar});
        if (!refusal.empty()) {
            if (empty) {
                Refuse("it has no flow at all");
            } else if (refusal == InvalidMixtureRefusal) {
                Refuse("its liquid's ppm is higher than the artificial limit of " +
                       std::to_string(fMixer.PumpDetails.FLUID_MAX_PPM) + " ppm");
            } else {
                Refuse(refusal);
            }
            return false;
        }
        fJudged.Segment = std::move(judged.front());
        return true;
    }

    // The design screen as it would stand with this segment's flows in its fields.
    Design::TSnapshotInput Screen() const {
        Design::TSnapshotInput screen;
        screen.FlowA = fFlowA_ugpm;
        screen.FlowB = fFlowB_ugpm;
        screen.AchievableC = fAchievableC_ugpm;
        screen.PumpCommand = fPumpCommand;
        screen.StepComments = fSegment.Name;
        screen.StepDuration = fSegment.Duration_h + 0.0;
        const UnitMain::TDesignInputs& design = fMixer.DesignInputs;
        screen.DemoA = {design.DemoA.Name, design.DemoA.Mass};
        screen.DemoB = {design.DemoB.Name, design.DemoB.Mass};
        screen.CustomTempC = design.CustomTempC;
        screen.CustomPressure_mbar = design.CustomPressure_mbar;
        return screen;
    }

    bool Refuse(const std::string& why) {
        fJudged.Refused = true;
        fJudged.Notes = {why};
        return false;
    }

    // A file's flow of zero is no flow, as a zero in a flow field is.
    const TProgramFlow* FlowOf(std::int32_t device) const {
        const TProgramFlow* flow = fFlows[static_cast<std::size_t>(device)];
        return flow != nullptr && flow->Mass_gpm != 0.0 ? flow : nullptr;
    }

    bool NumbersAreSound() {
        if (!std::isfinite(fSegment.Duration_h)) {
            return Refuse("its duration is not a finite number");
        }
        for (const TProgramFlow* flow : fFlows) {
            if (flow == nullptr) {
                continue;
            }
            const std::string what = std::string("its ") + DeviceFlowName(flow->Device);
            if (!std::isfinite(flow->Mass_gpm)) {
                return Refuse(what + " is not a finite number");
            }
            if (!std::isfinite(flow->Pulsed)) {
                return Refuse(what + " has a pulsed share that is not a finite number");
            }
            if (flow->Mass_gpm < 0.0) {
                return Refuse(what + " of " + Flow_ugpm(flow->Mass_gpm * MicrogramsPerGram) + " is negative");
            }
        }
        return true;
    }

    bool DurationAllowed() {
        if (StepDurationAllowed(fSegment.Duration_h)) {
            return true;
        }
        return Refuse("it lasts " + Figure(fSegment.Duration_h) +
                      " h; a segment lasts more than 0 and at most " + Figure(MaxStepDuration_h) + " hours");
    }

    // The A or B flow as its field would hold it: whole µg/min inside the MFC's range. The designer
    // clamps a flow above the range (and turns a B flow at or below its lowest into none); here
    // either is refused, since the segment would not run what it says.
    bool GasFlow(std::int32_t device) {
        const TProgramFlow* flow = FlowOf(device);
        if (flow == nullptr) {
            return true;
        }
        const bool isA = device == DeviceA;
        const std::string mfc = isA ? "MFC A" : "MFC B";
        const std::string what = "its " + mfc + " flow of " + Flow_ugpm(flow->Mass_gpm * MicrogramsPerGram);
        const Design::TMFCRange range = Design::MFCRangeOf(isA ? fMixer.MFCADetails : fMixer.MFCBDetails);
        if (!range.Usable) {
            return Refuse(what + " cannot run: " + mfc + " has no gas chosen");
        }
        const double rMax = static_cast<double>(range.RangeMax) * MicrogramsPerGram;
        const double highest =
            isA ? std::floor(rMax)
                : static_cast<double>(Base::RoundHalfEven(std::min(rMax, FieldLimit_ugpm)));
        const std::string tooLarge = what + " is above " + mfc + "'s highest, " + Flow_ugpm(highest);
        // Compared before any conversion: a flow far above the range never becomes an integer.
        const double asked = flow->Mass_gpm * MicrogramsPerGram;
        if (!(asked <= rMax + 1.0) || !(asked <= FieldLimit_ugpm)) {
            return Refuse(tooLarge);
        }
        const std::int64_t field = Base::RoundHalfEven(asked);
        Design::TFlowInput input;
        input.Range = range;
        input.FieldValue = field;
        const Design::TFlowResult held = isA ? Design::FlowUpdateY1(input) : Design::FlowUpdateY2(input);
        if (held.FieldValue != field) {
            if (!isA && held.FieldValue == 0) {
                return Refuse(what + " is not above MFC B's lowest, " +
                              Flow_ugpm(static_cast<double>(range.RangeMin) * MicrogramsPerGram) +
                              " (MFC B has no pulsed mode)");
            }
            return Refuse(tooLarge);
        }
        (isA ? fFlowA_ugpm : fFlowB_ugpm) = held.FieldValue;
        return true;
    }

    // The liquid flow asked of the pump as it is now; the file's pump command is never taken.
    bool LiquidFlow() {
        const TProgramFlow* flow = FlowOf(DevicePump);
        if (flow == nullptr) {
            return true;
        }
        const double asked = flow->Mass_gpm * MicrogramsPerGram;
        const std::string flowText = "liquid flow of " + Flow_ugpm(asked);
        const std::string what = "its " + flowText;
        const Design::TPumpSetup pump = Design::PumpSetupOf(fMixer.PumpDetails);
        const auto most = static_cast<double>(Design::FluidFlowMaximum(pump));
        if (!(asked <= most)) {
            return Refuse(what + " is above the most the pump can be asked for, " + Flow_ugpm(most));
        }
        Design::TFluidFlowInput input;
        input.DurationHours = fSegment.Duration_h;
        input.FieldValue = asked;
        input.Pump = pump;
        const Design::TFluidFlowResult planned = Design::FluidFlowUpdate(input);
        if (planned.PumpFrequency <= 0 || !(planned.Achievable > 0.0)) {
            return Refuse("the pump cannot dispense its " + flowText + " (" +
                          UnitMoistrelPumpSpeedFunction::PumpSpeedInfoName(planned.Info) + ")");
        }
        fRequestedC_ugpm = asked;
        fPumpCommand = planned.PumpCommand;
        // The file's flow is what the pump was found to achieve with its command. Where the pump
        // now finds that same command for it, the flow stands as saved; otherwise the segment takes
        // what the pump achieves now.
        fAchievableC_ugpm = fPumpCommand == flow->PumpCommand ? asked : planned.Achievable;
        return true;
    }

    // What the rebuilt segment holds differently from the file.
    void NoteChanges() {
        const TGasItem& segment = fJudged.Segment;
        for (const std::int32_t device : {DeviceA, DeviceB, DevicePump}) {
            const TProgramFlow* flow = FlowOf(device);
            const TGasItem* now = ComponentOf(segment, device);
            if (flow == nullptr) {
                continue;
            }
            const double fileFlow = flow->Mass_gpm * MicrogramsPerGram;
            if (now == nullptr) {
                fJudged.Notes.push_back(std::string(device == DeviceA ? "MFC A" : "MFC B") + " flow " +
                                        Figure(fileFlow) +
                                        " µg/min in the file, none now (flows are whole µg/min)");
                continue;
            }
            if (device == DevicePump && now->PumpCommand != flow->PumpCommand) {
                fJudged.Notes.push_back("pump command " + Quoted(flow->PumpCommand) + " in the file, " +
                                        Quoted(now->PumpCommand) + " now");
            }
            if (now->Mass != static_cast<float>(flow->Mass_gpm)) {
                fJudged.Notes.push_back(FlowChange(DeviceFlowName(device), fileFlow,
                                                   static_cast<double>(now->Mass) * MicrogramsPerGram));
            }
            if (device == DeviceA && now->Pulsed != static_cast<float>(flow->Pulsed)) {
                const auto [file, derived] = Differing(flow->Pulsed, static_cast<double>(now->Pulsed));
                std::string note = "MFC A pulsed share " + file;
                note += " in the file, ";
                note += derived;
                note += " now (from MFC A's lowest flow)";
                fJudged.Notes.push_back(std::move(note));
            }
        }
    }

    const TProgramSegment& fSegment;
    const TMoistrelState& fMixer;
    std::array<const TProgramFlow*, 3> fFlows{};
    TJudgedSegment fJudged;
    std::int64_t fFlowA_ugpm = 0;
    std::int64_t fFlowB_ugpm = 0;
    double fRequestedC_ugpm = 0.0;
    double fAchievableC_ugpm = 0.0;
    std::string fPumpCommand;
};

std::string SegmentLine(const TJudgedSegment& segment) {
    std::string line = "Segment " + std::to_string(segment.Number) + " " + Quoted(segment.Name) + ": ";
    if (segment.Refused) {
        line += "refused: ";
    }
    for (std::size_t i = 0; i < segment.Notes.size(); ++i) {
        line += (i == 0 ? "" : "; ") + segment.Notes[i];
    }
    return line;
}

} // namespace

TProgramComposition MixerComposition(const TMoistrelState& mixer) {
    return {GasOf(mixer.MFCADetails), GasOf(mixer.MFCBDetails), LiquidOf(mixer.PumpDetails.Fluid)};
}

TLoadJudgement JudgeLoadedProgram(const TProgramFileContent& content, const TMoistrelState& mixer) {
    TLoadJudgement judgement;
    judgement.CompositionDifferences = CompositionDifferences(content.ComposedFor, MixerComposition(mixer));
    for (std::size_t i = 0; i < content.Segments.size(); ++i) {
        TJudgedSegment judged = TSegmentJudge(content.Segments[i], i + 1, mixer).Judge();
        if (!judged.Refused) {
            judgement.Program.push_back(judged.Segment);
        }
        judgement.Segments.push_back(std::move(judged));
    }
    return judgement;
}

TLoadQuestion LoadQuestion(const std::string& fileName, const TLoadJudgement& judgement) {
    TLoadQuestion question;
    std::vector<std::string> segmentLines;
    bool refused = false;
    for (const TJudgedSegment& segment : judgement.Segments) {
        refused = refused || segment.Refused;
        if (!segment.Notes.empty()) {
            segmentLines.push_back(SegmentLine(segment));
        }
    }
    if (judgement.CompositionDifferences.empty() && segmentLines.empty()) {
        question.CanLoad = true;
        return question;
    }
    question.Ask = true;
    question.CanLoad = !judgement.Program.empty() || judgement.Segments.empty();
    std::string& text = question.Text;
    const std::string program = "The program in " + Quoted(fileName);
    if (!judgement.CompositionDifferences.empty()) {
        text = program + " was composed for other gases or another liquid than the mixer holds now:\n";
        for (const std::string& difference : judgement.CompositionDifferences) {
            text += "\n" + difference;
        }
        if (!segmentLines.empty()) {
            text += "\n\nIts segments, built again on the mixer as it is now:\n";
        }
    } else {
        text = program +
               " does not load as it was saved. Its segments, built again on the mixer as it is now:\n";
    }
    for (const std::string& line : segmentLines) {
        text += "\n" + line;
    }
    if (!question.CanLoad) {
        text += "\n\nNo segment of it can run on the mixer as it is now; nothing is loaded.";
    } else if (refused) {
        text += "\n\nLoad it without the refused segments?";
    } else {
        text += "\n\nLoad it anyway?";
    }
    return question;
}

} // namespace Program
