#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "printer/Spooler.h"
#include "seams/Dialogs.h"

namespace qvset {

inline constexpr std::string_view kDocumentName = "AAAAAA";
inline constexpr std::string_view kMsgPrinterNotRecognized = "The Printer Name you typed wasn't recognized.";
inline constexpr std::string_view kMsgBadHexCommand = "指令格式错误，未发送";
// Shown instead of kMsgPrinterNotRecognized when it was the print server, not the printer, that failed.
inline constexpr std::string_view kMsgServerUnreachable = "打印服务器无法连接或没有应答，未发送";
// Shown when the print server would not take the document: too large for it, no room in its spool.
inline constexpr std::string_view kMsgServerRefused = "打印服务器拒收文档（空间不足或文档过大），未发送";
// Shown when the whole document went to the print server and no answer came in time: it is neither
// known as sent nor as not sent.
inline constexpr std::string_view kMsgMayHavePrinted =
    "the print server did not answer in time; the document may have been printed";
inline constexpr std::string_view kPrintFileName = "file.prn";

// "找不到打印文件 /usr/bin/file.prn，或文件为空": names the file (or files, joined by " 或 ") looked for;
// also for a folder, a device, a FIFO or a file that cannot be read in that place.
std::string MsgPrintFileMissing(std::string_view fileName);

// The largest print file sent: the file buffer's byte count is a signed 32-bit number.
inline constexpr std::size_t kMostPrintFileBytes = 2147483647;
// "打印文件 NAME 有 SIZE 字节，超过上限 2147483647 字节，未发送".
std::string MsgPrintFileTooLarge(std::string_view fileName, std::uintmax_t size);

// The only way to the printer. Each send reads the current printer afresh, writes one RAW document
// named "AAAAAA" and is finished before it returns; no printer stays open between sends. Senders never
// report failure to their callers: a printer that cannot be opened is shown to the user once per
// document (kMsgServerUnreachable when the print server could not be reached or did not answer), and
// the caller carries on with its next command.
class PrintChannel {
  public:
    PrintChannel(Spooler& spooler, Dialogs& dialogs, std::filesystem::path programFolder);
    // Looks for "file.prn" in each of the folders in turn, the program's folder first.
    PrintChannel(Spooler& spooler, Dialogs& dialogs, std::vector<std::filesystem::path> printFileFolders);

    // Byte length of a UTF-8 text in GBK: 1 per single-byte character, 2 per double-byte one.
    std::int32_t CharacterLen(std::string_view text) const;

    // Sends the bytes of a hex command string. A text that cannot be decoded sends nothing and shows
    // kMsgBadHexCommand; the empty text sends and shows nothing.
    void SendHex(std::string_view hex);

    // Sends the first `byteCount` bytes of the text in GBK (callers pass CharacterLen of the text).
    void SendText(std::string_view text, const std::int32_t& byteCount);

    // Loads "file.prn" into the file buffer and sends all of it: the first one that exists in the
    // print-file folders. None there sends nothing and shows MsgPrintFileMissing of every path tried.
    void SendPrintFile();

    // The same for a print file elsewhere. A missing, empty or unreadable file, or anything but a
    // regular file, sends nothing and shows MsgPrintFileMissing(its path) without waiting on it; a file
    // above kMostPrintFileBytes sends nothing and shows MsgPrintFileTooLarge.
    void SendPrintFileAt(const std::filesystem::path& path);

    // Sends the first `byteCount` bytes of the file buffer.
    void SendFileBuffer(std::int32_t byteCount);

    // Sends bytes that are already built, as one document.
    void SendBytes(const std::vector<std::uint8_t>& payload);

    // What went wrong so far; read by the command line for its exit status.
    int OpenFailures() const { return m_openFailures; }
    // Documents the spooler took.
    int SentDocuments() const { return m_sent; }
    int RefusedCommands() const { return m_refused; }

    Spooler& GetSpooler() { return m_spooler; }
    Dialogs& GetDialogs() { return m_dialogs; }
    const std::filesystem::path& ProgramFolder() const { return m_printFileFolders.front(); }

  private:
    void WriteDocument(std::span<const std::uint8_t> payload);

    Spooler& m_spooler;
    Dialogs& m_dialogs;
    std::vector<std::filesystem::path> m_printFileFolders;
    // Shared by every channel of the process that sends the same file unchanged (the printers of one
    // fleet run): a large print file is read and held once, not once per printer.
    std::shared_ptr<const std::vector<std::uint8_t>> m_fileBuffer;
    int m_openFailures = 0;
    int m_sent = 0;
    int m_refused = 0;
};

}  // namespace qvset
