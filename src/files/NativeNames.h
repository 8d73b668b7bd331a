#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qvset {

// File names are UTF-8 inside the programs. On Windows a path is made from it by the library (wide
// names). On POSIX a name is the bytes the user's system spells it with: a program that takes names
// from a terminal in a locale's character set (qvctl) calls SpellNamesIn with that set, so that a name
// typed in a GB18030 terminal is the file of that name there. Until then, and for UTF-8, the bytes are
// kept as they are.
void SpellNamesIn(const std::string& charset);

// The path of a UTF-8 name, in the chosen character set.
std::filesystem::path NativePath(std::string_view utf8);

// A path's name as UTF-8, for messages.
std::string Utf8Name(const std::filesystem::path& path);

// True for a character set whose bytes are kept as they are: UTF-8, and ASCII (the C locale's
// "ANSI_X3.4-1968"), where qvctl has always passed bytes on unchanged.
bool KeepsBytes(std::string_view charset);

}  // namespace qvset
