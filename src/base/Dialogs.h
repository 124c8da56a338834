#pragma once
// Modal questions to the operator, as the program's operations see them: a message with one OK
// button, a Yes/No question, and the choice of a file to open or to save. The window shows real
// message boxes and file dialogs; tests answer from a script.

#include <optional>
#include <string>

namespace Base {

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A modal message with one OK button; returns when the operator has closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // A modal warning titled `title` with the buttons Yes and No; true when the operator chose Yes.
    virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
    // A file to read, chosen in a dialog titled `title` that opens in `folder` and shows the files
    // that `filter` describes ("Segment programs (*.mixprog)"); none when the operator cancelled.
    virtual std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& folder,
                                                       const std::string& filter) = 0;
    // The same for a file to write; the dialog asks before an existing file is chosen.
    virtual std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& folder,
                                                       const std::string& filter) = 0;
};

} // namespace Base
