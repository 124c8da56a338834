#include "ui/widgets/TTabbedListBox.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStringList>

namespace Widgets {

TTabbedListBox::TTabbedListBox(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setIndentation(0);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem*, int) { emit Clicked(); });
}

void TTabbedListBox::Clear() {
    clear();
    setColumnCount(1);
}

void TTabbedListBox::AddItem(const std::string& line) {
    const QStringList columns = QString::fromStdString(line).split(QLatin1Char('\t'));
    if (columns.size() > columnCount()) {
        setColumnCount(static_cast<int>(columns.size()));
    }
    auto* item = new QTreeWidgetItem(this, columns);
    item->setData(0, Qt::UserRole, QString::fromStdString(line));
    FitColumns();
}

void TTabbedListBox::FitColumns() {
    for (int column = 0; column < columnCount(); ++column) {
        resizeColumnToContents(column);
        setColumnWidth(column, columnWidth(column) + 12);
    }
}

std::string TTabbedListBox::Item(int index) const {
    const QTreeWidgetItem* item = topLevelItem(index);
    return item == nullptr ? std::string() : item->data(0, Qt::UserRole).toString().toStdString();
}

int TTabbedListBox::ItemIndex() const {
    const auto selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

void TTabbedListBox::SetItemIndex(int index) {
    QTreeWidgetItem* item = topLevelItem(index);
    if (item != nullptr) {
        setCurrentItem(item);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
}

void TTabbedListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        SetItemIndex(-1);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TTabbedListBox::keyReleaseEvent(QKeyEvent* event) {
    QTreeWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) {
        emit KeyUp(event->key(), event->modifiers());
    }
}

} // namespace Widgets
