// GBK conversion through the Windows code page functions (code page 936, whatever the system's ANSI
// code page is). Behaves like the iconv version: a character GBK lacks, or malformed UTF-8, becomes "?";
// bytes that are not GBK become U+FFFD.
#include <windows.h>

#include <cstdint>

#include "printer/AnsiText.h"
#include "printer/GbkSpan.h"
#include "text/WideText.h"

namespace qvset {
namespace {

constexpr UINT kGbkCodePage = 936;
constexpr wchar_t kUnrepresentable = L'?';

int ToInt(std::size_t size) {
    return static_cast<int>(size);
}

// Strict conversion of `input` from `codePage` to UTF-16; false when any sequence is invalid.
bool DecodeStrict(UINT codePage, std::string_view input, std::wstring& out) {
    out.clear();
    if (input.empty()) return true;
    const int needed =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, input.data(), ToInt(input.size()), nullptr, 0);
    if (needed <= 0) return false;
    out.resize(static_cast<std::size_t>(needed));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, input.data(), ToInt(input.size()), out.data(),
                               needed) == needed;
}

// GBK to UTF-16, one sequence at a time where the whole text is not valid GBK: every malformed or
// truncated sequence becomes `bad`.
std::wstring DecodeSequences(UINT codePage, std::string_view input, wchar_t bad,
                             std::size_t (*replacedSpan)(std::string_view)) {
    std::wstring out;
    if (DecodeStrict(codePage, input, out)) return out;
    out.clear();
    std::wstring piece;
    std::size_t at = 0;
    while (at < input.size()) {
        const std::size_t span = replacedSpan(input.substr(at));
        if (DecodeStrict(codePage, input.substr(at, span), piece)) {
            out += piece;
        } else {
            out.push_back(bad);
        }
        at += span;
    }
    return out;
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::string ToAnsi(std::string_view utf8) {
    const std::wstring wide = ToWide(utf8, kUnrepresentable);
    // GBK has nothing outside the basic plane: a surrogate pair is one unrepresentable character.
    std::wstring bmp;
    bmp.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) ++i;
        bmp.push_back(IsHighSurrogate(wide[i]) || IsLowSurrogate(wide[i]) ? kUnrepresentable : wide[i]);
    }
    if (bmp.empty()) return {};
    const char defaultChar[] = "?";
    const int needed = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, bmp.data(), ToInt(bmp.size()),
                                           nullptr, 0, defaultChar, nullptr);
    if (needed <= 0) return std::string(bmp.size(), '?');
    std::string out(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, bmp.data(), ToInt(bmp.size()), out.data(), needed,
                        defaultChar, nullptr);
    return out;
}

std::string FromAnsi(std::string_view ansi) {
    return ToUtf8(DecodeSequences(kGbkCodePage, ansi, kReplacementCharacter, GbkReplacedSpan));
}

}  // namespace qvset
