#pragma once
// A single-selection list of text lines that reports clicks, double clicks and key releases, for
// the port and gas lists of the set-up page.

#include <QListWidget>
#include <string>
#include <vector>

namespace Widgets {

class TListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TListBox(QWidget* parent = nullptr);

    void Clear() { clear(); }
    void AddItem(const std::string& text);
    // An item that carries a number of its own (the gas lists: the device's table number).
    void AddItem(const std::string& text, int number);
    // The number carried by item `index`; 0 for an item without one or an index outside the list.
    int ItemData(int index) const;
    void SetItems(const std::vector<std::string>& items);
    std::vector<std::string> Items() const;
    int Count() const { return count(); }
    // Index of the selected line, -1 for none; an index outside the list selects nothing.
    int ItemIndex() const;
    void SetItemIndex(int index);
    std::string SelectedText() const;

signals:
    void Clicked();
    void DoubleClicked();
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
};

} // namespace Widgets
