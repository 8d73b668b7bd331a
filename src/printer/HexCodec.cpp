#include "printer/HexCodec.h"

#include <cmath>
#include <string>

namespace qvset {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::size_t HexByteCount(std::size_t length) {
    if (length == 0) return 0;
    // round-half-even of L/2 - 1, plus one
    const double r = std::nearbyint(static_cast<double>(length) / 2.0 - 1.0);
    return static_cast<std::size_t>(r) + 1;
}

namespace {

// The byte of one pair of a hex command string (blanks around its digits trimmed), or nullopt.
std::optional<std::uint8_t> PairValue(std::string_view pair) {
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    while (!pair.empty() && pair.back() == ' ') pair.remove_suffix(1);
    if (pair.empty()) return std::nullopt;
    int value = 0;
    for (char c : pair) {
        const int digit = HexDigitValue(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + digit;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeHex(std::string_view hex) {
    const std::size_t count = HexByteCount(hex.size());
    if (count == 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = PairValue(hex.substr(2 * i, 2));
        if (!value) return std::nullopt;
        bytes.push_back(*value);
    }
    return bytes;
}

std::optional<std::size_t> FirstBadHexPair(std::string_view hex) {
    const std::size_t count = HexByteCount(hex.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (!PairValue(hex.substr(2 * i, 2))) return i;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> DecodeStrictHex(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigitValue(hex[i]);
        const int low = HexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string HexPair(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::string LowerHexPair(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::string EncodeHex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) out += HexPair(b);
    return out;
}

}  // namespace qvset
