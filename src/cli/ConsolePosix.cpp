#include "cli/Console.h"

namespace qvset::cli {

// The terminal is UTF-8 and the arguments arrive as the shell passed them.
std::vector<std::string> PrepareConsole(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

}  // namespace qvset::cli
