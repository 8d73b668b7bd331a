#include "fleet/FleetTargets.h"

#include <algorithm>
#include <set>

namespace qvset {
namespace {

// Matches one bracket set at the start of `pattern` against `c`; `length` is the set's length with
// its brackets, 0 when it is never closed.
bool MatchesSet(std::string_view pattern, char c, std::size_t& length) {
    std::size_t i = 1;
    const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negated) ++i;
    bool matched = false;
    // A "]" right after the opening (or its negation) is a member, not the end.
    for (bool first = true; i < pattern.size() && (first || pattern[i] != ']'); first = false) {
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            matched = matched || (pattern[i] <= c && c <= pattern[i + 2]);
            i += 3;
        } else {
            matched = matched || pattern[i] == c;
            ++i;
        }
    }
    if (i >= pattern.size()) {
        length = 0;
        return false;
    }
    length = i + 1;
    return matched != negated;
}

}  // namespace

bool SamePrinterName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::vector<std::size_t> SameServers(const std::vector<std::vector<std::string>>& identities) {
    std::vector<std::size_t> same(identities.size());
    for (std::size_t t = 0; t < identities.size(); ++t) {
        same[t] = t;
        for (std::size_t s = 0; s < t && same[t] == t; ++s) {
            if (same[s] != s) continue;
            for (const auto& identity : identities[t]) {
                if (identity.empty()) continue;
                if (std::find(identities[s].begin(), identities[s].end(), identity) != identities[s].end()) {
                    same[t] = s;
                    break;
                }
            }
        }
    }
    return same;
}

bool IsPrinterPattern(std::string_view text) {
    return text.find_first_of("*?[") != std::string_view::npos;
}

bool MatchesPrinterPattern(std::string_view pattern, std::string_view name) {
    // Iterative matching with one backtrack point: the last * seen.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
            continue;
        }
        if (p < pattern.size()) {
            std::size_t length = 1;
            bool matched = false;
            if (pattern[p] == '?') {
                matched = true;
            } else if (pattern[p] == '[') {
                matched = MatchesSet(pattern.substr(p), name[n], length);
                if (length == 0) {
                    length = 1;
                    matched = name[n] == '[';
                }
            } else {
                matched = pattern[p] == name[n];
            }
            if (matched) {
                p += length;
                ++n;
                continue;
            }
        }
        if (starAt == std::string_view::npos) return false;
        p = starAt + 1;
        n = ++resumeAt;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<FleetTarget> ChooseTargets(const std::vector<ServerPrinters>& servers,
                                       const std::vector<std::string>& printerArguments) {
    std::vector<FleetTarget> targets;
    std::vector<bool> found(printerArguments.size(), false);
    for (std::size_t s = 0; s < servers.size(); ++s) {
        const ServerPrinters& server = servers[s];
        if (!server.reached) {
            targets.push_back({s, {}, std::string(kProblemServerUnreachable)});
            continue;
        }
        if (printerArguments.empty()) {
            if (server.current.empty()) {
                targets.push_back({s, {}, std::string(kProblemNoCurrentPrinter)});
            } else {
                targets.push_back({s, server.current, {}});
            }
            continue;
        }
        std::set<std::string> chosen;
        for (std::size_t a = 0; a < printerArguments.size(); ++a) {
            const std::string& argument = printerArguments[a];
            for (const std::string& printer : server.printers) {
                const bool matches = IsPrinterPattern(argument) ? MatchesPrinterPattern(argument, printer)
                                                                : SamePrinterName(printer, argument);
                if (!matches) continue;
                found[a] = true;
                if (chosen.insert(printer).second) targets.push_back({s, printer, {}});
            }
        }
    }
    const bool anyReached =
        std::any_of(servers.begin(), servers.end(), [](const ServerPrinters& s) { return s.reached; });
    for (std::size_t a = 0; a < printerArguments.size() && anyReached; ++a) {
        if (found[a]) continue;
        const std::string& argument = printerArguments[a];
        // The same argument twice is one problem.
        if (std::find(printerArguments.begin(), printerArguments.begin() + static_cast<std::ptrdiff_t>(a),
                      argument) != printerArguments.begin() + static_cast<std::ptrdiff_t>(a))
            continue;
        targets.push_back(
            {kNoServer, argument,
             std::string(IsPrinterPattern(argument) ? kProblemNoMatch : kProblemNoSuchPrinter)});
    }
    return targets;
}

}  // namespace qvset
