#include "support/RecordingDialogs.h"

namespace qvset::testing {

MessageAnswer RecordingDialogs::ShowMessage(const MessageRequest& request) {
    if (m_onShow) m_onShow();
    m_messages.push_back(request);
    if (request.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (m_answers.empty()) return MessageAnswer::Yes;
    const MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void RecordingDialogs::ShowOpen(FileDialogState& dialog) {
    if (m_onShow) m_onShow();
    m_opens.push_back(dialog);
    dialog.fileName = m_fileNames.empty() ? std::string() : m_fileNames.front();
    if (!m_fileNames.empty()) m_fileNames.pop_front();
}

void RecordingDialogs::ShowSave(FileDialogState& dialog) {
    if (m_onShow) m_onShow();
    m_saves.push_back(dialog);
    dialog.fileName = m_fileNames.empty() ? std::string() : m_fileNames.front();
    if (!m_fileNames.empty()) m_fileNames.pop_front();
}

std::vector<std::string> RecordingDialogs::MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : m_messages) texts.push_back(message.text);
    return texts;
}

void RecordingDialogs::Clear() {
    m_messages.clear();
    m_opens.clear();
    m_saves.clear();
}

}  // namespace qvset::testing
