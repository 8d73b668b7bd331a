#pragma once

#include "printer/Spooler.h"

namespace qvset {

// Passes every call to the spooler it wraps: the base of the decorators, which override only what
// they change.
class ForwardingSpooler : public Spooler {
  public:
    explicit ForwardingSpooler(Spooler& inner) : m_inner(inner) {}

    std::vector<PrinterInfo> ListPrinters() override { return m_inner.ListPrinters(); }
    std::string CurrentPrinter() override { return m_inner.CurrentPrinter(); }
    bool ApplyPrinterChoice(const std::string& entry) override { return m_inner.ApplyPrinterChoice(entry); }
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override {
        return m_inner.WriteRawDocument(deviceName, documentName, payload);
    }
    std::optional<QueueStatus> StatusOfQueue(const std::string& deviceName) override {
        return m_inner.StatusOfQueue(deviceName);
    }
    int WaitingDocuments(const std::string& deviceName) override {
        return m_inner.WaitingDocuments(deviceName);
    }
    SpoolerFault LastFault() override { return m_inner.LastFault(); }
    std::string LastProblem() override { return m_inner.LastProblem(); }
    void SetDeadline(std::chrono::milliseconds deadline) override { m_inner.SetDeadline(deadline); }
    std::string DefaultOverride() override { return m_inner.DefaultOverride(); }
    DocumentReceipt LastReceipt() override { return m_inner.LastReceipt(); }
    QueueIdentity IdentifyPrinter(const std::string& deviceName) override {
        return m_inner.IdentifyPrinter(deviceName);
    }
    JobState AskJobState(const std::string& deviceName, int job) override {
        return m_inner.AskJobState(deviceName, job);
    }
    std::optional<std::vector<ServerJob>> JobsOf(const std::string& deviceName) override {
        return m_inner.JobsOf(deviceName);
    }
    std::optional<std::vector<ServiceSetting>> ServiceSettingsOf(const std::string& deviceName) override {
        return m_inner.ServiceSettingsOf(deviceName);
    }

  protected:
    Spooler& Inner() { return m_inner; }

  private:
    Spooler& m_inner;
};

}  // namespace qvset
