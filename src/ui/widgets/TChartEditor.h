#pragma once
// The chart editor: shows or hides each series of the flow chart and fixes the value axes or lets
// them follow the points; the time axis shows everything or the last minutes.

#include <QDialog>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QSpinBox;

namespace Widgets {

class TFlowChart;

class TChartEditor : public QDialog {
    Q_OBJECT
public:
    TChartEditor(TFlowChart* chart, QWidget* parent);

    // Reads the chart's present settings into the editor.
    void LoadFromChart();
    // Applies the editor's settings to the chart.
    void ApplyToChart();

    QCheckBox* SeriesCheck(int legendIndex) const;
    QCheckBox* AutomaticCheck() const { return fAutomatic; }
    QDoubleSpinBox* MinimumBox() const { return fMinimum; }
    QDoubleSpinBox* MaximumBox() const { return fMaximum; }
    QSpinBox* WindowBox() const { return fWindow; }

private:
    TFlowChart* fChart;
    std::vector<QCheckBox*> fSeriesChecks;
    QCheckBox* fAutomatic;
    QDoubleSpinBox* fMinimum;
    QDoubleSpinBox* fMaximum;
    QSpinBox* fWindow;
};

} // namespace Widgets
