#pragma once

#include <string>
#include <string_view>

namespace qvset {

// The per-user printer options file of CUPS (lpoptions) with `queue` as the default destination and
// every other line as it was: "Dest QUEUE opts" becomes "Default QUEUE opts", the earlier
// "Default OTHER opts" becomes "Dest OTHER opts" (its options stay), comments, blank lines, other
// queues and instances ("QUEUE/copy") are kept byte for byte. Without a line for the queue,
// "Default QUEUE" is added at the end. Keywords and queue names compare without regard to case, as
// CUPS reads them.
std::string WithDefaultDestination(std::string_view lpoptions, std::string_view queue);

}  // namespace qvset
