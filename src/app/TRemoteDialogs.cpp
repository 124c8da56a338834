#include "app/TRemoteDialogs.h"

#include "setup/GasSelection.h"

#include <utility>

namespace App {

TRemoteDialogs::TCall::TCall(TRemoteDialogs& dialogs, TRemoteAnswers answers)
    : fDialogs(dialogs), fAnswers(std::move(answers)), fOuter(dialogs.fCall) {
    fDialogs.fCall = this;
}

TRemoteDialogs::TCall::~TCall() {
    fDialogs.fCall = fOuter;
}

std::string TRemoteDialogs::TCall::Text() const {
    std::string text;
    for (const std::string& said : fSaid) {
        if (!text.empty()) {
            text += ' ';
        }
        text += said;
    }
    return text;
}

void TRemoteDialogs::ShowMessage(const std::string& text) {
    if (fCall == nullptr) {
        fOperator.ShowMessage(text);
        return;
    }
    fCall->fSaid.push_back(text);
}

bool TRemoteDialogs::AskYesNo(const std::string& title, const std::string& text) {
    if (fCall == nullptr) {
        return fOperator.AskYesNo(title, text);
    }
    if (fCall->fAnswers.ConfirmGases && title == Setup::ConfirmGasesTitle) {
        return true;
    }
    fCall->fSaid.push_back(title + ": " + text);
    return false;
}

std::optional<std::string> TRemoteDialogs::AskOpenFileName(const std::string& title,
                                                           const std::string& folder,
                                                           const std::string& filter) {
    if (fCall == nullptr) {
        return fOperator.AskOpenFileName(title, folder, filter);
    }
    return std::exchange(fCall->fAnswers.OpenFile, std::nullopt);
}

std::optional<std::string> TRemoteDialogs::AskSaveFileName(const std::string& title,
                                                           const std::string& folder,
                                                           const std::string& filter) {
    if (fCall == nullptr) {
        return fOperator.AskSaveFileName(title, folder, filter);
    }
    return std::nullopt;
}

} // namespace App
