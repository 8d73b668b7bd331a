#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qvset {

// The lpoptions file CUPS's own tools (lpoptions -d, cupsSetDests2) write for this user, root too:
// ~/.cups/lpoptions; CUPS_SERVERROOT/lpoptions (by default /etc/cups) only without a home folder.
std::filesystem::path UserLpOptionsPath();

// Makes `queue` the default destination in the lpoptions file at `path` (WithDefaultDestination),
// keeping every other line. Writers take turns on an exclusive lock of "lpoptions.lock" beside it, so
// that none of them reads the file while another replaces it; the file is replaced whole (a temporary
// file renamed over it), so that a reader never sees half of it. False, with nothing changed, when the
// file could not be read, locked or written (a folder in its place, no permission).
bool WriteDefaultDestination(const std::filesystem::path& path, const std::string& queue);

// The default destination this user has set apart from the server, read afresh, in CUPS's order:
// LPDEST when it is set (even empty, which names no printer), PRINTER unless it is "lp", the Default
// line of ~/.cups/lpoptions, then of CUPS_SERVERROOT/lpoptions (by default /etc/cups/lpoptions); an
// instance gives its queue. Nothing when none of them names one: the server's default then decides.
std::optional<std::string> LocalDefaultDestination();

}  // namespace qvset
