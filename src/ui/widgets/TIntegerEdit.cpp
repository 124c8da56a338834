#include "ui/widgets/TIntegerEdit.h"

namespace Widgets {

TIntegerEdit::TIntegerEdit(QWidget* parent) : TNumberEdit(true, parent) {}

int TIntegerEdit::Value() const {
    return static_cast<int>(NumberValue());
}

void TIntegerEdit::SetValue(int value) {
    SetNumberValue(value);
}

int TIntegerEdit::Min() const {
    return static_cast<int>(Minimum());
}

int TIntegerEdit::Max() const {
    return static_cast<int>(Maximum());
}

void TIntegerEdit::SetMin(int minimum) {
    SetMinimum(minimum);
}

void TIntegerEdit::SetMax(int maximum) {
    SetMaximum(maximum);
}

} // namespace Widgets
