#include "decode/DecodeWords.h"

#include <cstdio>

namespace qvset {

std::string_view SwitchWord(int item) {
    for (const SwitchChoice& choice : SwitchChoices()) {
        if (choice.item == item) return choice.itemWord;
    }
    return {};
}

std::string DescribeChoice(const SwitchChoice& choice) {
    std::string item(choice.itemWord);
    for (char& c : item) {
        if (c == '-') c = ' ';
    }
    const std::string word(choice.choiceWord);
    if (choice.item == kItemBaudRate) return item + " 9600×" + word;
    if (choice.item == kItemPaperWidth) return item + " " + word + " mm";
    return item + " " + word;
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
