#pragma once
// Modal questions to the operator, as the program's operations see them: a message with one OK
// button, and a Yes/No question. The window shows real message boxes; tests answer from a script.

#include <string>

namespace Base {

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A modal message with one OK button; returns when the operator has closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // A modal warning titled `title` with the buttons Yes and No; true when the operator chose Yes.
    virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
};

} // namespace Base
