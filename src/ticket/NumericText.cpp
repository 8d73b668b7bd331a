#include "ticket/NumericText.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace qvset {
namespace {

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
    // Collect the longest prefix of the form [sign] digits [. digits] [(E|D) [sign] digits].
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.push_back(text[i++]);
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
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent.push_back(text[j++]);
        bool exponentDigits = false;
        while (j < text.size() && IsDigit(text[j])) {
            exponent.push_back(text[j++]);
            exponentDigits = true;
        }
        if (exponentDigits) number += exponent;
    }
    // strtod of a plain decimal prefix is locale-independent only in the "C" locale's decimal point;
    // the program never changes LC_NUMERIC, so "." is the point.
    return std::strtod(number.c_str(), nullptr);
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
