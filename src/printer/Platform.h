#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "printer/Spooler.h"

namespace qvset {

// The spooler of the platform the program was built for: CUPS on POSIX, winspool on Windows.
std::unique_ptr<Spooler> CreateDefaultSpooler();

// The spooler of a named print server: on POSIX a CUPS server "HOST[:PORT]" (port 631 when none is
// given) or the path of its domain socket, reached over IPP; on Windows a print server "\\HOST", whose
// printers are listed and opened as "\\HOST\NAME". An empty name is CreateDefaultSpooler's server.
std::unique_ptr<Spooler> CreateServerSpooler(const std::string& server);

// The name a record gives a print server named on the command line: "HOST:PORT" on POSIX (the default
// port made explicit), "\\HOST" on Windows; PrintServerName() for an empty name.
std::string ServerRecordName(const std::string& server);

// The folder that holds the running executable (where "file.prn" is looked for first).
std::filesystem::path ProgramFolder();

// Where "file.prn" is looked for, in order: the program's folder, then the user's own qvset folder, for
// installed copies whose program folder (/usr/bin, Program Files) is no place for a user's files.
// POSIX: $XDG_DATA_HOME/qvset, by default ~/.local/share/qvset. Windows: %APPDATA%\qvset.
std::vector<std::filesystem::path> PrintFileFolders();

// The user's own folder for what the programs keep between runs (the record of what each printer was
// sent). POSIX: $XDG_STATE_HOME/qvset, by default ~/.local/state/qvset. Windows: %LOCALAPPDATA%\qvset.
// Empty when neither the variable nor a home folder is set.
std::filesystem::path StateFolder();

// The user's devices file: the printers reached without a spooler, one "NAME URI" a line.
// POSIX: $XDG_CONFIG_HOME/qvset/devices, by default ~/.config/qvset/devices. Windows:
// %APPDATA%\qvset\devices. Empty when neither the variable nor a home folder is set.
std::filesystem::path DevicesFilePath();

// The print server the spooler talks to, as the record names it: CUPS' server ("localhost:631", or the
// path of its domain socket); empty on Windows, whose spooler is the local machine's.
std::string PrintServerName();

}  // namespace qvset
