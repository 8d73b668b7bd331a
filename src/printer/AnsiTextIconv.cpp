// GBK conversion through iconv (POSIX).
#include "printer/AnsiText.h"
#include "printer/GbkSpan.h"
#include "text/IconvText.h"
#include "text/Utf8.h"

namespace qvset {

std::string ToAnsi(std::string_view utf8) {
    // One descriptor per thread: iconv descriptors carry shift state and are not shareable.
    thread_local const IconvHandle handle("CP936", "UTF-8");
    return ConvertWithIconv(handle, ReplaceTagCharacters(utf8, "?"), "?", Utf8ReplacedSpan);
}

std::string FromAnsi(std::string_view ansi) {
    thread_local const IconvHandle handle("UTF-8", "CP936");
    return ConvertWithIconv(handle, ansi, "\xEF\xBF\xBD", GbkReplacedSpan);
}

}  // namespace qvset
