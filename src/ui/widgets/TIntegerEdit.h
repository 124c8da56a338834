#pragma once
// A bounded field for whole numbers (32-bit), such as the flows in µg/min and the ppm limit.

#include "ui/widgets/TNumberEdit.h"

namespace Widgets {

class TIntegerEdit : public TNumberEdit {
    Q_OBJECT
public:
    explicit TIntegerEdit(QWidget* parent = nullptr);

    int Value() const;
    void SetValue(int value);
    int Min() const;
    int Max() const;
    void SetMin(int minimum);
    void SetMax(int maximum);
};

} // namespace Widgets
