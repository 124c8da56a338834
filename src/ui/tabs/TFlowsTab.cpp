#include "ui/tabs/TFlowsTab.h"

#include "ui/widgets/TFlowChart.h"

#include <QVBoxLayout>

namespace UnitMain {

TFlowsTab::TFlowsTab(QWidget* parent) : QWidget(parent) {
    Chart1 = new Widgets::TFlowChart(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart1);
}

} // namespace UnitMain
