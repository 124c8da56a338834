#pragma once
// Text helpers. Strings hold UTF-8; widths count characters, not bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Base {

// Every text line the program composes ends with CR LF.
inline constexpr std::string_view CRLF = "\r\n";

std::size_t Utf8Length(std::string_view text);
// The first / last n characters (the whole text when shorter).
std::string Utf8Left(std::string_view text, std::size_t n);
std::string Utf8Right(std::string_view text, std::size_t n);

// Bytes from an instrument: each byte becomes the Latin-1 character of the same code.
std::string Latin1ToUtf8(std::string_view bytes);
// Text for an instrument: each character one byte; characters above U+00FF become '?'.
std::string Utf8ToLatin1(std::string_view text);

// Drops every leading and trailing character of code 32 or less (blanks and control characters).
std::string TrimControl(std::string_view text);

} // namespace Base
