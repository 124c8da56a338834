#include "ui/widgets/TTrackBar.h"

#include <algorithm>

namespace Widgets {

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, MaxPosition);
    setSingleStep(1);
    setPageStep(1);
    setTickInterval(1);
    setTickPosition(QSlider::TicksBelow);
    // QSlider signals valueChanged only when the value differs, including clamped values.
    connect(this, &QSlider::valueChanged, this, &TTrackBar::Changed);
}

void TTrackBar::SetPosition(int position) {
    setValue(std::clamp(position, 0, MaxPosition));
}

} // namespace Widgets
