#pragma once
// A list whose lines hold columns separated by tab characters (the segment program). The columns
// line up by themselves; Esc clears the selection; clicks and key releases are reported.

#include <QTreeWidget>
#include <string>

namespace Widgets {

class TTabbedListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit TTabbedListBox(QWidget* parent = nullptr);

    void Clear();
    // One line; its tab characters separate the columns.
    void AddItem(const std::string& line);
    int Count() const { return topLevelItemCount(); }
    // The line as given, tabs included.
    std::string Item(int index) const;
    // Index of the selected line, -1 for none; an index outside the list selects nothing.
    int ItemIndex() const;
    void SetItemIndex(int index);

signals:
    void Clicked();
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void FitColumns();
};

} // namespace Widgets
