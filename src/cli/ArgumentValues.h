#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvset::cli {

// What a number on the command line may be: its kind in words ("millimetres"), its least and greatest
// value, and whether it must be whole.
struct NumberRange {
    std::string_view what;
    double least = 0;
    double most = 0;
    bool whole = false;
};

// The ticket distances (length, start, mark, format L P B, ticket new --length ...): a ticket of more
// than a metre is a typo, whatever the command's two count bytes could carry.
inline constexpr NumberRange kMillimetreRange{"millimetres", 0, 1000, false};
// The three mode values of the tuning runs, as the panel offers them.
inline constexpr NumberRange kModeValueRange{"a mode value", 1, 40, true};
// The extra pause of the tuning runs.
inline constexpr NumberRange kPauseRange{"milliseconds", 0, 60000, true};

// Reads a command-line word as a number of `range`: the whole word must be a decimal number (an
// optional sign, digits with at most one "."; no blanks, exponent, comma or trailing letters) and lie
// within the range. Unlike the window's reading, which takes the number at the start of a text and 0
// for none, a word that is not such a number is refused: "abc", "l52", "152mm", "1,5", "".
// nullopt with the problem in words, beginning with `name` (the option or operand, may be empty) and
// naming the word and the range:
//   "abc" is not a number (millimetres from 0 to 1000)
//   --high "2.5" is not a whole number (a mode value from 1 to 40)
std::optional<double> ReadNumberArgument(std::string_view name, std::string_view word,
                                         const NumberRange& range, std::string& problem);

// The range in words: "millimetres from 0 to 1000".
std::string RangeInWords(const NumberRange& range);

// The command line's choices of a stored switch's item word, in the order of their n ("76|58" for
// "paper"); empty for a word that is no item.
std::string SwitchChoiceWords(std::string_view itemWord);
// Every item word of the stored switches, "black-mark, paper, ..." (each once, in the order of n).
std::string SwitchItemWords();

// The problem of a word that is none of the choices `choices` ("76|58"):
//   paper "60" is not a choice (76|58)
std::string NotAChoice(std::string_view name, std::string_view word, std::string_view choices);

}  // namespace qvset::cli
