// moistrel-design: plans mixtures without instruments, on the same core as the program's design
// page. "target" finds the flows for a relative humidity, a dew point or a concentration; "report"
// prints the design panel's machine recipe and mixture analysis for given flows.

#include "base/NumberFormat.h"
#include "design/FlowSetPoints.h"
#include "design/FluidDesigner.h"
#include "design/MixtureSnapshot.h"
#include "design/Simulation.h"
#include "model/GasItems.h"
#include "settings/ProfileFile.h"
#include "settings/StoredSettings.h"
#include "target/TargetSolver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace {

const char* const HelpText = R"(Usage: moistrel-design COMMAND [OPTIONS]

Commands:
  target    the flows for one target, with the pump command, the figure achieved and the range
            reachable at the carrier flow; exactly one of:
              --rh PERCENT          relative humidity of water at --at and --pressure
              --dew-point DEGREES   dew point of water (a frost point at and below 0) at --pressure
              --ppm PPM --substance NAME
                                    concentration (mol/mol) of one substance of the liquid
            --carrier FLOW          the total of MFC A and MFC B, g/min (default 1.0)
            --carrier-unit g|ln     g/min (default) or normal litres per minute (0 C, 1013.25 mbar)
            --b-share PERCENT       the share of the carrier that MFC B carries (default 0)
  report    the design panel's machine recipe and analysis
            --a G_PER_MIN  --b G_PER_MIN  --c UG_PER_MIN   (each default 0)

The mixer (by default the demonstration gases and ranges, and a 50 ul syringe of water):
  --settings FILE           the syringe, pump model, liquid and custom conditions of a settings file
  --gas-a NAME  --molar-mass-a G_PER_MOL  --range-a G_PER_MIN  --turndown-a RATIO
  --gas-b NAME  --molar-mass-b G_PER_MOL  --range-b G_PER_MIN  --turndown-b RATIO
  --syringe UL              the syringe volume, microlitres
  --at DEGREES              the conditions' temperature, C (default: the custom conditions)
  --pressure MBAR           the conditions' pressure (default: the custom conditions)

Output:
  --json    one JSON object: a_gpm, b_gpm, c_ugpm, pulsed, pump_command, target, achieved,
            reachable [low, high] (target); a_gpm, b_gpm, c_ugpm, recipe, analysis (report)
  --help    show this text

Exit status: 0, or 2 with the refusal or the usage error on standard error.
)";

struct TUsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The options as NAME -> value; flags get an empty value.
using TOptions = std::map<std::string, std::string>;

TOptions ParseOptions(int argc, char** argv, int first) {
    static const std::vector<std::string> flags = {"--json", "--help"};
    TOptions options;
    for (int i = first; i < argc; ++i) {
        const std::string name = argv[i];
        if (name.rfind("--", 0) != 0) {
            throw TUsageError("unexpected argument \"" + name + "\"");
        }
        if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
            options[name] = "";
            continue;
        }
        if (i + 1 >= argc) {
            throw TUsageError(name + " needs a value");
        }
        options[name] = argv[++i];
    }
    return options;
}

