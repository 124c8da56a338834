#pragma once
// A titled group of radio buttons with an item index (-1: none chosen), laid out in one column.

#include <QGroupBox>
#include <string>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace Widgets {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& title, const std::vector<QString>& items, QWidget* parent = nullptr);

    int ItemIndex() const;
    // An index outside the items chooses none.
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(fButtons.size()); }
    QRadioButton* Button(int index) const;

signals:
    void ItemIndexChanged(int index);

private:
    QButtonGroup* fGroup;
    std::vector<QRadioButton*> fButtons;
};

} // namespace Widgets
