#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "printer/Spooler.h"

// libcups' own names for its connection and request types.
typedef struct _http_s http_t;  // NOLINT(bugprone-reserved-identifier)
typedef struct _ipp_s ipp_t;    // NOLINT(bugprone-reserved-identifier)

namespace qvset {

// The CUPS spooler, through libcups. The server is the one libcups resolves (CUPS_SERVER,
// client.conf, the local scheduler); the current printer is the queue last applied by this process, or
// else the per-user default as CUPS resolves it (LPDEST, PRINTER, ~/.cups/lpoptions, then the server's
// default), read afresh on every call.
//
// Every request waits at most the deadline for the server, however slowly its answer trickles in: a
// watch of its own shuts the connection when the deadline of the request in flight has passed. A server that
// let the deadline pass is not waited for again for kServerRetryInterval: the requests in that time fail at
// once as Unreachable, so that a command of many documents to a frozen server fails in one deadline rather
// than one per document.
//
// The server may be a printer application (PAPPL's IPP system service: the QV6 printer application) in
// place of CUPS: asked once per process with Get-System-Attributes, which CUPS 2.4 does not implement
// and every printer application answers. Its printers are then ipp://HOST:PORT/ipp/print/NAME, listed
// with Get-Printers, sent the QV6 format (kPrinterAppFormat), and each document is followed until its
// job ends; ServiceSettingsOf gives what the printer application says each printer holds.
class CupsSpooler final : public Spooler {
  public:
    // The server libcups resolves.
    CupsSpooler();
    // A named server: a host name or address and its IPP port, or the path of a domain socket (port 0).
    CupsSpooler(std::string host, int port);
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    // Queue name, printer-make-and-model and device-uri of every queue, in the server's order.
    std::vector<PrinterInfo> ListPrinters() override;
    // The queue last applied by this process; else LPDEST, PRINTER or lpoptions, read on every call, as
    // the server spells that queue (asked once per name and connection: empty when it has no such
    // queue); else the server's default, asked on every call.
    std::string CurrentPrinter() override;
    // Writes the per-user default (~/.cups/lpoptions, as CUPS's own tools do, root too) for the
    // entry's queue; false when the queue is unknown or the file could not be written. Either way a
    // queue of this server becomes the printer of this process's later documents.
    bool ApplyPrinterChoice(const std::string& entry) override;
    // One IPP Print-Job request: job title as given, format application/vnd.cups-raw. Before the first
    // document to a queue (once per queue and connection) its kind is asked for: a driverless queue
    // whose printer is no QV6 printer application is refused, with MsgDriverlessQueueRefused as
    // LastProblem, and nothing is sent.
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override;
    // Active jobs: pending, held and processing.
    int WaitingDocuments(const std::string& deviceName) override;
    // printer-state, printer-is-accepting-jobs and printer-state-message of the queue, and its active jobs.
    std::optional<QueueStatus> StatusOfQueue(const std::string& deviceName) override;
    SpoolerFault LastFault() override { return m_fault; }
    std::string LastProblem() override { return m_problem; }
    void SetDeadline(std::chrono::milliseconds deadline) override;
    // "LPDEST=..." or "PRINTER=..." when the variable is set: CUPS lets it win over lpoptions.
    std::string DefaultOverride() override;
    // The job-id of the last Print-Job's answer; mayHavePrinted when the whole document went out and
    // no answer came (the deadline passed, the connection broke).
    DocumentReceipt LastReceipt() override { return m_receipt; }
    // The queue's printer-uuid and printer-name, asked once per queue and connection with what
    // WriteRawDocument asks before a queue's first document (CUPS matches queue names in any case).
    QueueIdentity IdentifyPrinter(const std::string& deviceName) override;
    // Get-Job-Attributes: job-state.
    JobState AskJobState(const std::string& deviceName, int job) override;
    // Get-Jobs, which-jobs all, with the originating user and host and the creation time.
    std::optional<std::vector<ServerJob>> JobsOf(const std::string& deviceName) override;
    void KnowPrinters(const std::vector<PrinterInfo>& printers) override;

    // A printer application's qvset-*-default and qvset-settings-sent of the printer; nullopt from CUPS.
    std::optional<std::vector<ServiceSetting>> ServiceSettingsOf(const std::string& deviceName) override;
    // Whether the server is a printer application (asked on the first request that needs to know).
    bool IsPrinterApplication();

    // The document format of a printer application's QV6 printers: the bytes go to the device unchanged.
    static constexpr const char* kPrinterAppFormat = "application/vnd.qvset.qv6";
    // How often a printer application's job is asked after while it has not ended.
    static constexpr std::chrono::milliseconds kJobPollInterval{50};

