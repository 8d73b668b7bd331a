#include "ticket/TicketDescription.h"

#include <optional>
#include <stdexcept>

#include "ticket/NumericText.h"

namespace qvset {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kCaptionGap = "    ";
constexpr std::string_view kBaudCaption = "串口波特率";

std::string ItemLine(int item, std::int16_t code, const TicketDescription& description) {
    const bool isGeometry = item >= kItemTicketLength && item <= kItemBlackMarkOffset;
    if (code == kCodeFirst || code == kCodeSecond) {
        std::string line = code == kCodeFirst ? "A99" : "A88";
        if (isGeometry) {
            if (code == kCodeFirst) line += description.DistanceText(item);
            return line;
        }
        const SwitchChoice* choice = item == kItemBaudRate ? nullptr : FindSwitchChoice(item, code);
        if (choice != nullptr) {
            line += ItemCaption(item);
            line += kCaptionGap;
            line += choice->caption;
        }
        return line;
    }
    if (code == kCodeNone) return "B0";
    if (code >= 1 && code <= 8) {
        return "A" + std::to_string(code) + std::string(kBaudCaption) + std::string(kCaptionGap) +
               std::string(FindSwitchChoice(kItemBaudRate, code)->choiceText);
    }
    return {};
}

bool IsDecimalDigit(char c) {
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
        if (IsDecimalDigit(number[i])) {
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

bool HoldsControlCharacter(std::string_view line) {
    for (char c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

std::size_t CodeSlot(int item) {
    if (item < kFirstItem || item > kLastItem) throw std::out_of_range("item outside 1 to 11");
    return static_cast<std::size_t>(item);
}

std::size_t DistanceSlot(int item) {
    if (item < kItemTicketLength || item > kItemBlackMarkOffset) {
        throw std::out_of_range("distance item outside 7 to 9");
    }
    return static_cast<std::size_t>(item - kItemTicketLength);
}

}  // namespace

TicketDescription::TicketDescription() {
    for (const TicketDistance& distance : TicketDistances()) {
        m_distanceTexts[DistanceSlot(distance.item)] = std::string(distance.initialText);
    }
}

std::int16_t TicketDescription::Code(int item) const {
    return m_codes[CodeSlot(item)];
}

void TicketDescription::SetCode(int item, std::int16_t code) {
    m_codes[CodeSlot(item)] = code;
}

int TicketDescription::RecordedCount() const {
    int recorded = 0;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        if (Code(item) != kCodeNone) ++recorded;
    }
    return recorded;
}

const std::string& TicketDescription::DistanceText(int item) const {
    return m_distanceTexts[DistanceSlot(item)];
}

void TicketDescription::SetDistanceText(int item, std::string text) {
    m_distanceTexts[DistanceSlot(item)] = std::move(text);
}

void TicketDescription::ClearCodes() {
    m_codes.fill(kCodeNone);
}

std::string BuildTicketDescription(const TicketDescription& description) {
    std::string text(kTicketMarker);
    text += kLineEnd;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const std::string line = ItemLine(item, description.Code(item), description);
        if (line.empty()) continue;
        text += line;
        text += kLineEnd;
    }
    return text;
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

TicketReadOutcome ApplyTicketLines(const std::vector<std::string>& lines, TicketDescription& description) {
    for (std::size_t i = 0; i < lines.size() && i < kTicketLines; ++i) {
        const std::string& line = lines[i];
        const int item = static_cast<int>(i);
        if (i == 0) {
            if (line != kTicketMarker) return TicketReadOutcome::Refused;
            continue;
        }
        if (line.empty() || HoldsControlCharacter(line)) return TicketReadOutcome::Refused;
        if (line[0] == 'A') {
            const std::size_t digitCount = item == kItemBaudRate ? 1 : 2;
            const auto code = StateDigits(std::string_view(line).substr(1, digitCount));
            if (!code) return TicketReadOutcome::Refused;
            description.SetCode(item, *code);
            if (FindDistance(item) != nullptr) {
                description.SetDistanceText(item, line.size() > 3 ? line.substr(3) : std::string());
            }
        } else if (line[0] == 'B') {
            description.SetCode(item, kCodeNone);
        } else {
            return TicketReadOutcome::Refused;
        }
        if (item == kItemBaudRate) return TicketReadOutcome::Complete;
    }
    return TicketReadOutcome::Ended;
}

}  // namespace qvset
