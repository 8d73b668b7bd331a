#include "printer/PrintChannel.h"

#include <algorithm>
#include <mutex>

#include "files/FileContents.h"
#include "files/NativeNames.h"
#include "printer/AnsiText.h"
#include "printer/HexCodec.h"

namespace qvset {
namespace {

// The print file read last in this process, with the size and time of change it had: a file sent to
// many printers is read once. Another file, or this one changed, is read anew and takes its place.
struct SharedPrintFile {
    std::filesystem::path path;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type changed{};
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
};
std::mutex g_sharedFileMutex;
SharedPrintFile g_sharedFile;

std::shared_ptr<const std::vector<std::uint8_t>> SharedFileIfUnchanged(const std::filesystem::path& path) {
    std::error_code code;
    const auto size = std::filesystem::file_size(path, code);
    if (code) return nullptr;
    const auto changed = std::filesystem::last_write_time(path, code);
    if (code) return nullptr;
    const std::lock_guard lock(g_sharedFileMutex);
    if (g_sharedFile.bytes && g_sharedFile.path == path && g_sharedFile.size == size &&
        g_sharedFile.changed == changed && g_sharedFile.bytes->size() == size)
        return g_sharedFile.bytes;
    return nullptr;
}

void ShareFile(const std::filesystem::path& path,
               const std::shared_ptr<const std::vector<std::uint8_t>>& bytes) {
    std::error_code code;
    const auto changed = std::filesystem::last_write_time(path, code);
    if (code) return;
    const std::lock_guard lock(g_sharedFileMutex);
    g_sharedFile = {path, bytes->size(), changed, bytes};
}

// Messages are UTF-8 whatever the platform's own path encoding.
std::string PathToUtf8(const std::filesystem::path& path) {
    return Utf8Name(path);
}

}  // namespace

PrintChannel::PrintChannel(Spooler& spooler, Dialogs& dialogs, std::filesystem::path programFolder)
    : PrintChannel(spooler, dialogs, std::vector<std::filesystem::path>{std::move(programFolder)}) {}

PrintChannel::PrintChannel(Spooler& spooler, Dialogs& dialogs,
                           std::vector<std::filesystem::path> printFileFolders)
    : m_spooler(spooler), m_dialogs(dialogs), m_printFileFolders(std::move(printFileFolders)) {
    if (m_printFileFolders.empty()) m_printFileFolders.emplace_back(".");
}

std::int32_t PrintChannel::CharacterLen(std::string_view text) const {
    // Every GBK character is one or two bytes, so the converted length is the character count plus
    // the number of double-byte characters. Long texts get their true length, never a 16-bit wrap.
    return static_cast<std::int32_t>(ToAnsi(text).size());
}

void PrintChannel::WriteDocument(std::span<const std::uint8_t> payload) {
    const std::string printer = m_spooler.CurrentPrinter();
    const bool written = m_spooler.LastFault() == SpoolerFault::None;
    if (written && m_spooler.WriteRawDocument(printer, kDocumentName, payload)) {
        ++m_sent;
        return;
    }
    ++m_openFailures;
    // A spooler that knows why (a device that went away, a queue that would drop the document) says so.
    if (const std::string problem = m_spooler.LastProblem(); !problem.empty()) {
        m_dialogs.Message(problem);
        return;
    }
    switch (m_spooler.LastFault()) {
        case SpoolerFault::Unreachable:
            m_dialogs.Message(written && m_spooler.LastReceipt().mayHavePrinted ? kMsgMayHavePrinted
                                                                                : kMsgServerUnreachable);
            return;
        case SpoolerFault::Refused:
            m_dialogs.Message(kMsgServerRefused);
            return;
        case SpoolerFault::None:
            break;
    }
    m_dialogs.Message(kMsgPrinterNotRecognized);
}

void PrintChannel::SendBytes(const std::vector<std::uint8_t>& payload) {
    WriteDocument(payload);
}

void PrintChannel::SendHex(std::string_view hex) {
    if (hex.empty()) return;
    const auto bytes = DecodeHex(hex);
    if (!bytes) {
        ++m_refused;
        m_dialogs.Message(kMsgBadHexCommand);
        return;
    }
    WriteDocument(*bytes);
}

void PrintChannel::SendText(std::string_view text, const std::int32_t& byteCount) {
    const std::string ansi = ToAnsi(text);
    if (byteCount <= 0) return;
    const auto count = std::min(ansi.size(), static_cast<std::size_t>(byteCount));
    const auto* data = reinterpret_cast<const std::uint8_t*>(ansi.data());
    WriteDocument({data, count});
}

std::string MsgPrintFileMissing(std::string_view fileName) {
    return "找不到打印文件 " + std::string(fileName) + "，或文件为空";
}

void PrintChannel::SendPrintFile() {
    std::string tried;
    for (const auto& folder : m_printFileFolders) {
        const auto path = folder / std::string(kPrintFileName);
        std::error_code error;
        if (std::filesystem::exists(path, error)) return SendPrintFileAt(path);
        tried += (tried.empty() ? "" : " 或 ") + PathToUtf8(path);
    }
    ++m_refused;
    m_dialogs.Message(MsgPrintFileMissing(tried));
}

std::string MsgPrintFileTooLarge(std::string_view fileName, std::uintmax_t size) {
    return "打印文件 " + std::string(fileName) + " 有 " + std::to_string(size) + " 字节，超过上限 " +
           std::to_string(kMostPrintFileBytes) + " 字节，未发送";
}

void PrintChannel::SendPrintFileAt(const std::filesystem::path& path) {
    if (auto shared = SharedFileIfUnchanged(path); shared && !shared->empty()) {
        m_fileBuffer = std::move(shared);
        SendFileBuffer(static_cast<std::int32_t>(m_fileBuffer->size()));
        return;
    }
    FileReadResult file = ReadFileContents(path, kMostPrintFileBytes);
    if (file.status == FileReadStatus::TooLarge) {
        ++m_refused;
        m_dialogs.Message(MsgPrintFileTooLarge(PathToUtf8(path), file.size));
        return;
    }
    if (file.status != FileReadStatus::Read || file.bytes.empty()) {
        // No empty document is ever sent.
        ++m_refused;
        m_dialogs.Message(MsgPrintFileMissing(PathToUtf8(path)));
        return;
    }
    m_fileBuffer = std::make_shared<const std::vector<std::uint8_t>>(std::move(file.bytes));
    ShareFile(path, m_fileBuffer);
    SendFileBuffer(static_cast<std::int32_t>(m_fileBuffer->size()));
}

void PrintChannel::SendFileBuffer(std::int32_t byteCount) {
    if (byteCount <= 0 || !m_fileBuffer || m_fileBuffer->empty()) return;
    const auto count = std::min(m_fileBuffer->size(), static_cast<std::size_t>(byteCount));
    WriteDocument({m_fileBuffer->data(), count});
}

}  // namespace qvset
