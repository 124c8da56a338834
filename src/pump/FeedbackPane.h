#pragma once
// Where the pump detection reports, line by line: the setup feedback pane of the window, a list of
// lines in tests, the console of a probe tool.

#include <string>
#include <vector>

namespace UnitMain {

class TFeedbackPane {
public:
    virtual ~TFeedbackPane() = default;
    virtual void AddLine(const std::string& line) = 0;
    // Replaces the last line (adds one when the pane is empty).
    virtual void ReplaceLastLine(const std::string& line) = 0;
};

// A pane that just keeps its lines.
class TFeedbackLines final : public TFeedbackPane {
public:
    void AddLine(const std::string& line) override { fLines.push_back(line); }
    void ReplaceLastLine(const std::string& line) override {
        if (fLines.empty()) {
            fLines.push_back(line);
        } else {
            fLines.back() = line;
        }
    }
    const std::vector<std::string>& Lines() const { return fLines; }

private:
    std::vector<std::string> fLines;
};

} // namespace UnitMain
