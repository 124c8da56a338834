#pragma once
// The commands the generator answers, by their headers as the manuals write them: the upper-case
// part is the short form, the whole word the long form, and either may be sent in any case
// ("SYSTem:STATe?" is sent as SYST:STAT?, syst:state? or System:State?). A node in brackets may be
// left out ("SYSTem:ERRor[:NEXT]?").

#include "remote/ScpiCommand.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Remote {

enum class TCommandId : std::uint8_t {
    ciIdentify,      // *IDN?
    ciClearStatus,   // *CLS
    ciOperationDone, // *OPC?
    ciError,         // SYSTem:ERRor[:NEXT]?
    ciState,         // SYSTem:STATe?
    ciLoad,          // PROGram:LOAD "<file>"
    ciClear,         // PROGram:CLEar
    ciAppendTarget,  // PROGram:APPend:TARGet RH|DEWPoint|PPM,<value>,<hold s>[,<substance>]
    ciCount,         // PROGram:COUNt?
    ciStart,         // PROGram:STARt
    ciStop,          // PROGram:STOP
    ciSegment,       // PROGram:SEGMent?
    ciFlowA,         // MEASure:FLOW:A?
    ciFlowB,         // MEASure:FLOW:B?
    ciTotalizerA,    // MEASure:TOTalizer:A?
    ciHumidity,      // MEASure:RH?
    ciPPM,           // MEASure:PPM?
    ciDataLast,      // DATA:LAST?
    ciDataHeader,    // DATA:HEADer?
    ciValidate,      // SETup:VALidate
    ciGasA,          // SETup:GAS:A "<name>"
    ciGasB,          // SETup:GAS:B "<name>"
    ciConfirmGases,  // SETup:GAS:CONFirm
};

struct TCommandEntry {
    TCommandId Id;
    std::string_view Header; // "SYSTem:STATe"; common commands "*IDN"
    bool Query;              // sent with a final '?'
    bool Changes;            // changes the program, the set-up or the run (goes to the operation log)
};

std::span<const TCommandEntry> CommandTable();

// True when `written` names the node `pattern` ("STATe"): its short form (the upper-case letters)
// or its long form, in any case.
bool MnemonicMatches(std::string_view written, std::string_view pattern);

// The entry the command names. `path` is where the previous command of the same line left the
// header path (its mnemonics but the last; empty at the start of a line): a header without a
// leading colon is looked up there first, then from the root ("MEAS:FLOW:A?;B?" asks for both
// flows, and "MEAS:FLOW:A?;MEAS:RH?" works as well). A command found moves `path` to its own node;
// a common command leaves it. None for an undefined header (also a query of a command that only
// sets, and the other way round); `path` is then left as it was.
std::optional<TCommandEntry> FindCommand(const TScpiCommand& command, std::vector<std::string>& path);

// The short form of an entry's header, as the operation log names it ("PROG:STAR").
std::string ShortHeader(const TCommandEntry& entry);

} // namespace Remote
