#pragma once

#include <filesystem>
#include <memory>

#include "printer/Spooler.h"

namespace qvset {

// The spooler of the platform the program was built for: CUPS on POSIX, winspool on Windows.
std::unique_ptr<Spooler> CreateDefaultSpooler();

// The folder that holds the running executable (where "file.prn" is looked for).
std::filesystem::path ProgramFolder();

}  // namespace qvset
