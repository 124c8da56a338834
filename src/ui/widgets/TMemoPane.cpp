#include "ui/widgets/TMemoPane.h"

#include "base/MemoryTextPane.h"

#include <QFont>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace Widgets {

TMemoPane::TMemoPane(int pixelSize, bool bordered, QWidget* parent) : QPlainTextEdit(parent) {
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setFixedPitch(true);
    mono.setPixelSize(pixelSize);
    setFont(mono);
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (!bordered) {
        setFrameShape(QFrame::NoFrame);
    }
}

void TMemoPane::AddLine(const std::string& line) {
    std::vector<std::string> parts = Base::SplitTextLines(line);
    if (parts.empty()) {
        parts.emplace_back();
    }
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    for (const auto& part : parts) {
        if (fLineCount > 0) {
            cursor.insertBlock();
        }
        cursor.insertText(QString::fromStdString(part));
        ++fLineCount;
    }
    CountAtMost();
    // Follow the newest line, as a log does.
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void TMemoPane::ReplaceLastLine(const std::string& line) {
    if (fLineCount == 0) {
        AddLine(line);
        return;
    }
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(QString::fromStdString(line));
}

void TMemoPane::Clear() {
    clear();
    fLineCount = 0;
}

void TMemoPane::SetText(const std::string& text) {
    Clear();
    const std::vector<std::string> lines = Base::SplitTextLines(text);
    QString joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            joined += QLatin1Char('\n');
        }
        joined += QString::fromStdString(lines[i]);
    }
    setPlainText(joined);
    fLineCount = static_cast<int>(lines.size());
    CountAtMost();
}

void TMemoPane::SetMaximumLines(int lines) {
    // The document drops its first blocks itself whenever a new one would pass the maximum.
    setMaximumBlockCount(lines > 0 ? lines : 0);
    CountAtMost();
}

void TMemoPane::CountAtMost() {
    if (maximumBlockCount() > 0 && fLineCount > maximumBlockCount()) {
        fLineCount = maximumBlockCount();
    }
}

std::vector<std::string> TMemoPane::Lines() const {
    std::vector<std::string> lines;
    if (fLineCount == 0) {
        return lines;
    }
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        lines.push_back(block.text().toStdString());
    }
    return lines;
}

std::string TMemoPane::Text() const {
    std::string text;
    for (const auto& line : Lines()) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace Widgets
