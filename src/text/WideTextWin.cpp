#include "text/WideText.h"

#include "text/Utf8.h"

namespace qvset {
namespace {

constexpr char32_t kHighSurrogates = 0xD800;
constexpr char32_t kLowSurrogates = 0xDC00;

bool IsSurrogateUnit(char32_t unit) {
    return unit >= kHighSurrogates && unit <= 0xDFFF;
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
        const Utf8Character character = ReadUtf8Character(utf8.substr(at));
        at += character.span;
        char32_t code = character.code.value_or(0);
        if (!character.code) {
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
        AppendUtf8(utf8, IsSurrogateUnit(unit) ? char32_t{0xFFFD} : unit);
    }
    return utf8;
}

}  // namespace qvset
