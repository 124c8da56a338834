// The flow chart: its five series with titles, kinds and styles, its axes, points added and
// trimmed, and the chart editor opened by a double click that comes back where it was left.

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "ui/widgets/TChartEditor.h"
#include "ui/widgets/TFlowChart.h"

#include <QApplication>
#include <QChart>
#include <QCheckBox>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTest>
#include <QValueAxis>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct TSeriesRow {
    int Number;
    const char* Title;
    bool Line;
    QColor Color;
};

const TSeriesRow SeriesRows[] = {
    {1, "Gas A", false, QColor(0, 0, 255)},         {2, "Gas A moving average", false, QColor(0, 170, 255)},
    {3, "Gas B setpoint", true, QColor(140, 0, 0)}, {4, "Gas B", false, QColor(255, 0, 0)},
    {5, "Gas A setpoint", true, QColor(0, 0, 140)},
};

TEST(FlowChart, HasFiveSeriesWithTheirTitlesKindsAndStyles) {
    Widgets::TFlowChart chart;
    EXPECT_EQ(chart.objectName(), QStringLiteral("Chart1"));
    ASSERT_EQ(chart.chart()->series().size(), 5);
    for (const TSeriesRow& row : SeriesRows) {
        SCOPED_TRACE(row.Title);
        QXYSeries* series = chart.Series(row.Number);
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->name(), QString::fromLatin1(row.Title));
        EXPECT_EQ(series->objectName(), QStringLiteral("Series%1").arg(row.Number));
        if (row.Line) {
            auto* line = qobject_cast<QLineSeries*>(series);
            ASSERT_NE(line, nullptr);
            EXPECT_EQ(line->pen().width(), 3);
            EXPECT_EQ(line->pen().style(), Qt::DashLine);
            EXPECT_EQ(line->pen().color(), row.Color);
        } else {
            auto* points = qobject_cast<QScatterSeries*>(series);
            ASSERT_NE(points, nullptr);
            EXPECT_EQ(points->color(), row.Color);
        }
        // Every series is plotted against the time axis and the right-hand axis.
        const auto axes = series->attachedAxes();
        ASSERT_EQ(axes.size(), 2);
        EXPECT_TRUE(axes.contains(chart.BottomAxis()));
        EXPECT_TRUE(axes.contains(chart.RightAxis()));
    }
    auto* gasA = qobject_cast<QScatterSeries*>(chart.Series(1));
    EXPECT_EQ(gasA->markerShape(), QScatterSeries::MarkerShapeRotatedRectangle); // a diamond
    EXPECT_DOUBLE_EQ(gasA->markerSize(), 5.0);
    EXPECT_EQ(qobject_cast<QScatterSeries*>(chart.Series(2))->markerShape(),
              QScatterSeries::MarkerShapeCircle);
    EXPECT_EQ(qobject_cast<QScatterSeries*>(chart.Series(4))->markerShape(),
              QScatterSeries::MarkerShapeCircle);
    EXPECT_EQ(chart.Series(0), nullptr);
    EXPECT_EQ(chart.Series(6), nullptr);

    // The legend lists A's series first.
    const QStringList legend = {QStringLiteral("Gas A"), QStringLiteral("Gas A moving average"),
                                QStringLiteral("Gas A setpoint"), QStringLiteral("Gas B"),
                                QStringLiteral("Gas B setpoint")};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(chart.chart()->series()[i]->name(), legend[i]);
    }
}

TEST(FlowChart, AxesLegendAndTitle) {
    Widgets::TFlowChart chart;
    EXPECT_EQ(chart.chart()->legend()->alignment(), Qt::AlignTop);
    EXPECT_TRUE(chart.chart()->legend()->isVisible());
    EXPECT_TRUE(chart.chart()->title().isEmpty());
    EXPECT_EQ(chart.BottomAxis()->format(), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(chart.LeftAxis()->titleText(), QStringLiteral("A: g/min"));
    EXPECT_EQ(chart.RightAxis()->titleText(), QStringLiteral("g/min"));
    EXPECT_EQ(chart.chart()->axes(Qt::Vertical).size(), 2);
    EXPECT_EQ(chart.LeftAxis()->alignment(), Qt::AlignLeft);
    EXPECT_EQ(chart.RightAxis()->alignment(), Qt::AlignRight);
    EXPECT_EQ(chart.LeftAxis()->gridLinePen().color(), QColor(0, 0, 255));
    EXPECT_EQ(chart.RightAxis()->gridLinePen().color(), QColor(255, 0, 0));
}

// The texts the chart has drawn: axis labels, titles, legend entries.
QStringList DrawnTexts(Widgets::TFlowChart& chart) {
    QStringList texts;
    for (const QGraphicsItem* item : chart.scene()->items()) {
        if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item)) {
            texts.append(text->toPlainText());
        } else if (const auto* simple = dynamic_cast<const QGraphicsSimpleTextItem*>(item)) {
            texts.append(simple->text());
        }
    }
    return texts;
}

