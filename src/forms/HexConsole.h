#pragma once

#include <string>
#include <string_view>

#include "console/ConsoleText.h"
#include "printer/PrintChannel.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"

namespace qvset::forms {

// The hex console (Frame5) as the window's state: the text of Text2, the tick of Check1 ("选择",
// table mode) and whether Command9 ("导入出厂值") is enabled. The window paints this state and forwards
// its events; sending is SendConsoleText's.
class HexConsole {
  public:
    HexConsole(PrintChannel& channel, Pause& pause, Dialogs& dialogs);

    // Text2 changes (typing, pasting or by the program); raises Text2_Change when the text differs.
    void SetText(std::string_view text);
    // Check1 is ticked or unticked (by the user or by the program); raises Check1_Click when it changes.
    void SetCheck1(bool ticked);
    // LockRunButtons/UnlockRunButtons reach Command9 through here.
    void SetCommand9Enabled(bool enabled) { m_command9Enabled = enabled; }

    // Removes disallowed characters: for each distinct one, in order of appearance, the message
    // kMsgNotHex and every occurrence removed, until only allowed characters remain.
    void Text2_Change();
    // Command9 is enabled exactly while Check1 is ticked.
    void Check1_Click();
    // "导入出厂值": Text2 becomes the factory table's console text.
    void Command9_Click();
    // "发送": sends the text (SendConsoleText, table mode while Check1 is ticked); then unticks Check1,
    // disables Command9 and empties Text2. An empty text does nothing; a text of blanks only sends
    // nothing and is cleared the same way.
    void Command6_Click();
    // "保存": SaveCommand alone.
    void Command4_Click();

    const std::string& Text2() const { return m_text; }
    bool Check1() const { return m_check1; }
    bool Command9Enabled() const { return m_command9Enabled; }

  private:
    PrintChannel& m_channel;
    Pause& m_pause;
    Dialogs& m_dialogs;
    std::string m_text;
    bool m_check1 = false;
    bool m_command9Enabled = false;
};

}  // namespace qvset::forms
