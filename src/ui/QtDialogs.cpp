#include "ui/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
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

namespace {

// A modal file dialog; the chosen file's path, or none when the operator cancelled.
std::optional<std::string> AskFileName(QWidget* owner, QFileDialog::AcceptMode mode, const std::string& title,
                                       const std::string& folder, const std::string& filter) {
    QFileDialog dialog(owner, QString::fromStdString(title), QString::fromStdString(folder),
                       QString::fromStdString(filter));
    dialog.setAcceptMode(mode);
    // A name typed without its extension gets the filter's ("Programs (*.mixprog)" gives "mixprog"),
    // so that the dialog asks before it replaces the file that will really be written.
    const QString pattern =
        QString::fromStdString(filter).section(QStringLiteral("*."), 1).section(QLatin1Char(')'), 0, 0);
    if (mode == QFileDialog::AcceptSave && !pattern.isEmpty()) {
        dialog.setDefaultSuffix(pattern.section(QLatin1Char(' '), 0, 0));
    }
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

} // namespace

std::optional<std::string> TQtDialogs::AskOpenFileName(const std::string& title, const std::string& folder,
                                                       const std::string& filter) {
    return AskFileName(fOwner, QFileDialog::AcceptOpen, title, folder, filter);
}

std::optional<std::string> TQtDialogs::AskSaveFileName(const std::string& title, const std::string& folder,
                                                       const std::string& filter) {
    return AskFileName(fOwner, QFileDialog::AcceptSave, title, folder, filter);
}

} // namespace UnitMain
