#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/TicketSelection.h"

namespace qvset {

// The first line of every ticket description file.
inline constexpr std::string_view kTicketMarker = "KQ605USET1";
// A description holds the marker line and one line per item 1 to 11; later lines are never read.
inline constexpr std::size_t kTicketLines = 12;
// The longest line a description is read with, in file bytes: far more than any item line holds.
inline constexpr std::size_t kMostTicketLineBytes = 1024;

// The text of a ticket description (UTF-8; the file holds it in GBK): the marker, then one line per
// item 1 to 11, each ending in CR LF:
//   99 on items 1-6 and 10: "A99", the item's frame caption, four blanks, its first button's caption;
//   99 on items 7-9: "A99" and the item's geometry text;   99 on item 11: "A99";
//   88 on items 1-6: "A88", frame caption, four blanks, second button's caption;  88 on 7-11: "A88";
//   0: "B0";   1 to 8 on any item: "A", the digit, "串口波特率", four blanks, the baud text;
//   any other code writes no line at all.
std::string BuildTicketDescription(const std::array<std::int16_t, TicketSelection::kSlots>& itemState,
                                   std::string_view text3, std::string_view text4, std::string_view text5);

// The lines of a file's text (without their ends), at most `maxLines`. CR LF and a lone CR end a line;
// a lone LF stays in its line. A text that ends with a line end has no empty last line.
std::vector<std::string> SplitTicketLines(std::string_view text, std::size_t maxLines = kTicketLines);

enum class TicketReadOutcome {
    Complete,  // the marker and eleven item lines were read and the buttons lit
    Ended,     // the file ended before its twelfth line: the lines present were applied, nothing lit
    Refused,   // a wrong marker, or an item line that is not "A" and a number or "B": the lines before
               // it stay applied, nothing is lit
};

// Applies the lines of a description to a selection, line by line as they are read: an "A" line sets
// its item's code from its second and third characters (item 11: the second alone) and, on items 7 to
// 9, the geometry text to the rest of the line; a "B" line sets the code to 0 and leaves the text.
// After the twelfth line the buttons are lit with ShowItemStates.
TicketReadOutcome ApplyTicketLines(const std::vector<std::string>& lines, TicketSelection& selection);

}  // namespace qvset
