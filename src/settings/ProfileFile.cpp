#include "settings/ProfileFile.h"

#include "base/FileReplace.h"
#include "base/NumberFormat.h"
#include "base/Text.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Settings {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    a = TrimBlanks(a);
    b = TrimBlanks(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

// The name of a section line "[name]", or none for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return TrimBlanks(line.substr(1, close - 1));
}

struct TEntry {
    std::string_view Name;
    std::string_view Value;
};

std::optional<TEntry> EntryOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || SectionName(line)) {
        return std::nullopt;
    }
    return TEntry{TrimBlanks(line.substr(0, equals)), line.substr(equals + 1)};
}

std::string ValueAsRead(std::string_view raw) {
    // A CR inside a line is a line break to some editors: read as a blank, as the writer writes it.
    std::string line(raw);
    for (char& c : line) {
        if (c == '\r') {
            c = ' ';
        }
    }
    std::string_view value = TrimBlanks(line);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return Base::Utf8Left(value, MaxValueLength);
}

// A value as it must stand in the file to be read back as it is: on one line, and in quotes when
// the reader would otherwise take blanks or quotes off its ends.
std::string ValueAsWritten(std::string_view value) {
    std::string line(value);
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    if (ValueAsRead(line) != line) {
        line = '"' + line + '"';
    }
    return line;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A file of settings is a few kilobytes; anything far larger is not one.
constexpr std::size_t MaxFileBytes = std::size_t{1024} * 1024;

// The whole file, or the reason it cannot be had.
bool ReadFileText(const std::string& path, std::string& text, std::string& reason) {
    // Not blocking on a named pipe put in the file's place; a regular file reads the same.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && !S_ISREG(info.st_mode)) {
        reason = "not a regular file";
        ok = false;
    }
    char buffer[8192];
    while (ok) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            reason = std::strerror(errno);
            ok = false;
        } else if (got == 0) {
            break;
        } else if (text.size() + static_cast<std::size_t>(got) > MaxFileBytes) {
            reason = "larger than 1 MiB";
            ok = false;
        } else {
            text.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

std::optional<std::int32_t> ParseProfileInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t bits = 0;
        const auto [end, failure] = std::from_chars(text.data() + 2, text.data() + text.size(), bits, 16);
        if (failure != std::errc() || end != text.data() + text.size()) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(bits); // "0xFFFFFFFF" is -1, as the 32 bits say
    }
    // One sign at most: "+-5" is no number.
    if (text.size() > 1 && text.front() == '+' && IsDigit(text[1])) {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseProfileFloat(std::string_view text) {
    text = TrimBlanks(text);
    std::string number;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (text.front() == '-') {
            number.push_back('-');
        }
        text.remove_prefix(1);
    }
    // Digits first (or the separator): no second sign, no "nan", no "inf", no hexadecimal.
    if (text.empty() || !(IsDigit(text.front()) || text.front() == '.' || text.front() == ',')) {
        return std::nullopt;
    }
    // Written under either locale, a number has one separator, read as the decimal point. A second
    // one (thousands grouping, which reads one way here and another there) ends the number early,
    // so the text is none.
    for (const char c : text) {
        number.push_back(c == ',' ? '.' : c);
    }
    double value = 0.0;
    const auto [end, failure] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (failure != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

TProfileFile::TProfileFile(std::string path) : fPath(std::move(path)) {}

bool TProfileFile::Load(std::string& error) {
    fLines.clear();
    struct stat info {};
    if (::stat(fPath.c_str(), &info) != 0 && errno == ENOENT) {
        return true;
    }
    std::string text;
    std::string reason;
    if (!ReadFileText(fPath, text, reason)) {
        error = "Unable to read " + fPath + " (" + reason + ")";
        return false;
    }
    Parse(text);
    return true;
}

void TProfileFile::Parse(std::string_view text) {
    fLines.clear();
    // An editor's UTF-8 byte order mark is no part of the first line (nor a second one that a tool
    // put before it).
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    while (text.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
        text.remove_prefix(ByteOrderMark.size());
    }
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // A line ends in LF, CR LF, or any run of CRs before the LF: all of them go, so that the
        // line reads the same after every save.
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        fLines.emplace_back(line);
    }
}

std::string TProfileFile::Text() const {
    std::string text;
    for (const std::string& line : fLines) {
        text += line;
        text += '\n';
    }
    return text;
}

bool TProfileFile::Save(std::string& error) const {
    if (!Base::ReplaceFileContents(fPath, Text())) {
        error = "Unable to write to " + fPath;
        return false;
    }
    return true;
}

std::optional<std::size_t> TProfileFile::SectionLine(std::string_view section) const {
    for (std::size_t i = 0; i < fLines.size(); ++i) {
        const auto name = SectionName(fLines[i]);
        if (name && SameName(*name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t TProfileFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < fLines.size() && !SectionName(fLines[i])) {
        ++i;
    }
    return i;
}

std::optional<std::size_t> TProfileFile::KeyLine(std::size_t header, std::string_view key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto entry = EntryOf(fLines[i]);
        if (entry && SameName(entry->Name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> TProfileFile::Find(std::string_view section, std::string_view key) const {
    const auto header = SectionLine(section);
    if (!header) {
        return std::nullopt;
    }
    const auto line = KeyLine(*header, key);
    if (!line) {
        return std::nullopt;
    }
    return ValueAsRead(EntryOf(fLines[*line])->Value);
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     const std::string& defaultValue) const {
    return Find(section, key).value_or(defaultValue);
}

std::int32_t TProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t defaultValue) const {
    const auto text = Find(section, key);
    if (!text) {
        return defaultValue;
    }
    return ParseProfileInteger(*text).value_or(defaultValue);
}

double TProfileFile::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const {
    const auto text = Find(section, key);
    if (!text) {
        return defaultValue;
    }
    return ParseProfileFloat(*text).value_or(defaultValue);
}

void TProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += ValueAsWritten(value);
    const auto header = SectionLine(section);
    if (!header) {
        fLines.push_back("[" + std::string(section) + "]");
        fLines.push_back(line);
        return;
    }
    if (const auto existing = KeyLine(*header, key)) {
        fLines[*existing] = line;
        return;
    }
    // After the section's last entry, before the blank lines that part it from the next section.
    std::size_t at = SectionEnd(*header);
    while (at > *header + 1 && TrimBlanks(fLines[at - 1]).empty()) {
        --at;
    }
    fLines.insert(fLines.begin() + static_cast<std::ptrdiff_t>(at), line);
}

void TProfileFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TProfileFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    WriteString(section, key, Base::FormatGeneral(value));
}

} // namespace Settings
