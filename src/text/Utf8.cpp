#include "text/Utf8.h"

#include <algorithm>

namespace qvset {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsSurrogate(char32_t code) {
    return code >= 0xD800 && code <= 0xDFFF;
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
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

}  // namespace

Utf8Character ReadUtf8Character(std::string_view text) {
    Utf8Character character;
    if (text.empty()) return character;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = Utf8SequenceLength(lead);
    character.span = Utf8ReplacedSpan(text);
    char32_t code = 0;
    if (character.span == length && !(length == 1 && lead >= 0x80) &&
        DecodeSequence(text.substr(0, length), code)) {
        character.code = code;
    }
    return character;
}

std::optional<std::size_t> FirstInvalidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Character character = ReadUtf8Character(text.substr(i));
        if (!character.code) return i;
        i += character.span;
    }
    return std::nullopt;
}

std::size_t Utf8Columns(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuation(c); }));
}

std::string PadToColumns(std::string text, std::size_t width) {
    const std::size_t columns = Utf8Columns(text);
    if (columns < width) text.append(width - columns, ' ');
    return text;
}

std::string ReplaceTagCharacters(std::string_view utf8, std::string_view replacement) {
    constexpr std::string_view kTagStart = "\xF3\xA0";
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = utf8.find(kTagStart); at != std::string_view::npos;
         at = utf8.find(kTagStart, at + 1)) {
        if (at < from || at + 4 > utf8.size()) continue;
        const auto third = static_cast<unsigned char>(utf8[at + 2]);
        const auto fourth = static_cast<unsigned char>(utf8[at + 3]);
        if ((third != 0x80 && third != 0x81) || (fourth & 0xC0) != 0x80) continue;
        out.append(utf8.substr(from, at - from));
        out.append(replacement);
        from = at + 4;
    }
    if (from == 0) return std::string(utf8);
    out.append(utf8.substr(from));
    return out;
}

}  // namespace qvset
