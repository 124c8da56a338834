#include "run/InstrumentStop.h"

namespace UnitMain {

std::string StopBeforeSetUpMessage(const TStopVerdict& verdict) {
    std::vector<std::string> open;
    if (!verdict.FluidStopped) {
        open.emplace_back("the pump");
    }
    if (!verdict.MFCAStopped) {
        open.emplace_back("MFC A");
    }
    if (!verdict.MFCBStopped) {
        open.emplace_back("MFC B");
    }
    const std::string head = "Instruments not initialized. The stop was sent to the selected ports: ";
    if (open.empty()) {
        return head + "the pump, MFC A and MFC B confirmed stopped.";
    }
    std::string names;
    for (std::size_t i = 0; i < open.size(); ++i) {
        names += (i == 0 ? "" : (i + 1 == open.size() ? " and " : ", ")) + open[i];
    }
    return head + "not confirmed for " + names + ", which may still be dosing. Manually power off the " +
           "mixer to ensure flow is stopped!";
}

} // namespace UnitMain
