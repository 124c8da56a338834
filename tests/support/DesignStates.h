#pragma once
// Program states for the tests of the design and the segment program: validated instruments with
// known gases and a designed liquid in the pump, and a design screen as the snapshot reads it.

#include "design/MixtureSnapshot.h"
#include "model/GasItems.h"
#include "state/MoistrelState.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

// An identified MFC on `port` whose active table (3) holds `name` with the given range, g/min.
void SetGas(SerialPortVogtlin::TMFCDetails& mfc, const std::string& port, const std::string& name,
            float rangeMax, float rangeMin);

// Designs a liquid from (substance, grams) rows and assigns it to the pump, as "Apply and save" does.
void AssignLiquid(UnitMain::TMoistrelState& state, const std::string& name,
                  std::initializer_list<std::pair<GasMixtures::TGasItems, double>> rows, double density);

// Validated instruments: O2 on MFC A (lowest flow 300 µg/min), N2 on MFC B, water in the pump.
UnitMain::TMoistrelState ValidatedState();

// The validated instruments of ValidatedState (its MFC records and nothing else) put on the given
// ports, MFC A at Modbus address 1 and MFC B at 2, and the mixer ready to run (state 1).
void ValidatedOnPorts(UnitMain::TMoistrelState& state, const std::string& pumpPort,
                      const std::string& mfcAPort, const std::string& mfcBPort);

// One flow of a segment in g/min: O2 on MFC A (instrument 0), N2 on MFC B (1), the pump's water (2).
GasMixtures::TGasItem Flow(std::int32_t instrument, float mass, float pulsed = 1.0F,
                           const std::string& pumpCommand = "");
// A runnable segment of `hours` with these flows.
GasMixtures::TGasItem Segment(const std::string& name, double hours,
                              std::vector<GasMixtures::TGasItem> flows);

// The segment the editor makes on `state` from a design screen with these A and B flows (µg/min,
// as their fields hold them) and this C flow asked of the pump (µg/min): the pump speed function
// gives its achievable flow and pump command, the custom conditions are the state's design inputs.
GasMixtures::TGasItem DesignedSegment(const UnitMain::TMoistrelState& state, const std::string& name,
                                      double hours, std::int64_t a, std::int64_t b, double askedC);

// The design screen with the given A and B flows (µg/min) and achievable C flow, 0.75 hours,
// custom conditions 20 ºC and 1500 mbar.
Design::TSnapshotInput DesignScreen(std::int64_t a, std::int64_t b, double c);

} // namespace TestSupport
