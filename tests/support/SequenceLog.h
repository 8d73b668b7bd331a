#pragma once

#include <string>
#include <vector>

#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "support/RecordingDialogs.h"

namespace qvset::testing {

// One log of what a handler did, in the order it happened: each document the spooler received as its
// bytes in hex, each pause as "wait N", and whatever else a test notes (a caption, a message). A test
// compares the whole sequence, so a pause moved between two documents is caught.
class SequenceLog {
  public:
    SequenceLog(MemorySpooler& spooler, RecordingPause& pause) {
        spooler.OnDocument([this](const MemorySpooler::Document& document) {
            m_entries.push_back(EncodeHex(document.bytes));
        });
        pause.OnWait([this](int milliseconds) { m_entries.push_back(Wait(milliseconds)); });
    }

    static std::string Wait(int milliseconds) { return "wait " + std::to_string(milliseconds); }

    void Note(std::string entry) { m_entries.push_back(std::move(entry)); }
    const std::vector<std::string>& Entries() const { return m_entries; }
    void Clear() { m_entries.clear(); }

  private:
    std::vector<std::string> m_entries;
};

}  // namespace qvset::testing
