#include "printer/PrinterSelection.h"

namespace qvset {

std::string FormatPrinterEntry(const PrinterInfo& printer) {
    return printer.deviceName + "," + printer.driverName + "," + printer.port;
}

std::vector<std::string> FillPrinterList(Spooler& spooler) {
    std::vector<std::string> entries;
    for (const auto& printer : spooler.ListPrinters()) entries.push_back(FormatPrinterEntry(printer));
    return entries;
}

std::optional<std::size_t> PickMakerPrinter(const std::vector<std::string>& entries,
                                            const std::function<void(std::size_t)>& select) {
    if (entries.size() <= 1) return std::nullopt;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        select(i);
        if (entries[i].compare(0, kMakerPrefix.size(), kMakerPrefix) == 0) return i;
    }
    return entries.size() - 1;
}

std::string DeviceNameOfEntry(const std::vector<PrinterInfo>& printers, const std::string& entry) {
    for (const auto& printer : printers) {
        if (FormatPrinterEntry(printer) == entry) return printer.deviceName;
    }
    return entry.substr(0, entry.find(','));
}

}  // namespace qvset
