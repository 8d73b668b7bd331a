#include "printer/MemorySpooler.h"

#include <algorithm>

namespace qvset {

MemorySpooler::MemorySpooler(std::vector<PrinterInfo> printers) : m_printers(std::move(printers)) {
    if (!m_printers.empty()) m_current = m_printers.front().deviceName;
}

std::vector<PrinterInfo> MemorySpooler::ListPrinters() {
    m_lastFault = m_unreachable ? SpoolerFault::Unreachable : SpoolerFault::None;
    if (m_unreachable) return {};
    return m_printers;
}

std::string MemorySpooler::CurrentPrinter() {
    m_lastFault = m_unreachable ? SpoolerFault::Unreachable : SpoolerFault::None;
    if (m_unreachable) return {};
    return m_current;
}

bool MemorySpooler::ApplyPrinterChoice(const std::string& entry) {
    m_applied.push_back(entry);
    m_lastFault = m_unreachable ? SpoolerFault::Unreachable : SpoolerFault::None;
    if (m_unreachable || m_defaultUnwritable) return false;
    // The default becomes the printer whose entry this is; an entry of no listed printer changes
    // nothing, as a failed registry write would.
    for (const auto& printer : m_printers) {
        if (printer.deviceName + "," + printer.driverName + "," + printer.port == entry) {
            m_current = printer.deviceName;
            return true;
        }
    }
    return false;
}

bool MemorySpooler::WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                     std::span<const std::uint8_t> payload) {
    m_lastFault = m_unreachable ? SpoolerFault::Unreachable : SpoolerFault::None;
    if (m_unreachable || deviceName.empty() || m_cannotOpen.count(deviceName) != 0) return false;
    m_documents.push_back({deviceName, std::string(documentName), {payload.begin(), payload.end()}});
    if (m_listener) m_listener(m_documents.back());
    return true;
}

int MemorySpooler::WaitingDocuments(const std::string& deviceName) {
    ++m_inspections;
    m_lastFault = m_unreachable ? SpoolerFault::Unreachable : SpoolerFault::None;
    if (m_unreachable || deviceName.empty() || m_cannotOpen.count(deviceName) != 0) return 0;
    return m_waiting;
}

void MemorySpooler::SetCannotOpen(const std::string& deviceName, bool cannotOpen) {
    if (cannotOpen) {
        m_cannotOpen.insert(deviceName);
    } else {
        m_cannotOpen.erase(deviceName);
    }
}

std::optional<QueueStatus> MemorySpooler::StatusOfQueue(const std::string& deviceName) {
    if (const auto found = m_statuses.find(deviceName); found != m_statuses.end()) return found->second;
    const auto printers = ListPrinters();
    if (std::none_of(printers.begin(), printers.end(),
                     [&](const PrinterInfo& info) { return info.deviceName == deviceName; }))
        return std::nullopt;
    QueueStatus status;
    status.waiting = std::max(0, m_waiting);
    return status;
}

}  // namespace qvset
