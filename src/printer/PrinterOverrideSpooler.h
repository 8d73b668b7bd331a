#pragma once

#include <string>

#include "printer/ForwardingSpooler.h"

namespace qvset {

// Sends to a named printer instead of the default one, without changing the default: the command
// line's --printer option. Everything else is passed through.
//
// CurrentPrinter asks the server nothing here, so it has no fault of its own: right after it LastFault
// is None, not what the server's last request left (a request that missed the deadline must not keep
// every later document of a run from being tried once the server's hold is over).
class PrinterOverrideSpooler final : public ForwardingSpooler {
  public:
    PrinterOverrideSpooler(Spooler& inner, std::string deviceName)
        : ForwardingSpooler(inner), m_deviceName(std::move(deviceName)) {}

    std::string CurrentPrinter() override {
        m_askedNothing = true;
        return m_deviceName;
    }
    SpoolerFault LastFault() override { return m_askedNothing ? SpoolerFault::None : Inner().LastFault(); }
    std::string LastProblem() override { return m_askedNothing ? std::string() : Inner().LastProblem(); }
    std::vector<PrinterInfo> ListPrinters() override {
        m_askedNothing = false;
        return Inner().ListPrinters();
    }
    bool ApplyPrinterChoice(const std::string& entry) override {
        m_askedNothing = false;
        return Inner().ApplyPrinterChoice(entry);
    }
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override {
        m_askedNothing = false;
        return Inner().WriteRawDocument(deviceName, documentName, payload);
    }
    int WaitingDocuments(const std::string& deviceName) override {
        m_askedNothing = false;
        return Inner().WaitingDocuments(deviceName);
    }
    QueueIdentity IdentifyPrinter(const std::string& deviceName) override {
        m_askedNothing = false;
        return Inner().IdentifyPrinter(deviceName);
    }
    JobState AskJobState(const std::string& deviceName, int job) override {
        m_askedNothing = false;
        return Inner().AskJobState(deviceName, job);
    }
    std::optional<std::vector<ServerJob>> JobsOf(const std::string& deviceName) override {
        m_askedNothing = false;
        return Inner().JobsOf(deviceName);
    }
    std::optional<std::vector<ServiceSetting>> ServiceSettingsOf(const std::string& deviceName) override {
        m_askedNothing = false;
        return Inner().ServiceSettingsOf(deviceName);
    }

  private:
    std::string m_deviceName;
    bool m_askedNothing = false;
};

}  // namespace qvset
