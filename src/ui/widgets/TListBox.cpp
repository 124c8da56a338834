#include "ui/widgets/TListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace Widgets {

// For as long as it lives, the list's changes are the program's own.
class TQuietChange {
public:
    explicit TQuietChange(TListBox& list) : fList(list) { ++fList.fQuiet; }
    ~TQuietChange() {
        --fList.fQuiet;
        fList.fShown = fList.ItemIndex();
    }
    TQuietChange(const TQuietChange&) = delete;
    TQuietChange& operator=(const TQuietChange&) = delete;

private:
    TListBox& fList;
};

TListBox::TListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem*) {
        emit Clicked();
        if (!fChangedSincePress) {
            emit Picked();
        }
    });
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { emit DoubleClicked(); });
    connect(this, &QListWidget::itemSelectionChanged, this, [this] { NoticeSelection(); });
    connect(this, &QListWidget::currentRowChanged, this, [this](int) { NoticeSelection(); });
}

void TListBox::NoticeSelection() {
    const int shown = ItemIndex();
    if (shown == fShown) {
        return;
    }
    fShown = shown;
    if (fQuiet > 0) {
        return;
    }
    fChangedSincePress = true;
    emit SelectionChanged();
    emit Picked();
}

void TListBox::mousePressEvent(QMouseEvent* event) {
    fChangedSincePress = false;
    QListWidget::mousePressEvent(event);
}

void TListBox::Clear() {
    const TQuietChange quiet(*this);
    clear();
}

void TListBox::AddItem(const std::string& text) {
    const TQuietChange quiet(*this);
    auto* item = new QListWidgetItem(QString::fromStdString(text), this);
    item->setToolTip(item->text());
}

void TListBox::AddItem(const std::string& text, int number) {
    const TQuietChange quiet(*this);
    AddItem(text);
    item(count() - 1)->setData(Qt::UserRole, number);
}

int TListBox::ItemData(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry == nullptr ? 0 : entry->data(Qt::UserRole).toInt();
}

void TListBox::SetItems(const std::vector<std::string>& items) {
    const TQuietChange quiet(*this);
    clear();
    for (const auto& item : items) {
        AddItem(item);
    }
}

std::vector<std::string> TListBox::Items() const {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) {
        items.push_back(item(i)->text().toStdString());
    }
    return items;
}

int TListBox::ItemIndex() const {
    const auto selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.front());
}

void TListBox::SetItemIndex(int index) {
    const TQuietChange quiet(*this);
    if (index >= 0 && index < count()) {
        setCurrentRow(index);
    } else {
        clearSelection();
        setCurrentRow(-1);
    }
}

std::string TListBox::SelectedText() const {
    const int index = ItemIndex();
    return index < 0 ? std::string() : item(index)->text().toStdString();
}

void TListBox::keyReleaseEvent(QKeyEvent* event) {
    QListWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) {
        emit KeyUp(event->key(), event->modifiers());
    }
}

} // namespace Widgets
