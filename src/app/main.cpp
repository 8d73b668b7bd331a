// qvset: the printer utility's window.
//   qvset                                        the main window
//   qvset --preview                              the ticket-geometry preview first; "进入设置" opens
//                                                the main window
//   qvset --screenshot FILE [--form 1|2|3]       render a window to a PNG without a display, and exit
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Version.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/Form3.h"
#include "app/QtDialogs.h"
#include "app/QtPause.h"
#include "app/Screenshot.h"
#include "app/SystemClock.h"
#include "printer/MemorySpooler.h"
#include "printer/Platform.h"

namespace {

constexpr const char* kUsage =
    "usage: qvset [--preview]\n"
    "       qvset --screenshot FILE [--form 1|2|3]\n"
    "  --preview      start on the ticket-geometry preview; its button opens the main window\n"
    "  --screenshot   render the main window (1), the help window (2) or the preview (3) to a PNG\n"
    "                 on the offscreen platform and exit; printers are listed but none is changed\n";

constexpr const char* kNoDisplay =
    "qvset: no display (DISPLAY and WAYLAND_DISPLAY are empty), so the window cannot open here.\n"
    "  run it on a virtual display:   xvfb-run -a qvset\n"
    "  or render it to a picture:     qvset --screenshot qvset.png [--form 1|2|3]\n";

// On X11 and Wayland desktops a window needs one of the two display variables; without them Qt would
// abort with a message about platform plugins. A platform chosen explicitly is left to Qt.
bool CanOpenWindow() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const auto isSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

struct Options {
    bool preview = false;
    std::string screenshot;
    std::string form = "1";
};

// Returns false (having printed why) for arguments that are not understood.
bool ParseArguments(const std::vector<std::string>& args, Options& options, bool& help) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--preview") {
            options.preview = true;
        } else if ((arg == "--screenshot" || arg == "--form") && i + 1 < args.size()) {
            (arg == "--screenshot" ? options.screenshot : options.form) = args[++i];
        } else {
            std::cerr << "qvset: unknown or incomplete argument: " << arg << "\n" << kUsage;
            return false;
        }
    }
    if (options.form != "1" && options.form != "2" && options.form != "3") {
        std::cerr << "qvset: --form takes 1, 2 or 3\n" << kUsage;
        return false;
    }
    if (options.screenshot.empty() && options.form != "1") {
        std::cerr << "qvset: --form goes with --screenshot\n" << kUsage;
        return false;
    }
    return true;
}

int Screenshot(const Options& options) {
    using namespace qvset;
    // The real printer list, but picking one changes nothing outside this process.
    MemorySpooler spooler(CreateDefaultSpooler()->ListPrinters());
    app::QtDialogs dialogs;
    app::QtPause pause;
    app::SystemClock clock;
    std::unique_ptr<QWidget> window;
    if (options.form == "2") {
        window = std::make_unique<app::Form2>();
    } else if (options.form == "3") {
        window = std::make_unique<app::Form3>([] {});
    } else {
        auto form1 = std::make_unique<app::Form1>(spooler, dialogs, pause, clock, ProgramFolder());
        form1->Timer1()->stop();
        QMetaObject::invokeMethod(form1.get(), "Timer1_Timer");  // the clock as the first tick shows it
        window = std::move(form1);
    }
    if (!app::SaveScreenshot(*window, QString::fromStdString(options.screenshot))) {
        std::cerr << "qvset: cannot write " << options.screenshot << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qvset;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "qvset " << kVersion << "\n";
        return 0;
    }
    Options options;
    bool help = false;
    if (!ParseArguments(args, options, help)) return 2;
    if (help) {
        std::cout << kUsage;
        return 0;
    }
    if (!options.screenshot.empty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (!CanOpenWindow()) {
        std::cerr << kNoDisplay;
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(app::kApplicationTitle);
    if (!options.screenshot.empty()) return Screenshot(options);

    auto spooler = CreateDefaultSpooler();
    app::QtDialogs dialogs;
    app::QtPause pause;
    app::SystemClock clock;
    std::unique_ptr<app::Form1> form1;
    auto showMainWindow = [&] {
        if (form1 == nullptr) {
            form1 = std::make_unique<app::Form1>(*spooler, dialogs, pause, clock, ProgramFolder());
            pause.HoldDuringWaits(form1->Timer1());
            dialogs.SetParent(form1.get());
        }
        form1->show();
        form1->raise();
        form1->activateWindow();
    };
    std::unique_ptr<app::Form3> form3;
    if (options.preview) {
        form3 = std::make_unique<app::Form3>(showMainWindow);
        form3->show();
    } else {
        showMainWindow();
    }
    return QApplication::exec();
}
