#include "target/TargetSolver.h"

#include "base/NumberFormat.h"
#include "base/Rounding.h"
#include "design/FlowSetPoints.h"
#include "design/MixtureSnapshot.h"
#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"
#include "model/MixtureReport.h"
#include "pump/PumpSpeedFunction.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Target {

using GasMixtures::TGasItem;
using GasMixtures::TGasItemDictionary;
using UnitMain::TMoistrelState;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double MolarVolume = 22.414; // L/mol at 0 ºC and 1013.25 mbar, as the report counts
constexpr double Million = 1000000.0;
constexpr const char* Water = "H2O";
const std::string Degree = "\u00BA";
// Rounds of refining the liquid flow against the pump's speed steps; two or three settle it.
constexpr int RefineRounds = 8;
// A delivery this close to the flow needed is as good as whole µg/min can ask for.
constexpr double CloseEnough = 0.0005;

struct TMoles {
    double Total = 0.0;     // mol/min of every substance
    double Substance = 0.0; // mol/min of the target's substance
};

// Moles as the report counts them: mass over molar mass, entry by entry.
TMoles MolesOf(const TGasItem& segment, const std::string& substance) {
    TGasItemDictionary totals;
    GasMixtures::AddMixtureToGasTotals(segment, totals);
    TMoles moles;
    for (const auto& entry : totals) {
        const TGasItem& item = entry.Item;
        if (item.MolarMass > 0.0F) {
            const double n = static_cast<double>(item.Mass) / static_cast<double>(item.MolarMass);
            moles.Total += n;
            if (item.GasNameMFC == substance) {
                moles.Substance += n;
            }
        }
    }
    return moles;
}

Design::TSnapshotInput Screen(const TMoistrelState& state, const TTargetInput& input, std::int64_t a,
                              std::int64_t b, double achievableC, const std::string& pumpCommand) {
    Design::TSnapshotInput screen;
    screen.FlowA = a;
    screen.FlowB = b;
    screen.AchievableC = achievableC;
    screen.PumpCommand = pumpCommand;
    screen.StepComments = TargetName(input.Target, state);
    screen.StepDuration = state.DesignInputs.StepDuration_h;
    screen.DemoA = {state.DesignInputs.DemoA.Name, state.DesignInputs.DemoA.Mass};
    screen.DemoB = {state.DesignInputs.DemoB.Name, state.DesignInputs.DemoB.Mass};
    screen.CustomTempC = input.TempC;
    screen.CustomPressure_mbar = input.Pressure_mbar;
    return screen;
}

// The liquid's part of a named substance: its symbol, its mass share of the liquid and its molar
// mass; and the moles per gram of the whole liquid.
struct TLiquidShare {
    bool Found = false;
    std::string Symbol;
    std::string LongName;
    double MolesPerGram = 0.0;       // of the substance, per gram of liquid
    double LiquidMolesPerGram = 0.0; // of every substance of the liquid
};

// Names compared as an operator types them: ASCII letters in either case.
bool SameText(const std::string& left, const std::string& right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char l, char r) {
        return std::tolower(static_cast<unsigned char>(l)) == std::tolower(static_cast<unsigned char>(r));
    });
}

bool NamesSubstance(const TGasItem& part, const std::string& name) {
    return SameText(part.GasNameMFC, name) || SameText(part.GasNameLong, name) ||
           (GasMixtures::FindCatalogueGas(name) != GasMixtures::gUndefined &&
            GasMixtures::FindCatalogueGas(name) == GasMixtures::FindCatalogueGas(part.GasNameMFC));
}

TLiquidShare LiquidShareOf(const TMoistrelState& state, const std::string& name) {
    const std::vector<TGasItem>& parts = state.PumpDetails.Fluid.Components;
    double total = 0.0;
    for (const TGasItem& part : parts) {
        if (!part.GasNameMFC.empty()) {
            total += static_cast<double>(part.Mass);
        }
    }
    TLiquidShare share;
    if (!(total > 0.0)) {
        return share;
    }
    for (const TGasItem& part : parts) {
        if (part.GasNameMFC.empty() || !(part.MolarMass > 0.0F)) {
            continue;
        }
        const double perGram = static_cast<double>(part.Mass) / total / static_cast<double>(part.MolarMass);
        share.LiquidMolesPerGram += perGram;
        if (!share.Found && NamesSubstance(part, name)) {
            share.Found = true;
            share.Symbol = part.GasNameMFC;
            share.LongName = part.GasNameLong;
            share.MolesPerGram = perGram;
        }
    }
    return share;
}

