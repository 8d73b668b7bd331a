#pragma once

#include <functional>

#include "seams/Dialogs.h"

namespace qvset::forms {

// The window's dialogs: before any message box or file dialog opens, `beforeShow` has the window show
// everything the handler has done so far (a lit button, a replaced text, a new file name), so that
// what the user reads in the box agrees with what the window shows behind it.
class PaintingDialogs final : public Dialogs {
  public:
    PaintingDialogs(Dialogs& dialogs, std::function<void()> beforeShow)
        : m_dialogs(dialogs), m_beforeShow(std::move(beforeShow)) {}

    MessageAnswer ShowMessage(const MessageRequest& request) override {
        m_beforeShow();
        return m_dialogs.ShowMessage(request);
    }
    void ShowOpen(FileDialogState& dialog) override {
        m_beforeShow();
        m_dialogs.ShowOpen(dialog);
    }
    void ShowSave(FileDialogState& dialog) override {
        m_beforeShow();
        m_dialogs.ShowSave(dialog);
    }

  private:
    Dialogs& m_dialogs;
    std::function<void()> m_beforeShow;
};

}  // namespace qvset::forms
