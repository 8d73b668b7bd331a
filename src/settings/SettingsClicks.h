#pragma once

#include <string_view>

#include "seams/Dialogs.h"
#include "printer/PrintChannel.h"
#include "settings/TicketSelection.h"

namespace qvset {

inline constexpr std::string_view kMsgBaudRateSet = "您设置了波特率，完成后需要重启打印机";
inline constexpr std::string_view kMsgUnsavedChanges =
    "你更改了票样，请确认是否保存，选择是请点击保存票样按钮,否则退出";
inline constexpr std::string_view kTitleUnsavedChanges = "退出";

// A click on a settings button Command28 to Command48: lights it (unlighting its partner or the other
// baud buttons), sends its ESC 'B' command as one document, records its code in ItemState and, for a
// baud button, then shows kMsgBaudRateSet. The choice is recorded whether or not the printer could be
// reached. Returns false, doing nothing, for any other name (the geometry buttons included).
bool ClickSettingsButton(TicketSelection& selection, PrintChannel& channel, std::string_view button);

// The question before a recorded description is dropped ("退出", "取消选定"): when HasUnsavedChanges,
// asks kMsgUnsavedChanges (Yes/No, question icon, title "退出") once. True when the selection may be
// dropped (no changes, or the answer No); false when the user answered Yes to go and save it first, or
// closed the question without answering (Escape, the close box), which must not lose the description.
bool MayDiscardSelection(const TicketSelection& selection, Dialogs& dialogs);

// "取消选定": with no description open (Label12 "无") resets without asking; otherwise resets unless
// MayDiscardSelection says no.
void Command49_Click(TicketSelection& selection, Dialogs& dialogs);

}  // namespace qvset
