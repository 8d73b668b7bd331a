#include "printer/PrintChannel.h"

#include <algorithm>

#include "files/FileContents.h"
#include "printer/AnsiText.h"
#include "printer/HexCodec.h"

namespace qvset {

PrintChannel::PrintChannel(Spooler& spooler, Dialogs& dialogs, std::filesystem::path programFolder)
    : m_spooler(spooler), m_dialogs(dialogs), m_programFolder(std::move(programFolder)) {}

std::int32_t PrintChannel::CharacterLen(std::string_view text) const {
    // Every GBK character is one or two bytes, so the converted length is the character count plus
    // the number of double-byte characters. Long texts get their true length, never a 16-bit wrap.
    return static_cast<std::int32_t>(ToAnsi(text).size());
}

void PrintChannel::WriteDocument(std::span<const std::uint8_t> payload) {
    const std::string printer = m_spooler.CurrentPrinter();
    if (m_spooler.LastFault() == SpoolerFault::None &&
        m_spooler.WriteRawDocument(printer, kDocumentName, payload)) {
        return;
    }
    ++m_openFailures;
    switch (m_spooler.LastFault()) {
        case SpoolerFault::Unreachable:
            m_dialogs.Message(kMsgServerUnreachable);
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
    SendPrintFileAt(m_programFolder / std::string(kPrintFileName));
}

std::string MsgPrintFileTooLarge(std::string_view fileName, std::uintmax_t size) {
    return "打印文件 " + std::string(fileName) + " 有 " + std::to_string(size) + " 字节，超过上限 " +
           std::to_string(kMostPrintFileBytes) + " 字节，未发送";
}

namespace {

// A path's file name as UTF-8, the messages' encoding on every platform.
std::string FileNameUtf8(const std::filesystem::path& path) {
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

void PrintChannel::SendPrintFileAt(const std::filesystem::path& path) {
    FileReadResult file = ReadFileContents(path, kMostPrintFileBytes);
    if (file.status == FileReadStatus::TooLarge) {
        ++m_refused;
        m_dialogs.Message(MsgPrintFileTooLarge(FileNameUtf8(path), file.size));
        return;
    }
    if (file.status != FileReadStatus::Read || file.bytes.empty()) {
        // No empty document is ever sent.
        ++m_refused;
        m_dialogs.Message(MsgPrintFileMissing(FileNameUtf8(path)));
        return;
    }
    m_fileBuffer = std::move(file.bytes);
    SendFileBuffer(static_cast<std::int32_t>(m_fileBuffer.size()));
}

void PrintChannel::SendFileBuffer(std::int32_t byteCount) {
    if (byteCount <= 0 || m_fileBuffer.empty()) return;
    const auto count = std::min(m_fileBuffer.size(), static_cast<std::size_t>(byteCount));
    WriteDocument({m_fileBuffer.data(), count});
}

}  // namespace qvset
