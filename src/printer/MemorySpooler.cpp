#include "printer/MemorySpooler.h"

namespace qvset {

MemorySpooler::MemorySpooler(std::vector<PrinterInfo> printers) : m_printers(std::move(printers)) {
    if (!m_printers.empty()) m_current = m_printers.front().deviceName;
}

void MemorySpooler::ApplyPrinterChoice(const std::string& entry) {
    m_applied.push_back(entry);
    // The default becomes the printer whose entry this is; an entry of no listed printer changes
    // nothing, as a failed registry write would.
    for (const auto& printer : m_printers) {
        if (printer.deviceName + "," + printer.driverName + "," + printer.port == entry) {
            m_current = printer.deviceName;
            return;
        }
    }
}

bool MemorySpooler::WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                     std::span<const std::uint8_t> payload) {
    if (deviceName.empty() || m_cannotOpen.count(deviceName) != 0) return false;
    m_documents.push_back({deviceName, std::string(documentName), {payload.begin(), payload.end()}});
    return true;
}

int MemorySpooler::WaitingDocuments(const std::string& deviceName) {
    ++m_inspections;
    if (deviceName.empty() || m_cannotOpen.count(deviceName) != 0) return 0;
    return m_waiting;
}

void MemorySpooler::SetCannotOpen(const std::string& deviceName, bool cannotOpen) {
    if (cannotOpen) {
        m_cannotOpen.insert(deviceName);
    } else {
        m_cannotOpen.erase(deviceName);
    }
}

}  // namespace qvset
