#include "text/WideText.h"

#include "text/Utf8.h"

namespace qvset {
namespace {

constexpr char32_t kHighSurrogates = 0xD800;
constexpr char32_t kLowSurrogates = 0xDC00;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsSurrogate(char32_t unit) {
    return unit >= kHighSurrogates && unit <= 0xDFFF;
}

// The code point of a complete sequence of `length` bytes, or nothing when that length may not hold it
// (overlong, a surrogate, beyond the last code point).
bool DecodeSequence(std::string_view sequence, char32_t& code) {
    // The least code point each length may hold: shorter forms of the same value are not UTF-8.
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    const std::size_t length = sequence.size();
    // The lead keeps 7 bits alone, 5 of 2 bytes, 4 of 3, 3 of 4.
    code = static_cast<unsigned char>(sequence[0]) & (length == 1 ? 0x7Fu : 0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3Fu);
    return code >= kLeast[length] && !IsSurrogate(code) && code <= kLastCodePoint;
}

void AppendUtf8(std::string& out, char32_t code) {
    const auto byte = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | (code >> 6));
        byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | (code >> 12));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | (code >> 18));
        byte(0x80 | ((code >> 12) & 0x3F));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::wstring ToWide(std::string_view utf8, wchar_t replacement) {
    std::wstring wide;
    wide.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const std::string_view rest = utf8.substr(at);
        const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(rest[0]));
        const std::size_t span = Utf8ReplacedSpan(rest);
        at += span;
        char32_t code = 0;
        if (span != length || (length == 1 && static_cast<unsigned char>(rest[0]) >= 0x80) ||
            !DecodeSequence(rest.substr(0, span), code)) {
            wide.push_back(replacement);
        } else if (code >= 0x10000) {
            code -= 0x10000;
            wide.push_back(static_cast<wchar_t>(kHighSurrogates + (code >> 10)));
            wide.push_back(static_cast<wchar_t>(kLowSurrogates + (code & 0x3FF)));
        } else {
            wide.push_back(static_cast<wchar_t>(code));
        }
    }
    return wide;
}

std::string ToUtf8(std::wstring_view wide) {
    std::string utf8;
    utf8.reserve(wide.size() * 3);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const auto unit = static_cast<char32_t>(static_cast<std::uint16_t>(wide[i]));
        if (unit >= kHighSurrogates && unit < kLowSurrogates && i + 1 < wide.size()) {
            const auto next = static_cast<char32_t>(static_cast<std::uint16_t>(wide[i + 1]));
            if (next >= kLowSurrogates && next <= 0xDFFF) {
                AppendUtf8(utf8, 0x10000 + ((unit - kHighSurrogates) << 10) + (next - kLowSurrogates));
                ++i;
                continue;
            }
        }
        AppendUtf8(utf8, IsSurrogate(unit) ? char32_t{0xFFFD} : unit);
    }
    return utf8;
}

}  // namespace qvset
