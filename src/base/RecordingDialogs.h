#pragma once
// Message boxes for tests: every message and question is recorded; questions are answered from a
// queue of prepared answers (No when the queue is empty).

#include "base/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace Base {

class TRecordingDialogs final : public TDialogs {
public:
    struct TQuestion {
        std::string Title;
        std::string Text;
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

    std::vector<std::string> Messages;
    std::vector<TQuestion> Questions;
    std::deque<bool> Answers; // true = Yes
};

} // namespace Base
