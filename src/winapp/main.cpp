// qvset.exe: the printer utility's window on Windows.
//   qvset.exe                                   the main window
//   qvset.exe --preview                         the ticket-geometry preview first; "进入设置" opens the
//                                               main window
//   qvset.exe --screenshot FILE [--form 1|2|3]  paint a window into a PNG and exit
//   qvset.exe --help | --version
// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Version.h"
#include "forms/ProgramOptions.h"
#include "printer/MemorySpooler.h"
#include "printer/Platform.h"
#include "printer/SpoolerDeadline.h"
#include "printer/device/DeviceLinks.h"
#include "printer/device/DevicesFile.h"
#include "printer/device/SpoolerWithDevices.h"
#include "record/RecordBook.h"
#include "text/WideText.h"
#include "winapp/WinClock.h"
#include "winapp/WinDialogs.h"
#include "winapp/WinPause.h"
#include "winapp/WinProgram.h"
#include "winapp/WindowPicture.h"

namespace {

using namespace qvset;
using namespace qvset::winapp;

// A program without a console writes to its standard output and error when they are redirected (a
// script, the tests); otherwise nothing is seen.
void Write(std::FILE* stream, const std::string& utf8) {
    std::fputs(utf8.c_str(), stream);
    std::fflush(stream);
}

// The arguments after the program's name, in UTF-8, from the wide command line.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(ToUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

int Screenshot(const forms::ProgramOptions& options) {
    // The real printer list, but picking one changes nothing outside this process.
    MemorySpooler spooler(CreateDefaultSpooler()->ListPrinters());
    WinDialogs dialogs;
    WinPause pause;
    WinClock clock;
    WinProgram program(spooler, dialogs, pause, clock, PrintFileFolders());
    WinForm& face = program.Face(options.screenshotForm);
    // The clock as the first tick shows it.
    if (options.screenshotForm == "Form1") program.Main().OnEvent(forms::FormEvent::Tick("Timer1"));
    ShowWindow(face.Window(), SW_SHOWNOACTIVATE);
    face.RepaintNow();
    const auto written = SaveWindowPicture(face.Window(), ToWide(options.screenshotFile));
    if (!written) {
        Write(stderr, "qvset: cannot write " + options.screenshotFile + "\n");
        return 1;
    }
    if (*written == PictureFormat::Bmp)
        Write(stderr, "qvset: no PNG encoder here, wrote a BMP beside " + options.screenshotFile + "\n");
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const forms::ProgramOptions options = forms::ParseProgramArguments(Arguments());
    switch (options.action) {
        case forms::ProgramOptions::Action::Refused:
            Write(stderr, forms::RefusalText(options));
            return 2;
        case forms::ProgramOptions::Action::Help:
            Write(stdout, forms::ProgramHelp("qvset.exe"));
            return 0;
        case forms::ProgramOptions::Action::Version:
            Write(stdout, "qvset " + std::string(kVersion) + "\n");
            return 0;
        case forms::ProgramOptions::Action::Screenshot:
            return Screenshot(options);
        case forms::ProgramOptions::Action::Run:
            break;
    }

    const auto spooler = CreateDefaultSpooler();
    // The devices of the user's devices file come after the spooler's printers; without the file the
    // list is the spooler's alone.
    const std::filesystem::path devicesPath = DevicesFilePath();
    const DevicesFile devicesFile = ReadDevicesFile(devicesPath);
    DeviceSpooler devices(devicesFile.devices, OpenDeviceLink);
    devices.SetDeadline(SpoolerDeadlineFromEnvironment());
    SpoolerWithDevices withDevices(*spooler, devices);
    WinDialogs dialogs;
    WinPause pause;
    WinClock clock;
    WinProgram program(
        devicesFile.exists ? static_cast<Spooler&>(withDevices) : *spooler, dialogs, pause, clock,
        PrintFileFolders(), forms::RecordPlace{RecordFolder(StateFolder()), PrintServerName()},
        devicesFile.exists ? std::optional(forms::DevicePlace{devicesPath, &devices}) : std::nullopt);
    program.ShowForm(options.startForm);
    return WinProgram::RunMessages();
}
