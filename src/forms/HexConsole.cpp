#include "forms/HexConsole.h"

#include "tuning/ParameterCommands.h"

namespace qvset::forms {

HexConsole::HexConsole(PrintChannel& channel, Pause& pause, Dialogs& dialogs)
    : m_channel(channel), m_pause(pause), m_dialogs(dialogs) {}

void HexConsole::SetText(std::string_view text) {
    if (text == m_text) return;
    m_text = std::string(text);
    Text2_Change();
}

void HexConsole::SetCheck1(bool ticked) {
    if (ticked == m_check1) return;
    m_check1 = ticked;
    Check1_Click();
}

void HexConsole::Text2_Change() {
    // Each removal changes the text and so raises this handler again; the loop stands for that chain
    // of nested change events, one message per distinct disallowed character.
    while (const auto wrong = FirstDisallowedCharacter(m_text)) {
        m_dialogs.Message(kMsgNotHex);
        m_text = WithoutOccurrences(m_text, *wrong);
    }
}

void HexConsole::Check1_Click() {
    m_command9Enabled = m_check1;
}

void HexConsole::Command9_Click() {
    SetText(FactoryConsoleText());
}

void HexConsole::Command6_Click() {
    if (m_text.empty()) return;
    SendConsoleText(m_channel, m_pause, m_text, m_check1);
    SetCheck1(false);
    m_command9Enabled = false;
    SetText("");
}

void HexConsole::Command4_Click() {
    SendSaveCommand(m_channel);
}

}  // namespace qvset::forms
