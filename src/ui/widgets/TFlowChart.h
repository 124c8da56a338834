#pragma once
// The flow chart of the run: five series of date-time points against the right-hand axis, the
// legend on top, the left axis titled for gas A. A double click opens the chart editor, which
// comes back where the operator last left it on the screen.
//
// The series are numbered as the run fills them: 1 "Gas A", 2 "Gas A moving average",
// 3 "Gas B setpoint", 4 "Gas B", 5 "Gas A setpoint"; the legend lists them A first, then B.

#include "base/DateTime.h"

#include <QChartView>
#include <QPoint>
#include <optional>
#include <string>

class QChart;
class QDateTimeAxis;
class QValueAxis;
class QXYSeries;

namespace Widgets {

class TChartEditor;

class TFlowChart : public QChartView {
    Q_OBJECT
public:
    static constexpr int SeriesCount = 5;

    explicit TFlowChart(QWidget* parent = nullptr);
    ~TFlowChart() override;

    // Series by their number 1 to 5 (null for another number).
    QXYSeries* Series(int number) const;
    // The series in the order the legend shows them.
    QList<QXYSeries*> SeriesInLegendOrder() const;

    void AddPoint(int number, Base::TDateTime x, double y);
    int PointCount(int number) const;
    // Drops the oldest point of the series, if it has one.
    void DeleteFirstPoint(int number);
    void ClearPoints();

    QDateTimeAxis* BottomAxis() const { return fBottom; }
    QValueAxis* LeftAxis() const { return fLeft; }
    QValueAxis* RightAxis() const { return fRight; }

    // Axis ranges: automatic (follow the points) or fixed by the editor.
    bool AutomaticValueRange() const { return fAutoValues; }
    void SetFixedValueRange(double minimum, double maximum);
    void SetAutomaticValueRange();
    // The time axis shows all points, or only the last `minutes` (0: all).
    int TimeWindowMinutes() const { return fWindowMinutes; }
    void SetTimeWindowMinutes(int minutes);

    // Opens the editor (what a double click does); returns once it is shown, not modal.
    TChartEditor* OpenEditor();
    TChartEditor* Editor() const { return fEditor; }
    std::optional<QPoint> RememberedEditorPosition() const { return fEditorPosition; }

    // Local date-time (days since 1899-12-30) to milliseconds since the epoch, for the time axis.
    static qint64 ToAxisTime(Base::TDateTime value);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Rescale();
    void OnEditorFinished();
    void ShowPointValue(const QPointF& point, bool state);

    QChart* fChart;
    QDateTimeAxis* fBottom;
    QValueAxis* fLeft;
    QValueAxis* fRight;
    QXYSeries* fSeries[SeriesCount] = {};
    bool fAutoValues = true;
    int fWindowMinutes = 0;
    TChartEditor* fEditor = nullptr;
    std::optional<QPoint> fEditorPosition;
};

} // namespace Widgets
