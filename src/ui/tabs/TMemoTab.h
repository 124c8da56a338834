#pragma once
// Pages 5 "Log" and 6 "Pump info": one borderless text pane that fills the page.

#include <QWidget>

namespace Widgets {
class TMemoPane;
}

namespace UnitMain {

class TMemoTab : public QWidget {
    Q_OBJECT
public:
    TMemoTab(const QString& memoName, QWidget* parent = nullptr);

    Widgets::TMemoPane* Memo;
};

} // namespace UnitMain
