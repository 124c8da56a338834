#pragma once
// A multi-line text pane as the program's operations see it: lines are added at the end, the whole
// text can be replaced or cleared, and the lines read back. The window's panes implement it; the
// core and its tests can write to a pane without knowing about the window toolkit.

#include <cstddef>
#include <string>
#include <vector>

namespace Base {

// The operation log pane keeps its newest lines only: a run of days writes hundreds of thousands
// (every pulsed pass, every failed exchange), and all of them are in the diagnostic log and the run
// data file besides.
inline constexpr std::size_t OperationLogLines = 20000;

class TTextPane {
public:
    virtual ~TTextPane() = default;
    // Adds `line` as a new last line. Line breaks inside it (CR LF, LF) start further lines.
    virtual void AddLine(const std::string& line) = 0;
    // Replaces the last line (adds one when the pane is empty): a progress line that counts up.
    virtual void ReplaceLastLine(const std::string& line) = 0;
    virtual void Clear() = 0;
    // Replaces the whole text; lines are separated by CR LF (or LF). One final line break does not
    // start an empty last line.
    virtual void SetText(const std::string& text) = 0;
    // The lines, without their line ends.
    virtual std::vector<std::string> Lines() const = 0;
    // Every line followed by CR LF.
    virtual std::string Text() const = 0;
};

} // namespace Base
