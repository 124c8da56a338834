#pragma once
// A read-only text pane of the window in the fixed-pitch font (reports in it are aligned with
// blanks), with a vertical scroll bar. It keeps every line unless it is given a maximum; then it
// keeps the newest that many (the operation log).

#include "base/TextPane.h"

#include <QPlainTextEdit>

namespace Widgets {

class TMemoPane : public QPlainTextEdit, public Base::TTextPane {
    Q_OBJECT
public:
    // `pixelSize`: the window's font size; `bordered`: false for the panes that fill a page.
    explicit TMemoPane(int pixelSize, bool bordered, QWidget* parent = nullptr);

    void AddLine(const std::string& line) override;
    void ReplaceLastLine(const std::string& line) override;
    void Clear() override;
    void SetText(const std::string& text) override;
    std::vector<std::string> Lines() const override;
    std::string Text() const override;

    // 0: every line. Otherwise the oldest lines go as new ones come beyond `lines`.
    void SetMaximumLines(int lines);
    int MaximumLines() const { return maximumBlockCount(); }

private:
    void CountAtMost();

    int fLineCount = 0;
};

} // namespace Widgets
