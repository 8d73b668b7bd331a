#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "cli/Console.h"

namespace qvset::cli {

// The terminal is UTF-8 and the arguments arrive as the shell passed them.
std::vector<std::string> PrepareConsole(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

bool HoldClosedStandardInput() {
    if (fcntl(STDIN_FILENO, F_GETFD) != -1 || errno != EBADF) return false;
    const int null = open("/dev/null", O_RDONLY);
    if (null > STDIN_FILENO) close(null);
    return true;
}

}  // namespace qvset::cli
