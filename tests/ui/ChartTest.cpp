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
#include <gtest/gtest.h>

namespace {

struct TSeriesRow {
    int Number;
    const char* Title;
    bool Line;
    QColor Color;
};

const TSeriesRow SeriesRows[] = {
    {1, "Gas A", false, QColor(0, 0, 255)},         {2, "Gas A moving average", false, QColor(0, 0, 255)},
    {3, "Gas B setpoint", true, QColor(255, 0, 0)}, {4, "Gas B", false, QColor(255, 0, 0)},
    {5, "Gas A setpoint", true, QColor(0, 0, 255)},
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
