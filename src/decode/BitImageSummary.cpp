#include "decode/BitImageSummary.h"

#include <cstdio>
#include <vector>

#include "console/TestPrints.h"

namespace qvset {
namespace {

constexpr int kPinsPerByte = 8;

// Maximal runs of equal, non-blank columns.
struct ColumnRun {
    std::size_t start;
    std::size_t length;
    std::uint32_t dots;
};

std::uint32_t ColumnAt(std::span<const std::uint8_t> data, std::size_t bytesPerColumn, std::size_t column) {
    std::uint32_t dots = 0;
    for (std::size_t i = 0; i < bytesPerColumn; ++i) dots = (dots << 8) | data[column * bytesPerColumn + i];
    return dots;
}

std::vector<ColumnRun> RunsOf(std::span<const std::uint8_t> data, std::size_t bytesPerColumn,
                              std::size_t columns) {
    std::vector<ColumnRun> runs;
    for (std::size_t column = 0; column < columns; ++column) {
        const std::uint32_t dots = ColumnAt(data, bytesPerColumn, column);
        if (dots == 0) continue;
        if (!runs.empty() && runs.back().dots == dots && runs.back().start + runs.back().length == column) {
            ++runs.back().length;
        } else {
            runs.push_back({column, 1, dots});
        }
    }
    return runs;
}

// "full", "only pin 3 set" (the pin test's own dot of each pin) or "dots 0x24".
std::string DescribeDots(std::uint32_t dots, std::size_t bytesPerColumn) {
    const std::uint32_t full = bytesPerColumn >= 4 ? 0xFFFFFFFFu : (1u << (8 * bytesPerColumn)) - 1;
    if (dots == full) return "full";
    if (bytesPerColumn == 1) {
        for (int pin = 1; pin <= kPinsPerByte; ++pin) {
            if (dots == PinDots(pin)) return "only pin " + std::to_string(pin) + " set";
        }
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%0*X", static_cast<int>(2 * bytesPerColumn), dots);
    return std::string("dots ") + hex;
}

bool EvenlySpaced(const std::vector<ColumnRun>& runs) {
    for (std::size_t i = 2; i < runs.size(); ++i) {
        if (runs[i].start - runs[i - 1].start != runs[1].start - runs[0].start) return false;
    }
    return true;
}

bool AllAlike(const std::vector<ColumnRun>& runs) {
    for (const auto& run : runs) {
        if (run.dots != runs[0].dots || run.length != runs[0].length) return false;
    }
    return true;
}

}  // namespace

std::string SummariseColumns(std::span<const std::uint8_t> data, std::size_t bytesPerColumn,
                             std::size_t declared) {
    const std::size_t columns = bytesPerColumn == 0 ? 0 : data.size() / bytesPerColumn;
    std::string summary = std::to_string(declared) + " columns";
    if (columns < declared) summary += " (" + std::to_string(columns) + " present)";
    summary += ": ";
    const auto runs = RunsOf(data, bytesPerColumn, columns);
    if (runs.empty()) return summary + (columns == 0 ? "none present" : "all blank");
    const std::string dots = DescribeDots(runs[0].dots, bytesPerColumn);
    if (runs.size() == 1) {
        return summary + std::to_string(runs[0].length) + (dots == "full" ? " full" : " with " + dots) +
               ", from column " + std::to_string(runs[0].start);
    }
    if (AllAlike(runs) && EvenlySpaced(runs)) {
        const std::string apart = std::to_string(runs[1].start - runs[0].start) + " apart";
        if (runs[0].length == 1 && dots == "full") {
            return summary + std::to_string(runs.size()) + " bars " + apart;
        }
        return summary + std::to_string(runs.size()) + " runs of " + std::to_string(runs[0].length) +
               " columns with " + dots + ", " + apart;
    }
    std::size_t set = 0;
    for (const auto& run : runs) set += run.length;
    return summary + std::to_string(set) + " with dots set, " + std::to_string(columns - set) + " blank";
}

}  // namespace qvset
