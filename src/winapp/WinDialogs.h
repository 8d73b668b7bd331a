#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <functional>
#include <string>

#include "seams/Dialogs.h"

namespace qvset::winapp {

// The window's dialogs on Windows: MessageBoxW with the message's text, title, icon and buttons, and the
// common open and save dialogs (GetOpenFileNameW, GetSaveFileNameW) with the shared dialog's title,
// filter and file name. Each is owned by the program's active window, so that window takes no input
// while the dialog is open.
class WinDialogs final : public Dialogs {
  public:
    // `owner` gives the window that owns each dialog (nullptr: none).
    explicit WinDialogs(std::function<HWND()> owner = [] { return GetActiveWindow(); });

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    void ShowOpen(FileDialogState& dialog) override;
    void ShowSave(FileDialogState& dialog) override;

    // The MessageBoxW style of a message, and the program's answer for MessageBoxW's result.
    static UINT StyleOf(const MessageRequest& request);
    static MessageAnswer AnswerOf(int result, MessageButtons buttons);
    // "desc|pattern|desc|pattern|" as the double-NUL-terminated list the common dialogs take.
    static std::wstring FilterList(const std::string& filter);

  private:
    void ShowFileDialog(FileDialogState& dialog, bool save);

    std::function<HWND()> m_owner;
};

// The title of a message box whose request leaves it empty: the program's name.
inline constexpr const wchar_t* kDefaultMessageTitle = L"qvset";

}  // namespace qvset::winapp
