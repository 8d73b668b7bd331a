#pragma once

#include <string>
#include <string_view>

namespace qvset {

// Text between UTF-8 and another character set, by its iconv name ("GB18030", "GBK"). A character
// the target cannot hold, or bytes that are no character of the source, become one "?" (U+FFFD
// into UTF-8); an incomplete character at the end too. An unknown character set keeps the bytes.
std::string Utf8ToCharset(std::string_view utf8, const std::string& charset);
std::string CharsetToUtf8(std::string_view text, const std::string& charset);

// The length of the longest start of `text` that ends on a whole UTF-8 character: what may be
// converted now when more bytes may follow.
std::size_t CompleteUtf8Length(std::string_view text);

}  // namespace qvset
