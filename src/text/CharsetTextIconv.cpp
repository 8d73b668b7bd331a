// Character set conversion through iconv (POSIX).
#include <stdexcept>

#include "text/CharsetText.h"
#include "text/IconvText.h"
#include "text/Utf8.h"

namespace qvset {
namespace {

// An unknown character set keeps the bytes as they are.
template <typename SkipFn>
std::string Convert(std::string_view input, const char* to, const char* from, std::string_view replacement,
                    SkipFn skip) {
    try {
        const IconvHandle handle(to, from);
        return ConvertWithIconv(handle, input, replacement, skip);
    } catch (const std::runtime_error&) {
        return std::string(input);
    }
}

bool IsGb18030(const std::string& charset) {
    std::string upper;
    for (const char c : charset) upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    return upper == "GB18030" || upper == "GB-18030";
}

bool IsGb18030FourByteForm(std::string_view text) {
    if (text.size() < 4) return false;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto lead = [](unsigned char c) { return c >= 0x81 && c <= 0xFE; };
    const auto digit = [](unsigned char c) { return c >= 0x30 && c <= 0x39; };
    return lead(byte(0)) && digit(byte(1)) && lead(byte(2)) && digit(byte(3));
}

}  // namespace

std::string Utf8ToCharset(std::string_view utf8, const std::string& charset) {
    return Convert(ReplaceTagCharacters(utf8, "?"), charset.c_str(), "UTF-8", "?", Utf8ReplacedSpan);
}

std::string CharsetToUtf8(std::string_view text, const std::string& charset) {
    // A multibyte set's bad character spans at most its lead byte: the rest is read again. But a
    // GB18030 four-byte form (81-FE, 30-39, 81-FE, 30-39) that the conversion rejects is one character:
    // its digits are no characters of their own.
    const bool gb18030 = IsGb18030(charset);
    return Convert(text, "UTF-8", charset.c_str(), "\xEF\xBF\xBD", [gb18030](std::string_view rest) {
        return gb18030 && IsGb18030FourByteForm(rest) ? std::size_t{4} : std::size_t{1};
    });
}

std::size_t CompleteUtf8Length(std::string_view text) {
    // Back over at most three continuation bytes to the last lead byte; keep it only when whole.
    std::size_t start = text.size();
    for (std::size_t back = 0; back < 4 && start > 0; ++back) {
        const auto c = static_cast<unsigned char>(text[start - 1]);
        --start;
        if ((c & 0xC0) != 0x80) {
            const std::size_t length = Utf8SequenceLength(c);
            return start + length <= text.size() ? text.size() : start;
        }
    }
    return text.size();
}

}  // namespace qvset