// The wanted mole fraction of the substance for the target, or a refusal.
struct TWantedFraction {
    double Fraction = NaN;
    std::string Refusal;
};

TWantedFraction WantedFraction(const TTargetInput& input) {
    const TTarget& target = input.Target;
    const double saturation = GasMixtures::CalculateVapourPressure(input.TempC);
    switch (target.Kind) {
    case TTargetKind::tkRelativeHumidity:
        if (target.Value > 100.0) {
            return {NaN, "A relative humidity above 100 % condenses: choose at most 100 %."};
        }
        return {target.Value / 100.0 * saturation / input.Pressure_mbar, {}};
    case TTargetKind::tkDewPoint:
        if (target.Value > input.TempC) {
            return {NaN, "A dew point of " + Base::FormatGeneral(target.Value) + " " + Degree +
                             "C above the temperature of " + Base::FormatGeneral(input.TempC) + " " + Degree +
                             "C condenses: choose a dew point at or below the temperature."};
        }
        return {GasMixtures::CalculateVapourPressure(target.Value) / input.Pressure_mbar, {}};
    case TTargetKind::tkPPM:
        return {target.Value / Million, {}};
    }
    return {};
}

std::string Unit(TTargetKind kind) {
    return " " + TargetUnit(kind);
}

std::string Figure(double value) {
    return Base::FormatMask("0.000", value);
}

// What the pump makes of a liquid flow asked of it: the design screen's own C calculation.
struct TPumpPlan {
    bool Ok = false;
    double Asked = 0.0;
    double Achievable = 0.0;
    std::string Command;
    std::int32_t Frequency = 0;
};

TPumpPlan PlanPump(const Design::TPumpSetup& pump, double asked_ugpm) {
    Design::TFluidFlowInput flow;
    flow.FieldValue = asked_ugpm;
    flow.Focus = Design::TFlowFocus::ffField;
    flow.Pump = pump;
    const Design::TFluidFlowResult result = Design::FluidFlowUpdate(flow);
    TPumpPlan plan;
    plan.Asked = result.FieldValue;
    plan.Ok = result.PumpFrequency > 0 && result.Achievable > 0.0;
    plan.Achievable = result.Achievable;
    plan.Command = result.PumpCommand;
    plan.Frequency = result.PumpFrequency;
    return plan;
}

// The highest whole liquid flow the pump can run at. A stroke at the pump's top speed and one
// retract per syringe bound it, which gives a first guess within a few per cent; from there the
// guess moves by halving the gap between a flow the pump runs at and one it cannot, never above the
// C field's upper bound.
std::optional<TPumpPlan> HighestPlan(const Design::TPumpSetup& pump) {
    namespace Speed = UnitMoistrelPumpSpeedFunction;
    const double ceiling = static_cast<double>(Design::FluidFlowMaximum(pump));
    const double syringe_ug = pump.SyringeVolume_ul * static_cast<double>(pump.FluidDensity) * 1000.0;
    const std::int32_t topSpeed = std::clamp(pump.MaxSpeed, 1, Speed::SearchTopSpeed);
    const double guess = 60.0 * syringe_ug /
                         (Speed::CalculateStrokeTime(topSpeed, Speed::SearchStrokeSteps) +
                          Speed::TPumpDetails{}.RetractTime_s);
    double low = 1.0;
    double high = ceiling;
    std::optional<TPumpPlan> best;
    TPumpPlan lowest = PlanPump(pump, low);
    if (!lowest.Ok) {
        return std::nullopt;
    }
    best = lowest;
    if (std::isfinite(guess) && guess > low && guess < ceiling) {
        // Bracket the guess: a little below it the pump runs, a little above it does not.
        for (const double factor : {0.98, 1.02}) {
            const double tried = std::floor(guess * factor);
            if (!(tried > low && tried < high)) {
                continue;
            }
            const TPumpPlan plan = PlanPump(pump, tried);
            if (plan.Ok) {
                low = tried;
                best = plan;
            } else {
                high = tried;
                break;
            }
        }
    }
    const TPumpPlan top = PlanPump(pump, high);
    if (top.Ok) {
        return top;
    }
    while (high - low > 1.0) {
        const double middle = std::floor((low + high) / 2.0);
        const TPumpPlan plan = PlanPump(pump, middle);
        if (plan.Ok) {
            low = middle;
            best = plan;
        } else {
            high = middle;
        }
    }
    return best;
}

