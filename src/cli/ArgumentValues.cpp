#include "cli/ArgumentValues.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

#include "ticket/Catalogue.h"

namespace qvset::cli {
namespace {

// A decimal number and nothing else: [+-] digits [. digits], at least one digit.
bool IsDecimalNumber(std::string_view word) {
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
    bool digits = false;
    bool point = false;
    for (; i < word.size(); ++i) {
        const char c = word[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

std::string Named(std::string_view name, std::string_view word) {
    return (name.empty() ? std::string() : std::string(name) + ' ') + '"' + std::string(word) + '"';
}

}  // namespace

std::string RangeInWords(const NumberRange& range) {
    return std::string(range.what) + " from " + Number(range.least) + " to " + Number(range.most);
}

std::optional<double> ReadNumberArgument(std::string_view name, std::string_view word,
                                         const NumberRange& range, std::string& problem) {
    const std::string inRange = " (" + RangeInWords(range) + ")";
    if (!IsDecimalNumber(word)) {
        problem = Named(name, word) + " is not a number" + inRange;
        return std::nullopt;
    }
    // from_chars takes no "+" and ignores the process locale ("." stays the point under de_DE).
    const std::string_view digits = word.front() == '+' ? word.substr(1) : word;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value) ||
        value < range.least || value > range.most) {
        problem = Named(name, word) + " is out of range" + inRange;
        return std::nullopt;
    }
    if (range.whole && value != std::floor(value)) {
        problem = Named(name, word) + " is not a whole number" + inRange;
        return std::nullopt;
    }
    return value;
}

std::string SwitchChoiceWords(std::string_view itemWord) {
    std::string words;
    for (const SwitchChoice& choice : SwitchChoices()) {
        if (choice.itemWord != itemWord) continue;
        words += (words.empty() ? "" : "|") + std::string(choice.choiceWord);
    }
    return words;
}

std::string SwitchItemWords() {
    std::vector<std::string_view> seen;
    std::string words;
    for (const SwitchChoice& choice : SwitchChoices()) {
        if (std::find(seen.begin(), seen.end(), choice.itemWord) != seen.end()) continue;
        seen.push_back(choice.itemWord);
        words += (words.empty() ? "" : ", ") + std::string(choice.itemWord);
    }
    return words;
}

std::string NotAChoice(std::string_view name, std::string_view word, std::string_view choices) {
    return Named(name, word) + " is not a choice (" + std::string(choices) + ")";
}

}  // namespace qvset::cli
