#pragma once

#include <string>
#include <string_view>

#include "ticket/Catalogue.h"
#include "tuning/ParameterCommands.h"

namespace qvset {

// The words the decoder's listing, its JSON and the virtual printer's state use for what a command
// sets, all views of the catalogue. The switches take the command line's item and choice words, so
// that the state reads like the `qvctl set` that would set it.

// The command line's item word of a stored switch ("black-mark", "baud"); empty for other items.
std::string_view SwitchWord(int item);
// The switch and choice in plain words: "black mark on", "paper 58 mm", "baud 9600×4".
std::string DescribeChoice(const SwitchChoice& choice);

// The geometry items 7 to 9: "length", "start", "mark" (as the command line's commands); "ticket
// length", "print-start offset", "black-mark offset" in plain words. Empty for other items.
std::string_view DistanceWord(int item);
std::string_view DistanceName(int item);

// The tuning modes: "high", "standard", "fine" (the tuning options of the command line) and
// "high speed", "standard", "fine" in plain words.
std::string_view ModeWord(TuningMode mode);
std::string_view ModeName(TuningMode mode);

// Thousandths of a millimetre as "151.900".
std::string FormatMillimetres(std::int64_t thousandths);

}  // namespace qvset
