#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qvset {

// The eleven items of a ticket description, numbered as their places in the batch and in the file.
inline constexpr int kItemBlackMark = 1;
inline constexpr int kItemPaperWidth = 2;
inline constexpr int kItemPrintHead = 3;
inline constexpr int kItemTearEdge = 4;
inline constexpr int kItemStartPositioning = 5;
inline constexpr int kItemEndPositioning = 6;
inline constexpr int kItemTicketLength = 7;
inline constexpr int kItemStartOffset = 8;
inline constexpr int kItemBlackMarkOffset = 9;
inline constexpr int kItemThreshold = 10;
inline constexpr int kItemBaudRate = 11;
inline constexpr int kFirstItem = 1;
inline constexpr int kLastItem = 11;

// State codes: nothing recorded, first choice, second choice (item 11 records 1 to 8 instead).
inline constexpr std::int16_t kCodeNone = 0;
inline constexpr std::int16_t kCodeFirst = 99;
inline constexpr std::int16_t kCodeSecond = 88;

// One choice of a stored switch, as every part of the program knows it: the n of its ESC 'B' n, the
// item and state code it records, the caption of the panel button that sends it, the program's own
// name for it (the description file and the combo boxes), and the command line's words for it, which
// the decoder's listing and the virtual printer's state use too.
struct SwitchChoice {
    std::uint8_t n;
    int item;
    std::int16_t code;
    std::string_view caption;
    std::string_view choiceText;
    std::string_view itemWord;
    std::string_view choiceWord;
};

// Every ESC 'B' choice the program sends, n = 01 to 15 in order.
std::span<const SwitchChoice> SwitchChoices();

// The choice an item records with a code, or nullptr when no choice records it.
const SwitchChoice* FindSwitchChoice(int item, std::int16_t code);
// The choice of the command line's item and choice words ("black-mark", "on"), or nullptr.
const SwitchChoice* FindSwitchChoice(std::string_view itemWord, std::string_view choiceWord);

// The item's caption in the window and in the description file ("黑标设置", ...); empty outside 1 to 11.
std::string_view ItemCaption(int item);

// One of the three ticket distances (items 7 to 9): its geometry function byte, the text a negative
// value is replaced by, the text it starts with, the command line's word, its name in plain words (the
// decoder's listing) and in Chinese (the window's check box and `qvctl ticket show`).
struct TicketDistance {
    int item;
    std::uint8_t fn;
    std::string_view defaultText;
    std::string_view initialText;
    std::string_view word;
    std::string_view name;
    std::string_view chineseName;
};

// The ticket length, the print-start offset and the black-mark offset, in item order.
std::span<const TicketDistance> TicketDistances();

// The distance of item 7, 8 or 9, or nullptr.
const TicketDistance* FindDistance(int item);
// The distance of a command-line word ("length", "start", "mark"), or nullptr.
const TicketDistance* FindDistanceByWord(std::string_view word);

}  // namespace qvset
