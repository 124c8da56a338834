#pragma once
// A single-selection list of text lines that reports clicks, double clicks, key releases and every
// change of its selected row, for the port and gas lists of the set-up page.

#include <QListWidget>
#include <string>
#include <vector>

namespace Widgets {

class TListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TListBox(QWidget* parent = nullptr);

    // The setters below change the list without SelectionChanged or Picked: they are the program's
    // own changes, not the operator's.
    void Clear();
    void AddItem(const std::string& text);
    // An item that carries a number of its own (the gas lists: the device's table number).
    void AddItem(const std::string& text, int number);
    void SetItems(const std::vector<std::string>& items);
    // Selects line `index`; an index outside the list selects nothing.
    void SetItemIndex(int index);

    // The number carried by item `index`; 0 for an item without one or an index outside the list.
    int ItemData(int index) const;
    std::vector<std::string> Items() const;
    int Count() const { return count(); }
    // Index of the selected line, -1 for none.
    int ItemIndex() const;
    std::string SelectedText() const;

signals:
    void Clicked();
    void DoubleClicked();
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    // The selected row changed by anything but the setters above: a click or a drag onto another
    // row, a click below the rows, a key. Once per change.
    void SelectionChanged();
    // The operator picked a line: a change of the selected row (as SelectionChanged), or a click
    // that left the selection as the press found it (picking the same line again). Once per pick,
    // so a click onto a new row is not a second pick when the button is released.
    void Picked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Runs on every selection or current-row signal of the view.
    void NoticeSelection();

    int fShown = -1; // the selected row as last noticed
    int fQuiet = 0;  // inside one of the setters
    bool fChangedSincePress = false;
    friend class TQuietChange;
};

} // namespace Widgets
