#pragma once
// Number to text, the two ways every report of the program uses.
//
// FormatMask: a picture of the number. "0" always prints a digit, "#" only a significant one,
// "." is the decimal separator (printed only when a fraction digit follows it), every other
// character is copied at its place. Integer digits beyond the placeholders all print at the
// first placeholder. Halves round away from zero; a negative value gets a leading minus.
// Digits are those of the value to 15 significant digits, except that a value with more integer
// digits prints them all as the double holds them: 9007199254740992 under "0" is 9007199254740992.
//   FormatMask("0.000 000", 0.0358) == "0.035 800"      FormatMask("#.###", 0.5) == ".5"
//   FormatMask("# ### ###", 0) == "  "                  FormatMask("### ###.###", 1000) == "1 000"
//
// FormatGeneral: at most 15 significant digits, no trailing zeros, exponent form below 1E-5
// and from 1E15 up ("1E-6", "1.5E20"). A float argument is widened to double first, so it prints
// with the digits of its nearest single-precision value.
//
// A value with no finite figure (NaN, infinity) prints as "?" in both.

#include <string>

namespace Base {

std::string FormatMask(const std::string& mask, double value);
std::string FormatGeneral(double value);

// FormatMask below 1E15 in size; from there on the general format ("1E99"), where a mask would
// print every integer digit of the double, far beyond the 15 that mean anything. For figures
// with no fixed bound, such as hours.
std::string FormatMaskOrGeneral(const std::string& mask, double value);

} // namespace Base
