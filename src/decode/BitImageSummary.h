#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace qvset {

// A short account of the columns of a bit image, `bytesPerColumn` bytes each (1 for 8 dots, 3 for 24):
//   "2880 columns: 36 bars 80 apart"                      (single full columns at an even spacing)
//   "1842 columns: 200 with only pin 3 set, from column 42" (one run of one dot pattern)
//   "100 columns: all blank", or the counts of set and blank columns for anything less regular.
// `declared` is the column count the command announced (more than the columns present when the
// document cut the image off).
std::string SummariseColumns(std::span<const std::uint8_t> data, std::size_t bytesPerColumn,
                             std::size_t declared);

}  // namespace qvset
