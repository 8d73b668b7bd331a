// qvctl commands that read instead of send: the listing of a print file, the state of a virtual printer.
#include <array>
#include <fstream>
#include <istream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>

#include "cli/ArgumentParsing.h"
#include "cli/CommandRegistry.h"
#include "cli/RecordCommands.h"
#include "cli/TerminalText.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "decode/StateListing.h"
#include "decode/VirtualPrinterFolder.h"
#include "files/FileContents.h"
#include "files/NativeNames.h"
#include "ticket/TicketFiles.h"

namespace qvset::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStandardInput = "-";
constexpr std::string_view kEmptyDocument = "(no bytes)\n";

// Splits the arguments into --json and the rest ("-" is standard input, no option; after "--" nothing
// is an option); the problem with an unknown option.
std::optional<std::string> ReadJsonOption(const CliContext& context, bool& json,
                                          std::vector<std::string>& rest) {
    for (const ParsedArgument& argument : context.parsed.inOrder) {
        const std::string& arg = argument.text;
        if (argument.declared && arg == kJsonOption) {
            json = true;
        } else if (!argument.afterEnd && arg.size() > 1 && arg.front() == '-') {
            // "--x" that the usage does not declare, and "-x" too.
            return "unknown option " + arg + " (a file of that name: -- " + arg + ")";
        } else {
            rest.push_back(arg);
        }
    }
    return std::nullopt;
}

// The bytes of one input of "decode", or the problem that kept them from being read.
struct DecodeInput {
    std::optional<std::vector<std::uint8_t>> bytes;
    std::string problem;
};

std::string TooLarge(std::uintmax_t size) {
    return "has " + std::to_string(size) + " bytes, more than the " + std::to_string(kMostPrintFileBytes) +
           " a document can hold";
}

// An input that fails while being read (standard input a folder, or closed) is named as unreadable:
// never the listing of an empty document.
DecodeInput ReadStandardInput(std::istream& in) {
    std::vector<std::uint8_t> bytes;
    std::array<char, 1 << 16> chunk{};
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        const auto count = static_cast<std::size_t>(in.gcount());
        if (bytes.size() + count > kMostPrintFileBytes)
            return {std::nullopt, TooLarge(kMostPrintFileBytes + 1) + " or more"};
        bytes.insert(bytes.end(), chunk.data(), chunk.data() + count);
        if (in.eof()) break;
    }
    if (in.bad()) return {std::nullopt, "standard input cannot be read (a folder, or closed)"};
    return {std::move(bytes), {}};
}

// Reads a file without waiting on it: a folder, a FIFO or a device is named as such and not opened.
DecodeInput ReadInput(CliContext& context, const std::string& name) {
    if (name == kStandardInput) return ReadStandardInput(context.in);
    const fs::path path = PathFromUtf8(name);
    FileReadResult file = ReadFileContents(path, kMostPrintFileBytes);
    switch (file.status) {
        case FileReadStatus::Read:
            return {std::move(file.bytes), {}};
        case FileReadStatus::TooLarge:
            return {std::nullopt, TooLarge(file.size)};
        case FileReadStatus::Unreadable:
            return {std::nullopt, "cannot be read"};
        case FileReadStatus::NotAFile:
            break;
    }
    std::error_code code;
    const fs::file_status status = fs::status(path, code);
    if (!fs::exists(status)) return {std::nullopt, "no such file"};
    if (fs::is_directory(status)) return {std::nullopt, "is a folder, not a file"};
    return {std::nullopt, "is not a regular file (a device, a FIFO or a socket): not read"};
}

