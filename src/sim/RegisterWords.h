#pragma once
// How values sit in MFC holding registers: F32 as the IEEE 754 bit pattern over two registers,
// U32 with the high word first, text two characters per register with the first in the high byte
// (padded with NUL bytes, cut to the register width).

#include <cstdint>
#include <string_view>
#include <vector>

namespace Sim {

std::vector<std::uint16_t> WordsOfF32(float value);
std::vector<std::uint16_t> WordsOfU32(std::uint32_t value);
std::vector<std::uint16_t> WordsOfText(std::string_view text, std::size_t registers);
float F32OfWords(std::uint16_t high, std::uint16_t low);

} // namespace Sim
