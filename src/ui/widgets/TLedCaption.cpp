#include "ui/widgets/TLedCaption.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace Widgets {

namespace {

const QColor LedBackground(16, 24, 16);
const QColor LedLit(120, 255, 90);
const QColor LedDark(34, 52, 34);
constexpr int DotPitch = 3;
constexpr int Gap = 60; // blank run between the end of the text and its next start

} // namespace

TLedCaption::TLedCaption(QWidget* parent) : QWidget(parent) {
    QFont led(QStringLiteral("Liberation Mono"));
    led.setStyleHint(QFont::Monospace);
    led.setBold(true);
    led.setPixelSize(20);
    setFont(led);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleDescription(QStringLiteral("Run caption"));
    fTimer.setInterval(StepIntervalMs);
    connect(&fTimer, &QTimer::timeout, this, &TLedCaption::Step);
    fTimer.start();
}

void TLedCaption::SetCaption(const std::string& caption) {
    const QString text = QString::fromStdString(caption);
    if (text == fCaption) {
        return;
    }
    fCaption = text;
    fOffset = 0;
    // What scrolls past is what a screen reader reads.
    setAccessibleName(text);
    update();
}

int TLedCaption::TextWidth() const {
    return QFontMetrics(font()).horizontalAdvance(fCaption);
}

void TLedCaption::Step() {
    if (fCaption.isEmpty()) {
        fOffset = 0;
        return;
    }
    // The text enters at the right edge and leaves at the left, then starts over.
    const int cycle = width() + TextWidth() + Gap;
    fOffset = (fOffset + StepPixels) % std::max(cycle, 1);
    update();
}

QSize TLedCaption::sizeHint() const {
    return {400, QFontMetrics(font()).height() + 12};
}

QSize TLedCaption::minimumSizeHint() const {
    return {60, QFontMetrics(font()).height() + 12};
}

void TLedCaption::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), LedBackground);
    // The unlit dot matrix behind the text.
    painter.setPen(LedDark);
    for (int y = 2; y < height() - 1; y += DotPitch) {
        for (int x = 1; x < width(); x += DotPitch) {
            painter.drawPoint(x, y);
        }
    }
    if (fCaption.isEmpty()) {
        return;
    }
    painter.setPen(LedLit);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
    const int x = width() - fOffset;
    painter.drawText(x, baseline, fCaption);
    // Dark scan lines through the glyphs give the lit text its dotted LED look.
    painter.setPen(LedBackground);
    for (int y = 0; y < height(); y += DotPitch) {
        painter.drawLine(0, y, width(), y);
    }
}

} // namespace Widgets
