#include "remote/RemoteText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace Remote {

namespace {

// The length of the UTF-8 sequence at `at` and its code point; 0 when it is not well formed.
std::size_t Sequence(std::string_view bytes, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t first = byte(at);
    std::size_t length = 0;
    char32_t lowest = 0;
    if (first < 0x80) {
        code = first;
        return 1;
    }
    if ((first & 0xE0U) == 0xC0U) {
        length = 2;
        code = first & 0x1FU;
        lowest = 0x80;
    } else if ((first & 0xF0U) == 0xE0U) {
        length = 3;
        code = first & 0x0FU;
        lowest = 0x800;
    } else if ((first & 0xF8U) == 0xF0U) {
        length = 4;
        code = first & 0x07U;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - at < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byte(at + i);
        if ((next & 0xC0U) != 0x80U) {
            return 0;
        }
        code = (code << 6U) | (next & 0x3FU);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

} // namespace

bool IsText(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        char32_t code = 0;
        const std::size_t length = Sequence(bytes, at, code);
        if (length == 0 || (IsControl(code) && code != U'\t' && code != U'\r')) {
            return false;
        }
        at += length;
    }
    return true;
}

std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        char32_t code = 0;
        const std::size_t length = Sequence(text, at, code);
        if (length == 0) {
            line += '?';
            ++at;
        } else if (IsControl(code)) {
            line += ' ';
            at += length;
        } else {
            line.append(text.substr(at, length));
            at += length;
        }
    }
    return line;
}

std::string QuotedString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

std::string Utf8Cut(std::string_view text, std::size_t characters) {
    std::size_t at = 0;
    std::size_t count = 0;
    while (at < text.size() && count < characters) {
        char32_t code = 0;
        const std::size_t length = Sequence(text, at, code);
        at += length == 0 ? 1 : length;
        ++count;
    }
    return std::string(text.substr(0, at));
}

std::string ScpiNumber(double value) {
    if (std::isnan(value)) {
        return "9.91E+37";
    }
    if (std::isinf(value)) {
        return value > 0 ? "9.9E+37" : "-9.9E+37";
    }
    std::array<char, 32> buffer{};
    const std::to_chars_result written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), written.ptr);
}

} // namespace Remote
