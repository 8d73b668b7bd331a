// qvctl commands of the printer link: the printer list, the default printer and the raw channel.
#include <algorithm>
#include <ostream>

#include "cli/CommandRegistry.h"
#include "printer/PrinterSelection.h"

namespace qvset::cli {
namespace {

int ListPrinters(CliContext& context, const std::vector<std::string>&) {
    const std::string current = context.spooler.CurrentPrinter();
    for (const auto& printer : context.spooler.ListPrinters()) {
        context.out << (printer.deviceName == current ? "* " : "  ") << FormatPrinterEntry(printer) << '\n';
    }
    return kExitOk;
}

int UsePrinter(CliContext& context, const std::vector<std::string>& args) {
    const auto printers = context.spooler.ListPrinters();
    const auto it = std::find_if(printers.begin(), printers.end(),
                                 [&](const PrinterInfo& p) { return p.deviceName == args[0]; });
    if (it == printers.end()) {
        context.err << "没有名为 " << args[0] << " 的打印机\n";
        return kExitRefused;
    }
    context.spooler.ApplyPrinterChoice(FormatPrinterEntry(*it));
    return kExitOk;
}

int PickPrinter(CliContext& context, const std::vector<std::string>&) {
    const auto entries = FillPrinterList(context.spooler);
    const auto picked =
        PickMakerPrinter(entries, [&](std::size_t i) { context.spooler.ApplyPrinterChoice(entries[i]); });
    if (picked) context.out << entries[*picked] << '\n';
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
    registry.Add({"printers", "", "list the installed printers; \"* \" marks the current printer", "",
                  [](CliContext& c, const std::vector<std::string>& a) {
                      if (!a.empty()) return UsageError(c, "takes no arguments");
                      return ListPrinters(c, a);
                  }});
    registry.Add({"use", "NAME", "make the printer NAME the default printer",
                  "NAME is a device (queue) name as `qvctl printers` lists it.",
                  [](CliContext& c, const std::vector<std::string>& a) {
                      if (a.size() != 1) return UsageError(c, "one printer name");
                      return UsePrinter(c, a);
                  }});
    registry.Add(
        {"pick", "", "the start-up search: make the first printer whose name begins with QV6 the default",
         "With more than one printer, every printer listed before the first QV6 printer becomes the\n"
         "default in turn; with none matching, the last one stays the default. Prints the entry left\n"
         "selected (nothing with fewer than two printers).",
         [](CliContext& c, const std::vector<std::string>& a) {
             if (!a.empty()) return UsageError(c, "takes no arguments");
             return PickPrinter(c, a);
         }});
    registry.Add({"hex", "HEX...", "send hex digit pairs as one document (blanks between arguments ignored)",
                  "Example: qvctl hex 1B 40 0A sends the three bytes 1B 40 0A.",
                  [](CliContext& c, const std::vector<std::string>& a) {
                      const std::string hex = JoinWithoutBlanks(a);
                      if (hex.empty()) return UsageError(c, "no hex digits given");
                      c.channel.SendHex(hex);
                      return kExitOk;
                  }});
    registry.Add({"text", "TEXT", "send a text in the printer's character set (GBK) as one document", "",
                  [](CliContext& c, const std::vector<std::string>& a) {
                      if (a.size() != 1) return UsageError(c, "one text argument");
                      const std::int32_t length = c.channel.CharacterLen(a[0]);
                      c.channel.SendText(a[0], length);
                      return kExitOk;
                  }});
    registry.Add({"file", "[PATH]", "send a print file unchanged as one document (default: file.prn)",
                  "Without PATH, file.prn is sent from the first of these folders that holds one:\n"
                  "  the folder that holds qvctl (/usr/bin for the Debian package)\n"
                  "  the user's qvset folder: $XDG_DATA_HOME/qvset, by default ~/.local/share/qvset\n"
                  "  (on Windows %APPDATA%\\qvset)\n"
                  "A missing or empty file sends nothing, names the file looked for and exits 2.",
                  [](CliContext& c, const std::vector<std::string>& a) {
                      if (a.size() > 1) return UsageError(c, "at most one path");
                      if (a.empty()) {
                          c.channel.SendPrintFile();
                      } else {
                          c.channel.SendPrintFileAt(a[0]);
                      }
                      return kExitOk;
                  }});
}

}  // namespace qvset::cli
