#pragma once

#include <optional>
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

// The default destination an lpoptions file names, read as CUPS reads it: the first "Default" line
// (keyword in any case) that has a value, its queue name ending at a blank; an instance ("QUEUE/copy")
// gives its queue. A "#" not escaped by a backslash starts a comment. Nothing when no line names one,
// and nothing when the first such line names no queue ("Default /copy"): CUPS stops at that line.
std::optional<std::string> DefaultDestinationOf(std::string_view lpoptions);

// A destination as LPDEST or PRINTER names it, "QUEUE" or "QUEUE/instance": its queue.
std::string QueueOfDestination(std::string_view destination);

}  // namespace qvset
