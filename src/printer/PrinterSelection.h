#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/Spooler.h"

namespace qvset {

// The maker's printers have device names that begin with this, compared case-sensitively.
inline constexpr std::string_view kMakerPrefix = "QV6";

// "device,driver,port": the list entry of one printer and, unchanged, the default-printer value.
std::string FormatPrinterEntry(const PrinterInfo& printer);

// One entry per installed printer, in the spooler's order.
std::vector<std::string> FillPrinterList(Spooler& spooler);

// The start-up search. With more than one entry, selects the entries in turn (each selection calls
// `select`, which makes that entry the default printer) until one begins with the maker prefix, and
// returns the index left selected: the first maker printer, or the last entry when none matches. With
// one entry or none, nothing is selected and `select` is never called.
std::optional<std::size_t> PickMakerPrinter(const std::vector<std::string>& entries,
                                            const std::function<void(std::size_t)>& select);

// The device name part of an entry of `printers` (the entry's printer when it is one of them, otherwise
// the text before the first comma).
std::string DeviceNameOfEntry(const std::vector<PrinterInfo>& printers, const std::string& entry);

}  // namespace qvset
