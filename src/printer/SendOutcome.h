#pragma once

#include <string_view>

namespace qvset {

// What one of the program's operations did with the printer. An operation either refuses before it
// sends anything (`refusal` holds the system's message saying why, and no document was written) or
// hands its documents to the channel. Whether the spooler took each one is the channel's business: it
// says so once per document itself. `notice` is a message that belongs after the operation, once the
// caller has recorded what it chose (the baud-rate reminder).
struct SendOutcome {
    int documents = 0;
    std::string_view refusal;
    std::string_view notice;

    bool Refused() const { return !refusal.empty(); }
};

// A refusal with its message.
inline SendOutcome Refusal(std::string_view message) {
    return SendOutcome{0, message, {}};
}

}  // namespace qvset
