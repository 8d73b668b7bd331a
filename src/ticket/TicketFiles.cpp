#include "ticket/TicketFiles.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>
#include <vector>

#include "printer/AnsiText.h"

namespace qvset {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    std::random_device random;
    const auto suffix = std::to_string(random()) + std::to_string(random());
    std::filesystem::path temporary = target;
    temporary += ".qvset-" + suffix + ".tmp";
    return temporary;
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string FileNameOfPath(std::string_view path) {
    // The platform's own separators: "/" here, "\" and "/" on Windows.
    const std::string_view separators =
        std::filesystem::path::preferred_separator == '\\' ? std::string_view("\\/") : std::string_view("/");
    const std::size_t last = path.find_last_of(separators);
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temporary = TemporaryBeside(path);
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.flush();
        if (!file) {
            file.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

bool WriteTicketText(const std::filesystem::path& path, std::string_view text) {
    std::string bytes = ToAnsi(text);
    bytes += kLineEnd;
    return WriteWholeFile(path, bytes);
}

TicketFileRead ReadTicketFile(const std::filesystem::path& path, TicketSelection& selection) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return TicketFileRead::Unreadable;
    std::ifstream file(path, std::ios::binary);
    if (!file) return TicketFileRead::Unreadable;
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return TicketFileRead::Unreadable;
    // Lines are cut on the file's own bytes (CR and LF never occur inside a GBK character), then each
    // line is converted, so a byte that is not GBK cannot swallow a line end.
    std::vector<std::string> lines = SplitTicketLines(bytes);
    for (auto& line : lines) line = FromAnsi(line);
    switch (ApplyTicketLines(lines, selection)) {
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
    std::error_code error;
    if (std::filesystem::is_directory(path, error) || !std::ifstream(path, std::ios::binary)) {
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
