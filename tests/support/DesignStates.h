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

namespace TestSupport {

// An identified MFC on `port` whose active table (3) holds `name` with the given range, g/min.
void SetGas(SerialPortVogtlin::TMFCDetails& mfc, const std::string& port, const std::string& name,
            float rangeMax, float rangeMin);

// Designs a liquid from (substance, grams) rows and assigns it to the pump, as "Apply and save" does.
void AssignLiquid(UnitMain::TMoistrelState& state, const std::string& name,
                  std::initializer_list<std::pair<GasMixtures::TGasItems, double>> rows, double density);

// Validated instruments: O2 on MFC A (lowest flow 300 µg/min), N2 on MFC B, water in the pump.
UnitMain::TMoistrelState ValidatedState();

// The design screen with the given A and B flows (µg/min) and achievable C flow, 0.75 hours,
// custom conditions 20 ºC and 1500 mbar.
Design::TSnapshotInput DesignScreen(std::int64_t a, std::int64_t b, double c);

} // namespace TestSupport