TEST(FlowChart, AxisLabelsUseTheOperatorsDecimalSeparator) {
    const struct {
        const char* Separator;
        const char* Label; // the value 0.02 of the default range 0 to 0.1
        const char* Other;
    } cases[] = {{",", "0,020000", "0.020000"}, {".", "0.020000", "0,020000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Separator);
        const Base::TScopedFormatSettings settings({c.Separator, ":"});
        Widgets::TFlowChart chart;
        chart.resize(700, 400);
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
        QApplication::processEvents();
        const QStringList texts = DrawnTexts(chart);
        EXPECT_TRUE(texts.contains(QString::fromLatin1(c.Label)))
            << texts.join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(texts.contains(QString::fromLatin1(c.Other)));
    }
}

TEST(FlowChart, PointsAreAddedAtTheirTimeAndTrimmedFromTheOldest) {
    Widgets::TFlowChart chart;
    const Base::TDateTime start = Base::EncodeDateTime({2024, 5, 20, 14, 5, 33, 0});
    for (int i = 0; i < 12; ++i) {
        chart.AddPoint(1, start + i / Base::SecondsPerDay, 0.0179 + i * 0.0001);
    }
    chart.AddPoint(5, start, 0.0179);
    EXPECT_EQ(chart.PointCount(1), 12);
    EXPECT_EQ(chart.PointCount(5), 1);
    EXPECT_EQ(chart.PointCount(3), 0);
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(chart.Series(1)->at(0).x()));
    EXPECT_EQ(first.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), QStringLiteral("2024-05-20 14:05:33"));
    // The axes follow the points.
    EXPECT_LE(chart.RightAxis()->min(), 0.0179);
    EXPECT_GE(chart.RightAxis()->max(), 0.0179 + 11 * 0.0001);
    EXPECT_EQ(chart.BottomAxis()->min(), first);

    for (int i = 0; i < 10; ++i) {
        chart.DeleteFirstPoint(1);
    }
    EXPECT_EQ(chart.PointCount(1), 2);
    EXPECT_DOUBLE_EQ(chart.Series(1)->at(0).y(), 0.0179 + 10 * 0.0001);
    chart.DeleteFirstPoint(3); // an empty series is left alone
    EXPECT_EQ(chart.PointCount(3), 0);
    chart.AddPoint(9, start, 1.0); // no such series
    chart.ClearPoints();
    EXPECT_EQ(chart.PointCount(1), 0);
}

// The legend tells the five apart by colour alone: each series has its own shade, A's blues and
// B's reds, and the set-point lines are dashed besides.
TEST(FlowChart, EverySeriesHasItsOwnShadeAndEachGasKeepsItsColour) {
    Widgets::TFlowChart chart;
    QStringList shades;
    for (const TSeriesRow& row : SeriesRows) {
        QXYSeries* series = chart.Series(row.Number);
        const auto* line = qobject_cast<QLineSeries*>(series);
        const auto* points = qobject_cast<QScatterSeries*>(series);
        ASSERT_TRUE(line != nullptr || points != nullptr);
        const QColor color = points != nullptr ? points->color() : line->pen().color();
        const bool gasA = QString::fromLatin1(row.Title).startsWith(QStringLiteral("Gas A"));
        SCOPED_TRACE(row.Title);
        EXPECT_EQ(gasA, color.blue() > color.red()) << color.name().toStdString();
        if (line != nullptr) {
            EXPECT_NE(line->pen().style(), Qt::SolidLine);
        }
        shades.append(color.name());
    }
    shades.removeDuplicates();
    EXPECT_EQ(shades.size(), 5) << shades.join(QLatin1Char(' ')).toStdString();
}

