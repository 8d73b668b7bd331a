#pragma once

#include <string>

#include "printer/ForwardingSpooler.h"
#include "record/RecordBook.h"

namespace qvset {

// Passes everything to the spooler it wraps and adds every document it hands over to the printer's
// record in `book`, with what sent it: a qvctl command name, or the caption of the window's control
// that was clicked. The printer is known by what the server says of it (its lasting identity and its
// own spelling of the name), asked before the document. The entry is written as pending before the
// hand-over and completed after it with the spooler's answer and the job id, so that a program stopped
// in between leaves a trace. A printer the server says it does not have gets no record (a misspelt
// name leaves no file behind), unless its document is taken after all. The record's writing never touches the
// spooler, so LastFault is still the last spooler call's.
class RecordingSpooler final : public ForwardingSpooler {
  public:
    RecordingSpooler(Spooler& inner, RecordBook& book, std::string command)
        : ForwardingSpooler(inner), m_book(book), m_command(std::move(command)) {}

    // What sends the next documents: a window keeps one decorator and names each clicked control.
    void SetCommand(std::string command) { m_command = std::move(command); }

    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override {
        const QueueIdentity queue = Inner().IdentifyPrinter(deviceName);
        if (queue.absent) {
            const bool taken = Inner().WriteRawDocument(deviceName, documentName, payload);
            if (taken) {
                const std::string id = m_book.Begin(deviceName, queue, m_command, payload);
                m_book.Finish(deviceName, queue, id, m_command, payload, taken, Inner().LastReceipt());
            }
            return taken;
        }
        const std::string id = m_book.Begin(deviceName, queue, m_command, payload);
        const bool taken = Inner().WriteRawDocument(deviceName, documentName, payload);
        m_book.Finish(deviceName, queue, id, m_command, payload, taken, Inner().LastReceipt());
        return taken;
    }

  private:
    RecordBook& m_book;
    std::string m_command;
};

}  // namespace qvset
