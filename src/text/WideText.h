#pragma once

// Windows only: the program's texts are UTF-8 inside and UTF-16 at every W call of the system. This is
// the one place that converts between the two, with one rule for what is not text:
// - UTF-8 to UTF-16: each malformed sequence becomes one `replacement` (U+FFFD unless said): a byte that
//   cannot start a sequence, a sequence cut short (its lead and the continuation bytes that follow it;
//   a byte that does not continue it is read again on its own), an overlong form, an encoded surrogate
//   (ED A0 80) and a value above U+10FFFF (F4 90 80 80).
// - UTF-16 to UTF-8: a surrogate without its partner becomes U+FFFD.
// Zero bytes and zero units are text like any other.
#include <string>
#include <string_view>

namespace qvset {

inline constexpr wchar_t kReplacementCharacter = 0xFFFD;

std::wstring ToWide(std::string_view utf8, wchar_t replacement = kReplacementCharacter);
std::string ToUtf8(std::wstring_view wide);

}  // namespace qvset
