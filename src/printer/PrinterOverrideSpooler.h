#pragma once

#include <string>

#include "printer/Spooler.h"

namespace qvset {

// Sends to a named printer instead of the default one, without changing the default: the command
// line's --printer option. Everything else is passed through.
class PrinterOverrideSpooler final : public Spooler {
  public:
    PrinterOverrideSpooler(Spooler& inner, std::string deviceName)
        : m_inner(inner), m_deviceName(std::move(deviceName)) {}

    std::vector<PrinterInfo> ListPrinters() override { return m_inner.ListPrinters(); }
    std::string CurrentPrinter() override { return m_deviceName; }
    bool ApplyPrinterChoice(const std::string& entry) override { return m_inner.ApplyPrinterChoice(entry); }
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override {
        return m_inner.WriteRawDocument(deviceName, documentName, payload);
    }
    int WaitingDocuments(const std::string& deviceName) override {
        return m_inner.WaitingDocuments(deviceName);
    }
    SpoolerFault LastFault() override { return m_inner.LastFault(); }
    void SetDeadline(std::chrono::milliseconds deadline) override { m_inner.SetDeadline(deadline); }
    std::string DefaultOverride() override { return m_inner.DefaultOverride(); }

  private:
    Spooler& m_inner;
    std::string m_deviceName;
};

}  // namespace qvset
