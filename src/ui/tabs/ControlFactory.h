#pragma once
// Small makers for the window's controls: each sets the component name as the object name, so the
// handlers and the tests find every control by the name the program uses for it.

#include <QString>
#include <limits>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace Widgets {
class TDoubleEdit;
class TIntegerEdit;
class TMemoPane;
} // namespace Widgets

namespace UnitMain {

// The window's font size in pixels; the text panes use it too.
inline constexpr int WindowFontPixels = 11;

QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& name = QString());
// The label beside an input field: the field's buddy, and its text the field's accessible name, so
// that a screen reader names the field as a sighted operator reads it (list views do not look at
// their buddy, hence the name as well).
QLabel* MakeLabelFor(const QString& text, QWidget* field, QWidget* parent);
QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);
QGroupBox* MakeGroupBox(const QString& name, const QString& caption, QWidget* parent);
QLineEdit* MakeEdit(const QString& name, const QString& text, QWidget* parent);
QCheckBox* MakeCheckBox(const QString& name, const QString& caption, QWidget* parent);
Widgets::TDoubleEdit* MakeDoubleEdit(const QString& name, double value, QWidget* parent,
                                     double minimum = std::numeric_limits<double>::lowest(),
                                     double maximum = std::numeric_limits<double>::max());
Widgets::TIntegerEdit* MakeIntegerEdit(const QString& name, int value, QWidget* parent,
                                       int minimum = std::numeric_limits<int>::min(),
                                       int maximum = std::numeric_limits<int>::max());
Widgets::TMemoPane* MakeMemo(const QString& name, bool bordered, QWidget* parent);

} // namespace UnitMain
