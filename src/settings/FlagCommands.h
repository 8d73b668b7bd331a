#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qvset {

// The eleven flag items, numbered as their slots in ItemState and their places in the batch.
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

// One choice of a stored switch: ESC 'B' n, the item and code it records, the panel button that sends
// it and the program's name for the choice.
struct FlagCommandRow {
    std::uint8_t n;
    int item;
    std::int16_t code;
    std::string_view button;
    std::string_view caption;
    std::string_view choiceText;
};

// Every ESC 'B' choice the program sends, n = 01 to 15 in order.
std::span<const FlagCommandRow> FlagCommandTable();

// The row of an item and code, or nullptr when that code builds no command for the item.
const FlagCommandRow* FindFlagRow(int item, std::int16_t code);

// The panel frame caption of an item ("黑标设置", ...); empty outside 1 to 11.
std::string_view FlagItemCaption(int item);

// The hex command of an item's recorded code: "1B42" and n in two upper-case digits for items 1 to 6
// (99, 88), 10 (99) and 11 (1 to 8); the empty text for any other item or code. The geometry items 7
// to 9 are built by BuildGeometryCommand.
std::string BuildFlagCommand(int item, std::int16_t code);

}  // namespace qvset
