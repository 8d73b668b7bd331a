#pragma once

#include <string>

#include "decode/PrinterState.h"

namespace qvset {

// The printer's state for a reader: one heading per part (stored switches, ticket distances, mode
// values, parameter table) and under it one line per setting, "  word  meaning  (job N)", in item
// order; "  (nothing recorded)" under a part no job has set. Every line ends with "\n".
std::string RenderPrinterState(const PrinterState& state);

}  // namespace qvset
