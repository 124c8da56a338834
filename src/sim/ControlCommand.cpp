#include "sim/ControlCommand.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace Sim {

namespace {

std::vector<std::string> Words(std::string_view line) {
    std::istringstream stream{std::string(line)};
    std::vector<std::string> words;
    std::string word;
    while (stream >> word) {
        words.push_back(word);
    }
    return words;
}

std::string FaultList(TSimulator& simulator, TSimDevice device) {
    std::string list;
    for (int i = 0; i < SimFaultCount; ++i) {
        const auto fault = static_cast<TSimFault>(i);
        if (FaultApplies(device, fault) && simulator.HasFault(device, fault)) {
            list += (list.empty() ? "" : ",") + std::string(FaultName(fault));
        }
    }
    return list.empty() ? "none" : list;
}

std::string Status(TSimulator& simulator) {
    std::string text;
    char buffer[256];
    const TPumpState pump = simulator.PumpState();
    std::snprintf(buffer, sizeof buffer, "pump  %s faults=%s position=%lld valve=%c dispensed=%lld\n",
                  pump.Busy ? "busy" : "idle", FaultList(simulator, sdPump).c_str(),
                  static_cast<long long>(pump.Position), pump.Valve,
                  static_cast<long long>(pump.DispensedSteps));
    text += buffer;
    for (const TSimDevice device : {sdMfcA, sdMfcB}) {
        const TMfcState mfc = simulator.MfcState(device);
        std::snprintf(buffer, sizeof buffer, "%s faults=%s table=%u set-point=%g flow=%g totalizer_g=%g\n",
                      std::string(DeviceName(device)).c_str(), FaultList(simulator, device).c_str(),
                      static_cast<unsigned>(mfc.ActiveTable), static_cast<double>(mfc.SetPoint), mfc.Flow,
                      mfc.Totalizer_g);
        text += buffer;
    }
    return text;
}

std::string Error(const std::string& message) {
    return "error: " + message + "\n";
}

} // namespace

std::string ControlCommandHelp() {
    std::string text = "commands:\n"
                       "  fault DEVICE FAULT on|off\n"
                       "  unplug DEVICE\n"
                       "  replug DEVICE\n"
                       "  table-change MFC keep|zero\n"
                       "  status\n"
                       "  help\n"
                       "DEVICE: pump mfc-a mfc-b\n"
                       "FAULT:";
    for (int i = 0; i < SimFaultCount; ++i) {
        text += " " + std::string(FaultName(static_cast<TSimFault>(i)));
    }
    return text + "\n";
}

std::string ApplyControlCommand(TSimulator& simulator, std::string_view line) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) {
        return {};
    }
    const std::string& verb = words[0];
    if (verb == "help" && words.size() == 1) {
        return ControlCommandHelp();
    }
    if (verb == "status" && words.size() == 1) {
        return Status(simulator);
    }
    if (verb == "table-change" && words.size() == 3) {
        const std::optional<TSimDevice> mfc = ParseDevice(words[1]);
        if (!mfc || *mfc == sdPump) {
            return Error("unknown MFC \"" + words[1] + "\" (mfc-a or mfc-b)");
        }
        if (words[2] != "keep" && words[2] != "zero") {
            return Error("say keep or zero, not \"" + words[2] + "\"");
        }
        const bool keep = words[2] == "keep";
        simulator.EditMfc(*mfc, [keep](TMfcConfig& config) { config.KeepSetPointOnTableChange = keep; });
        return words[1] + " table-change " + words[2] + "\n";
    }
    std::optional<TSimDevice> device;
    std::optional<TSimFault> fault;
    bool on = true;
    if ((verb == "unplug" || verb == "replug") && words.size() == 2) {
        device = ParseDevice(words[1]);
        fault = sfUnplugged;
        on = verb == "unplug";
    } else if (verb == "fault" && words.size() == 4) {
        device = ParseDevice(words[1]);
        fault = ParseFault(words[2]);
        if (words[3] != "on" && words[3] != "off") {
            return Error("say on or off, not \"" + words[3] + "\"");
        }
        on = words[3] == "on";
        if (!fault) {
            return Error("unknown fault \"" + words[2] + "\"");
        }
    } else {
        return Error("unknown command \"" + std::string(line) + "\" (try help)");
    }
    if (!device) {
        return Error("unknown device \"" + words[1] + "\" (pump, mfc-a or mfc-b)");
    }
    std::string error;
    if (!simulator.SetFault(*device, *fault, on, error)) {
        return Error(error);
    }
    return std::string(DeviceName(*device)) + " " + std::string(FaultName(*fault)) + (on ? " on" : " off") +
           "\n";
}

} // namespace Sim
