#pragma once
// A text pane that keeps its lines in memory: for code and tests that run without a window.

#include "base/TextPane.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Base {

// Splits a text at CR LF, LF or a lone CR. One final line break does not start an empty last line:
// "" gives no line, "a" and "a\r\n" one line, "a\r\n\r\n" two lines (the second empty).
inline std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    bool open = false; // a line has begun that no break has closed yet
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lines.push_back(current);
            current.clear();
            open = false;
        } else {
            current += c;
            open = true;
        }
    }
    if (open) {
        lines.push_back(current);
    }
    return lines;
}

// Keeps every line, or with a maximum only the newest that many.
class TMemoryTextPane final : public TTextPane {
public:
    explicit TMemoryTextPane(std::size_t maximumLines = 0) : fMaximumLines(maximumLines) {}

    void AddLine(const std::string& line) override {
        if (line.empty()) {
            fLines.emplace_back();
        } else {
            for (auto& part : SplitTextLines(line)) {
                fLines.push_back(std::move(part));
            }
        }
        Trim();
    }
    void ReplaceLastLine(const std::string& line) override {
        if (fLines.empty()) {
            fLines.push_back(line);
        } else {
            fLines.back() = line;
        }
    }
    void Clear() override { fLines.clear(); }
    void SetText(const std::string& text) override {
        const std::vector<std::string> lines = SplitTextLines(text);
        fLines.assign(lines.begin(), lines.end());
        Trim();
    }
    std::vector<std::string> Lines() const override { return {fLines.begin(), fLines.end()}; }
    std::string Text() const override {
        std::string text;
        for (const auto& line : fLines) {
            text += line;
            text += "\r\n";
        }
        return text;
    }

private:
    void Trim() {
        while (fMaximumLines > 0 && fLines.size() > fMaximumLines) {
            fLines.pop_front();
        }
    }

    std::size_t fMaximumLines;
    std::deque<std::string> fLines;
};

} // namespace Base
