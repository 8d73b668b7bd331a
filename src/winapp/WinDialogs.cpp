#include "winapp/WinDialogs.h"

#include <commdlg.h>

#include <vector>

#include "text/WideText.h"

namespace qvset::winapp {

namespace {
// Long enough for any path the dialogs return.
constexpr std::size_t kFileNameCapacity = 32768;
}  // namespace

WinDialogs::WinDialogs(std::function<HWND()> owner) : m_owner(std::move(owner)) {}

UINT WinDialogs::StyleOf(const MessageRequest& request) {
    UINT style = request.buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
    switch (request.icon) {
        case MessageIcon::Information:
            style |= MB_ICONINFORMATION;
            break;
        case MessageIcon::Question:
            style |= MB_ICONQUESTION;
            break;
        case MessageIcon::Exclamation:
            style |= MB_ICONEXCLAMATION;
            break;
        case MessageIcon::Critical:
            style |= MB_ICONERROR;
            break;
        case MessageIcon::None:
            break;
    }
    return style;
}

// A Yes/No box offers no Cancel, so Escape and the close box do nothing there; any other way out of a
// question (the box could not open) is Dismissed, which changes nothing.
MessageAnswer WinDialogs::AnswerOf(int result, MessageButtons buttons) {
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (result == IDYES) return MessageAnswer::Yes;
    if (result == IDNO) return MessageAnswer::No;
    return MessageAnswer::Dismissed;
}

std::wstring WinDialogs::FilterList(const std::string& filter) {
    std::wstring list = ToWide(filter);
    for (wchar_t& c : list) {
        if (c == L'|') c = L'\0';
    }
    if (list.empty() || list.back() != L'\0') list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

MessageAnswer WinDialogs::ShowMessage(const MessageRequest& request) {
    const std::wstring text = ToWide(request.text);
    const std::wstring title =
        request.title.empty() ? std::wstring(kDefaultMessageTitle) : ToWide(request.title);
    const int result = MessageBoxW(m_owner(), text.c_str(), title.c_str(), StyleOf(request));
    return AnswerOf(result, request.buttons);
}

void WinDialogs::ShowOpen(FileDialogState& dialog) {
    ShowFileDialog(dialog, false);
}

void WinDialogs::ShowSave(FileDialogState& dialog) {
    ShowFileDialog(dialog, true);
}

void WinDialogs::ShowFileDialog(FileDialogState& dialog, bool save) {
    const std::wstring filter = FilterList(dialog.filter);
    const std::wstring title = ToWide(dialog.title);
    std::vector<wchar_t> fileName(kFileNameCapacity, L'\0');
    const std::wstring start = ToWide(dialog.fileName);
    if (start.size() < fileName.size()) std::copy(start.begin(), start.end(), fileName.begin());

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = m_owner();
    request.lpstrFilter = dialog.filter.empty() ? nullptr : filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = fileName.data();
    request.nMaxFile = static_cast<DWORD>(fileName.size());
    request.lpstrTitle = title.empty() ? nullptr : title.c_str();
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                    (save ? 0u : static_cast<DWORD>(OFN_FILEMUSTEXIST));
    const BOOL chosen = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
    dialog.fileName = chosen ? ToUtf8(fileName.data()) : std::string();
}

}  // namespace qvset::winapp
