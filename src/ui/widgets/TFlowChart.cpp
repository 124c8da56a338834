#include "ui/widgets/TFlowChart.h"

#include "base/FormatSettings.h"
#include "base/NumberFormat.h"
#include "ui/widgets/TChartEditor.h"

#include <QChart>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QPen>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <limits>

namespace Widgets {

namespace {

// Gas A in blues, gas B in reds; within a gas each series has its own shade, and the set-points
// are dashed lines, so that the legend tells all five apart.
const QColor SeriesBlue(0, 0, 255);
const QColor SeriesLightBlue(0, 170, 255);
const QColor SeriesDarkBlue(0, 0, 140);
const QColor SeriesRed(255, 0, 0);
const QColor SeriesDarkRed(140, 0, 0);

// The time axis labels: clock times, with the date in front once the points reach over midnight.
const QString TimeFormat = QStringLiteral("HH:mm:ss");
const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");
// The flow axes: ticks at round values, from 0 up.
constexpr int ValueTickCount = 6;
constexpr double EmptyValueMaximum = 0.1;

QScatterSeries* MakePoints(const QString& title, QScatterSeries::MarkerShape shape, const QColor& color,
                           qreal size) {
    auto* series = new QScatterSeries();
    series->setName(title);
    series->setMarkerShape(shape);
    series->setMarkerSize(size);
    series->setColor(color);
    series->setBorderColor(color);
    return series;
}

QLineSeries* MakeLine(const QString& title, const QColor& color) {
    auto* series = new QLineSeries();
    series->setName(title);
    QPen pen(color);
    pen.setWidth(3);
    pen.setStyle(Qt::DashLine);
    series->setPen(pen);
    return series;
}

void StyleValueAxis(QValueAxis* axis, const QString& title, const QColor& gridColor) {
    axis->setTitleText(title);
    // Six decimals as the mask "0.000 000"; the axis labels take a printf format.
    axis->setLabelFormat(QStringLiteral("%.6f"));
    axis->setTickCount(ValueTickCount);
    axis->setMinorTickCount(4);
    QPen grid(gridColor);
    grid.setWidth(1);
    grid.setStyle(Qt::DotLine);
    axis->setGridLinePen(grid);
    axis->setMinorGridLineVisible(false);
    axis->setRange(0.0, EmptyValueMaximum);
}

// The operator's decimal separator for the axis labels. Qt Charts localises numbers only through a
// QLocale, so take one whose decimal point is the program's separator.
QLocale NumberLocale() {
    const QString separator = QString::fromStdString(Base::FormatSettings().DecimalSeparator);
    QLocale chosen = QLocale::c();
    for (const QLocale& candidate :
         {QLocale::system(), QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        if (candidate.decimalPoint() == separator) {
            chosen = candidate;
            break;
        }
    }
    chosen.setNumberOptions(QLocale::OmitGroupSeparator);
    return chosen;
}

} // namespace

TFlowChart::TFlowChart(QWidget* parent) : QChartView(parent), fChart(new QChart()) {
    setObjectName(QStringLiteral("Chart1"));
    setChart(fChart);
    setRenderHint(QPainter::Antialiasing);
    fChart->legend()->setAlignment(Qt::AlignTop);
    fChart->legend()->setVisible(true);
    fChart->setTitle(QString());
    fChart->setLocalizeNumbers(true);
    fChart->setLocale(NumberLocale());

    // Series1 "Gas A": blue diamonds 5 x 5 (a rotated square); Series2 blue circles; Series4 red
    // circles; the two set-points as 3 pixel lines.
    fSeries[0] =
        MakePoints(QStringLiteral("Gas A"), QScatterSeries::MarkerShapeRotatedRectangle, SeriesBlue, 5);
    fSeries[1] = MakePoints(QStringLiteral("Gas A moving average"), QScatterSeries::MarkerShapeCircle,
                            SeriesLightBlue, 5);
    fSeries[2] = MakeLine(QStringLiteral("Gas B setpoint"), SeriesDarkRed);
    fSeries[3] = MakePoints(QStringLiteral("Gas B"), QScatterSeries::MarkerShapeCircle, SeriesRed, 5);
    fSeries[4] = MakeLine(QStringLiteral("Gas A setpoint"), SeriesDarkBlue);
    for (int i = 0; i < SeriesCount; ++i) {
        fSeries[i]->setObjectName(QStringLiteral("Series%1").arg(i + 1));
    }

    fBottom = new QDateTimeAxis();
    fBottom->setFormat(TimeFormat);
    fBottom->setTickCount(6);
    fBottom->setTitleText(QStringLiteral("Local time"));
    fLeft = new QValueAxis();
    StyleValueAxis(fLeft, QStringLiteral("A: g/min"), SeriesBlue);
    fRight = new QValueAxis();
    StyleValueAxis(fRight, QStringLiteral("g/min"), SeriesRed);
    fChart->addAxis(fBottom, Qt::AlignBottom);
    fChart->addAxis(fLeft, Qt::AlignLeft);
    fChart->addAxis(fRight, Qt::AlignRight);

    const QDateTime now = QDateTime::currentDateTime();
    fBottom->setRange(now, now.addSecs(60));

    // The chart view is one widget to a screen reader: it is named, and its series are listed.
    setAccessibleName(QStringLiteral("Flows"));
    QStringList seriesNames;
    for (QXYSeries* series : SeriesInLegendOrder()) {
        seriesNames.append(series->name());
    }
    setAccessibleDescription(seriesNames.join(QStringLiteral(", ")));

    for (QXYSeries* series : SeriesInLegendOrder()) {
        fChart->addSeries(series);
        series->attachAxis(fBottom);
        series->attachAxis(fRight);
        connect(series, &QXYSeries::hovered, this, &TFlowChart::ShowPointValue);
    }
}

TFlowChart::~TFlowChart() = default;

QXYSeries* TFlowChart::Series(int number) const {
    return number >= 1 && number <= SeriesCount ? fSeries[number - 1] : nullptr;
}

QList<QXYSeries*> TFlowChart::SeriesInLegendOrder() const {
    return {fSeries[0], fSeries[1], fSeries[4], fSeries[3], fSeries[2]};
}

qint64 TFlowChart::ToAxisTime(Base::TDateTime value) {
    const Base::TDateTimeParts parts = Base::DecodeDateTime(value);
    const QDateTime local(QDate(parts.Year, parts.Month, parts.Day),
                          QTime(parts.Hour, parts.Minute, parts.Second, parts.Millisecond));
    return local.toMSecsSinceEpoch();
}

void TFlowChart::AddPoint(int number, Base::TDateTime x, double y) {
    if (QXYSeries* series = Series(number)) {
        series->append(static_cast<qreal>(ToAxisTime(x)), y);
        Rescale();
    }
}

int TFlowChart::PointCount(int number) const {
    const QXYSeries* series = Series(number);
    return series == nullptr ? 0 : static_cast<int>(series->count());
}

void TFlowChart::DeleteFirstPoint(int number) {
    QXYSeries* series = Series(number);
    if (series != nullptr && series->count() > 0) {
        series->remove(0);
        Rescale();
    }
}

void TFlowChart::ClearPoints() {
    for (QXYSeries* series : fSeries) {
        series->clear();
    }
    Rescale();
}

void TFlowChart::SetFixedValueRange(double minimum, double maximum) {
    if (!(minimum < maximum)) {
        return;
    }
    fAutoValues = false;
    fRight->setRange(minimum, maximum);
    fLeft->setRange(minimum, maximum);
}

void TFlowChart::SetAutomaticValueRange() {
    fAutoValues = true;
    Rescale();
}

void TFlowChart::SetTimeWindowMinutes(int minutes) {
    fWindowMinutes = std::max(0, minutes);
    Rescale();
}

void TFlowChart::Rescale() {
    double xMin = std::numeric_limits<double>::max();
    double xMax = std::numeric_limits<double>::lowest();
    double yMin = std::numeric_limits<double>::max();
    double yMax = std::numeric_limits<double>::lowest();
    for (const QXYSeries* series : fSeries) {
        for (const QPointF& point : series->points()) {
            xMin = std::min(xMin, point.x());
            xMax = std::max(xMax, point.x());
        }
    }
    if (xMin > xMax) {
        return; // no points: keep what the axes show
    }
    if (fWindowMinutes > 0) {
        xMin = std::max(xMin, xMax - fWindowMinutes * 60000.0);
    }
    for (const QXYSeries* series : fSeries) {
        if (!series->isVisible()) {
            continue;
        }
        for (const QPointF& point : series->points()) {
            if (point.x() >= xMin) {
                yMin = std::min(yMin, point.y());
                yMax = std::max(yMax, point.y());
            }
        }
    }
    const qint64 from = static_cast<qint64>(xMin);
    const qint64 to = std::max(static_cast<qint64>(xMax), from + 1000);
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(from);
    const QDateTime last = QDateTime::fromMSecsSinceEpoch(to);
    fBottom->setFormat(first.date() == last.date() ? TimeFormat : DateTimeFormat);
    fBottom->setRange(first, last);
    if (fAutoValues) {
        // Flows from 0 (a failed reading, -1, is no flow and stays below the axis) to a little
        // above the highest, at round ticks.
        const double top = yMin <= yMax && yMax > 0.0 ? yMax * 1.02 : EmptyValueMaximum;
        fRight->setTickCount(ValueTickCount);
        fRight->setRange(0.0, top);
        fRight->applyNiceNumbers();
        fLeft->setTickCount(fRight->tickCount());
        fLeft->setRange(fRight->min(), fRight->max());
    }
}

void TFlowChart::ShowPointValue(const QPointF& point, bool state) {
    if (state) {
        const QString text = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(point.x()))
                                 .toString(QStringLiteral("HH:mm:ss")) +
                             QStringLiteral("  ") +
                             QString::fromStdString(Base::FormatMask("0.000 ###", point.y()));
        QToolTip::showText(QCursor::pos(), text, this);
    } else {
        QToolTip::hideText();
    }
}

TChartEditor* TFlowChart::OpenEditor() {
    if (fEditor == nullptr) {
        fEditor = new TChartEditor(this, this);
        connect(fEditor, &QDialog::finished, this, &TFlowChart::OnEditorFinished);
    }
    fEditor->LoadFromChart();
    if (fEditorPosition) {
        fEditor->move(*fEditorPosition);
    }
    fEditor->show();
    fEditor->raise();
    fEditor->activateWindow();
    return fEditor;
}

void TFlowChart::OnEditorFinished() {
    fEditorPosition = fEditor->pos();
}

void TFlowChart::mouseDoubleClickEvent(QMouseEvent* event) {
    OpenEditor();
    event->accept();
}

} // namespace Widgets
