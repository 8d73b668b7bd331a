#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qvset {

// Whether a --printer argument is a shell-style pattern: it holds *, ? or [.
bool IsPrinterPattern(std::string_view text);

// Shell-style matching of a whole printer name: * any run of characters, ? one character, [abc] [a-z]
// one of a set ([!a-z] or [^a-z] one outside it). Case matters, as it does in queue names. A "[" that
// is never closed matches itself.
bool MatchesPrinterPattern(std::string_view pattern, std::string_view name);

// Whether two printer names name one queue: letters compared without their case, as CUPS and the
// Windows spooler compare queue names.
bool SamePrinterName(std::string_view a, std::string_view b);

// Which chosen servers are one: for each server, the index of the first server that lists a printer of
// the same lasting identity (itself when none does). `identities` holds each server's printers'
// identities; empty identities never match.
std::vector<std::size_t> SameServers(const std::vector<std::vector<std::string>>& identities);

// What one chosen print server said when asked for its printers.
struct ServerPrinters {
    bool reached = true;
    std::vector<std::string> printers;  // in the server's order
    std::string current;                // its current printer (asked only when no printer is named)
};

// One row of a fleet run: a printer on a server to run the command on, or a problem to report.
struct FleetTarget {
    std::size_t server = 0;  // index among the chosen servers; kNoServer for a name found nowhere
    std::string printer;     // empty for a server that was not reached
    std::string problem;     // empty for a printer to run on
};
inline constexpr std::size_t kNoServer = static_cast<std::size_t>(-1);

inline constexpr std::string_view kProblemServerUnreachable = "the print server could not be reached";
inline constexpr std::string_view kProblemNoCurrentPrinter = "the print server has no current printer";
inline constexpr std::string_view kProblemNoMatch = "no printer matches this pattern";
inline constexpr std::string_view kProblemNoSuchPrinter = "no chosen print server has this printer";

// The rows for a command: server by server in the order given, each server's printers in the order of
// the arguments (a pattern's matches in the server's order), every printer of a server once however
// often it is named or matched. A name matches a printer whatever the case of its letters (the row
// has the server's spelling); a pattern's letters match only in their own case. Without printer arguments,
// each server's current printer. A server that was not reached is one problem row; so is a pattern that
// matches, or a name that is, on none of the servers reached, after the servers' rows.
std::vector<FleetTarget> ChooseTargets(const std::vector<ServerPrinters>& servers,
                                       const std::vector<std::string>& printerArguments);

}  // namespace qvset
