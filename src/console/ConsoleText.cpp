#include "console/ConsoleText.h"

#include "text/Utf8.h"
#include "tuning/ParameterCommands.h"

namespace qvset {
namespace {

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

SendOutcome SendConsoleText(PrintChannel& channel, Pause& pause, std::string_view text, bool tableMode) {
    const std::string command = WithoutBlanks(text);
    if (command.empty()) return {};
    if (!tableMode) {
        channel.SendHex(command);
        return SendOutcome{1, {}, {}};
    }
    channel.SendBytes(SaveCommand());
    pause.Wait(kTableLeadPauseMs);
    channel.SendHex(command);
    pause.Wait(kTableTrailPauseMs);
    channel.SendBytes(SaveCommand());
    return SendOutcome{3, {}, {}};
}

SendOutcome SendSaveCommand(PrintChannel& channel) {
    channel.SendBytes(SaveCommand());
    return SendOutcome{1, {}, {}};
}

}  // namespace qvset
