#pragma once

#include <string>
#include <string_view>

namespace qvset {

// The printer's character set is GBK (code page 936), whatever the machine's locale. Texts in the
// program are UTF-8 and are converted at the moment they become printer bytes or file bytes.

// UTF-8 to GBK. A character GBK cannot represent (or a malformed UTF-8 sequence) becomes "?", as the
// Windows conversion does. NUL characters are kept.
std::string ToAnsi(std::string_view utf8);

// GBK to UTF-8. A byte sequence that is not GBK becomes U+FFFD.
std::string FromAnsi(std::string_view ansi);

}  // namespace qvset
