#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "printer/ForwardingSpooler.h"

namespace qvset {

// The baud rate a document leaves the printer's serial port at: the rate of the last baud-rate switch
// (ESC B 0E to 15, 9600 times 1 to 42) it holds, as the decoder frames its commands (bytes 1B 42 10
// inside a bit image are no command); nothing when it sets none.
std::optional<int> BaudRateSetBy(std::span<const std::uint8_t> document);

// A serial device whose printer now answers at another rate than its URI says.
struct BaudChange {
    std::string uri;     // as the documents named the device
    int baud = 0;        // the printer's new rate
    std::string newUri;  // the same device at the new rate

    bool operator==(const BaudChange&) const = default;
};

// Passes everything to the spooler it wraps and watches the documents it takes for serial devices
// (printers named by a serial: URI): one that changes the printer's baud rate away from the URI's is
// noted, so that the program can offer to keep the device in step. It changes nothing itself.
class BaudFollowingSpooler final : public ForwardingSpooler {
  public:
    explicit BaudFollowingSpooler(Spooler& inner) : ForwardingSpooler(inner) {}

    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override;

    // The changes noted since the last call, one per device (its last rate), in the order first seen.
    std::vector<BaudChange> TakeChanges();

  private:
    std::vector<BaudChange> m_changes;
};

}  // namespace qvset
