// qvctl commands of the printer link: the printer list, the default printer and the raw channel.
#include <algorithm>
#include <ostream>

#include "cli/CommandRegistry.h"
#include "cli/DeviceCommands.h"
#include "cli/TerminalText.h"
#include "files/NativeNames.h"
#include "printer/AnsiText.h"
#include "printer/HexCodec.h"
#include "printer/PrinterSelection.h"
#include "ticket/TicketFiles.h"

namespace qvset::cli {
namespace {

// Whether a text holds at least one character that the printer's character set can hold: its GBK form
// is more than the "?" of the characters it lacks (a "?" typed as such counts).
bool HoldsPrintableCharacter(const std::string& text) {
    if (text.find('?') != std::string::npos) return true;
    return ToAnsi(text).find_first_not_of('?') != std::string::npos;
}

// "默认打印机未能写入：ENTRY": the default-printer setting could not be written.
std::string MsgDefaultNotWritten(std::string_view entry) {
    return "默认打印机未能写入：" + std::string(entry);
}

// "注意：LPDEST=NAME 仍决定其他程序的打印机": a variable that wins over the default for other programs.
std::string MsgDefaultOverridden(std::string_view setting) {
    return "注意：" + std::string(setting) + " 仍决定其他程序的打印机";
}

// True when the last spooler call reached its server; otherwise says so and the command exits 1.
bool ServerAnswered(CliContext& context) {
    if (context.spooler.LastFault() == SpoolerFault::None) return true;
    context.dialogs.Message(kMsgServerUnreachable);
    return false;
}

void NoteDefaultOverride(CliContext& context) {
    const std::string setting = context.spooler.DefaultOverride();
    if (!setting.empty()) context.err << TerminalSafe(MsgDefaultOverridden(setting)) << '\n';
}

int ListPrinters(CliContext& context, const std::vector<std::string>&) {
    const auto printers = context.spooler.ListPrinters();
    if (!ServerAnswered(context)) return kExitPrinterFailed;
    const std::string current = context.spooler.CurrentPrinter();
    if (!ServerAnswered(context)) return kExitPrinterFailed;
    for (const auto& printer : printers) {
        context.out << (printer.deviceName == current ? "* " : "  ")
                    << TerminalSafe(FormatPrinterEntry(printer))
                    << (printer.kind.empty() ? std::string() : "  [" + printer.kind + "]") << '\n';
    }
    if (context.devices != nullptr && context.devices->open) {
        context.out << "devices:\n";
        ShowDevices(*context.devices, context.out, context.err);
    }
    return kExitOk;
}

int UsePrinter(CliContext& context, const std::vector<std::string>& args) {
    const auto printers = context.spooler.ListPrinters();
    if (!ServerAnswered(context)) return kExitPrinterFailed;
    const auto it = std::find_if(printers.begin(), printers.end(),
                                 [&](const PrinterInfo& p) { return p.deviceName == args[0]; });
    if (it == printers.end()) {
        context.err << "没有名为 " << TerminalSafe(args[0]) << " 的打印机\n";
        return kExitRefused;
    }
    const std::string entry = FormatPrinterEntry(*it);
    if (!context.spooler.ApplyPrinterChoice(entry)) {
        if (ServerAnswered(context)) {
            // The spooler's own word on why (a printer application keeps no user's default), after the
            // message.
            const std::string problem = context.spooler.LastProblem();
            context.dialogs.Message(MsgDefaultNotWritten(entry) + (problem.empty() ? "" : "; " + problem));
        }
        return kExitPrinterFailed;
    }
    NoteDefaultOverride(context);
    return kExitOk;
}

int PickPrinter(CliContext& context, const std::vector<std::string>&) {
    const auto entries = FillPrinterList(context.spooler);
    if (!ServerAnswered(context)) return kExitPrinterFailed;
    std::vector<std::string> unwritten;
    bool answered = true;
    const auto picked = PickMakerPrinter(entries, [&](std::size_t i) {
        if (context.spooler.ApplyPrinterChoice(entries[i])) return;
        answered = answered && context.spooler.LastFault() == SpoolerFault::None;
        unwritten.push_back(entries[i]);
    });
    if (!answered) {
        context.dialogs.Message(kMsgServerUnreachable);
        return kExitPrinterFailed;
    }
    for (const auto& entry : unwritten) context.dialogs.Message(MsgDefaultNotWritten(entry));
    if (picked) context.out << TerminalSafe(entries[*picked]) << '\n';
    if (!unwritten.empty()) return kExitPrinterFailed;
    if (picked) NoteDefaultOverride(context);
    return kExitOk;
}

std::string JoinWithoutBlanks(const std::vector<std::string>& args) {
    std::string joined;
    for (const auto& arg : args) {
        for (char c : arg) {
            if (c != ' ' && c != '\t') joined.push_back(c);
        }
    }
    return joined;
}

}  // namespace

void RegisterPrinterCommands(CommandRegistry& registry) {
    registry.Add(
        {.name = "printers",
         .usage = "",
         .summary = "list the installed printers; \"* \" marks the current printer",
         .help = "Each queue is followed by its kind in brackets: a raw queue or one with the maker's\n"
                 "driver takes RAW documents as they are; a driverless (IPP Everywhere) queue whose printer\n"
                 "is no QV6 printer application, and on Windows a queue with an XPS (v4) driver or any\n"
                 "queue under protected print mode, refuses them (nothing is sent). After the queues,\n"
                 "under \"devices:\", the devices of the devices file and the USB printer class devices\n"
                 "present (with their IEEE 1284 device id), which --device reaches without a spooler.",
         .run = ListPrinters,
         .sendsDocuments = false,
         .scope = FleetScope::Server});
    registry.Add(
        {.name = "use",
         .usage = "NAME",
         .summary = "make the printer NAME the default printer",
         .help = "NAME is a device (queue) name as `qvctl printers` lists it. A default that cannot be\n"
                 "written prints " +
                 Quoted(MsgDefaultNotWritten("...")) +
                 " and exits 1; when LPDEST or PRINTER is set, a note\n"
                 "says that it still decides the printer of other programs.",
         .run = RefusingControlCharacters(UsePrinter),
         .sendsDocuments = false,
         .countProblem = "one printer name",
         .scope = FleetScope::OnePrinter});
    registry.Add(
        {.name = "pick",
         .usage = "",
         .summary = "the start-up search: make the first printer whose name begins with QV6 the default",
         .help =
             "With more than one printer, every printer listed before the first QV6 printer becomes the\n"
             "default in turn; with none matching, the last one stays the default. Prints the entry left\n"
             "selected (nothing with fewer than two printers).",
         .run = PickPrinter,
         .sendsDocuments = false,
         .scope = FleetScope::OnePrinter});
    registry.Add(
        {.name = "hex",
         .usage = "HEX...",
         .summary = "send hex digit pairs as one document (blanks between arguments ignored)",
         .help = "Example: qvctl hex 1B 40 0A sends the three bytes 1B 40 0A. A pair that is not two hex\n"
                 "digits refuses all, naming it (" +
                 Quoted(kMsgBadHexCommand) + "：第 2 对 \"ZZ\"); exit 2.",
         .run =
             [](CliContext& c, const std::vector<std::string>& a) {
                 const std::string hex = JoinWithoutBlanks(a);
                 if (hex.empty()) return UsageError(c, "no hex digits given");
                 // The window's message, with the pair it is about.
                 if (const auto bad = FirstBadHexPair(hex)) {
                     c.dialogs.Message(std::string(kMsgBadHexCommand) + "：第 " + std::to_string(*bad + 1) +
                                       " 对 \"" + hex.substr(2 * *bad, 2) + "\"");
                     return kExitRefused;
                 }
                 c.channel.SendHex(hex);
                 // The channel's rule for an odd count of digits drops the last one when the
                 // count leaves 3 when divided by 4 (1B4 sends 1B): kept, and said here.
                 if (hex.size() % 4 == 3) {
                     c.err << "qvctl hex: the last digit '" << TerminalSafe(hex.substr(hex.size() - 1))
                           << "' of " << hex.size()
                           << " digits is dropped (an odd count of digits; write it as a pair, such as 0"
                           << TerminalSafe(hex.substr(hex.size() - 1)) << ")\n";
                 }
                 return kExitOk;
             },
         .countProblem = "no hex digits given"});
    registry.Add({.name = "text",
                  .usage = "TEXT",
                  .summary = "send a text in the printer's character set (GBK) as one document",
                  .help =
                      "Each character GBK lacks is sent as one \"?\". An empty text, or one that holds no\n"
                      "character of GBK, is refused: exit 2, nothing sent.",
                  .run =
                      [](CliContext& c, const std::vector<std::string>& a) {
                          if (a[0].empty()) return UsageError(c, "the text is empty");
                          // Every character the printer's set lacks becomes "?": a text of nothing but
                          // those would print nothing of what was meant.
                          if (!HoldsPrintableCharacter(a[0])) {
                              return UsageError(c,
                                                "the text holds no character of the printer's character set "
                                                "(GBK): nothing of it could be printed");
                          }
                          const std::int32_t length = c.channel.CharacterLen(a[0]);
                          c.channel.SendText(a[0], length);
                          return kExitOk;
                      },
                  .countProblem = "one text argument"});
    registry.Add(
        {.name = "file",
         .usage = "[PATH]",
         .summary =
             "send a print file unchanged as one document (default: " + std::string(kPrintFileName) + ")",
         .help =
             "Without PATH, file.prn is sent from the first of these folders that holds one:\n"
             "  the folder that holds qvctl (/usr/bin for the Debian package)\n"
             "  the user's qvset folder: $XDG_DATA_HOME/qvset, by default ~/.local/share/qvset\n"
             "  (on Windows %APPDATA%\\qvset)\n"
             "A missing or empty file names the file looked for; a folder, a device, a FIFO or a file that\n"
             "cannot be read is refused as missing; a file of more than " +
             std::to_string(kMostPrintFileBytes) +
             " bytes is refused with its\n"
             "size. All of them send nothing and exit 2.",
         .run = RefusingControlCharacters([](CliContext& c, const std::vector<std::string>& a) {
             if (a.empty()) {
                 c.channel.SendPrintFile();
             } else {
                 c.channel.SendPrintFileAt(NativePath(a[0]));
             }
             return kExitOk;
         })});
}

}  // namespace qvset::cli
