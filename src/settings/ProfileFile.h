#pragma once
// The settings file's reading and writing rules, over a copy of the file held in memory.
//
// A section starts with a line "[name]"; below it each entry is a line "name=value". Section and
// key names are compared without regard to ASCII letter case and to blanks (spaces, tabs) at
// either end, so " Steps" and "Steps" are one key. A value is read without surrounding blanks and
// without the quotation marks that enclose it, and at most MaxValueLength characters of it. Writing
// a key replaces its value where it stands or adds it at the end of its section; a new section goes
// at the end of the file. A written value never holds a line break (each becomes a blank), and is
// put in quotes where the reader would otherwise lose its end blanks or its own quotes, so that it
// reads back as written. Lines the rules do not know (comments, blank lines) are kept as they are.
// A UTF-8 byte order mark before the first line is passed over, and a line may end in LF, CR LF
// or CRs before the LF; the file is written back with LF alone.
//
// Nothing touches the disk between Load and Save: a save writes the whole new file to a temporary
// file beside it, flushes it to the disk and renames it over the old one, so a save that dies
// half-way leaves the old file whole.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Settings {

inline constexpr std::size_t MaxValueLength = 2047;

class TProfileFile {
public:
    explicit TProfileFile(std::string path);

    const std::string& Path() const { return fPath; }

    // Reads the file. A missing file reads as an empty one (true); a file that exists but cannot
    // be read (no permission, not a regular file, larger than 1 MiB) gives false with
    // "Unable to read <path> (<reason>)" in `error`, and leaves the copy empty.
    bool Load(std::string& error);
    // Takes `text` as the file's contents, by the rules above; what Load does once it has the bytes.
    void Parse(std::string_view text);
    // The file's text as it will be written (lines end in LF).
    [[nodiscard]] std::string Text() const;
    // Writes the copy to the file (created when missing) as one replacement. False with
    // "Unable to write to <path>" in `error` when it cannot; the old file is then untouched.
    bool Save(std::string& error) const;

    // The value of section/key, or none when the section or the key is missing.
    [[nodiscard]] std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                         const std::string& defaultValue) const;
    // Decimal text with one optional sign, or "0x" (or "0X") and hexadecimal digits; anything else
    // (out of the 32-bit range included) gives the default.
    [[nodiscard]] std::int32_t ReadInteger(std::string_view section, std::string_view key,
                                           std::int32_t defaultValue) const;
    // A finite number with "." or "," as its decimal separator, whichever locale wrote it; empty or
    // unreadable text gives the default.
    [[nodiscard]] double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // The shortest general form with up to 15 significant digits and the locale's separator.
    void WriteFloat(std::string_view section, std::string_view key, double value);

private:
    // Index of the line "[section]", or none.
    [[nodiscard]] std::optional<std::size_t> SectionLine(std::string_view section) const;
    // The end of the section that starts at `header`: the next section line or the file's end.
    [[nodiscard]] std::size_t SectionEnd(std::size_t header) const;
    [[nodiscard]] std::optional<std::size_t> KeyLine(std::size_t header, std::string_view key) const;

    std::string fPath;
    std::vector<std::string> fLines;
};

// Text to number by the rules above; none when the text is not one. A real is one optional sign,
// digits with at most one separator ("." or ","), an optional exponent, and finite: "+-5", "nan",
// "inf", "1,234.5" and 1E999 are none.
std::optional<std::int32_t> ParseProfileInteger(std::string_view text);
std::optional<double> ParseProfileFloat(std::string_view text);

} // namespace Settings
