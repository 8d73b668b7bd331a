#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qvset::cli {

// Readies the process's console for qvctl's UTF-8 output and returns the command-line arguments
// (without the program name) as UTF-8. The platform's version is chosen by the build.
std::vector<std::string> PrepareConsole(int argc, char** argv);

// True when qvctl was started with its standard input closed. Its descriptor is then held on the null
// device, so that no file or connection opened later is taken for standard input; reading it still
// fails (StandardInputBuffer). Called first, before anything is opened.
bool HoldClosedStandardInput();

// True when standard output is a pipe or socket whose reader has gone (`qvctl history | head` once head
// has exited, where SIGPIPE is ignored and a write fails instead of ending the process).
bool StandardOutputReaderGone();

// True when standard error is a terminal (a person watching, not a log): the progress line goes there.
bool StandardErrorIsTerminal();

// How many files this process may have open at once (ulimit -n, the soft limit); 0 when the platform
// sets no such limit or it cannot be read.
std::size_t OpenFileLimit();

}  // namespace qvset::cli
