#include "ui/widgets/TStatusPanels.h"

#include <QFontMetrics>
#include <QLabel>
#include <numeric>

namespace Widgets {

TStatusPanels::TStatusPanels(const std::vector<int>& widths, QWidget* parent)
    : QFrame(parent), fWidths(widths) {
    setAccessibleName(QStringLiteral("Status bar"));
    for (std::size_t i = 0; i < fWidths.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMargin(1);
        panel->setIndent(3);
        panel->setTextFormat(Qt::PlainText);
        // Named by their place; the text they show is their description.
        panel->setAccessibleName(QStringLiteral("Status panel %1").arg(i + 1));
        fPanels.push_back(panel);
    }
    PlacePanels();
}

int TStatusPanels::PanelWidth(int index) const {
    return index >= 0 && index < PanelCount() ? fWidths[static_cast<std::size_t>(index)] : 0;
}

QLabel* TStatusPanels::Panel(int index) const {
    return index >= 0 && index < PanelCount() ? fPanels[static_cast<std::size_t>(index)] : nullptr;
}

std::string TStatusPanels::PanelText(int index) const {
    const QLabel* panel = Panel(index);
    return panel == nullptr ? std::string() : panel->text().toStdString();
}

void TStatusPanels::SetPanelText(int index, const std::string& text) {
    if (QLabel* panel = Panel(index)) {
        panel->setText(QString::fromStdString(text));
        panel->setToolTip(panel->text());
        panel->setAccessibleDescription(panel->text());
    }
}

QSize TStatusPanels::sizeHint() const {
    return {std::accumulate(fWidths.begin(), fWidths.end(), 0), QFontMetrics(font()).height() + 8};
}

QSize TStatusPanels::minimumSizeHint() const {
    return {40, QFontMetrics(font()).height() + 8};
}

void TStatusPanels::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PlacePanels();
}

void TStatusPanels::PlacePanels() {
    int x = 0;
    for (std::size_t i = 0; i < fPanels.size(); ++i) {
        fPanels[i]->setGeometry(x, 0, fWidths[i] - 2, height());
        x += fWidths[i];
    }
}

} // namespace Widgets
