#include "printer/device/SpoolerWithDevices.h"

#include "printer/PrinterSelection.h"

namespace qvset {

std::vector<PrinterInfo> SpoolerWithDevices::ListPrinters() {
    m_deviceLast = false;
    std::vector<PrinterInfo> printers = Inner().ListPrinters();
    for (auto& device : m_devices.ListPrinters()) printers.push_back(std::move(device));
    return printers;
}

std::string SpoolerWithDevices::CurrentPrinter() {
    m_deviceLast = m_deviceChosen;
    if (m_deviceChosen) return m_devices.CurrentPrinter();
    return Inner().CurrentPrinter();
}

bool SpoolerWithDevices::ApplyPrinterChoice(const std::string& entry) {
    for (const auto& device : m_devices.ListPrinters()) {
        if (FormatPrinterEntry(device) != entry) continue;
        m_deviceChosen = true;
        m_deviceLast = true;
        return m_devices.ApplyPrinterChoice(entry);
    }
    m_deviceChosen = false;
    m_deviceLast = false;
    return Inner().ApplyPrinterChoice(entry);
}

bool SpoolerWithDevices::WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                          std::span<const std::uint8_t> payload) {
    m_deviceLast = m_devices.Has(deviceName);
    if (m_deviceLast) return m_devices.WriteRawDocument(deviceName, documentName, payload);
    return Inner().WriteRawDocument(deviceName, documentName, payload);
}

int SpoolerWithDevices::WaitingDocuments(const std::string& deviceName) {
    m_deviceLast = m_devices.Has(deviceName);
    if (m_deviceLast) return m_devices.WaitingDocuments(deviceName);
    return Inner().WaitingDocuments(deviceName);
}

SpoolerFault SpoolerWithDevices::LastFault() {
    return m_deviceLast ? m_devices.LastFault() : Inner().LastFault();
}

std::string SpoolerWithDevices::LastProblem() {
    return m_deviceLast ? m_devices.LastProblem() : Inner().LastProblem();
}

void SpoolerWithDevices::SetDeadline(std::chrono::milliseconds deadline) {
    m_devices.SetDeadline(deadline);
    Inner().SetDeadline(deadline);
}

}  // namespace qvset
