#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvset {

// One installed printer as the platform's printing layer reports it.
struct PrinterInfo {
    std::string deviceName;  // the queue or Windows printer name
    std::string driverName;
    std::string port;

    bool operator==(const PrinterInfo&) const = default;
};

// The platform's print spooler. Every command reaches the printer through WriteRawDocument; nothing
// is ever read back from the printer itself, only the spooler's queue.
class Spooler {
  public:
    virtual ~Spooler() = default;

    // The installed printers, in the order the platform enumerates them.
    virtual std::vector<PrinterInfo> ListPrinters() = 0;

    // Device name of the current (default) printer, read afresh on every call; empty when there is none.
    virtual std::string CurrentPrinter() = 0;

    // Makes the printer described by a list entry ("device,driver,port") the current user's default
    // printer. Failures are silent: later documents simply go to whatever printer is the default.
    virtual void ApplyPrinterChoice(const std::string& entry) = 0;

    // Writes one RAW document of one page holding exactly `payload` to the printer `deviceName`.
    // Returns false, having written nothing, when the printer cannot be opened (unknown name, refused).
    virtual bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                  std::span<const std::uint8_t> payload) = 0;

    // Number of documents still waiting on the printer (pending, held or printing); 0 when the printer
    // cannot be opened.
    virtual int WaitingDocuments(const std::string& deviceName) = 0;
};

}  // namespace qvset
