#pragma once

#include "printer/ForwardingSpooler.h"
#include "printer/device/DeviceSpooler.h"

namespace qvset {

// The spooler's printers and, after them, the devices of the user's devices file: the window's printer
// list when there is a devices file. A device picked becomes the current printer of this process (its
// URI, as the documents and the record name it); any other pick goes to the spooler and ends the
// device's turn. Documents and queue inspections for a device's URI go to the device, all others to
// the spooler, and LastFault and LastProblem are those of the side that took the last call.
class SpoolerWithDevices final : public ForwardingSpooler {
  public:
    SpoolerWithDevices(Spooler& spooler, DeviceSpooler& devices)
        : ForwardingSpooler(spooler), m_devices(devices) {}

    std::vector<PrinterInfo> ListPrinters() override;
    std::string CurrentPrinter() override;
    bool ApplyPrinterChoice(const std::string& entry) override;
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override;
    int WaitingDocuments(const std::string& deviceName) override;
    SpoolerFault LastFault() override;
    std::string LastProblem() override;
    void SetDeadline(std::chrono::milliseconds deadline) override;
    // A device has no jobs and no identity beyond its URI.
    DocumentReceipt LastReceipt() override {
        return m_deviceLast ? DocumentReceipt{} : Inner().LastReceipt();
    }
    QueueIdentity IdentifyPrinter(const std::string& deviceName) override {
        return m_devices.Has(deviceName) ? QueueIdentity{{}, deviceName}
                                         : Inner().IdentifyPrinter(deviceName);
    }
    JobState AskJobState(const std::string& deviceName, int job) override {
        return m_devices.Has(deviceName) ? JobState::Unknown : Inner().AskJobState(deviceName, job);
    }
    std::optional<std::vector<ServerJob>> JobsOf(const std::string& deviceName) override {
        return m_devices.Has(deviceName) ? std::nullopt : Inner().JobsOf(deviceName);
    }
    std::optional<std::vector<ServiceSetting>> ServiceSettingsOf(const std::string& deviceName) override {
        return m_devices.Has(deviceName) ? std::nullopt : Inner().ServiceSettingsOf(deviceName);
    }

    DeviceSpooler& Devices() { return m_devices; }

  private:
    DeviceSpooler& m_devices;
    bool m_deviceChosen = false;
    bool m_deviceLast = false;  // whether the last call went to a device
};

}  // namespace qvset
