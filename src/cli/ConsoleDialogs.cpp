#include "cli/ConsoleDialogs.h"

#include <ostream>

#include "cli/TerminalText.h"

namespace qvset::cli {

MessageAnswer ConsoleDialogs::ShowMessage(const MessageRequest& request) {
    m_err << TerminalSafe(request.text) << '\n' << std::flush;
    return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace qvset::cli
