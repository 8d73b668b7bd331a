#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ExitStatus.h"

namespace qvset::cli {

// A text as it may go to a terminal: control characters (C0, DEL and the C1 range, which a terminal
// takes for escape sequences) are shown as \xHH instead of being passed on.
std::string TerminalSafe(std::string_view text);

// JSON text as it may go to a terminal: JSON already writes C0 controls as \u00XX; DEL and the C1
// range, which it passes on raw, are written as \u007f and \u0080 to \u009f too. The JSON means the
// same (these bytes only ever stand inside its strings).
std::string TerminalSafeJson(std::string_view json);

// True when a text holds a C0 control character (CR, LF, ESC, ...) or DEL.
bool HasControlCharacter(std::string_view text);

// qvctl's exit status once its output has been flushed: a command whose output could not be written
// (a full disk) fails with kMsgOutputFailed on the error stream and status 1. Output whose reader has
// gone (`qvctl history | head`, where SIGPIPE is ignored) ends quietly with kExitReaderGone, the status
// of a writer that SIGPIPE ended (128 + 13), as where SIGPIPE is not ignored.
inline constexpr std::string_view kMsgOutputFailed = "qvctl: 输出无法写入";
inline constexpr int kExitReaderGone = 141;
int StatusAfterOutput(int status, std::ostream& out, std::ostream& err,
                      const std::function<bool()>& readerGone = {});

}  // namespace qvset::cli
