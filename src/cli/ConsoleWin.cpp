#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/Console.h"
#include "printer/win/WinApi.h"
#include "printer/win/WinHandles.h"
#include "text/WideText.h"

namespace qvset::cli {

namespace {
constexpr UINT kUtf8CodePage = 65001;
}  // namespace

// The console shows qvctl's UTF-8 text as such; the arguments are taken from the wide command line, so
// that Chinese text survives whatever the ANSI code page is.
std::vector<std::string> PrepareConsole(int argc, char** argv) {
    const auto& api = win::SystemWinApi();
    api.SetConsoleOutputCP(kUtf8CodePage);
    // "decode -" reads a document from standard input: its bytes, without CR LF translation.
    _setmode(_fileno(stdin), _O_BINARY);
    int count = 0;
    const win::LocalMemory<LPWSTR> wideArgs(api, api.CommandLineToArgvW(api.GetCommandLineW(), &count));
    if (wideArgs.Get() == nullptr) return {argv + 1, argv + argc};
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(ToUtf8(wideArgs.Get()[i]));
    return args;
}

bool HoldClosedStandardInput() {
    return _get_osfhandle(0) == -1;
}

// A pipe's closed reader shows on Windows only as a failed write: the output's own failure says it.
bool StandardOutputReaderGone() {
    return false;
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

// Windows sets no limit of open handles that a run could reach.
std::size_t OpenFileLimit() {
    return 0;
}

}  // namespace qvset::cli
