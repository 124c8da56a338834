#pragma once
// A horizontal track bar with the positions 0 to 10. Any position given is clamped into that range,
// and Changed is reported only when the position really changes (by the operator or by code).
// While Changed is reported, OperatorMoving tells a move by the operator (keys, a click, a drag,
// the wheel) from one by code: the operator may move a track bar with the mouse without giving it
// the focus, and such a move must still lead its flow.

#include <QSlider>

namespace Widgets {

class TTrackBar : public QSlider {
    Q_OBJECT
public:
    static constexpr int MaxPosition = 10;

    explicit TTrackBar(QWidget* parent = nullptr);

    int Position() const { return value(); }
    void SetPosition(int position);
    int Max() const { return maximum(); }

    // True while an input event of the operator is being handled.
    bool OperatorMoving() const { return fOperatorMoving; }

signals:
    void Changed(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // A mouse button held on the groove repeats its step from a timer.
    void timerEvent(QTimerEvent* event) override;

private:
    bool fOperatorMoving = false;
};

} // namespace Widgets
