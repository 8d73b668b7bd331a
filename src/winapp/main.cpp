// qvset.exe: the printer utility's window on Windows.
//   qvset.exe                                   the main window
//   qvset.exe --preview                         the ticket-geometry preview first; "进入设置" opens the
//                                               main window
//   qvset.exe --screenshot FILE [--form 1|2|3]  paint a window into a PNG and exit
// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files/WideText.h"
#include "printer/MemorySpooler.h"
#include "printer/Platform.h"
#include "winapp/WinClock.h"
#include "winapp/WinDialogs.h"
#include "winapp/WinPause.h"
#include "winapp/WinProgram.h"
#include "winapp/WindowPicture.h"

namespace {

using namespace qvset;
using namespace qvset::winapp;

constexpr const wchar_t* kUsage =
    L"usage: qvset.exe [--preview]\n"
    L"       qvset.exe --screenshot FILE [--form 1|2|3]\n"
    L"  --preview      start on the ticket-geometry preview; its button opens the main window\n"
    L"  --screenshot   paint the main window (1), the help window (2) or the preview (3) into a PNG\n"
    L"                 and exit; printers are listed but none is changed\n";

struct Options {
    bool preview = false;
    std::wstring screenshot;
    std::wstring form = L"1";
};

// A program without a console says what went wrong in a message box; with its output redirected
// (a script, the tests) on its standard error as well.
void Complain(const std::wstring& text) {
    const std::string utf8 = ToUtf8(text);
    std::fputs(utf8.c_str(), stderr);
    std::fflush(stderr);
}

bool ParseArguments(const std::vector<std::wstring>& args, Options& options, bool& help) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--help" || arg == L"-h") {
            help = true;
        } else if (arg == L"--preview") {
            options.preview = true;
        } else if ((arg == L"--screenshot" || arg == L"--form") && i + 1 < args.size()) {
            (arg == L"--screenshot" ? options.screenshot : options.form) = args[++i];
        } else {
            Complain(L"qvset: unknown or incomplete argument: " + arg + L"\n" + kUsage);
            return false;
        }
    }
    if (options.form != L"1" && options.form != L"2" && options.form != L"3") {
        Complain(std::wstring(L"qvset: --form takes 1, 2 or 3\n") + kUsage);
        return false;
    }
    if (options.screenshot.empty() && options.form != L"1") {
        Complain(std::wstring(L"qvset: --form goes with --screenshot\n") + kUsage);
        return false;
    }
    return true;
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; i < count; ++i) args.emplace_back(wide[i]);
    LocalFree(wide);
    return args;
}

int Screenshot(const Options& options) {
    // The real printer list, but picking one changes nothing outside this process.
    MemorySpooler spooler(CreateDefaultSpooler()->ListPrinters());
    WinDialogs dialogs;
    WinPause pause;
    WinClock clock;
    WinProgram program(spooler, dialogs, pause, clock, PrintFileFolders());
    const std::wstring form = L"Form" + options.form;
    WinForm& face = program.Face(ToUtf8(form));
    if (options.form == L"1") program.Main().OnEvent(forms::FormEvent::Tick("Timer1"));  // the clock shown
    ShowWindow(face.Window(), SW_SHOWNOACTIVATE);
    face.RepaintNow();
    const auto written = SaveWindowPicture(face.Window(), options.screenshot);
    if (!written) {
        Complain(L"qvset: cannot write " + options.screenshot + L"\n");
        return 1;
    }
    if (*written == PictureFormat::Bmp)
        Complain(L"qvset: no PNG encoder here, wrote a BMP beside " + options.screenshot + L"\n");
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Options options;
    bool help = false;
    if (!ParseArguments(Arguments(), options, help)) return 2;
    if (help) {
        Complain(kUsage);
        return 0;
    }
    if (!options.screenshot.empty()) return Screenshot(options);

    const auto spooler = CreateDefaultSpooler();
    WinDialogs dialogs;
    WinPause pause;
    WinClock clock;
    WinProgram program(*spooler, dialogs, pause, clock, PrintFileFolders());
    program.ShowForm(options.preview ? "Form3" : "Form1");
    return WinProgram::RunMessages();
}
