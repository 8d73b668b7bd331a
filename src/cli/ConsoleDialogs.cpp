#include "cli/ConsoleDialogs.h"

#include <ostream>

namespace qvset::cli {

MessageAnswer ConsoleDialogs::ShowMessage(const MessageRequest& request) {
    ++m_messages;
    m_err << request.text << '\n' << std::flush;
    return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace qvset::cli
