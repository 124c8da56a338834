#include "settings/ProfileFile.h"

#include "base/FileReplace.h"
#include "base/FormatSettings.h"
#include "base/NumberFormat.h"
#include "base/Text.h"

#include <charconv>
#include <filesystem>
#include <fstream>
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
    std::string_view value = TrimBlanks(raw);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return Base::Utf8Left(value, MaxValueLength);
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
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseProfileFloat(std::string_view text, std::string_view decimalSeparator) {
    std::string number(TrimBlanks(text));
    if (number.empty()) {
        return std::nullopt;
    }
    if (decimalSeparator != ".") {
        // Under a comma locale a point is no decimal separator: such text is not a number here.
        if (number.find('.') != std::string::npos) {
            return std::nullopt;
        }
        const std::size_t at = number.find(decimalSeparator);
        if (at != std::string::npos) {
            number.replace(at, decimalSeparator.size(), ".");
        }
    }
    const char* first = number.data();
    if (*first == '+') {
        ++first;
    }
    double value = 0.0;
    const auto [end, failure] = std::from_chars(first, number.data() + number.size(), value);
    if (failure != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

TProfileFile::TProfileFile(std::string path) : fPath(std::move(path)) {}

bool TProfileFile::Load(std::string& error) {
    fLines.clear();
    std::error_code code;
    if (!std::filesystem::exists(fPath, code)) {
        return true;
    }
    std::ifstream file(fPath, std::ios::binary);
    if (!file) {
        error = "Unable to read " + fPath;
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        fLines.push_back(line);
    }
    if (file.bad()) {
        fLines.clear();
        error = "Unable to read " + fPath;
        return false;
    }
    return true;
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
    return ParseProfileFloat(*text, Base::FormatSettings().DecimalSeparator).value_or(defaultValue);
}

void TProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
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
