// qvctl device add|remove|list: the user's devices file, the printers reached without a spooler.
#include "cli/DeviceCommands.h"

#include <ostream>

#include "cli/TerminalText.h"
#include "files/NativeNames.h"
#include "printer/device/DevicesFile.h"

namespace qvset::cli {
namespace {

std::string FileText(const DeviceSetup& setup) {
    return setup.file.empty() ? std::string("(no devices file: neither XDG_CONFIG_HOME nor HOME is set)")
                              : Utf8Name(setup.file);
}

// The devices file, its problems said on the error stream.
DevicesFile ReadAndSay(const DeviceSetup& setup, std::ostream& err) {
    DevicesFile file = ReadDevicesFile(setup.file);
    for (const auto& problem : file.problems) {
        err << "qvctl: " << TerminalSafe(FileText(setup)) << ": " << TerminalSafe(problem) << '\n';
    }
    return file;
}

// Writes the changed file; false (said) when it could not be.
bool WriteAndSay(CliContext& context, const DevicesFile& file) {
    if (context.devices->file.empty()) {
        context.err << "qvctl " << context.command.name << ": " << FileText(*context.devices) << '\n';
        return false;
    }
    std::string problem;
    if (WriteDevicesFile(context.devices->file, file, problem)) return true;
    context.err << "qvctl " << context.command.name << ": " << TerminalSafe(problem) << '\n';
    return false;
}

// Refuses to rewrite a file that could not be read: its lines would be lost.
bool Unreadable(CliContext& context, const DevicesFile& file) {
    if (!file.exists || !file.lines.empty() || file.problems.empty()) return false;
    context.err << "qvctl " << context.command.name << ": the devices file is left as it is\n";
    return true;
}

int AddDevice(CliContext& context, const std::vector<std::string>& args) {
    if (context.devices == nullptr) return UsageError(context, "devices cannot be used here");
    const NamedDevice device{args[0], args[1]};
    if (const auto problem = DeviceNameProblem(device.name)) return UsageError(context, *problem);
    std::string problem;
    if (!ParseDeviceUri(device.uri, problem)) return UsageError(context, problem);
    DevicesFile file = ReadAndSay(*context.devices, context.err);
    if (Unreadable(context, file)) return kExitPrinterFailed;
    const auto old = SetDevice(file, device);
    if (!WriteAndSay(context, file)) return kExitPrinterFailed;
    context.out << TerminalSafe(device.name) << ' ' << TerminalSafe(device.uri)
                << (old ? " (was " + TerminalSafe(*old) + ")" : std::string()) << " in "
                << TerminalSafe(FileText(*context.devices)) << '\n';
    return kExitOk;
}

int RemoveDeviceCommand(CliContext& context, const std::vector<std::string>& args) {
    if (context.devices == nullptr) return UsageError(context, "devices cannot be used here");
    DevicesFile file = ReadAndSay(*context.devices, context.err);
    if (Unreadable(context, file)) return kExitPrinterFailed;
    if (!RemoveDevice(file, args[0])) {
        context.err << "qvctl " << context.command.name << ": no device named " << TerminalSafe(args[0])
                    << " in " << TerminalSafe(FileText(*context.devices)) << '\n';
        return kExitRefused;
    }
    return WriteAndSay(context, file) ? kExitOk : kExitPrinterFailed;
}

int ListDevices(CliContext& context, const std::vector<std::string>&) {
    if (context.devices == nullptr) return UsageError(context, "devices cannot be used here");
    const DevicesFile file = ReadAndSay(*context.devices, context.err);
    if (!file.exists) {
        context.err << "qvctl " << context.command.name << ": no devices file yet ("
                    << TerminalSafe(FileText(*context.devices)) << "); qvctl device add NAME URI makes it\n";
        return kExitOk;
    }
    for (const auto& device : file.devices) {
        context.out << TerminalSafe(device.name) << ' ' << TerminalSafe(device.uri) << '\n';
    }
    return file.problems.empty() ? kExitOk : kExitRefused;
}

}  // namespace

std::optional<std::string> ResolveDevice(const DeviceSetup& setup, const std::string& argument,
                                         std::string& problem) {
    if (LooksLikeDeviceUri(argument)) {
        if (!ParseDeviceUri(argument, problem)) return std::nullopt;
        return argument;
    }
    const DevicesFile file = ReadDevicesFile(setup.file);
    if (const auto device = FindDevice(file, argument)) return device->uri;
    problem = "no device named " + argument + " in " + FileText(setup) +
              " (a device URI is socket://HOST[:PORT], serial:PORT[?baud=N], usb:DEVICE or a path)";
    return std::nullopt;
}

int FollowBaudChanges(const std::vector<BaudChange>& changes, const DeviceSetup* setup, bool follow,
                      Dialogs& dialogs) {
    int status = kExitOk;
    for (const BaudChange& change : changes) {
        DevicesFile file = setup != nullptr ? ReadDevicesFile(setup->file) : DevicesFile{};
        std::vector<std::string> names;
        for (const auto& device : file.devices) {
            if (device.uri == change.uri) names.push_back(device.name);
        }
        const std::string answers = "the printer on " + change.uri + " answers at " +
                                    std::to_string(change.baud) + " baud from now on (once restarted)";
        if (names.empty()) {
            dialogs.Message(answers + ": send to " + change.newUri + " (qvctl device add NAME " +
                            change.newUri + " keeps it in the devices file)");
            continue;
        }
        std::string joined;
        for (const auto& name : names) joined += (joined.empty() ? "" : ", ") + name;
        if (!follow) {
            dialogs.Message(answers + ": send to " + change.newUri + "; --follow-baud keeps " + joined +
                            " in the devices file in step");
            continue;
        }
        for (const auto& name : names) SetDevice(file, {name, change.newUri});
        std::string problem;
        if (!WriteDevicesFile(setup->file, file, problem)) {
            dialogs.Message(answers + ", but the devices file could not be changed (" + problem +
                            "): send to " + change.newUri);
            status = kExitPrinterFailed;
            continue;
        }
        dialogs.Message("device " + joined + " follows its printer to " + std::to_string(change.baud) +
                        " baud: " + change.newUri + " (was " + change.uri + ") in " + FileText(*setup));
    }
    return status;
}

void ShowDevices(const DeviceSetup& setup, std::ostream& out, std::ostream& err) {
    const DevicesFile file = ReadAndSay(setup, err);
    for (const auto& device : file.devices) {
        out << "  " << TerminalSafe(device.name) << ',' << kDeviceDriverText << ','
            << TerminalSafe(device.uri) << "  [" << kDeviceKindText << "]\n";
    }
    if (!setup.listUsb) return;
    for (const auto& usb : setup.listUsb()) {
        out << "  " << TerminalSafe(usb.uri) << ",USB printer class device," << TerminalSafe(usb.path)
            << "  ["
            << (usb.deviceId.empty() ? std::string("no IEEE 1284 device id") : TerminalSafe(usb.deviceId))
            << "]\n";
    }
}

nlohmann::ordered_json DevicesJson(const DeviceSetup& setup) {
    using Json = nlohmann::ordered_json;
    Json devices = Json::array();
    for (const auto& device : ReadDevicesFile(setup.file).devices) {
        devices.push_back({{"name", device.name}, {"uri", device.uri}});
    }
    Json usb = Json::array();
    if (setup.listUsb) {
        for (const auto& printer : setup.listUsb()) {
            usb.push_back({{"uri", printer.uri}, {"path", printer.path}, {"deviceId", printer.deviceId}});
        }
    }
    return {{"devicesFile", Utf8Name(setup.file)}, {"devices", std::move(devices)}, {"usb", std::move(usb)}};
}

void RegisterDeviceCommands(CommandRegistry& registry) {
    const std::string uris =
        "URI is one of\n"
        "  socket://HOST[:PORT]  the printer's network port (9100 when none is given); IPv6 as [ADDR]\n"
        "  serial:PORT[?baud=N&flow=none|rtscts|xonxoff&bits=8&parity=none|even|odd&stop=1|2]\n"
        "                        COM3 or \\\\.\\COM12 on Windows, /dev/ttyS0 or /dev/ttyUSB0 on Linux; baud\n"
        "                        9600 unless given (the printer's switch offers 9600 times 1, 2, 4, 12, 24,\n"
        "                        30, 36 and 42)\n"
        "  usb:DEVICE            /dev/usb/lp0 on Linux; on Windows the device path or place (usb:0) that\n"
        "                        qvctl printers lists\n"
        "  PATH                  a file (each document is added at its end) or a character device\n";
    registry.Add(
        {.name = "device add",
         .usage = "NAME URI",
         .summary = "name a printer reached without a spooler in the devices file (--device NAME, the "
                    "window's list)",
         .help =
             uris +
             "The devices file is $XDG_CONFIG_HOME/qvset/devices (~/.config/qvset/devices; Windows\n"
             "%APPDATA%\\qvset\\devices), one \"NAME URI\" a line. A NAME already there gets the new URI.",
         .run = RefusingControlCharacters(AddDevice),
         .sendsDocuments = false,
         .countProblem = "a name and a device URI",
         .scope = FleetScope::Once});
    registry.Add({.name = "device remove",
                  .usage = "NAME",
                  .summary = "take a device out of the devices file",
                  .help = "",
                  .run = RefusingControlCharacters(RemoveDeviceCommand),
                  .sendsDocuments = false,
                  .countProblem = "one device name",
                  .scope = FleetScope::Once});
    registry.Add({.name = "device list",
                  .usage = "",
                  .summary = "list the devices of the devices file, one \"NAME URI\" a line",
                  .help = "",
                  .run = ListDevices,
                  .sendsDocuments = false,
                  .scope = FleetScope::Once});
}

}  // namespace qvset::cli