// The listing of one regular file, written as it is decoded, so that a document of any length takes
// memory only for the decoder's window. Nothing (and nothing written) when the name is no regular file
// of a length a document may have: ReadInput then names the problem.
std::optional<int> StreamListing(CliContext& context, const std::string& name, bool json) {
    const fs::path path = PathFromUtf8(name);
    std::error_code code;
    if (!fs::is_regular_file(fs::status(path, code))) return std::nullopt;
    const std::uintmax_t size = fs::file_size(path, code);
    if (code || size == 0 || size > kMostPrintFileBytes) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    const DocumentReader read = [&file](std::span<std::uint8_t> buffer) -> std::ptrdiff_t {
        file.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        if (file.bad()) return -1;
        return static_cast<std::ptrdiff_t>(file.gcount());
    };
    if (!WriteListing(read, size, json, context.out)) {
        context.err << "qvctl decode: " << TerminalSafe(name) << ": cannot be read\n";
        return kExitRefused;
    }
    return kExitOk;
}

int Decode(CliContext& context, const std::vector<std::string>& /*args*/) {
    bool json = false;
    std::vector<std::string> inputs;
    if (const auto problem = ReadJsonOption(context, json, inputs)) return UsageError(context, *problem);
    if (inputs.empty()) return UsageError(context, "a file (or - for standard input) is needed");

    const bool several = inputs.size() > 1;
    int status = kExitOk;
    nlohmann::ordered_json listings = nlohmann::ordered_json::array();
    for (const auto& name : inputs) {
        if (!several && name != kStandardInput) {
            if (const auto streamed = StreamListing(context, name, json)) return *streamed;
        }
        const DecodeInput input = ReadInput(context, name);
        if (!input.bytes) {
            context.err << "qvctl decode: " << TerminalSafe(name) << ": " << input.problem << '\n';
            status = kExitRefused;
            continue;
        }
        if (json) {
            const std::string listing = TerminalSafeJson(RenderListingJson(*input.bytes));
            if (!several) {
                context.out << listing;
                continue;
            }
            nlohmann::ordered_json entry = {{"file", name}};
            entry.update(nlohmann::ordered_json::parse(listing));
            listings.push_back(std::move(entry));
            continue;
        }
        if (several) context.out << "==> " << TerminalSafe(name) << " <==\n";
        context.out << (input.bytes->empty() ? std::string(kEmptyDocument) : RenderListing(*input.bytes));
    }
    if (json && several) {
        context.out << TerminalSafeJson(
                           listings.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace))
                    << '\n';
    }
    return status;
}

// The folder whose state "printer-state" shows, and why that one.
struct StateFolder {
    fs::path folder;
    std::string why;
};

// Without a folder named: the current printer's when it is a virtual printer, else the first virtual
// printer the print server has, else the current folder. Nothing when the server could not be asked:
// the current folder would then show an empty state as if the virtual printer had recorded nothing.
std::optional<StateFolder> DefaultStateFolder(Spooler& spooler) {
    const std::string current = spooler.CurrentPrinter();
    const bool asked = spooler.LastFault() == SpoolerFault::None;
    const std::vector<PrinterInfo> printers = asked ? spooler.ListPrinters() : std::vector<PrinterInfo>{};
    if (!asked || spooler.LastFault() != SpoolerFault::None) return std::nullopt;
    for (const auto& printer : printers) {
        if (printer.deviceName != current) continue;
        if (const auto folder = VirtualPrinterFolder(printer.port)) {
            return StateFolder{*folder,
                               "the folder of " + current + ", the current printer (" + printer.port + ")"};
        }
    }
    for (const auto& printer : printers) {
        if (const auto folder = VirtualPrinterFolder(printer.port)) {
            return StateFolder{*folder, "the folder of " + printer.deviceName +
                                            ", the print server's first virtual printer (" + printer.port +
                                            ")"};
        }
    }
    return StateFolder{
        ".", "the current folder: the print server has no virtual printer (device URI qvprinter:/...)"};
}

