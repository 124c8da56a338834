#pragma once
// The small text rules of the remote protocol: what counts as text on the wire, how answers stay on
// one line, how strings are quoted and how numbers are written (always with "." whatever the
// operator's locale, since the reader is a program).

#include <cstddef>
#include <string>
#include <string_view>

namespace Remote {

// True when `bytes` are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF) without control characters other than tab and CR (C0, DEL and C1).
bool IsText(std::string_view bytes);

// The text with every control character (CR and LF among them) made a blank, so that it stays on
// its answer line; bytes that are not UTF-8 become '?'.
std::string OneLine(std::string_view text);

// The text in double quotes with every double quote inside doubled.
std::string QuotedString(std::string_view text);

// The first `characters` characters of UTF-8 text (all of it when shorter).
std::string Utf8Cut(std::string_view text, std::size_t characters);

// A number as an answer gives it: the shortest form that reads back as the same double ("0.5",
// "1800", "1e-05"); a figure that is not a number gives 9.91E+37, and the infinities +-9.9E+37, as
// instruments of this kind answer them.
std::string ScpiNumber(double value);

} // namespace Remote
