#pragma once
// Page 4, "Flows": the flow chart fills the page.

#include <QWidget>

namespace Widgets {
class TFlowChart;
}

namespace UnitMain {

class TFlowsTab : public QWidget {
    Q_OBJECT
public:
    explicit TFlowsTab(QWidget* parent = nullptr);

    Widgets::TFlowChart* Chart1;
};

} // namespace UnitMain
