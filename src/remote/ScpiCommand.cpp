#include "remote/ScpiCommand.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>
#include <utility>

namespace Remote {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsMnemonicChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_';
}

class TReader {
public:
    explicit TReader(std::string_view text) : fText(text) {}

    bool AtEnd() const { return fAt >= fText.size(); }
    char Peek() const { return AtEnd() ? '\0' : fText[fAt]; }
    void Skip() { ++fAt; }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(fText[fAt])) {
            ++fAt;
        }
    }
    // Letters, digits and underscores from a letter on; empty when there is no letter here or the
    // mnemonic is longer than a mnemonic may be.
    std::optional<std::string> Mnemonic() {
        if (!IsLetter(Peek())) {
            return std::nullopt;
        }
        const std::size_t start = fAt;
        while (!AtEnd() && IsMnemonicChar(fText[fAt])) {
            ++fAt;
        }
        if (fAt - start > MnemonicLimit) {
            return std::nullopt;
        }
        return std::string(fText.substr(start, fAt - start));
    }
    // A quoted string from its opening quote; none when it does not end.
    std::optional<std::string> String() {
        const char quote = fText[fAt];
        ++fAt;
        std::string text;
        while (!AtEnd()) {
            const char c = fText[fAt++];
            if (c != quote) {
                text += c;
            } else if (Peek() == quote) {
                text += quote;
                ++fAt;
            } else {
                return text;
            }
        }
        return std::nullopt;
    }
    // The characters of a decimal number: [+|-] (digits [. digits] | . digits) [e [+|-] digits].
    // Empty when they do not form one.
    std::string_view NumberText() {
        const std::size_t start = fAt;
        if (Peek() == '+' || Peek() == '-') {
            ++fAt;
        }
        std::size_t digits = Digits();
        if (Peek() == '.') {
            ++fAt;
            digits += Digits();
        }
        if (digits == 0) {
            return {};
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++fAt;
            if (Peek() == '+' || Peek() == '-') {
                ++fAt;
            }
            if (Digits() == 0) {
                return {};
            }
        }
        return fText.substr(start, fAt - start);
    }

private:
    std::size_t Digits() {
        const std::size_t start = fAt;
        while (IsDigit(Peek())) {
            ++fAt;
        }
        return fAt - start;
    }

    std::string_view fText;
    std::size_t fAt = 0;
};

TScpiParse Failed(TScpiError error) {
    TScpiParse parse;
    parse.Error = error;
    return parse;
}

// A number's value; none when it is beyond the range of a double (or below its smallest).
std::optional<double> NumberValue(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), value);
    if (read.ec != std::errc() || read.ptr != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool EndsParameter(char c) {
    return c == '\0' || c == ',' || IsBlank(c);
}

} // namespace

TScpiParse ParseScpiCommand(std::string_view text) {
    TScpiParse parse;
    TReader reader(text);
    reader.SkipBlanks();
    if (reader.AtEnd()) {
        parse.Empty = true;
        return parse;
    }
    TScpiCommand& command = parse.Command;

    // The header.
    if (reader.Peek() == '*') {
        reader.Skip();
        command.Common = true;
        const std::optional<std::string> name = reader.Mnemonic();
        if (!name) {
            return Failed(TScpiError::seSyntaxError);
        }
        command.Mnemonics.push_back(*name);
    } else {
        if (reader.Peek() == ':') {
            reader.Skip();
            command.Absolute = true;
        }
        while (true) {
            const std::optional<std::string> mnemonic = reader.Mnemonic();
            if (!mnemonic) {
                return Failed(TScpiError::seSyntaxError);
            }
            command.Mnemonics.push_back(*mnemonic);
            if (reader.Peek() != ':') {
                break;
            }
            reader.Skip();
        }
    }
    if (reader.Peek() == '?') {
        reader.Skip();
        command.Query = true;
    }
    if (reader.AtEnd()) {
        return parse;
    }
    if (!IsBlank(reader.Peek())) {
        return Failed(TScpiError::seSyntaxError);
    }
    reader.SkipBlanks();
    if (reader.AtEnd()) {
        return parse;
    }

    // The parameters.
    while (true) {
        TScpiParameter parameter;
        const char first = reader.Peek();
        if (first == '"' || first == '\'') {
            std::optional<std::string> string = reader.String();
            if (!string) {
                return Failed(TScpiError::seSyntaxError);
            }
            parameter.Kind = TParameterKind::pkString;
            parameter.Text = std::move(*string);
        } else if (IsLetter(first)) {
            std::optional<std::string> mnemonic = reader.Mnemonic();
            if (!mnemonic) {
                return Failed(TScpiError::seSyntaxError);
            }
            parameter.Kind = TParameterKind::pkMnemonic;
            parameter.Text = std::move(*mnemonic);
        } else {
            const std::string_view number = reader.NumberText();
            if (number.empty()) {
                return Failed(TScpiError::seSyntaxError);
            }
            const std::optional<double> value = NumberValue(number);
            if (!EndsParameter(reader.Peek())) {
                return Failed(TScpiError::seSyntaxError);
            }
            if (!value) {
                return Failed(TScpiError::seIllegalParameterValue);
            }
            parameter.Kind = TParameterKind::pkNumber;
            parameter.Number = *value;
        }
        if (!EndsParameter(reader.Peek())) {
            return Failed(TScpiError::seSyntaxError);
        }
        command.Parameters.push_back(std::move(parameter));
        reader.SkipBlanks();
        if (reader.AtEnd()) {
            return parse;
        }
        if (reader.Peek() != ',') {
            return Failed(TScpiError::seSyntaxError);
        }
        reader.Skip();
        reader.SkipBlanks();
        if (reader.AtEnd()) {
            return Failed(TScpiError::seSyntaxError);
        }
    }
}

std::vector<std::string_view> SplitScpiLine(std::string_view line) {
    std::vector<std::string_view> commands;
    std::size_t start = 0;
    char quote = '\0';
    for (std::size_t at = 0; at < line.size(); ++at) {
        const char c = line[at];
        if (quote != '\0') {
            // A doubled quote is two quotes in a row: the first closes, the second opens again.
            if (c == quote) {
                quote = '\0';
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            commands.push_back(line.substr(start, at - start));
            start = at + 1;
        }
    }
    commands.push_back(line.substr(start));
    return commands;
}

} // namespace Remote
