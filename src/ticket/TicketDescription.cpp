#include "ticket/TicketDescription.h"

#include <optional>

#include "settings/FlagCommands.h"
#include "ticket/NumericText.h"

namespace qvset {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kCaptionGap = "    ";
constexpr std::string_view kBaudCaption = "串口波特率";

std::string ItemLine(int item, std::int16_t code, const std::array<std::string_view, 3>& texts) {
    const bool isGeometry = item >= kItemTicketLength && item <= kItemBlackMarkOffset;
    if (code == kCodeFirst || code == kCodeSecond) {
        std::string line = code == kCodeFirst ? "A99" : "A88";
        if (isGeometry) {
            if (code == kCodeFirst) line += texts[static_cast<std::size_t>(item - kItemTicketLength)];
            return line;
        }
        const FlagCommandRow* row = item == kItemBaudRate ? nullptr : FindFlagRow(item, code);
        if (row != nullptr) {
            line += FlagItemCaption(item);
            line += kCaptionGap;
            line += row->caption;
        }
        return line;
    }
    if (code == kCodeNone) return "B0";
    if (code >= 1 && code <= 8) {
        return "A" + std::to_string(code) + std::string(kBaudCaption) + std::string(kCaptionGap) +
               std::string(FindFlagRow(kItemBaudRate, code)->choiceText);
    }
    return {};
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The state digits of an "A" line as a whole number: blanks around them allowed, an optional sign,
// digits with at most one point; anything else is not a number.
std::optional<std::int16_t> StateDigits(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return std::nullopt;
    const std::size_t end = text.find_last_not_of(' ') + 1;
    const std::string_view number = text.substr(begin, end - begin);
    std::size_t i = 0;
    if (number[i] == '+' || number[i] == '-') ++i;
    bool digits = false;
    bool point = false;
    for (; i < number.size(); ++i) {
        if (IsDigit(number[i])) {
            digits = true;
        } else if (number[i] == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return static_cast<std::int16_t>(RoundHalfEven(NumericValue(number)));
}

}  // namespace

std::string BuildTicketDescription(const std::array<std::int16_t, TicketSelection::kSlots>& itemState,
                                   std::string_view text3, std::string_view text4, std::string_view text5) {
    const std::array<std::string_view, 3> texts{text3, text4, text5};
    std::string description(kTicketMarker);
    description += kLineEnd;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const std::string line = ItemLine(item, itemState[static_cast<std::size_t>(item)], texts);
        if (line.empty()) continue;
        description += line;
        description += kLineEnd;
    }
    return description;
}

std::vector<std::string> SplitTicketLines(std::string_view text, std::size_t maxLines) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size() && lines.size() < maxLines) {
        const std::size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

TicketReadOutcome ApplyTicketLines(const std::vector<std::string>& lines, TicketSelection& selection) {
    for (std::size_t i = 0; i < lines.size() && i < kTicketLines; ++i) {
        const std::string& line = lines[i];
        const int item = static_cast<int>(i);
        if (i == 0) {
            if (line != kTicketMarker) return TicketReadOutcome::Refused;
            continue;
        }
        if (line.empty()) return TicketReadOutcome::Refused;
        if (line[0] == 'A') {
            const std::size_t digitCount = item == kItemBaudRate ? 1 : 2;
            const auto code = StateDigits(std::string_view(line).substr(1, digitCount));
            if (!code) return TicketReadOutcome::Refused;
            selection.SetItemState(item, *code);
            if (item >= kItemTicketLength && item <= kItemBlackMarkOffset) {
                selection.SetGeometryText(item, line.size() > 3 ? line.substr(3) : std::string());
            }
        } else if (line[0] == 'B') {
            selection.SetItemState(item, kCodeNone);
        } else {
            return TicketReadOutcome::Refused;
        }
        if (item == kItemBaudRate) {
            selection.ShowItemStates();
            return TicketReadOutcome::Complete;
        }
    }
    return TicketReadOutcome::Ended;
}

}  // namespace qvset
