#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "ticket/TicketDescription.h"

namespace qvset {

inline constexpr std::string_view kTicketFileFilter = "txt(*.txt)|*.txt|AllFile(*.*)|*.*|";
inline constexpr std::string_view kOpenDialogTitle = "Open txt File SA";
inline constexpr std::string_view kMsgSaved = "保存成功";
inline constexpr std::string_view kMsgSaveFailed = "保存失败";
inline constexpr std::string_view kMsgSelectFile = "Please select file";
inline constexpr std::string_view kTitleTips = "Tips";
inline constexpr std::string_view kMsgFileRefused = "文件不符合要求，不能打开";
inline constexpr std::string_view kMsgCannotOpenFile = "文件无法打开";

// A path given as UTF-8 text (dialogs and the command line hand paths over as UTF-8).
std::filesystem::path PathFromUtf8(std::string_view path);

// The file name of a path: what follows its last separator ("/", and on Windows also "\"); the whole
// text when it has none.
std::string FileNameOfPath(std::string_view path);

// Writes a description's text to a file as saving does: in GBK, followed by one more CR LF, with
// ReplaceFileContents (the target is either the complete new description or left as it was; its mode,
// owner, links stay). False when anything failed.
bool WriteTicketText(const std::filesystem::path& path, std::string_view text);

enum class TicketFileRead { Complete, Ended, Refused, Unreadable };

// Applies the bytes of a description file (GBK, from its start) to the description: its lines as
// ApplyTicketLines reads them, a line longer than kMostTicketLineBytes refused like a wrong one.
TicketReadOutcome ReadTicketBytes(std::string_view bytes, TicketDescription& description);

// Reads a description file into the description with ApplyTicketLines (Unreadable: nothing applied).
// Only the start of the file that can hold the twelve lines is read; anything but a regular file (a
// folder, a device, a FIFO) is Unreadable at once, and a line longer than kMostTicketLineBytes is
// Refused like any other line that does not fit.
TicketFileRead ReadTicketFile(const std::filesystem::path& path, TicketDescription& description);

}  // namespace qvset
