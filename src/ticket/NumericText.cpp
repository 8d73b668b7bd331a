#include "ticket/NumericText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qvset {
namespace {

// Exponent digits beyond this far are all out of range for a double alike.
constexpr long kExponentCap = 100000;

bool IsIgnored(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

double ReadRadixInteger(const std::string& text, std::size_t start, int radix) {
    double value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        int digit = -1;
        const char c = text[i];
        if (IsDigit(c)) digit = c - '0';
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0 || digit >= radix) break;
        value = value * radix + digit;
    }
    return value;
}

}  // namespace

double NumericValue(std::string_view input) {
    std::string text;
    text.reserve(input.size());
    for (char c : input) {
        if (!IsIgnored(c)) text.push_back(c);
    }
    if (text.size() >= 2 && text[0] == '&') {
        if (text[1] == 'H' || text[1] == 'h') return ReadRadixInteger(text, 2, 16);
        if (text[1] == 'O' || text[1] == 'o') return ReadRadixInteger(text, 2, 8);
        return 0;
    }
    // The longest prefix of the form [sign] digits [. digits] [(E|D) [sign] digits], its sign taken
    // apart and D written as e, read by from_chars, which ignores the process locale (the window's
    // toolkit sets LC_ALL from the environment, and a decimal comma there must not change "44.8").
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string number;
    bool digits = false;
    while (i < text.size() && IsDigit(text[i])) {
        number.push_back(text[i++]);
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number.push_back(text[i++]);
        while (i < text.size() && IsDigit(text[i])) {
            number.push_back(text[i++]);
            digits = true;
        }
    }
    if (!digits) return 0;
    // The decimal exponent of the leading digit, to tell an overflow from an underflow.
    long magnitude = 0;
    const std::size_t point = std::min(number.find('.'), number.size());
    const std::size_t first = number.find_first_not_of("0.");
    if (first != std::string::npos) {
        magnitude = first < point ? static_cast<long>(point - first) : -static_cast<long>(first - point - 1);
    }
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent.push_back(text[j++]);
        long exponentValue = 0;
        bool exponentDigits = false;
        while (j < text.size() && IsDigit(text[j])) {
            exponentValue = std::min(exponentValue * 10 + (text[j] - '0'), kExponentCap);
            exponent.push_back(text[j++]);
            exponentDigits = true;
        }
        if (exponentDigits) {
            number += exponent;
            magnitude += exponent[1] == '-' ? -exponentValue : exponentValue;
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::optional<std::int32_t> RoundToInt32(double value) {
    const double rounded = RoundHalfEven(value);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace qvset
