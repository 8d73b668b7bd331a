#pragma once

#include <optional>

namespace qvset::posix {

// Sets both speeds of an open serial port to any rate the driver takes (Linux: termios2 with BOTHER),
// keeping every other setting; false when the driver refused it.
bool SetSerialSpeed(int fd, int baud);
// The output speed the driver holds now, in baud; nothing when it cannot be read.
std::optional<int> SerialSpeed(int fd);

}  // namespace qvset::posix
