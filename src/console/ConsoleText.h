#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "printer/PrintChannel.h"
#include "printer/SendOutcome.h"
#include "seams/Pause.h"

namespace qvset {

inline constexpr std::string_view kMsgNotHex = "请输入的数据是16进制的范围";

// Whether a console character is one of the 23 allowed: 0-9, a-f, A-F and the blank.
bool IsConsoleCharacter(char32_t c);

// The first character (a whole UTF-8 sequence) of a text that is not allowed in the console, if any.
std::optional<std::string> FirstDisallowedCharacter(std::string_view text);

// The text without any occurrence of `character`.
std::string WithoutOccurrences(std::string_view text, std::string_view character);

// Sends a console text of allowed characters: its hex digits without the blanks as one document; in
// table mode framed by SaveCommand, the table's lead pause, the digits, its trail pause and SaveCommand
// again (three documents). A text of blanks only sends nothing.
SendOutcome SendConsoleText(PrintChannel& channel, Pause& pause, std::string_view text, bool tableMode);

// The save command alone (1B 3A 00 00 52), one document.
SendOutcome SendSaveCommand(PrintChannel& channel);

}  // namespace qvset
