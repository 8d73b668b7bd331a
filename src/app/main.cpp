// qvset: the printer utility's window.
//   qvset                                        the main window
//   qvset --preview                              the ticket-geometry preview first; "进入设置" opens
//                                                the main window
//   qvset --screenshot FILE [--form 1|2|3]       render a window to a PNG without a display, and exit
// Qt's own options (-platform, -style, -display ...) are taken by Qt.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Version.h"
#include "app/QtClock.h"
#include "app/QtDialogs.h"
#include "app/QtPause.h"
#include "app/QtProgram.h"
#include "app/Screenshot.h"
#include "app/Translations.h"
#include "printer/MemorySpooler.h"
#include "printer/Platform.h"

namespace {

constexpr const char* kDescription =
    "The QV6 printer utility's window (设置): the printer's stored switches, the ticket geometry, ticket\n"
    "descriptions (票样), test prints and print-quality tuning. Every command goes to the current\n"
    "printer (the default printer) as one RAW document.";

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
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--version" || arg == "-v" ||
            arg == "--screenshot" || arg.rfind("--screenshot=", 0) == 0) {
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

int Screenshot(const QString& file, const QString& form) {
    using namespace qvset;
    // The real printer list, but picking one changes nothing outside this process.
    MemorySpooler spooler(CreateDefaultSpooler()->ListPrinters());
    app::QtDialogs dialogs;
    app::QtPause pause;
    app::QtClock clock;
    app::QtProgram program(spooler, dialogs, pause, clock, PrintFileFolders());
    app::QtForm& window = program.Form("Form" + form.toStdString());
    // The clock as the first tick shows it.
    if (form == "1") window.Logic().OnEvent(forms::FormEvent::Tick("Timer1"));
    if (!app::SaveScreenshot(window, file)) {
        std::cerr << "qvset: cannot write " << file.toStdString() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qvset;
    const EarlyLook look = LookAtArguments(argc, argv);
    if (look.windowless && !look.platformChosen) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (!look.platformChosen && !CanOpenWindow()) {
        std::cerr << kNoDisplay;
        return 1;
    }

    QApplication application(argc, argv);  // takes Qt's own options out of the arguments
    QApplication::setApplicationName(app::kApplicationTitle);
    QApplication::setApplicationVersion(
        QString::fromUtf8(kVersion.data(), static_cast<qsizetype>(kVersion.size())));
    QGuiApplication::setDesktopFileName(QStringLiteral("qvset"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qvset.png")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption preview(
        QStringLiteral("preview"),
        QStringLiteral("Start on the ticket-geometry preview; its button opens the main window."));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Render a window to a PNG file without a display and "
                                                       "exit; printers are listed, none is changed."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption form(
        QStringLiteral("form"),
        QStringLiteral("With --screenshot: the main window (1), the help window (2) or the preview (3)."),
        QStringLiteral("1|2|3"), QStringLiteral("1"));
    parser.addOptions({preview, screenshot, form});
    if (!parser.parse(QApplication::arguments())) {
        std::cerr << "qvset: " << parser.errorText().toStdString() << "\nsee 'qvset --help'\n";
        return 2;
    }
    if (parser.isSet(help)) {
        std::cout << parser.helpText().toStdString();
        return 0;
    }
    if (parser.isSet(version)) {
        std::cout << "qvset " << kVersion << "\n";
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::cerr << "qvset: unexpected argument " << parser.positionalArguments().front().toStdString()
                  << "\nsee 'qvset --help'\n";
        return 2;
    }
    const QString formNumber = parser.value(form);
    if (formNumber != "1" && formNumber != "2" && formNumber != "3") {
        std::cerr << "qvset: --form takes 1, 2 or 3\nsee 'qvset --help'\n";
        return 2;
    }
    if (parser.isSet(form) && !parser.isSet(screenshot)) {
        std::cerr << "qvset: --form goes with --screenshot\nsee 'qvset --help'\n";
        return 2;
    }
    // The window's standard buttons and file dialogs in Chinese, like the rest of it (the command line's
    // help above stays in English).
    app::LoadChineseTranslations(application);
    if (parser.isSet(screenshot)) return Screenshot(parser.value(screenshot), formNumber);

    auto spooler = CreateDefaultSpooler();
    app::QtDialogs dialogs;
    app::QtPause pause;
    app::QtClock clock;
    app::QtProgram program(*spooler, dialogs, pause, clock, PrintFileFolders());
    program.OnMainWindow([&dialogs](app::QtForm& mainWindow) { dialogs.SetParent(&mainWindow); });
    program.ShowForm(parser.isSet(preview) ? "Form3" : "Form1");
    return QApplication::exec();
}
