// qvset: the printer utility's window.
//   qvset                                        the main window
//   qvset --preview                              the ticket-geometry preview first; "进入设置" opens
//                                                the main window
//   qvset --screenshot FILE [--form 1|2|3]       render a window to a PNG without a display, and exit
// Qt's own options (-platform, -style, -display ...) are taken by Qt.
#include <QApplication>
#include <QIcon>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "Version.h"
#include "app/QtClock.h"
#include "app/QtDialogs.h"
#include "app/QtPause.h"
#include "app/QtProgram.h"
#include "app/Screenshot.h"
#include "app/Translations.h"
#include "forms/ProgramOptions.h"
#include "printer/MemorySpooler.h"
#include "printer/Platform.h"
#include "printer/SpoolerDeadline.h"
#include "printer/device/DeviceLinks.h"
#include "printer/device/DevicesFile.h"
#include "printer/device/SpoolerWithDevices.h"
#include "record/RecordBook.h"

namespace {

constexpr const char* kQtOptions =
    "\nQt's own options (-platform offscreen, -style fusion, -display ...) are passed to Qt.\n";

constexpr const char* kNoDisplay =
    "qvset: no display (DISPLAY and WAYLAND_DISPLAY are empty), so the window cannot open here.\n"
    "  run it on a virtual display:   xvfb-run -a qvset\n"
    "  or render it to a picture:     qvset --screenshot qvset.png [--form 1|2|3]\n";

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// What the arguments ask for before Qt sees them: whether anything runs without a window (help,
// version, a screenshot) and whether a platform was chosen explicitly.
struct EarlyLook {
    bool windowless = false;
    bool platformChosen = false;
};

EarlyLook LookAtArguments(int argc, char** argv) {
    EarlyLook look;
    look.platformChosen = IsSet("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--version" || arg == "--screenshot" ||
            arg.rfind("--screenshot=", 0) == 0) {
            look.windowless = true;
        }
        if (arg == "-platform" || arg == "--platform" || arg.rfind("-platform=", 0) == 0)
            look.platformChosen = true;
    }
    return look;
}

// On X11 and Wayland desktops a window needs one of the two display variables; without them Qt would
// abort with a message about platform plugins.
bool CanOpenWindow() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// Qt warns at every start ("QStandardPaths: XDG_RUNTIME_DIR not set ...") where no login session gave
// the program a runtime folder (su, ssh without a session manager, a container). Qt then uses
// /tmp/runtime-USER; the same folder is made here, private to the user, and named, so that there is
// nothing to warn about. A folder that is not private stays for Qt to judge.
void ProvideRuntimeFolder() {
    if (IsSet("XDG_RUNTIME_DIR")) return;
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/runtime-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return;
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid() ||
        (status.st_mode & 0777) != 0700)
        return;
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

int Screenshot(const qvset::forms::ProgramOptions& options) {
    using namespace qvset;
    // The real printer list, but picking one changes nothing outside this process.
    MemorySpooler spooler(CreateDefaultSpooler()->ListPrinters());
    app::QtDialogs dialogs;
    app::QtPause pause;
    app::QtClock clock;
    app::QtProgram program(spooler, dialogs, pause, clock, PrintFileFolders());
    app::QtForm& window = program.Form(options.screenshotForm);
    // The clock as the first tick shows it.
    if (options.screenshotForm == "Form1") window.Logic().OnEvent(forms::FormEvent::Tick("Timer1"));
    if (!app::SaveScreenshot(window, QString::fromStdString(options.screenshotFile))) {
        std::cerr << "qvset: cannot write " << options.screenshotFile << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qvset;
    const EarlyLook look = LookAtArguments(argc, argv);
    // Without a display Qt still starts offscreen, so that the arguments are read (and refused) as
    // anywhere else; only a window that would open is then turned away.
    const bool noDisplay = !look.platformChosen && !CanOpenWindow();
    if ((look.windowless || noDisplay) && !look.platformChosen) qputenv("QT_QPA_PLATFORM", "offscreen");

    ProvideRuntimeFolder();
    QApplication application(argc, argv);  // takes Qt's own options out of the arguments
    QApplication::setApplicationName(app::kApplicationTitle);
    QApplication::setApplicationVersion(
        QString::fromUtf8(kVersion.data(), static_cast<qsizetype>(kVersion.size())));
    QGuiApplication::setDesktopFileName(QStringLiteral("qvset"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qvset.png")));

    // Qt has taken its own options out of the arguments; the rest are the program's.
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());
    const forms::ProgramOptions options = forms::ParseProgramArguments(args);
    switch (options.action) {
        case forms::ProgramOptions::Action::Refused:
            std::cerr << forms::RefusalText(options);
            return 2;
        case forms::ProgramOptions::Action::Help:
            std::cout << forms::ProgramHelp("qvset") << kQtOptions;
            return 0;
        case forms::ProgramOptions::Action::Version:
            std::cout << "qvset " << kVersion << "\n";
            return 0;
        case forms::ProgramOptions::Action::Screenshot:
        case forms::ProgramOptions::Action::Run:
            break;
    }
    // The window's standard buttons and file dialogs in Chinese, like the rest of it (the command line's
    // help above stays in English).
    app::LoadChineseTranslations(application);
    if (options.action == forms::ProgramOptions::Action::Screenshot) return Screenshot(options);

    if (noDisplay) {
        std::cerr << kNoDisplay;
        return 1;
    }
    auto spooler = CreateDefaultSpooler();
    // The devices of the user's devices file come after the spooler's printers; without the file the
    // list is the spooler's alone.
    const std::filesystem::path devicesPath = DevicesFilePath();
    const DevicesFile devicesFile = ReadDevicesFile(devicesPath);
    for (const auto& problem : devicesFile.problems)
        std::cerr << "qvset: " << devicesPath.string() << ": " << problem << "\n";
    DeviceSpooler devices(devicesFile.devices, OpenDeviceLink);
    devices.SetDeadline(SpoolerDeadlineFromEnvironment());
    SpoolerWithDevices withDevices(*spooler, devices);
    app::QtDialogs dialogs;
    app::QtPause pause;
    app::QtClock clock;
    app::QtProgram program(
        devicesFile.exists ? static_cast<Spooler&>(withDevices) : *spooler, dialogs, pause, clock,
        PrintFileFolders(), forms::RecordPlace{RecordFolder(StateFolder()), PrintServerName()},
        devicesFile.exists ? std::optional(forms::DevicePlace{devicesPath, &devices}) : std::nullopt);
    program.OnMainWindow([&dialogs](app::QtForm& mainWindow) { dialogs.SetParent(&mainWindow); });
    program.ShowForm(options.startForm);
    return QApplication::exec();
}