// The pump's lowest and highest liquid flow. The Target box solves on every key press while the pump
// stays as it is, so each thread keeps the last pump's range.
struct TPumpRange {
    TPumpPlan Lowest;
    std::optional<TPumpPlan> Highest;
};

bool SamePump(const Design::TPumpSetup& left, const Design::TPumpSetup& right) {
    return left.SyringeVolume_ul == right.SyringeVolume_ul && left.FluidDensity == right.FluidDensity &&
           left.Steps == right.Steps && left.MaxSpeed == right.MaxSpeed;
}

const TPumpRange& PumpRangeOf(const Design::TPumpSetup& pump) {
    thread_local std::optional<std::pair<Design::TPumpSetup, TPumpRange>> last;
    if (!last || !SamePump(last->first, pump)) {
        last.emplace(pump, TPumpRange{PlanPump(pump, 1.0), HighestPlan(pump)});
    }
    return last->second;
}

// The carrier's A and B flows, µg/min.
struct TCarrierFlows {
    std::int64_t A = 0;
    std::int64_t B = 0;
    std::string Refusal;
};

TCarrierFlows CarrierFlows(const TMoistrelState& state, const TTargetInput& input) {
    const double share = input.BSharePercent / 100.0;
    if (!(share >= 0.0 && share <= 1.0)) {
        return {0, 0, "MFC B's share of the carrier must lie between 0 and 100 %."};
    }
    if (!(input.Carrier > 0.0) || !std::isfinite(input.Carrier)) {
        return {0, 0, "No carrier flow: enter the total flow of MFC A and MFC B."};
    }
    double a_gpm = input.Carrier * (1.0 - share);
    double b_gpm = input.Carrier * share;
    if (input.CarrierUnit == TCarrierUnit::cuNormalLitresPerMinute) {
        // Volume shares become masses through each gas's molar mass (moles of one gram of it).
        const auto molesPerGram = [&](bool isA) {
            const TGasItem one = Design::CreateMixture(
                state, Screen(state, input, isA ? 1000000 : 0, isA ? 0 : 1000000, 0.0, {}));
            return MolesOf(one, {}).Total;
        };
        const double moles = input.Carrier / MolarVolume;
        const double perGramA = a_gpm > 0.0 ? molesPerGram(true) : 1.0;
        const double perGramB = b_gpm > 0.0 ? molesPerGram(false) : 1.0;
        if (!(perGramA > 0.0) || !(perGramB > 0.0)) {
            return {0, 0, "The gas of MFC A or MFC B has no molar mass: choose its gas table first."};
        }
        a_gpm = moles * (1.0 - share) / perGramA;
        b_gpm = moles * share / perGramB;
    }
    TCarrierFlows flows;
    flows.A = Base::RoundHalfEven(a_gpm * Million);
    flows.B = Base::RoundHalfEven(b_gpm * Million);

    const auto range = [](const SerialPortVogtlin::TMFCDetails& mfc) { return Design::MFCRangeOf(mfc); };
    const Design::TMFCRange rangeA = range(state.MFCADetails);
    const Design::TMFCRange rangeB = range(state.MFCBDetails);
    const auto gpm = [](std::int64_t ugpm) {
        return Base::FormatMask("0.000 000", static_cast<double>(ugpm) / Million);
    };
    const auto limit = [](float value) { return Base::FormatMask("0.000 000", static_cast<double>(value)); };
    if (flows.A > 0 && !rangeA.Usable) {
        flows.Refusal = "MFC A has no gas table chosen: choose its gas, or give MFC B the whole carrier.";
    } else if (flows.B > 0 && !rangeB.Usable) {
        flows.Refusal = "MFC B has no gas table chosen: choose its gas, or give MFC A the whole carrier.";
    } else if (flows.A > 0 && static_cast<double>(flows.A) > static_cast<double>(rangeA.RangeMax) * Million) {
        flows.Refusal = "The carrier asks " + gpm(flows.A) + " g/min of MFC A, above its highest flow of " +
                        limit(rangeA.RangeMax) + " g/min: lower the carrier or give MFC B a larger share.";
    } else if (flows.B > 0 && static_cast<double>(flows.B) > static_cast<double>(rangeB.RangeMax) * Million) {
        flows.Refusal = "The carrier asks " + gpm(flows.B) + " g/min of MFC B, above its highest flow of " +
                        limit(rangeB.RangeMax) + " g/min: lower the carrier or give MFC B a smaller share.";
    } else if (flows.B > 0 &&
               static_cast<double>(flows.B) <= static_cast<double>(rangeB.RangeMin) * Million) {
        flows.Refusal = "The carrier asks " + gpm(flows.B) +
                        " g/min of MFC B, not above its lowest flow of " + limit(rangeB.RangeMin) +
                        " g/min: raise the carrier or MFC B's share, or set it to 0 %.";
    } else if (flows.A <= 0 && flows.B <= 0) {
        flows.Refusal = "No carrier flow: enter the total flow of MFC A and MFC B.";
    }
    return flows;
}

} // namespace

