#include "ticket/TicketFiles.h"

#include <vector>

#include "files/FileContents.h"
#include "files/NativeNames.h"
#include "printer/AnsiText.h"

namespace qvset {
namespace {

constexpr std::string_view kFileLineEnd = "\r\n";
// A description's twelve lines with their ends, each line at its longest: nothing after them is read.
constexpr std::size_t kTicketReadLimit = kTicketLines * (kMostTicketLineBytes + kFileLineEnd.size());

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view path) {
    return NativePath(path);
}

std::string FileNameOfPath(std::string_view path) {
    // The platform's own separators: "/" here, "\" and "/" on Windows.
    const std::string_view separators =
        std::filesystem::path::preferred_separator == '\\' ? std::string_view("\\/") : std::string_view("/");
    const std::size_t last = path.find_last_of(separators);
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool WriteTicketText(const std::filesystem::path& path, std::string_view text) {
    std::string bytes = ToAnsi(text);
    bytes += kFileLineEnd;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return ReplaceFileContents(path, {data, bytes.size()});
}

TicketReadOutcome ReadTicketBytes(std::string_view bytes, TicketDescription& description) {
    // Lines are cut on the file's own bytes (CR and LF never occur inside a GBK character), then each
    // line is converted, so a byte that is not GBK cannot swallow a line end. A line longer than any
    // description holds (or cut by the read limit) is refused where it stands: an empty line is.
    std::vector<std::string> lines = SplitTicketLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > kMostTicketLineBytes) {
            lines.resize(i + 1);
            lines[i].clear();
            break;
        }
        lines[i] = FromAnsi(lines[i]);
    }
    return ApplyTicketLines(lines, description);
}

TicketFileRead ReadTicketFile(const std::filesystem::path& path, TicketDescription& description) {
    const FileReadResult read = ReadFileStart(path, kTicketReadLimit);
    if (read.status != FileReadStatus::Read) return TicketFileRead::Unreadable;
    const std::string bytes(read.bytes.begin(), read.bytes.end());
    switch (ReadTicketBytes(bytes, description)) {
        case TicketReadOutcome::Complete:
            return TicketFileRead::Complete;
        case TicketReadOutcome::Ended:
            return TicketFileRead::Ended;
        case TicketReadOutcome::Refused:
            return TicketFileRead::Refused;
    }
    return TicketFileRead::Refused;
}

}  // namespace qvset
