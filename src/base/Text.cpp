#include "base/Text.h"

namespace Base {

namespace {

bool IsContinuationByte(unsigned char c) {
    return (c & 0xC0U) == 0x80U;
}

// Byte offset of the start of the character with index n (or the end of the text).
std::size_t OffsetOfCharacter(std::string_view text, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuationByte(static_cast<unsigned char>(text[i]))) {
            if (count == n) {
                return i;
            }
            ++count;
        }
    }
    return text.size();
}

} // namespace

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        if (!IsContinuationByte(static_cast<unsigned char>(c))) {
            ++count;
        }
    }
    return count;
}

std::string Utf8Left(std::string_view text, std::size_t n) {
    return std::string(text.substr(0, OffsetOfCharacter(text, n)));
}

std::string Utf8Right(std::string_view text, std::size_t n) {
    const std::size_t length = Utf8Length(text);
    if (n >= length) {
        return std::string(text);
    }
    return std::string(text.substr(OffsetOfCharacter(text, length - n)));
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80U) {
            result.push_back(static_cast<char>(c));
        } else {
            result.push_back(static_cast<char>(0xC0U | (c >> 6U)));
            result.push_back(static_cast<char>(0x80U | (c & 0x3FU)));
        }
    }
    return result;
}

std::string Utf8ToLatin1(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        std::uint32_t code = c;
        if (c >= 0xF0U) {
            length = 4;
            code = c & 0x07U;
        } else if (c >= 0xE0U) {
            length = 3;
            code = c & 0x0FU;
        } else if (c >= 0xC0U) {
            length = 2;
            code = c & 0x1FU;
        } else if (c >= 0x80U) {
            // A stray continuation byte is not a character.
            result.push_back('?');
            ++i;
            continue;
        }
        bool complete = i + length <= text.size();
        for (std::size_t k = 1; complete && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (!IsContinuationByte(next)) {
                complete = false;
                break;
            }
            code = (code << 6U) | (next & 0x3FU);
        }
        if (!complete) {
            result.push_back('?');
            ++i;
            continue;
        }
        result.push_back(code <= 0xFFU ? static_cast<char>(code) : '?');
        i += length;
    }
    return result;
}

std::string TrimControl(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32U) {
        ++begin;
    }
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32U) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

} // namespace Base
