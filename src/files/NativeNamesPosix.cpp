#include "files/NativeNames.h"

#include "text/CharsetText.h"

namespace qvset {
namespace {

std::string& NameCharset() {
    static std::string charset;
    return charset;
}

}  // namespace

bool KeepsBytes(std::string_view charset) {
    return charset.empty() || charset == "UTF-8" || charset == "utf8" || charset == "ANSI_X3.4-1968";
}

void SpellNamesIn(const std::string& charset) {
    NameCharset() = KeepsBytes(charset) ? std::string() : charset;
}

std::filesystem::path NativePath(std::string_view utf8) {
    if (NameCharset().empty()) return std::filesystem::path(std::string(utf8));
    return std::filesystem::path(Utf8ToCharset(utf8, NameCharset()));
}

std::string Utf8Name(const std::filesystem::path& path) {
    if (NameCharset().empty()) return path.string();
    return CharsetToUtf8(path.string(), NameCharset());
}

}  // namespace qvset
