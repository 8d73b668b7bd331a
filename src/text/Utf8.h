#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qvset {

// Length of the UTF-8 sequence that starts with `lead`; a byte that cannot start one (a stray
// continuation byte, 0xF8 and above) counts as a sequence of its own.
inline std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

// The bytes at the start of `text` that one replacement character stands for when they cannot be
// converted: a whole sequence, or the lead and the continuation bytes that follow it where the sequence
// is cut short. A byte that does not belong to it (the "A" of E4 41) is never swallowed.
inline std::size_t Utf8ReplacedSpan(std::string_view text) {
    if (text.empty()) return 0;
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[0]));
    std::size_t span = 1;
    while (span < length && span < text.size() && (static_cast<unsigned char>(text[span]) & 0xC0) == 0x80)
        ++span;
    return span;
}

// One character read from the start of a non-empty `text`: its code point, or none for a malformed
// sequence (a byte that starts none, a sequence cut short, an overlong form, an encoded surrogate such as
// ED A0 80, a value above U+10FFFF such as F4 90 80 80). `span` is the bytes it takes: the whole
// sequence, or for a malformed one what Utf8ReplacedSpan says.
struct Utf8Character {
    std::optional<char32_t> code;
    std::size_t span = 0;
};
Utf8Character ReadUtf8Character(std::string_view text);

// `utf8` with every Unicode tag character (U+E0000 to U+E007F, 4 bytes F3 A0 80 80 to F3 A0 81 BF)
// replaced by `replacement`. iconv drops these characters without a word where it turns every other
// character a character set cannot hold into the replacement; the conversions call this first, so
// that each becomes one replacement too.
std::string ReplaceTagCharacters(std::string_view utf8, std::string_view replacement);

// The offset of the first byte that is not part of a well-formed UTF-8 character, if any.
std::optional<std::size_t> FirstInvalidUtf8(std::string_view text);

// The columns a text takes in a listing or a report: one per character (a UTF-8 continuation byte takes
// none).
std::size_t Utf8Columns(std::string_view text);

// `text` with blanks added up to `width` columns; a text as wide or wider stays as it is.
std::string PadToColumns(std::string text, std::size_t width);

}  // namespace qvset
