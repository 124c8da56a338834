#pragma once
// The two routines that work on a whole MFC: identification (type, serial number and every gas
// table) and the choice of the active gas table. Both open their own port on ComPortName with the
// MFC line settings and block the calling thread for the whole exchange.

#include "base/Clock.h"
#include "mfc/MFCDetails.h"

#include <chrono>
#include <cstdint>

namespace SerialPortVogtlin {

// The pauses between requests that the devices need, and how long a read waits for the first reply
// byte. Only tests change them (shorter pauses, a longer wait on a loaded machine). The pauses run on
// Clock; the wait for the reply is part of a serial transaction and takes real time.
struct TMFCTiming {
    const Base::TClock* Clock = &Base::SystemClock();
    std::chrono::milliseconds AfterTypeRead{20};
    std::chrono::milliseconds AfterIdentificationStep{50};
    std::chrono::milliseconds AfterSelectionWrite{500};
    std::uint32_t ReadoutTimeoutMS = 50;
};

// Reads the device type, the serial number and the gas tables of the MFC at ComPortName /
// ModBusAddress; sets Validated, Serial, LUT, ActiveLUT and LastResponse. A device that does not
// answer or is not of the expected type (type text not beginning with "GSC") leaves Validated
// false, Serial 0, the tables at their start values and ActiveLUT unchanged. A read that fails
// never supplies a value; a failed table-name read ends the table loop like an absent table.
void IdentifyMFC(TMFCDetails& MFC, const TMFCTiming& timing = TMFCTiming{});

// Makes table number value (2..11) the active one and reads both registers back; ActionOK and,
// when the device confirms both, ActiveLUT. LastResponse is the read-back of the shown table.
void SetActiveLUT(TMFCDetails& MFC, std::uint32_t value, const TMFCTiming& timing = TMFCTiming{});

} // namespace SerialPortVogtlin
