#pragma once
// A horizontal track bar with the positions 0 to 10. Any position given is clamped into that range,
// and Changed is reported only when the position really changes (by the operator or by code).

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

signals:
    void Changed(int position);
};

} // namespace Widgets