double Number(const TOptions& options, const std::string& name, double fallback) {
    const auto found = options.find(name);
    if (found == options.end()) {
        return fallback;
    }
    std::size_t used = 0;
    double value = 0.0;
    try {
        value = std::stod(found->second, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != found->second.size() || !std::isfinite(value)) {
        throw TUsageError(name + " needs a number, not \"" + found->second + "\"");
    }
    return value;
}

std::string Text(const TOptions& options, const std::string& name, const std::string& fallback) {
    const auto found = options.find(name);
    return found == options.end() ? fallback : found->second;
}

// The liquid of the designer rows, assigned to the pump as "Apply and save" does.
void AssignLiquid(UnitMain::TMoistrelState& state, const Settings::TStoredSettings& stored) {
    static_assert(Settings::MixRowCount == Design::DesignerRowCount);
    Design::TLiquidParts parts;
    for (std::size_t row = 0; row < parts.size(); ++row) {
        parts[row] = {stored.MixItemIndex[row], stored.MixMass_g[row]};
    }
    Design::DesignAndAssignLiquid(state, stored.MixtureName, parts, stored.MixtureDensity);
}

// The mixer the options describe: simulation with the demonstration gases, as the program starts.
UnitMain::TMoistrelState Mixer(const TOptions& options) {
    UnitMain::TMoistrelState state;
    Settings::TStoredSettings stored;
    // Without a settings file the liquid is pure water, as the designer's "Set to water" makes it.
    stored.MixtureName = Design::WaterMixtureName;
    stored.MixtureDensity = 0.997735;
    stored.MixMass_g = {Design::WaterRowMass_g, 0.0, 0.0, 0.0};
    if (options.count("--settings") != 0) {
        const std::string& path = options.at("--settings");
        Settings::TProfileFile file(path);
        std::string error;
        std::error_code exists;
        if (!std::filesystem::is_regular_file(path, exists)) {
            throw TUsageError("cannot read the settings file: " + path + " is no file");
        }
        if (!file.Load(error)) {
            throw TUsageError("cannot read the settings file: " + error);
        }
        stored = Settings::ReadStoredSettings(file);
    }
    UnitMain::TPumpDetails& pump = state.PumpDetails;
    pump.SYRINGE_VOLUME_INDEX = stored.SyringeVolumeIndex;
    pump.SYRINGE_VOLUMEul = UnitMain::GetSyringeVolume(stored.SyringeVolumeIndex);
    pump.SYRINGE_STEPS = stored.SyringeSteps;
    pump.SYRINGE_MAXSPEED = stored.SyringeMaxSpeed;
    pump.FLUID_MAX_PPM = stored.MaxPPM;
    if (options.count("--syringe") != 0) {
        const double volume = Number(options, "--syringe", 0.0);
        if (!(volume >= 50.0 && volume <= 12500.0)) {
            throw TUsageError("--syringe needs a volume from 50 to 12500 ul");
        }
        pump.SYRINGE_VOLUMEul = static_cast<std::int32_t>(std::lround(volume));
    }
    AssignLiquid(state, stored);
    UnitMain::UpdateSyringeSize(pump);

    UnitMain::TDesignInputs& design = state.DesignInputs;
    design.CustomTempC = stored.CustomTemperatureC;
    design.CustomPressure_mbar = stored.CustomPressuremBar;
    const auto demo = [&options](UnitMain::TDemoInputs& gas, const std::string& side) {
        gas.Name = Text(options, "--gas-" + side, gas.Name);
        gas.Mass = Number(options, "--molar-mass-" + side, gas.Mass);
        gas.Range = Number(options, "--range-" + side, gas.Range);
        gas.Turndown = Number(options, "--turndown-" + side, gas.Turndown);
        if (!(gas.Mass > 0.0) || !(gas.Range > 0.0) || !(gas.Turndown >= 1.0)) {
            throw TUsageError("MFC " + side +
                              "'s gas needs a molar mass and a range above 0 and a turndown of 1 or more");
        }
    };
    demo(design.DemoA, "a");
    demo(design.DemoB, "b");
    state.MixerState = UnitMain::msSimulation;
    const auto values = [](const UnitMain::TDemoInputs& gas) {
        return Design::TDemoValues{gas.Name, gas.Mass, gas.Range, gas.Turndown};
    };
    Design::ApplysimulationValues(state, values(design.DemoA), values(design.DemoB));
    return state;
}

double Grams(std::int64_t ugpm) {
    return static_cast<double>(ugpm) / Design::MicrogramsPerGram;
}

int RunTarget(const TOptions& options) {
    const UnitMain::TMoistrelState state = Mixer(options);
    Target::TTargetInput input = Target::DefaultTargetInput(state);
    input.TempC = Number(options, "--at", input.TempC);
    input.Pressure_mbar = Number(options, "--pressure", input.Pressure_mbar);
    input.Carrier = Number(options, "--carrier", 1.0);
    input.BSharePercent = Number(options, "--b-share", 0.0);
    const std::string unit = Text(options, "--carrier-unit", "g");
    if (unit == "ln") {
        input.CarrierUnit = Target::TCarrierUnit::cuNormalLitresPerMinute;
    } else if (unit != "g") {
        throw TUsageError("--carrier-unit is g or ln");
    }
    const int kinds =
        static_cast<int>(options.count("--rh") + options.count("--dew-point") + options.count("--ppm"));
    if (kinds != 1) {
        throw TUsageError("target needs exactly one of --rh, --dew-point and --ppm");
    }
    if (options.count("--rh") != 0) {
        input.Target = {Target::TTargetKind::tkRelativeHumidity, Number(options, "--rh", 0.0), {}};
    } else if (options.count("--dew-point") != 0) {
        input.Target = {Target::TTargetKind::tkDewPoint, Number(options, "--dew-point", 0.0), {}};
    } else {
        if (options.count("--substance") == 0) {
            throw TUsageError("--ppm needs --substance");
        }
        input.Target = {Target::TTargetKind::tkPPM, Number(options, "--ppm", 0.0), options.at("--substance")};
    }

    const Target::TTargetSolution solved = Target::SolveTarget(state, input);
    if (!solved.Ok) {
        std::cerr << solved.Refusal << "\n";
        return 2;
    }
    const std::string name = Target::TargetName(input.Target, state);
    if (options.count("--json") != 0) {
        const nlohmann::json out = {
            {"a_gpm", Grams(solved.FlowA_ugpm)},  {"b_gpm", Grams(solved.FlowB_ugpm)},
            {"c_ugpm", solved.FlowC_ugpm},        {"pulsed", solved.APulsed},
            {"pump_command", solved.PumpCommand}, {"target", name},
            {"achieved", solved.Achieved},        {"reachable", {solved.ReachableLow, solved.ReachableHigh}}};
        std::cout << out.dump() << "\n";
        return 0;
    }
    std::cout << "Target      : " << name << "\n";
    std::cout << "A           : " << Base::FormatMask("0.000 000", Grams(solved.FlowA_ugpm)) << " g/min";
    if (solved.APulsed) {
        std::cout << " (pulsed: " << Base::FormatMask("0.0", static_cast<double>(solved.Pulsed) * 100.0)
                  << " %)";
    }
    std::cout << "\n";
    std::cout << "B           : " << Base::FormatMask("0.000 000", Grams(solved.FlowB_ugpm)) << " g/min\n";
    std::cout << "C           : " << Base::FormatMask("0", solved.FlowC_ugpm) << " ug/min asked, "
              << Base::FormatMask("0.000", solved.AchievableC_ugpm) << " ug/min delivered\n";
    std::cout << "Pump command: " << solved.PumpCommand << "\n";
    std::cout << "Achieved    : " << Base::FormatMask("0.000", solved.Achieved) << "\n";
    std::cout << "Reachable   : " << Base::FormatMask("0.000", solved.ReachableLow) << " to "
              << Base::FormatMask("0.000", solved.ReachableHigh) << "\n";
    return 0;
}

int RunReport(const TOptions& options) {
    const UnitMain::TMoistrelState state = Mixer(options);
    const double a = Number(options, "--a", 0.0);
    const double b = Number(options, "--b", 0.0);
    const double c = Number(options, "--c", 0.0);
    if (a < 0.0 || b < 0.0 || c < 0.0) {
        throw TUsageError("--a, --b and --c cannot be negative");
    }
    Design::TFluidFlowInput fluid;
    fluid.FieldValue = c;
    fluid.Focus = Design::TFlowFocus::ffField;
    fluid.Pump = Design::PumpSetupOf(state.PumpDetails);
    const Design::TFluidFlowResult pump = Design::FluidFlowUpdate(fluid);

    Design::TSnapshotInput screen;
    screen.FlowA = std::llround(a * Design::MicrogramsPerGram);
    screen.FlowB = std::llround(b * Design::MicrogramsPerGram);
    screen.AchievableC = pump.Achievable;
    screen.PumpCommand = pump.PumpCommand;
    screen.StepDuration = state.DesignInputs.StepDuration_h;
    screen.DemoA = {state.DesignInputs.DemoA.Name, state.DesignInputs.DemoA.Mass};
    screen.DemoB = {state.DesignInputs.DemoB.Name, state.DesignInputs.DemoB.Mass};
    screen.CustomTempC = Number(options, "--at", state.DesignInputs.CustomTempC);
    screen.CustomPressure_mbar = Number(options, "--pressure", state.DesignInputs.CustomPressure_mbar);
    const std::string text = Design::ShowMixture2(state, screen);
    if (text.empty()) {
        std::cerr << "No flow: give --a, --b or --c.\n";
        return 2;
    }
    if (options.count("--json") != 0) {
        const nlohmann::json out = {{"a_gpm", a},
                                    {"b_gpm", b},
                                    {"c_ugpm", pump.Achievable},
                                    {"pump_command", pump.PumpCommand},
                                    {"report", text}};
        std::cout << out.dump() << "\n";
        return 0;
    }
    // The panel's lines end in CR LF; a terminal wants LF.
    std::string plain;
    for (const char ch : text) {
        if (ch != '\r') {
            plain += ch;
        }
    }
    std::cout << plain;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Figures print with a decimal point whatever the locale: scripts read them.
    try {
        if (argc < 2 || std::string(argv[1]) == "--help") {
            std::cout << HelpText;
            return argc < 2 ? 2 : 0;
        }
        const std::string command = argv[1];
        const TOptions options = ParseOptions(argc, argv, 2);
        if (options.count("--help") != 0) {
            std::cout << HelpText;
            return 0;
        }
        if (command == "target") {
            return RunTarget(options);
        }
        if (command == "report") {
            return RunReport(options);
        }
        throw TUsageError("unknown command \"" + command + "\"");
    } catch (const TUsageError& error) {
        std::cerr << "moistrel-design: " << error.what() << " (--help lists the options)\n";
        return 2;
    }
}
