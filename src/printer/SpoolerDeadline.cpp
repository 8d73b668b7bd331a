#include "printer/SpoolerDeadline.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "printer/Spooler.h"

namespace qvset {

std::optional<std::chrono::milliseconds> ParseSpoolerDeadline(std::string_view seconds) {
    const std::string text(seconds);
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    // "." is the point whatever the process locale says.
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    const double milliseconds = std::round(value * 1000.0);
    if (milliseconds < 1 || milliseconds > static_cast<double>(kLongestDeadline.count())) return std::nullopt;
    return std::chrono::milliseconds(static_cast<std::int64_t>(milliseconds));
}

std::chrono::milliseconds SpoolerDeadlineFromEnvironment() {
    const char* value = std::getenv(kDeadlineVariable);
    if (value == nullptr) return kDefaultSpoolerDeadline;
    return ParseSpoolerDeadline(value).value_or(kDefaultSpoolerDeadline);
}

}  // namespace qvset
