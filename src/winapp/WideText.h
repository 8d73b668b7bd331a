#pragma once

#include <string>
#include <string_view>

namespace qvset::winapp {

// The window's texts are UTF-8 inside the program and UTF-16 at every W call of the system.
std::wstring ToWide(std::string_view utf8);
std::string ToUtf8(std::wstring_view wide);

}  // namespace qvset::winapp
