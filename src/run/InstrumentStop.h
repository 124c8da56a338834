#pragma once
// The verified stop of every instrument, apart from any run: the pump told to stop and both MFCs
// set to zero, each judged by what the instrument itself answered. The safe stop ends every run
// with it; validation ends with it, so that nothing the program did not command (a run killed
// half-way, an instrument left dosing by someone else) goes on unseen; and Stop before the mixer
// is set up sends it to the ports the lists show, since a stop can only make things safer.

#include <string>
#include <vector>

namespace UnitMain {

// Where the stop goes; an empty port is a device that cannot be reached (it counts as not stopped).
struct TStopPorts {
    std::string Pump;
    std::string MFCA; // Modbus address 1
    std::string MFCB; // Modbus address 2
};

// What each instrument confirmed.
struct TStopVerdict {
    bool FluidStopped = false;
    bool MFCAStopped = false;
    bool MFCBStopped = false;

    bool AllStopped() const { return FluidStopped && MFCAStopped && MFCBStopped; }
};

// "  MFC A stopped: True" and so on, in the safe stop's order: MFC A, MFC B, fluid.
std::vector<std::string> StopVerdictLines(const TStopVerdict& verdict);

// What the operator is told after a Stop before the instruments were set up: what was confirmed,
// and what may still be dosing.
std::string StopBeforeSetUpMessage(const TStopVerdict& verdict);

// The seam the set-up uses; the run control implements it.
class TInstrumentStop {
public:
    virtual ~TInstrumentStop() = default;
    // Sends the stop to the three ports and reports what was confirmed. Changes nothing of the
    // operating state; logs what it did to the operation log.
    virtual TStopVerdict StopInstruments(const TStopPorts& ports) = 0;
};

} // namespace UnitMain
