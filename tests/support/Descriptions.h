#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "ticket/TicketDescription.h"

namespace qvset::testing {

// A description recording the given (item, code) pairs, with the initial distance texts.
inline TicketDescription Recorded(std::initializer_list<std::pair<int, std::int16_t>> codes) {
    TicketDescription description;
    for (const auto& [item, code] : codes) description.SetCode(item, code);
    return description;
}

// The description with the three distance texts (length, print start, black mark).
inline TicketDescription WithTexts(TicketDescription description, std::string_view length,
                                   std::string_view start, std::string_view blackMark) {
    description.SetDistanceText(kItemTicketLength, std::string(length));
    description.SetDistanceText(kItemStartOffset, std::string(start));
    description.SetDistanceText(kItemBlackMarkOffset, std::string(blackMark));
    return description;
}

}  // namespace qvset::testing
