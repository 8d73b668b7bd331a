#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ticket/Catalogue.h"

namespace qvset {

// The first line of every ticket description file.
inline constexpr std::string_view kTicketMarker = "KQ605USET1";
// A description holds the marker line and one line per item 1 to 11; later lines are never read.
inline constexpr std::size_t kTicketLines = 12;
// The longest line a description is read with, in file bytes: far more than any item line holds.
inline constexpr std::size_t kMostTicketLineBytes = 1024;

// A ticket description (票样): the state code recorded for each item 1 to 11 and the texts of the three
// ticket distances in millimetres. A new description records nothing and holds the distances' initial
// texts ("152", "35", "27").
class TicketDescription {
  public:
    TicketDescription();

    // The code recorded for item 1 to 11; out-of-range items throw std::out_of_range.
    std::int16_t Code(int item) const;
    void SetCode(int item, std::int16_t code);
    // How many items record a code other than 0.
    int RecordedCount() const;

    // The text of distance item 7, 8 or 9; other items throw std::out_of_range.
    const std::string& DistanceText(int item) const;
    void SetDistanceText(int item, std::string text);

    // Every item back to 0; the distance texts are kept.
    void ClearCodes();

    bool operator==(const TicketDescription&) const = default;

  private:
    std::array<std::int16_t, kLastItem + 1> m_codes{};
    std::array<std::string, 3> m_distanceTexts;
};

// The text of a ticket description (UTF-8; the file holds it in GBK): the marker, then one line per
// item 1 to 11, each ending in CR LF:
//   99 on items 1-6 and 10: "A99", the item's frame caption, four blanks, its first button's caption;
//   99 on items 7-9: "A99" and the item's geometry text;   99 on item 11: "A99";
//   88 on items 1-6: "A88", frame caption, four blanks, second button's caption;  88 on 7-11: "A88";
//   0: "B0";   1 to 8 on any item: "A", the digit, "串口波特率", four blanks, the baud text;
//   any other code writes no line at all.
std::string BuildTicketDescription(const TicketDescription& description);

// The lines of a file's text (without their ends), at most `maxLines`. CR LF and a lone CR end a line;
// a lone LF stays in its line. A text that ends with a line end has no empty last line.
std::vector<std::string> SplitTicketLines(std::string_view text, std::size_t maxLines = kTicketLines);

enum class TicketReadOutcome {
    Complete,  // the marker and eleven item lines were read (the window then lights the recorded buttons)
    Ended,     // the file ended before its twelfth line: the lines present were applied
    Refused,   // a wrong marker, or an item line that is not "A" and a number or "B", or a line holding
               // a control character: the lines before it stay applied
};

// Applies the lines of a description file to a description, line by line as they are read: an "A" line
// sets its item's code from its second and third characters (item 11: the second alone) and, on items 7
// to 9, the distance text to the rest of the line; a "B" line sets the code to 0 and leaves the text.
// A line holding a control character (NUL, ESC, a lone LF, ...) is refused where it stands.
TicketReadOutcome ApplyTicketLines(const std::vector<std::string>& lines, TicketDescription& description);

}  // namespace qvset
