#pragma once
// A bounded field for real numbers, shown in the general format or under a number mask.

#include "ui/widgets/TNumberEdit.h"

namespace Widgets {

class TDoubleEdit : public TNumberEdit {
    Q_OBJECT
public:
    explicit TDoubleEdit(QWidget* parent = nullptr);

    double Value() const { return NumberValue(); }
    void SetValue(double value) { SetNumberValue(value); }
    double Min() const { return Minimum(); }
    double Max() const { return Maximum(); }
    void SetMin(double minimum) { SetMinimum(minimum); }
    void SetMax(double maximum) { SetMaximum(maximum); }
};

} // namespace Widgets