int ShowPrinterState(CliContext& context, const std::vector<std::string>& /*args*/) {
    bool json = false;
    std::vector<std::string> folders;
    if (const auto problem = ReadJsonOption(context, json, folders)) return UsageError(context, *problem);
    if (folders.size() > 1) return UsageError(context, "at most one folder");
    if (folders.empty() && ShowsRecordedState(context)) return ShowRecordedState(context, json);
    const std::optional<StateFolder> found = folders.empty()
                                                 ? DefaultStateFolder(context.spooler)
                                                 : StateFolder{PathFromUtf8(folders[0]), "as given"};
    if (!found) {
        context.err << "qvctl printer-state: the print server could not be asked for its virtual "
                       "printers; name the folder: qvctl printer-state FOLDER\n";
        return kExitPrinterFailed;
    }
    const StateFolder& chosen = *found;
    const fs::path statePath = chosen.folder / std::string(kPrinterStateFile);
    const std::string heading = "virtual printer state " + TerminalSafe(Utf8Name(statePath)) + " (" +
                                TerminalSafe(chosen.why) + ")\n";
    // The JSON goes to scripts on standard output alone; the heading then goes beside it.
    (json ? context.err : context.out) << heading;

    if (const std::string problem = FolderProblem(chosen.folder); !problem.empty()) {
        context.err << "qvctl printer-state: " << TerminalSafe(Utf8Name(chosen.folder)) << ' '
                    << TerminalSafe(problem) << '\n';
        return kExitRefused;
    }
    std::string error;
    const auto state = PrinterState::Load(statePath, &error);
    if (!state) {
        context.err << "qvctl printer-state: " << TerminalSafe(error) << '\n';
        return kExitRefused;
    }
    if (json) {
        context.out << TerminalSafeJson(state->ToJson());
        return kExitOk;
    }
    std::error_code code;
    if (fs::status(statePath, code).type() == fs::file_type::not_found)
        context.out << "no job recorded yet\n";
    // The job texts come from the file as any program wrote them: shown line by line, terminal-safe.
    std::istringstream lines(RenderPrinterState(*state));
    for (std::string line; std::getline(lines, line);) context.out << TerminalSafe(line) << '\n';
    return kExitOk;
}

}  // namespace

void RegisterDecodeCommands(CommandRegistry& registry) {
    registry.Add(
        {.name = "decode",
         .usage = "[--json] FILE...|-",
         .summary =
             "print the commands a print file holds, one line each (- reads standard input); nothing is sent",
         .help =
             "Each line: offset, length, the bytes (up to nine), the command and its meaning; text is shown\n"
             "decoded from GBK and bytes no command explains as unknown, so every byte is on one line.\n"
             "With several files each listing follows a line \"==> FILE <==\". --json prints the listing as\n"
             "JSON (several files: an array, each with its \"file\"). A missing file, a folder, a FIFO or a\n"
             "device is named on stderr and not read; the other files are still decoded, and the exit\n"
             "status is 2.",
         .run = RefusingControlCharacters(Decode),
         .sendsDocuments = false,
         .countProblem = "a file (or - for standard input) is needed",
         .scope = FleetScope::Once});
    registry.Add(
        {.name = "printer-state",
         .usage = "[--json] [FOLDER]",
         .summary = "show what a virtual QV6 printer (qvprinter backend) holds after the jobs it was sent",
         .help =
             "The stored switches, the ticket distances, the mode values and the parameter table, each\n"
             "with the job that last set it, from FOLDER/state.json. Without FOLDER: the folder of the\n"
             "current printer when it is a virtual printer (device URI qvprinter:/FOLDER), else of the\n"
             "print server's first virtual printer, else the current folder; the first line says which\n"
             "and why (on stderr with --json, which prints the state file's JSON). A folder that does not\n"
             "exist or a state file that cannot be read exits 2; a print server that cannot be asked\n"
             "which folder, 1. With --printer NAME, a printer that is not a virtual printer: the state\n"
             "implied by the record of what qvctl sent it (see qvctl history).",
         .run = RefusingControlCharacters(ShowPrinterState),
         .sendsDocuments = false});
}

}  // namespace qvset::cli