TTargetInput DefaultTargetInput(const TMoistrelState& state) {
    TTargetInput input;
    input.TempC = state.DesignInputs.CustomTempC;
    input.Pressure_mbar = state.DesignInputs.CustomPressure_mbar;
    return input;
}

double DewPointC(double vapourPressure_mbar) {
    if (!(vapourPressure_mbar > 0.0) || !std::isfinite(vapourPressure_mbar)) {
        return NaN;
    }
    // The saturation pressure rises with the temperature; halve a bracket from near absolute zero to
    // far above boiling until it is narrower than the precision.
    double low = -200.0;
    double high = 400.0;
    if (!(GasMixtures::CalculateVapourPressure(high) >= vapourPressure_mbar) ||
        !(GasMixtures::CalculateVapourPressure(low) <= vapourPressure_mbar)) {
        return NaN;
    }
    while (high - low > 0.0001) {
        const double middle = (low + high) / 2.0;
        if (GasMixtures::CalculateVapourPressure(middle) < vapourPressure_mbar) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return (low + high) / 2.0;
}

double TargetFigure(const TGasItem& segment, const TTarget& target, double pressure_mbar) {
    TGasItemDictionary totals;
    GasMixtures::AddMixtureToGasTotals(segment, totals);
    switch (target.Kind) {
    case TTargetKind::tkRelativeHumidity:
        return GasMixtures::LiquidFigures(totals).RelativeHumidity;
    case TTargetKind::tkDewPoint: {
        const double ppm = GasMixtures::SubstancePPM(totals, Water);
        return DewPointC(ppm / Million * pressure_mbar);
    }
    case TTargetKind::tkPPM: {
        for (const auto& entry : totals) {
            if (NamesSubstance(entry.Item, target.Substance)) {
                return GasMixtures::SubstancePPM(totals, entry.Item.GasNameMFC);
            }
        }
        return NaN;
    }
    }
    return NaN;
}

std::string TargetUnit(TTargetKind kind) {
    switch (kind) {
    case TTargetKind::tkRelativeHumidity:
        return "%";
    case TTargetKind::tkDewPoint:
        return Degree + "C";
    case TTargetKind::tkPPM:
        return "ppm";
    }
    return {};
}

std::string AchievedText(const TTargetSolution& solution, TTargetKind kind) {
    if (!solution.Ok) {
        return "Achieved: none";
    }
    return "Achieved: " + Figure(solution.Achieved) + Unit(kind);
}

std::string ReachableText(const TTargetSolution& solution, TTargetKind kind) {
    if (!solution.RangeKnown) {
        return "Reachable: unknown";
    }
    return "Reachable: " + Figure(solution.ReachableLow) + " to " + Figure(solution.ReachableHigh) +
           Unit(kind);
}

std::string TargetName(const TTarget& target, const TMoistrelState& state) {
    if (target.Kind == TTargetKind::tkPPM) {
        const TLiquidShare share = LiquidShareOf(state, target.Substance);
        if (share.Found) {
            TTarget named = target;
            named.Substance = share.LongName;
            return TargetName(named);
        }
    }
    return TargetName(target);
}

std::string TargetName(const TTarget& target) {
    const std::string value = Base::FormatGeneral(target.Value);
    switch (target.Kind) {
    case TTargetKind::tkRelativeHumidity:
        return "RH " + value + " %";
    case TTargetKind::tkDewPoint:
        return "Td " + value + " " + Degree + "C";
    case TTargetKind::tkPPM:
        return target.Substance + " " + value + " ppm";
    }
    return {};
}

TTargetSolution SolveTarget(const TMoistrelState& state, const TTargetInput& input) {
    TTargetSolution solution;
    const auto refuse = [&solution](std::string why) {
        solution.Ok = false;
        solution.Refusal = std::move(why);
        return solution;
    };
    const TTarget& target = input.Target;
    if (!std::isfinite(target.Value)) {
        return refuse("The target needs a value.");
    }
    if (!(input.Pressure_mbar > 0.0) || !std::isfinite(input.Pressure_mbar) || !std::isfinite(input.TempC) ||
        !(GasMixtures::CalculateVapourPressure(input.TempC) > 0.0)) {
        return refuse("The conditions need a temperature above absolute zero and a pressure above 0 mbar.");
    }

    const bool ofWater = target.Kind != TTargetKind::tkPPM;
    const std::string substanceName = ofWater ? std::string(Water) : target.Substance;
    const TLiquidShare share = LiquidShareOf(state, substanceName);
    const std::string liquidName = state.PumpDetails.Fluid.GasNameLong;
    if (!share.Found) {
        if (ofWater) {
            return refuse("The pump's liquid \"" + liquidName +
                          "\" holds no water: a relative humidity or dew point needs a liquid with water.");
        }
        return refuse("The pump's liquid \"" + liquidName + "\" holds no \"" + target.Substance +
                      "\": choose one of its substances, or design a liquid with it.");
    }

    const TWantedFraction wanted = WantedFraction(input);
    if (!wanted.Refusal.empty()) {
        return refuse(wanted.Refusal);
    }

    const TCarrierFlows carrier = CarrierFlows(state, input);
    if (!carrier.Refusal.empty()) {
        return refuse(carrier.Refusal);
    }
    solution.FlowA_ugpm = carrier.A;
    solution.FlowB_ugpm = carrier.B;

    const Design::TPumpSetup pump = Design::PumpSetupOf(state.PumpDetails);
    const auto segmentOf = [&](const TPumpPlan& plan) {
        return Design::CreateMixture(
            state, Screen(state, input, carrier.A, carrier.B, plan.Achievable, plan.Command));
    };
    const auto figureOf = [&](const TPumpPlan& plan) {
        return TargetFigure(segmentOf(plan), target, input.Pressure_mbar);
    };

    const TPumpRange& pumpRange = PumpRangeOf(pump);
    const TPumpPlan& lowest = pumpRange.Lowest;
    const std::optional<TPumpPlan>& highest = pumpRange.Highest;
    if (!lowest.Ok || !highest) {
        return refuse("The pump cannot dispense with its present syringe, model and liquid: check the pump "
                      "settings.");
    }
    solution.RangeKnown = true;
    solution.ReachableLow = figureOf(lowest);
    solution.ReachableHigh = figureOf(*highest);
    // More water than saturation would condense: the reachable range ends there.
    if (target.Kind == TTargetKind::tkRelativeHumidity) {
        solution.ReachableHigh = std::min(solution.ReachableHigh, 100.0);
    } else if (target.Kind == TTargetKind::tkDewPoint) {
        solution.ReachableHigh = std::min(solution.ReachableHigh, input.TempC);
    }
    const std::string range =
        Figure(solution.ReachableLow) + " to " + Figure(solution.ReachableHigh) + Unit(target.Kind);

    // The liquid flow C that gives the fraction x: with the gases' moles G (g of them the substance's)
    // and a gram of liquid giving k moles (s of them the substance's), x = (g + C s) / (G + C k).
    const TGasItem gasesOnly =
        Design::CreateMixture(state, Screen(state, input, carrier.A, carrier.B, 0.0, {}));
    const TMoles gases = MolesOf(gasesOnly, share.Symbol);
    const double x = wanted.Fraction;
    const double denominator = share.MolesPerGram - x * share.LiquidMolesPerGram;
    const double needed_gpm = denominator > 0.0 ? (x * gases.Total - gases.Substance) / denominator : NaN;
    const double needed_ugpm = needed_gpm * Million;
    if (!(needed_ugpm >= lowest.Achievable * (1.0 - 1e-9)) ||
        !(needed_ugpm <= highest->Achievable * (1.0 + 1e-9))) {
        return refuse("The target " + Base::FormatGeneral(target.Value) + Unit(target.Kind) +
                      " lies outside what the mixer reaches at this carrier flow (" + range +
                      "): change the carrier flow, or the liquid or syringe.");
    }

    // The pump runs at whole speeds, so it delivers a little more or less than it is asked; ask for
    // the whole µg/min whose delivery comes closest to the flow needed, but never for one that would
    // put more water in the gas than it can hold at the conditions.
    const auto condenses = [&](const TPumpPlan& plan) {
        if (target.Kind == TTargetKind::tkRelativeHumidity) {
            return figureOf(plan) > 100.0;
        }
        return target.Kind == TTargetKind::tkDewPoint && figureOf(plan) > input.TempC;
    };
    const auto acceptable = [&](const TPumpPlan& plan) { return plan.Ok && !condenses(plan); };
    std::optional<TPumpPlan> best;
    const auto consider = [&](const TPumpPlan& plan) {
        if (acceptable(plan) &&
            (!best || std::fabs(plan.Achievable - needed_ugpm) < std::fabs(best->Achievable - needed_ugpm))) {
            best = plan;
        }
    };
    TPumpPlan tried = PlanPump(pump, std::round(needed_ugpm));
    consider(tried);
    std::vector<double> asked{tried.Asked};
    for (int round = 0; round < RefineRounds && tried.Ok && tried.Achievable > 0.0; ++round) {
        if (best && std::fabs(best->Achievable / needed_ugpm - 1.0) <= CloseEnough) {
            break;
        }
        double next = std::round(tried.Asked * needed_ugpm / tried.Achievable);
        if (condenses(tried)) {
            next = std::min(next, tried.Asked - 1.0); // step down below saturation
        }
        if (!(next >= 1.0) || std::find(asked.begin(), asked.end(), next) != asked.end()) {
            break;
        }
        asked.push_back(next);
        tried = PlanPump(pump, next);
        consider(tried);
    }
    if (!best) {
        return refuse("The pump cannot run at the liquid flow this target needs (" +
                      Base::FormatMask("0.000", needed_ugpm) +
                      " µg/min) without condensing: lower the target.");
    }

    solution.Ok = true;
    solution.FlowC_ugpm = best->Asked;
    solution.AchievableC_ugpm = best->Achievable;
    solution.PumpCommand = best->Command;
    solution.PumpFrequency = best->Frequency;
    solution.Segment = segmentOf(*best);
    solution.Segment.Target = GasMixtures::TSegmentTarget{input, TargetName(target, state)};
    solution.Achieved = TargetFigure(solution.Segment, target, input.Pressure_mbar);
    for (const TGasItem& flow : solution.Segment.Components) {
        if (flow.InstrumentID == 0 && flow.Pulsed < 1.0F) {
            solution.APulsed = true;
            solution.Pulsed = flow.Pulsed;
        }
    }
    return solution;
}

} // namespace Target
