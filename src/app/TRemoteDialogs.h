#pragma once
// The message boxes as the operations meet them when a remote client, not the operator, pressed
// the button. Outside a remote call everything goes to the operator's dialogs. Inside one, a
// message is kept as the call's answer instead of being shown, a file dialog is answered with the
// client's file, and a question that needs the operator is answered No and kept, so that a client
// can never say Yes for the operator, except to "Confirm selected gases" when the call allows it
// (the settings file lets remote clients confirm the gases).

#include "base/Dialogs.h"

#include <optional>
#include <string>
#include <vector>

namespace App {

struct TRemoteAnswers {
    std::optional<std::string> OpenFile; // the answer to a file-open dialog
    bool ConfirmGases = false;           // Yes to "Confirm selected gases"
};

class TRemoteDialogs : public Base::TDialogs {
public:
    // `operatorDialogs` must outlive this.
    explicit TRemoteDialogs(Base::TDialogs& operatorDialogs) : fOperator(operatorDialogs) {}

    // One remote call: from its making to its end the dialogs answer for the client.
    class TCall {
    public:
        TCall(TRemoteDialogs& dialogs, TRemoteAnswers answers);
        ~TCall();
        TCall(const TCall&) = delete;
        TCall& operator=(const TCall&) = delete;

        // What the operation said, in order: its messages, and the questions answered No
        // ("<title>: <question>").
        const std::vector<std::string>& Said() const { return fSaid; }
        // All of it on one line for a client ("" when nothing was said).
        std::string Text() const;

    private:
        friend class TRemoteDialogs;
        TRemoteDialogs& fDialogs;
        TRemoteAnswers fAnswers;
        std::vector<std::string> fSaid;
        TCall* fOuter;
    };

    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override;
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override;

private:
    Base::TDialogs& fOperator;
    TCall* fCall = nullptr;
};

} // namespace App
