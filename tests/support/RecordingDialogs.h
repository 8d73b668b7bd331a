#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "seams/Dialogs.h"
#include "seams/Pause.h"

namespace qvset::testing {

// Dialogs for tests: records every message and file dialog, answers questions and file dialogs from
// queues (Yes and "cancel" when a queue is empty).
class RecordingDialogs final : public Dialogs {
  public:
    MessageAnswer ShowMessage(const MessageRequest& request) override;
    void ShowOpen(FileDialogState& dialog) override;
    void ShowSave(FileDialogState& dialog) override;

    void QueueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    // Called as each message box or file dialog opens, before it is recorded and answered: a test
    // notes there what the window shows while the dialog is open.
    void OnShow(std::function<void()> hook) { m_onShow = std::move(hook); }
    void QueueFileName(std::string fileName) { m_fileNames.push_back(std::move(fileName)); }

    const std::vector<MessageRequest>& Messages() const { return m_messages; }
    std::vector<std::string> MessageTexts() const;
    // The dialogs as they were when shown, before the answer was filled in.
    const std::vector<FileDialogState>& OpenDialogs() const { return m_opens; }
    const std::vector<FileDialogState>& SaveDialogs() const { return m_saves; }
    void Clear();

  private:
    std::vector<MessageRequest> m_messages;
    std::vector<FileDialogState> m_opens;
    std::vector<FileDialogState> m_saves;
    std::deque<MessageAnswer> m_answers;
    std::deque<std::string> m_fileNames;
    std::function<void()> m_onShow;
};

// A pause that only records what was asked of it.
class RecordingPause final : public Pause {
  public:
    void Wait(int milliseconds) override {
        m_waits.push_back(milliseconds);
        if (m_listener) m_listener(milliseconds);
    }
    const std::vector<int>& Waits() const { return m_waits; }
    void Clear() { m_waits.clear(); }
    // Called with every wait as it is asked for, so that a test can log it among other events.
    void OnWait(std::function<void(int)> listener) { m_listener = std::move(listener); }

  private:
    std::vector<int> m_waits;
    std::function<void(int)> m_listener;
};

}  // namespace qvset::testing
