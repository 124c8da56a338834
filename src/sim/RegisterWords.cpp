#include "sim/RegisterWords.h"

#include <bit>

namespace Sim {

std::vector<std::uint16_t> WordsOfF32(float value) {
    return WordsOfU32(std::bit_cast<std::uint32_t>(value));
}

std::vector<std::uint16_t> WordsOfU32(std::uint32_t value) {
    return {static_cast<std::uint16_t>(value >> 16U), static_cast<std::uint16_t>(value & 0xFFFFU)};
}

std::vector<std::uint16_t> WordsOfText(std::string_view text, std::size_t registers) {
    std::vector<std::uint16_t> words(registers, 0);
    for (std::size_t i = 0; i < text.size() && i < 2 * registers; ++i) {
        const auto byte = static_cast<std::uint16_t>(static_cast<unsigned char>(text[i]));
        words[i / 2] = static_cast<std::uint16_t>(words[i / 2] | (i % 2 == 0 ? byte << 8U : byte));
    }
    return words;
}

float F32OfWords(std::uint16_t high, std::uint16_t low) {
    return std::bit_cast<float>((static_cast<std::uint32_t>(high) << 16U) | low);
}

} // namespace Sim
