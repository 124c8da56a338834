#include "ui/controllers/TSetupController.h"

#include "serial/ListComPorts.h"
#include "ui/TForm1.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TListBox.h"

#include <QCheckBox>
#include <QPushButton>

namespace UnitMain {

TSetupController::TSetupController(TForm1& form, TMoistrelState& state, QObject* parent)
    : QObject(parent), fForm(form), fState(state) {
    connect(fForm.Setup->ButtonSetupFindPorts, &QPushButton::clicked, this,
            [this] { ButtonSetupFindPortsClick(); });
}

void TSetupController::ButtonSetupFindPortsClick() {
    TSetupTab* page = fForm.Setup;
    const std::vector<std::string> ports = SerialPort::ListComPorts();
    for (Widgets::TListBox* list : {page->ListBoxPortPump, page->ListBoxPortMFC1, page->ListBoxPortMFC2}) {
        list->SetItems(ports);
    }
    for (QCheckBox* box : {page->CheckBoxPump, page->CheckBoxMFC, page->CheckBoxGas}) {
        box->setChecked(false);
    }
}

} // namespace UnitMain
