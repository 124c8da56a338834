#pragma once
// The scrolling LED caption of the operation page: bright text on a dark panel that moves one step
// to the left every 50 ms and comes round again. Setting the same caption again (the run sets it on
// every tick) does not restart the scroll. Its accessible name is the text it shows.

#include <QTimer>
#include <QWidget>
#include <string>

namespace Widgets {

class TLedCaption : public QWidget {
    Q_OBJECT
public:
    static constexpr int StepIntervalMs = 50;
    static constexpr int StepPixels = 2;

    explicit TLedCaption(QWidget* parent = nullptr);

    std::string Caption() const { return fCaption.toStdString(); }
    void SetCaption(const std::string& caption);

    // One scroll step; the timer calls it, tests may too.
    void Step();
    int ScrollOffset() const { return fOffset; }
    bool Scrolling() const { return fTimer.isActive(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int TextWidth() const;

    QString fCaption;
    int fOffset = 0;
    QTimer fTimer;
};

} // namespace Widgets
