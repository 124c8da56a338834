#pragma once
// The readings the program gives a pump answer.

#include <string_view>

namespace UnitMain {

// True when the (trimmed) answer is one the pump gives: it carries its status character, the third.
// Anything shorter (a reply cut off, a stray byte) says nothing about the pump.
bool PumpAnswerIsValid(std::string_view answer);

// True when the third character of the (trimmed) answer is the grave accent: idle and free of
// errors, "on standby". Any other character, and an answer of fewer than three characters, is
// busy or in error. The first two characters are not examined.
bool PumpAnswerIsStandby(std::string_view answer);

// True when the answer names a known pump model: it contains "C3000" or "C24000" anywhere.
bool PumpAnswerNamesModel(std::string_view answer);

} // namespace UnitMain
