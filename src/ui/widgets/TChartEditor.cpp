#include "ui/widgets/TChartEditor.h"

#include "ui/widgets/TFlowChart.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QXYSeries>

namespace Widgets {

TChartEditor::TChartEditor(TFlowChart* chart, QWidget* parent) : QDialog(parent), fChart(chart) {
    setObjectName(QStringLiteral("ChartEditor"));
    setWindowTitle(QStringLiteral("Chart editor"));
    auto* layout = new QVBoxLayout(this);

    auto* seriesBox = new QGroupBox(QStringLiteral("Series"), this);
    auto* seriesLayout = new QVBoxLayout(seriesBox);
    for (QXYSeries* series : fChart->SeriesInLegendOrder()) {
        auto* check = new QCheckBox(series->name(), seriesBox);
        check->setObjectName(QStringLiteral("CheckShow") + series->objectName());
        seriesLayout->addWidget(check);
        fSeriesChecks.push_back(check);
    }
    layout->addWidget(seriesBox);

    auto* axisBox = new QGroupBox(QStringLiteral("Flow axes (g/min)"), this);
    auto* axisLayout = new QFormLayout(axisBox);
    fAutomatic = new QCheckBox(QStringLiteral("Automatic"), axisBox);
    fAutomatic->setObjectName(QStringLiteral("CheckAutomatic"));
    fMinimum = new QDoubleSpinBox(axisBox);
    fMaximum = new QDoubleSpinBox(axisBox);
    for (QDoubleSpinBox* box : {fMinimum, fMaximum}) {
        box->setDecimals(6);
        box->setRange(-1e6, 1e6);
        box->setSingleStep(0.001);
    }
    fMinimum->setObjectName(QStringLiteral("SpinMinimum"));
    fMaximum->setObjectName(QStringLiteral("SpinMaximum"));
    axisLayout->addRow(fAutomatic);
    axisLayout->addRow(QStringLiteral("Minimum"), fMinimum);
    axisLayout->addRow(QStringLiteral("Maximum"), fMaximum);
    connect(fAutomatic, &QCheckBox::toggled, this, [this](bool automatic) {
        fMinimum->setEnabled(!automatic);
        fMaximum->setEnabled(!automatic);
    });
    layout->addWidget(axisBox);

    auto* timeBox = new QGroupBox(QStringLiteral("Time axis"), this);
    auto* timeLayout = new QFormLayout(timeBox);
    fWindow = new QSpinBox(timeBox);
    fWindow->setObjectName(QStringLiteral("SpinWindowMinutes"));
    fWindow->setRange(0, 100000);
    fWindow->setSpecialValueText(QStringLiteral("all points"));
    fWindow->setSuffix(QStringLiteral(" min"));
    timeLayout->addRow(QStringLiteral("Show the last"), fWindow);
    layout->addWidget(timeBox);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        ApplyToChart();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &TChartEditor::ApplyToChart);
    layout->addWidget(buttons);
}

QCheckBox* TChartEditor::SeriesCheck(int legendIndex) const {
    return legendIndex >= 0 && legendIndex < static_cast<int>(fSeriesChecks.size())
               ? fSeriesChecks[static_cast<std::size_t>(legendIndex)]
               : nullptr;
}

void TChartEditor::LoadFromChart() {
    const auto series = fChart->SeriesInLegendOrder();
    for (qsizetype i = 0; i < series.size(); ++i) {
        fSeriesChecks[static_cast<std::size_t>(i)]->setChecked(series[i]->isVisible());
    }
    fAutomatic->setChecked(fChart->AutomaticValueRange());
    fMinimum->setValue(fChart->RightAxis()->min());
    fMaximum->setValue(fChart->RightAxis()->max());
    fMinimum->setEnabled(!fAutomatic->isChecked());
    fMaximum->setEnabled(!fAutomatic->isChecked());
    fWindow->setValue(fChart->TimeWindowMinutes());
}

void TChartEditor::ApplyToChart() {
    const auto series = fChart->SeriesInLegendOrder();
    for (qsizetype i = 0; i < series.size(); ++i) {
        series[i]->setVisible(fSeriesChecks[static_cast<std::size_t>(i)]->isChecked());
    }
    if (fAutomatic->isChecked() || fMinimum->value() >= fMaximum->value()) {
        fChart->SetAutomaticValueRange();
        fAutomatic->setChecked(true);
    } else {
        fChart->SetFixedValueRange(fMinimum->value(), fMaximum->value());
    }
    fChart->SetTimeWindowMinutes(fWindow->value());
}

} // namespace Widgets
