#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace qvset {

// The environment variable that sets the spooler deadline, in seconds, for qvctl and qvset alike.
inline constexpr const char* kDeadlineVariable = "QVSET_SPOOLER_DEADLINE";
inline constexpr std::chrono::milliseconds kLongestDeadline{3600 * 1000};

// Seconds as the variable gives them: a decimal number above 0 and at most an hour ("2", "0.5"),
// nothing else around it. Anything else is nullopt.
std::optional<std::chrono::milliseconds> ParseSpoolerDeadline(std::string_view seconds);

// The deadline the variable sets, or kDefaultSpoolerDeadline when it is unset or not a deadline.
std::chrono::milliseconds SpoolerDeadlineFromEnvironment();

}  // namespace qvset
