#include "ui/widgets/TTrackBar.h"

#include <QScopedValueRollback>
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

// Every move of the operator comes through one of these handlers, and QSlider reports the new
// position from inside them.
void TTrackBar::keyPressEvent(QKeyEvent* event) {
    const QScopedValueRollback operatorMoving(fOperatorMoving, true);
    QSlider::keyPressEvent(event);
}

void TTrackBar::mousePressEvent(QMouseEvent* event) {
    const QScopedValueRollback operatorMoving(fOperatorMoving, true);
    QSlider::mousePressEvent(event);
}

void TTrackBar::mouseMoveEvent(QMouseEvent* event) {
    const QScopedValueRollback operatorMoving(fOperatorMoving, true);
    QSlider::mouseMoveEvent(event);
}

void TTrackBar::mouseReleaseEvent(QMouseEvent* event) {
    const QScopedValueRollback operatorMoving(fOperatorMoving, true);
    QSlider::mouseReleaseEvent(event);
}

void TTrackBar::wheelEvent(QWheelEvent* event) {
    const QScopedValueRollback operatorMoving(fOperatorMoving, true);
    QSlider::wheelEvent(event);
}

void TTrackBar::timerEvent(QTimerEvent* event) {
    const QScopedValueRollback operatorMoving(fOperatorMoving, true);
    QSlider::timerEvent(event);
}

} // namespace Widgets
