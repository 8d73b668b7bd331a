#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "printer/Spooler.h"

namespace qvset {

// An in-memory spooler for tests: records every document, every default-printer choice and every
// queue inspection, and can be told that a printer cannot be opened or has documents waiting, that the
// default cannot be written, or that the server cannot be reached.
class MemorySpooler final : public Spooler {
  public:
    struct Document {
        std::string printer;
        std::string name;
        std::vector<std::uint8_t> bytes;
    };

    explicit MemorySpooler(std::vector<PrinterInfo> printers = {});

    std::vector<PrinterInfo> ListPrinters() override;
    std::string CurrentPrinter() override;
    bool ApplyPrinterChoice(const std::string& entry) override;
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override;
    int WaitingDocuments(const std::string& deviceName) override;
    SpoolerFault LastFault() override { return m_lastFault; }
    std::string DefaultOverride() override { return m_override; }

    // Set-up for a test.
    void SetPrinters(std::vector<PrinterInfo> printers) { m_printers = std::move(printers); }
    void SetCurrentPrinter(std::string deviceName) { m_current = std::move(deviceName); }
    void SetCannotOpen(const std::string& deviceName, bool cannotOpen = true);
    void SetWaitingCount(int count) { m_waiting = count; }
    // The state StatusOfQueue gives for a printer it lists (by default idle, accepting, with the waiting
    // count); nullopt for a printer it does not list.
    void SetQueueStatus(const std::string& printer, QueueStatus status) {
        m_statuses[printer] = std::move(status);
    }
    std::optional<QueueStatus> StatusOfQueue(const std::string& deviceName) override;
    // A default that cannot be written: choices are recorded but change nothing and return false.
    void SetDefaultUnwritable(bool unwritable = true) { m_defaultUnwritable = unwritable; }
    // A server that cannot be reached: every call fails (empty list, no printer, nothing written).
    void SetUnreachable(bool unreachable = true) { m_unreachable = unreachable; }
    void SetDefaultOverride(std::string setting) { m_override = std::move(setting); }
    // A printer behind a printer application: ServiceSettingsOf gives these for it (nullopt for others).
    void SetServiceSettings(const std::string& printer, std::vector<ServiceSetting> settings) {
        m_serviceSettings[printer] = std::move(settings);
    }
    std::optional<std::vector<ServiceSetting>> ServiceSettingsOf(const std::string& deviceName) override {
        const auto found = m_serviceSettings.find(deviceName);
        if (found == m_serviceSettings.end()) return std::nullopt;
        return found->second;
    }
    // Called with every document as it is written, so that a test can log it among other events.
    void OnDocument(std::function<void(const Document&)> listener) { m_listener = std::move(listener); }

    // What happened.
    const std::vector<Document>& Documents() const { return m_documents; }
    const std::vector<std::string>& AppliedChoices() const { return m_applied; }
    int QueueInspections() const { return m_inspections; }
    void ClearDocuments() { m_documents.clear(); }

  private:
    std::vector<PrinterInfo> m_printers;
    std::string m_current;
    std::set<std::string> m_cannotOpen;
    int m_waiting = 0;
    std::map<std::string, QueueStatus> m_statuses;
    std::map<std::string, std::vector<ServiceSetting>> m_serviceSettings;
    int m_inspections = 0;
    std::vector<Document> m_documents;
    std::vector<std::string> m_applied;
    bool m_defaultUnwritable = false;
    bool m_unreachable = false;
    SpoolerFault m_lastFault = SpoolerFault::None;
    std::string m_override;
    std::function<void(const Document&)> m_listener;
};

}  // namespace qvset
