#include "files/NativeNames.h"

namespace qvset {

// Windows names are wide; the library converts them from and to UTF-8 whatever the code page.
void SpellNamesIn(const std::string&) {}

bool KeepsBytes(std::string_view) {
    return true;
}

std::filesystem::path NativePath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Name(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace qvset
