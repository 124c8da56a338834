#pragma once
// Message boxes and file dialogs for tests: every message, question and file dialog is recorded;
// questions are answered from a queue of prepared answers (No when the queue is empty), file
// dialogs from a queue of prepared file names (cancelled when the queue is empty).

#include "base/Dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Base {

class TRecordingDialogs final : public TDialogs {
public:
    struct TQuestion {
        std::string Title;
        std::string Text;
    };
    struct TFileQuestion {
        bool Save = false; // a save dialog; an open dialog otherwise
        std::string Title;
        std::string Folder;
        std::string Filter;
    };

    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    bool AskYesNo(const std::string& title, const std::string& text) override {
        Questions.push_back({title, text});
        if (Answers.empty()) {
            return false;
        }
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override {
        return NextFileName({false, title, folder, filter});
    }
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override {
        return NextFileName({true, title, folder, filter});
    }

    std::vector<std::string> Messages;
    std::vector<TQuestion> Questions;
    std::deque<bool> Answers; // true = Yes
    std::vector<TFileQuestion> FileQuestions;
    std::deque<std::optional<std::string>> FileNames; // none = the operator cancelled

private:
    std::optional<std::string> NextFileName(TFileQuestion question) {
        FileQuestions.push_back(std::move(question));
        if (FileNames.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> name = FileNames.front();
        FileNames.pop_front();
        return name;
    }
};

} // namespace Base
