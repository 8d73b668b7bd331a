#pragma once

#include <string>
#include <vector>

namespace qvset::cli {

// Readies the process's console for qvctl's UTF-8 output and returns the command-line arguments
// (without the program name) as UTF-8. The platform's version is chosen by the build.
std::vector<std::string> PrepareConsole(int argc, char** argv);

}  // namespace qvset::cli
