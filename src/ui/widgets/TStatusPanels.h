#pragma once
// A status bar of panels of fixed widths, left to right. Panels that do not fit the width of the
// bar are cut at its right edge, as on a status bar.

#include <QFrame>
#include <string>
#include <vector>

class QLabel;

namespace Widgets {

class TStatusPanels : public QFrame {
    Q_OBJECT
public:
    explicit TStatusPanels(const std::vector<int>& widths, QWidget* parent = nullptr);

    int PanelCount() const { return static_cast<int>(fPanels.size()); }
    int PanelWidth(int index) const;
    std::string PanelText(int index) const;
    // An index outside the panels is ignored.
    void SetPanelText(int index, const std::string& text);
    QLabel* Panel(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlacePanels();

    std::vector<int> fWidths;
    std::vector<QLabel*> fPanels;
};

} // namespace Widgets
