#include "ui/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace UnitMain {

void TQtDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), QString::fromStdString(text),
                    QMessageBox::Ok, fOwner);
    box.exec();
}

bool TQtDialogs::AskYesNo(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, fOwner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace UnitMain