// After points come in, both flow axes run from 0 to a round value above the highest point, their
// ticks a round step apart (1, 2 or 5 times a power of ten).
TEST(FlowChart, FlowAxesStartAtZeroWithRoundTicks) {
    const struct {
        const char* Name;
        std::vector<double> Values;
        double Highest;
    } cases[] = {
        {"small flows", {0.0179, 0.0183, 0.0190}, 0.0190},
        {"large flows", {0.0, 3.2, 10.18}, 10.18},
        {"a failed reading", {-1.0, 0.5, 0.47}, 0.5},
        {"no flow at all", {0.0, 0.0}, 0.0},
        {"only failed readings", {-1.0}, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Widgets::TFlowChart chart;
        const Base::TDateTime start = Base::EncodeDateTime({2024, 5, 20, 14, 5, 33, 0});
        for (std::size_t i = 0; i < c.Values.size(); ++i) {
            chart.AddPoint(1, start + static_cast<double>(i) / Base::SecondsPerDay, c.Values[i]);
        }
        for (const QValueAxis* axis : {chart.RightAxis(), chart.LeftAxis()}) {
            EXPECT_EQ(axis->min(), 0.0);
            EXPECT_GT(axis->max(), c.Highest);
            ASSERT_GE(axis->tickCount(), 2);
            const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
            const double power = std::pow(10.0, std::floor(std::log10(step)));
            const double mantissa = step / power;
            EXPECT_TRUE(std::fabs(mantissa - 1.0) < 1e-9 || std::fabs(mantissa - 2.0) < 1e-9 ||
                        std::fabs(mantissa - 5.0) < 1e-9)
                << "step " << step;
            const double steps = axis->max() / step;
            EXPECT_NEAR(steps, std::round(steps), 1e-9) << "maximum " << axis->max();
        }
        EXPECT_EQ(chart.LeftAxis()->max(), chart.RightAxis()->max());
        EXPECT_EQ(chart.LeftAxis()->tickCount(), chart.RightAxis()->tickCount());
    }
}

// The time axis shows clock times; once the points reach over midnight it shows the date as well.
TEST(FlowChart, TheTimeAxisShowsTheDateOnceTheRunCrossesADay) {
    Widgets::TFlowChart chart;
    EXPECT_FALSE(chart.BottomAxis()->titleText().isEmpty());
    const Base::TDateTime start = Base::EncodeDateTime({2024, 5, 20, 14, 5, 33, 0});
    chart.AddPoint(1, start, 0.02);
    chart.AddPoint(1, start + 9.0 / 24.0, 0.02); // 23:05:33, the same day
    EXPECT_EQ(chart.BottomAxis()->format(), QStringLiteral("HH:mm:ss"));
    chart.AddPoint(1, start + 1.5, 0.02); // the next day's night
    const QString format = chart.BottomAxis()->format();
    EXPECT_TRUE(format.contains(QStringLiteral("dd")) && format.contains(QStringLiteral("MM")) &&
                format.contains(QStringLiteral("HH")))
        << format.toStdString();
    // Once the day's older points are trimmed, clock times are enough again.
    chart.DeleteFirstPoint(1);
    chart.DeleteFirstPoint(1);
    EXPECT_EQ(chart.BottomAxis()->format(), QStringLiteral("HH:mm:ss"));
}

TEST(FlowChart, DoubleClickOpensTheEditorWhichRemembersItsPlace) {
    Widgets::TFlowChart chart;
    chart.resize(600, 400);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    EXPECT_EQ(chart.Editor(), nullptr);
    QTest::mouseDClick(chart.viewport(), Qt::LeftButton, {}, QPoint(300, 200));
    Widgets::TChartEditor* editor = chart.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());

    // Hide "Gas B" and fix the flow axes.
    editor->SeriesCheck(3)->setChecked(false);
    editor->AutomaticCheck()->setChecked(false);
    editor->MinimumBox()->setValue(0.01);
    editor->MaximumBox()->setValue(0.05);
    editor->ApplyToChart();
    EXPECT_FALSE(chart.Series(4)->isVisible());
    EXPECT_TRUE(chart.Series(1)->isVisible());
    EXPECT_FALSE(chart.AutomaticValueRange());
    EXPECT_DOUBLE_EQ(chart.RightAxis()->min(), 0.01);
    EXPECT_DOUBLE_EQ(chart.RightAxis()->max(), 0.05);
    chart.AddPoint(1, Base::EncodeDateTime({2024, 5, 20, 14, 5, 33, 0}), 0.2);
    EXPECT_DOUBLE_EQ(chart.RightAxis()->max(), 0.05) << "a fixed range stays fixed";

    editor->move(137, 151);
    const QPoint left = editor->pos();
    editor->accept();
    EXPECT_FALSE(editor->isVisible());
    ASSERT_TRUE(chart.RememberedEditorPosition().has_value());
    EXPECT_EQ(*chart.RememberedEditorPosition(), left);

    chart.OpenEditor();
    EXPECT_EQ(chart.Editor()->pos(), left);
    EXPECT_FALSE(chart.Editor()->SeriesCheck(3)->isChecked()) << "the editor shows the chart as it is";
    chart.Editor()->AutomaticCheck()->setChecked(true);
    chart.Editor()->ApplyToChart();
    EXPECT_TRUE(chart.AutomaticValueRange());
    EXPECT_GE(chart.RightAxis()->max(), 0.2);
    chart.Editor()->reject();
}

} // namespace
