#pragma once

#include <string_view>

namespace qvset {

// POSIX: writes all of `bytes` to the descriptor, again after a short write or an interrupted one;
// false on any error or when nothing more can be written.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace qvset
