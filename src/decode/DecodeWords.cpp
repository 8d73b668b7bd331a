#include "decode/DecodeWords.h"

#include <array>
#include <cstdio>

#include "settings/ChoiceWords.h"

namespace qvset {
namespace {

const ChoiceWords* WordsOfButton(std::string_view button) {
    for (const auto& words : ChoiceWordTable()) {
        if (words.button == button) return &words;
    }
    return nullptr;
}

// The three ticket distances: the word a script reads, the name a listing shows.
struct TicketDistance {
    int item;
    std::string_view word;
    std::string_view name;
};
constexpr std::array<TicketDistance, 3> kTicketDistances{{
    {kItemTicketLength, "length", "ticket length"},
    {kItemStartOffset, "start", "print-start offset"},
    {kItemBlackMarkOffset, "mark", "black-mark offset"},
}};

const TicketDistance* FindDistance(int item) {
    for (const auto& distance : kTicketDistances) {
        if (distance.item == item) return &distance;
    }
    return nullptr;
}

}  // namespace

std::string_view SwitchWord(int item) {
    for (const auto& row : FlagCommandTable()) {
        if (row.item != item) continue;
        if (const ChoiceWords* words = WordsOfButton(row.button)) return words->item;
    }
    return {};
}

std::string_view ChoiceWord(const FlagCommandRow& row) {
    const ChoiceWords* words = WordsOfButton(row.button);
    return words == nullptr ? std::string_view() : words->choice;
}

std::string DescribeChoice(const FlagCommandRow& row) {
    std::string item(SwitchWord(row.item));
    for (char& c : item) {
        if (c == '-') c = ' ';
    }
    const std::string choice(ChoiceWord(row));
    if (row.item == kItemBaudRate) return item + " 9600×" + choice;
    if (row.item == kItemPaperWidth) return item + " " + choice + " mm";
    return item + " " + choice;
}

std::string_view DistanceWord(int item) {
    const TicketDistance* distance = FindDistance(item);
    return distance == nullptr ? std::string_view() : distance->word;
}

std::string_view DistanceName(int item) {
    const TicketDistance* distance = FindDistance(item);
    return distance == nullptr ? std::string_view() : distance->name;
}

std::string_view ModeWord(TuningMode mode) {
    switch (mode) {
        case TuningMode::HighSpeed:
            return "high";
        case TuningMode::Standard:
            return "standard";
        case TuningMode::Fine:
            return "fine";
    }
    return {};
}

std::string_view ModeName(TuningMode mode) {
    return mode == TuningMode::HighSpeed ? "high speed" : ModeWord(mode);
}

std::string FormatMillimetres(std::int64_t thousandths) {
    char text[32];
    const char* sign = thousandths < 0 ? "-" : "";
    const std::int64_t magnitude = thousandths < 0 ? -thousandths : thousandths;
    std::snprintf(text, sizeof text, "%s%lld.%03lld", sign, static_cast<long long>(magnitude / 1000),
                  static_cast<long long>(magnitude % 1000));
    return text;
}

}  // namespace qvset
