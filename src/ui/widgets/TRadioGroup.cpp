#include "ui/widgets/TRadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Widgets {

TRadioGroup::TRadioGroup(const QString& title, const std::vector<QString>& items, QWidget* parent)
    : QGroupBox(title, parent), fGroup(new QButtonGroup(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    int id = 0;
    for (const QString& text : items) {
        auto* button = new QRadioButton(text, this);
        fGroup->addButton(button, id++);
        layout->addWidget(button);
        fButtons.push_back(button);
    }
    layout->addStretch(1);
    connect(fGroup, &QButtonGroup::idToggled, this, [this](int buttonId, bool checked) {
        if (checked) {
            emit ItemIndexChanged(buttonId);
        }
    });
}

int TRadioGroup::ItemIndex() const {
    return fGroup->checkedId();
}

QRadioButton* TRadioGroup::Button(int index) const {
    return index >= 0 && index < Count() ? fButtons[static_cast<std::size_t>(index)] : nullptr;
}

void TRadioGroup::SetItemIndex(int index) {
    if (QRadioButton* button = Button(index)) {
        button->setChecked(true);
        return;
    }
    // Unchecking in an exclusive group needs the exclusivity lifted for a moment.
    fGroup->setExclusive(false);
    for (QRadioButton* button : fButtons) {
        button->setChecked(false);
    }
    fGroup->setExclusive(true);
}

} // namespace Widgets
