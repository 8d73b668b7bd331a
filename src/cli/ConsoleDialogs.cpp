#include "cli/ConsoleDialogs.h"

#include <ostream>

#include "cli/ProgressLine.h"
#include "cli/TerminalText.h"

namespace qvset::cli {

MessageAnswer ConsoleDialogs::ShowMessage(const MessageRequest& request) {
    ClearProgressOn(m_err);
    m_err << TerminalSafe(request.text) << '\n' << std::flush;
    return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace qvset::cli
