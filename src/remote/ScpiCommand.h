#pragma once
// One command of a remote line, read but not yet looked up: its header (the mnemonics between the
// colons, or a common command's "*IDN"), whether it asks (a final '?'), and its parameters.
//
//   [:]MNEMONIC{:MNEMONIC}[?] [parameter{,parameter}]      or      *NAME[?] [parameters]
//
// A parameter is a number (123, -1.5, .5, 2e-3; always with "." whatever the locale), a string in
// double or single quotes (a doubled quote inside stands for one), or a mnemonic of letters, digits
// and underscores beginning with a letter (RH, DEWP). Blanks and tabs may surround the commas; the
// header is separated from the parameters by at least one. A line holds several commands separated
// by semicolons outside strings.

#include "remote/ErrorQueue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Remote {

enum class TParameterKind : std::uint8_t { pkNumber, pkString, pkMnemonic };

struct TScpiParameter {
    TParameterKind Kind = TParameterKind::pkNumber;
    double Number = 0.0; // pkNumber: the value, always finite
    std::string Text;    // pkString: the string without its quotes; pkMnemonic: as written
    bool operator==(const TScpiParameter&) const = default;
};

struct TScpiCommand {
    bool Common = false;   // "*IDN?": Mnemonics holds "IDN"
    bool Absolute = false; // a leading colon: the header starts from the root
    std::vector<std::string> Mnemonics;
    bool Query = false;
    std::vector<TScpiParameter> Parameters;
    bool operator==(const TScpiCommand&) const = default;
};

struct TScpiParse {
    // seNoError when the command reads; otherwise why not (seSyntaxError, seIllegalParameterValue
    // for a number beyond the double's range).
    TScpiError Error = TScpiError::seNoError;
    bool Empty = false; // nothing but blanks: no command at all
    TScpiCommand Command;
};

// The longest mnemonic a header or a parameter may hold.
inline constexpr std::size_t MnemonicLimit = 12;

// Reads one command (the text between two semicolons).
TScpiParse ParseScpiCommand(std::string_view text);

// The commands of one line: the pieces between the semicolons that are outside strings. An
// unterminated string runs to the end of the line (its command then fails to read).
std::vector<std::string_view> SplitScpiLine(std::string_view line);

} // namespace Remote
