#include "console/HexConsole.h"

#include "printer/Utf8.h"
#include "tuning/ParameterCommands.h"

namespace qvset {
namespace {

std::string WithoutOccurrences(std::string_view text, std::string_view character) {
    std::string kept;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text.substr(pos, character.size()) == character) {
            pos += character.size();
        } else {
            kept.push_back(text[pos++]);
        }
    }
    return kept;
}

std::string WithoutBlanks(std::string_view text) {
    std::string kept;
    for (char c : text) {
        if (c != ' ') kept.push_back(c);
    }
    return kept;
}

}  // namespace

bool IsConsoleCharacter(char32_t c) {
    return c == U' ' || (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
}

std::optional<std::string> FirstDisallowedCharacter(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        std::size_t length = Utf8SequenceLength(lead);
        if (pos + length > text.size()) length = 1;
        if (length > 1 || !IsConsoleCharacter(lead)) return std::string(text.substr(pos, length));
        pos += length;
    }
    return std::nullopt;
}

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
    const std::string command = WithoutBlanks(m_text);
    if (!command.empty()) {
        if (m_check1) {
            m_channel.SendBytes(SaveCommand());
            m_pause.Wait(kTableLeadPauseMs);
            m_channel.SendHex(command);
            m_pause.Wait(kTableTrailPauseMs);
            m_channel.SendBytes(SaveCommand());
        } else {
            m_channel.SendHex(command);
        }
    }
    SetCheck1(false);
    m_command9Enabled = false;
    SetText("");
}

void HexConsole::Command4_Click() {
    m_channel.SendBytes(SaveCommand());
}

}  // namespace qvset
