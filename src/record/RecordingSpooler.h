#pragma once

#include <string>

#include "printer/Spooler.h"
#include "record/RecordBook.h"

namespace qvset {

// Passes everything to the spooler it wraps and adds every document it hands over to the printer's
// record in `book`, after the spooler answered, with whether it was taken and what sent it: a qvctl
// command name, or the caption of the window's control that was clicked.
class RecordingSpooler final : public Spooler {
  public:
    RecordingSpooler(Spooler& inner, RecordBook& book, std::string command)
        : m_inner(inner), m_book(book), m_command(std::move(command)) {}

    // What sends the next documents: a window keeps one decorator and names each clicked control.
    void SetCommand(std::string command) { m_command = std::move(command); }

    std::vector<PrinterInfo> ListPrinters() override { return m_inner.ListPrinters(); }
    std::string CurrentPrinter() override { return m_inner.CurrentPrinter(); }
    bool ApplyPrinterChoice(const std::string& entry) override { return m_inner.ApplyPrinterChoice(entry); }
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override {
        const bool taken = m_inner.WriteRawDocument(deviceName, documentName, payload);
        m_book.Add(deviceName, m_command, taken, payload);
        return taken;
    }
    int WaitingDocuments(const std::string& deviceName) override {
        return m_inner.WaitingDocuments(deviceName);
    }
    // The record's writing never touches the spooler, so its fault is still the last call's.
    SpoolerFault LastFault() override { return m_inner.LastFault(); }
    void SetDeadline(std::chrono::milliseconds deadline) override { m_inner.SetDeadline(deadline); }
    std::string DefaultOverride() override { return m_inner.DefaultOverride(); }

  private:
    Spooler& m_inner;
    RecordBook& m_book;
    std::string m_command;
};

}  // namespace qvset
