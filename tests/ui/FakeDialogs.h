#pragma once
// A recording IDialogs for GUI tests: every request is kept, and the answers
// come from queues the test fills beforehand. An empty queue answers "cancel"
// (file dialogs) or "No" (questions), so a test that forgets an answer cannot
// block on a real dialog.

#include "platform/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

class CFakeDialogs : public IDialogs {
public:
    struct MESSAGE {
        std::string text;
        std::string caption;
        MessageIcon icon = MessageIcon::None;
    };

    // Queued answers.
    // A file dialog answer: empty path = the user cancels.
    void QueueOpenFile(const std::string& path, int filterIndex = 1) { m_openAnswers.push_back({path, filterIndex}); }
    void QueueSaveFile(const std::string& path, int filterIndex = 1) { m_saveAnswers.push_back({path, filterIndex}); }
    void QueueYesNo(bool yes) { m_yesNoAnswers.push_back(yes); }

    bool OpenFile(void*, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result) override {
        m_openRequests.push_back(request);
        return Answer(m_openAnswers, result);
    }
    bool SaveFile(void*, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result) override {
        m_saveRequests.push_back(request);
        return Answer(m_saveAnswers, result);
    }
    void Message(void*, const std::string& text, const std::string& caption, MessageIcon icon) override {
        m_messages.push_back({text, caption, icon});
    }
    bool AskYesNo(void*, const std::string& text, const std::string& caption, MessageIcon icon) override {
        m_questions.push_back({text, caption, icon});
        if (m_yesNoAnswers.empty()) return false;
        const bool yes = m_yesNoAnswers.front();
        m_yesNoAnswers.pop_front();
        return yes;
    }

    // What was asked, in order.
    std::vector<FILEDIALOGREQUEST> m_openRequests;
    std::vector<FILEDIALOGREQUEST> m_saveRequests;
    std::vector<MESSAGE> m_messages;
    std::vector<MESSAGE> m_questions;

private:
    static bool Answer(std::deque<FILEDIALOGRESULT>& answers, FILEDIALOGRESULT& result) {
        if (answers.empty()) return false;
        FILEDIALOGRESULT answer = answers.front();
        answers.pop_front();
        if (answer.path.empty()) return false;
        result = answer;
        return true;
    }

    std::deque<FILEDIALOGRESULT> m_openAnswers;
    std::deque<FILEDIALOGRESULT> m_saveAnswers;
    std::deque<bool> m_yesNoAnswers;
};
