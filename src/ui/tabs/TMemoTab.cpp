#include "ui/tabs/TMemoTab.h"

#include "ui/tabs/ControlFactory.h"
#include "ui/widgets/TMemoPane.h"

#include <QVBoxLayout>

namespace UnitMain {

TMemoTab::TMemoTab(const QString& memoName, QWidget* parent) : QWidget(parent) {
    Memo = MakeMemo(memoName, false, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo);
}

} // namespace UnitMain
