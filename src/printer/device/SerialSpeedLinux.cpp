// Kept apart from every file that includes <termios.h>: the kernel's termios2 and the C library's
// termios are declared by headers that cannot meet.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "printer/device/SerialSpeed.h"

namespace qvset::posix {

bool SetSerialSpeed(int fd, int baud) {
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return false;
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = static_cast<speed_t>(baud);
    settings.c_ospeed = static_cast<speed_t>(baud);
    return ::ioctl(fd, TCSETS2, &settings) == 0;
}

std::optional<int> SerialSpeed(int fd) {
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return std::nullopt;
    return static_cast<int>(settings.c_ospeed);
}

}  // namespace qvset::posix
