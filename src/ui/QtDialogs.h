#pragma once
// The message boxes and file dialogs of the window.

#include "base/Dialogs.h"

class QWidget;

namespace UnitMain {

class TQtDialogs final : public Base::TDialogs {
public:
    // `owner` (may be null) is the window the boxes belong to; it must outlive this object.
    explicit TQtDialogs(QWidget* owner) : fOwner(owner) {}
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override;
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override;

private:
    QWidget* fOwner;
};

} // namespace UnitMain
