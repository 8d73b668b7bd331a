#pragma once

#include <memory>

#include "printer/Spooler.h"

typedef struct _http_s http_t;

namespace qvset {

// The CUPS spooler, through libcups. The server is the one libcups resolves (CUPS_SERVER,
// client.conf, the local scheduler); the current printer is the per-user default as CUPS resolves it
// (LPDEST, PRINTER, ~/.cups/lpoptions, then the server's default), read afresh on every call.
class CupsSpooler final : public Spooler {
  public:
    CupsSpooler();
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    // Queue name, printer-make-and-model and device-uri of every queue, in the server's order.
    std::vector<PrinterInfo> ListPrinters() override;
    std::string CurrentPrinter() override;
    // Writes the per-user default (~/.cups/lpoptions) for the entry's queue.
    void ApplyPrinterChoice(const std::string& entry) override;
    // One IPP Print-Job request: job title as given, format application/vnd.cups-raw.
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override;
    // Active jobs: pending, held and processing.
    int WaitingDocuments(const std::string& deviceName) override;

  private:
    http_t* Connection();

    struct HttpCloser {
        void operator()(http_t* http) const;
    };
    std::unique_ptr<http_t, HttpCloser> m_http;
};

}  // namespace qvset
