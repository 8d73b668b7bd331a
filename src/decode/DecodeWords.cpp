#include "decode/DecodeWords.h"

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
    switch (item) {
        case kItemTicketLength:
            return "length";
        case kItemStartOffset:
            return "start";
        case kItemBlackMarkOffset:
            return "mark";
        default:
            return {};
    }
}

std::string_view DistanceName(int item) {
    switch (item) {
        case kItemTicketLength:
            return "ticket length";
        case kItemStartOffset:
            return "print-start offset";
        case kItemBlackMarkOffset:
            return "black-mark offset";
        default:
            return {};
    }
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
