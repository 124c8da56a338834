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
