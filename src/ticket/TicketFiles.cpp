#include "ticket/TicketFiles.h"

#include <vector>

#include "files/FileContents.h"
#include "files/NativeNames.h"
#include "printer/AnsiText.h"

namespace qvset {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// A description's twelve lines with their ends, each line at its longest: nothing after them is read.
constexpr std::size_t kTicketReadLimit = kTicketLines * (kMostTicketLineBytes + kLineEnd.size());

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
    bytes += kLineEnd;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return ReplaceFileContents(path, {data, bytes.size()});
}

TicketReadOutcome ReadTicketBytes(std::string_view bytes, TicketSelection& selection) {
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
    return ApplyTicketLines(lines, selection);
}

TicketFileRead ReadTicketFile(const std::filesystem::path& path, TicketSelection& selection) {
    const FileReadResult read = ReadFileStart(path, kTicketReadLimit);
    if (read.status != FileReadStatus::Read) return TicketFileRead::Unreadable;
    const std::string bytes(read.bytes.begin(), read.bytes.end());
    switch (ReadTicketBytes(bytes, selection)) {
        case TicketReadOutcome::Complete:
            return TicketFileRead::Complete;
        case TicketReadOutcome::Ended:
            return TicketFileRead::Ended;
        case TicketReadOutcome::Refused:
            return TicketFileRead::Refused;
    }
    return TicketFileRead::Refused;
}

bool SaveTicketFile(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                    std::string_view text) {
    fileDialog.fileName.clear();
    fileDialog.filter = kTicketFileFilter;
    dialogs.ShowSave(fileDialog);
    if (fileDialog.fileName.empty()) return false;
    if (!WriteTicketText(PathFromUtf8(fileDialog.fileName), text)) {
        dialogs.Message(kMsgSaveFailed);
        return false;
    }
    dialogs.Message(kMsgSaved);
    selection.TakeSnapshot();
    return true;
}

void OpenTicketFile(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                    std::string& text1) {
    text1.clear();
    fileDialog.title = kOpenDialogTitle;
    fileDialog.filter = kTicketFileFilter;
    dialogs.ShowOpen(fileDialog);
    if (fileDialog.fileName.empty()) {
        dialogs.ShowMessage(MessageRequest{std::string(kMsgSelectFile), std::string(kTitleTips),
                                           MessageButtons::Ok, MessageIcon::None});
        return;
    }
    const std::filesystem::path path = PathFromUtf8(fileDialog.fileName);
    if (ReadFileStart(path, 0).status != FileReadStatus::Read) {
        dialogs.Message(kMsgCannotOpenFile);
        return;
    }
    selection.SetLabel12(FileNameOfPath(fileDialog.fileName));
    switch (ReadTicketFile(path, selection)) {
        case TicketFileRead::Complete:
        case TicketFileRead::Ended:
            break;
        case TicketFileRead::Refused:
            dialogs.Message(kMsgFileRefused);
            break;
        case TicketFileRead::Unreadable:
            dialogs.Message(kMsgCannotOpenFile);
            break;
    }
}

void Command20_Click(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog) {
    SaveTicketFile(selection, dialogs, fileDialog,
                   BuildTicketDescription(selection.ItemStates(), selection.Text3(), selection.Text4(),
                                          selection.Text5()));
}

void Command21_Click(TicketSelection& selection, Dialogs& dialogs, FileDialogState& fileDialog,
                     std::string& text1) {
    selection.ResetSelection();
    OpenTicketFile(selection, dialogs, fileDialog, text1);
    selection.TakeSnapshot();
}

}  // namespace qvset