    static constexpr std::chrono::seconds kServerRetryInterval{30};

  private:
    // The connection to the server; null (and the fault Unreachable) when there is none.
    http_t* Connection();
    // Whether a request without an answer failed for want of a server: it let the deadline pass, the
    // server said it was unavailable, or the connection broke (a server stopped while this process
    // kept its connection) and libcups could not make it again.
    bool LostServer(http_t* http) const;
    // After a request that got no answer: drops the connection, records the fault and, when the
    // deadline passed, holds further requests back.
    void NoteNoAnswer();
    static int KeepWaiting(http_t* http, void* self);
    // ipp://localhost[:port]/printers/QUEUE, as the server expects a printer to be named (a printer
    // application: /ipp/print/QUEUE); PrinterResource is its path.
    std::string PrinterUri(const std::string& queue) const;
    std::string PrinterResource(const std::string& queue) const;
    // The server as messages name it: "HOST:PORT", or the socket's path.
    std::string ServerText() const;
    // Asks Get-System-Attributes once per process; false (with the fault Unreachable) when the server
    // did not answer.
    bool LearnServerKind(http_t* http);
    // A printer application's printers (Get-Printers on /ipp/system), with their printer-id.
    std::vector<std::pair<int, PrinterInfo>> AppPrinters(http_t* http);
    // A printer application's job until it ends or the deadline passes: false, with LastProblem saying
    // what became of it, unless it completed.
    bool FollowAppJob(http_t* http, const std::string& queue, int job);
    // Get-Jobs of a queue, `which` ("all", "not-completed"), oldest first; nullopt when not said.
    std::optional<std::vector<ServerJob>> AskJobs(http_t* http, const std::string& deviceName,
                                                  const char* which);
    // Get-Job-Attributes: the job's state and its job-state-reasons; Unknown when not said.
    JobState StateOfJobOn(http_t* http, const std::string& deviceName, int job, std::string* reasons);
    // The server's own spelling of a queue named by LPDEST, PRINTER or lpoptions; empty when the server
    // has no such queue or did not answer.
    std::string KnownQueue(http_t* http, const std::string& name);
    // The server's default queue (CUPS-Get-Default); empty when it has none or did not answer.
    std::string ServerDefault(http_t* http);
    // Sends a request for one printer, asking for its printer-name alone, and gives that name; empty
    // when the server has no such printer or did not answer (noted as for any request).
    std::string AskPrinterName(http_t* http, ipp_t* request);
    // Whether a RAW document to the queue reaches its printer as it is, asked once per queue and
    // connection; true when the server does not say (the document then fails on its own).
    bool QueueTakesRaw(http_t* http, const std::string& queue);

    // What Get-Printer-Attributes said of a queue, kept for as long as the connection lasts.
    struct QueueFacts {
        std::string asked;
        bool answered = false;  // false: the server did not say (no answer, or no such queue)
        bool absent = false;    // the server said it has no such queue
        bool takesRaw = true;
        QueueIdentity identity;
    };
    const QueueFacts& FactsOf(http_t* http, const std::string& queue);

    struct HttpCloser {
        void operator()(http_t* http) const;
    };
    // The connection of one public call, its deadline watched from its start to the call's end.
    class ArmedRequest;
    class RequestWatch;
    std::unique_ptr<RequestWatch> m_watch;
    std::unique_ptr<http_t, HttpCloser> m_http;
    std::chrono::milliseconds m_deadline = kDefaultSpoolerDeadline;
    SpoolerFault m_fault = SpoolerFault::None;
    std::atomic<bool> m_timedOut = false;
    std::chrono::steady_clock::time_point m_holdUntil{};
    std::string m_applied;
    // Queue names read locally, with the server's spelling of each, for as long as the connection lasts.
    std::vector<std::pair<std::string, std::string>> m_knownQueues;
    // Each queue's facts, for as long as the connection lasts.
    std::vector<QueueFacts> m_queueFacts;
    // The printers the last listing gave (its own or KnowPrinters'): the queues' facts without asking.
    std::vector<PrinterInfo> m_listed;
    DocumentReceipt m_receipt;
    std::string m_problem;
    enum class ServerKind { NotAsked, Cups, PrinterApp };
    ServerKind m_kind = ServerKind::NotAsked;
    std::string m_host;  // empty: cupsServer()
    int m_port = 0;      // 0: ippPort()
};

// Splits a server as the command line names it, "HOST", "HOST:PORT", "[IPV6]:PORT" or "/path/of/socket",
// into host and port (631 when none is given; 0 for a socket). False for anything else: an empty host,
// a port that is not a number from 1 to 65535.
bool ParseCupsServer(const std::string& server, std::string& host, int& port);

}  // namespace qvset
