#pragma once

namespace qvset::cli {

// Exit statuses of qvctl.
inline constexpr int kExitOk = 0;             // every document was handed to the spooler
inline constexpr int kExitPrinterFailed = 1;  // a printer could not be opened (or a run failed)
inline constexpr int kExitRefused = 2;        // refused input or wrong usage

}  // namespace qvset::cli
