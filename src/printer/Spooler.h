#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
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
    // What sort of queue it is, in a few words ("raw queue", "XPS driver (v4): refuses RAW documents"),
    // for the printer list of the command line; empty when the spooler does not say.
    std::string kind = {};
    // The server's own lasting name for the queue, the same however the server and the queue were
    // spelt (CUPS: printer-uuid); empty when the server does not give one.
    std::string identity = {};

    bool operator==(const PrinterInfo&) const = default;
};

// Why the last call to the spooler failed beyond what its own result says.
enum class SpoolerFault {
    None,         // the spooler answered (a printer it does not know is not a fault of the spooler)
    Unreachable,  // the print server could not be reached, or did not answer before the deadline
    Refused,      // the server took no part of the document: too large for it, no room in its spool
};

// What the server says became of a job it took.
enum class JobState {
    Unknown,    // the server did not answer, or no longer knows the job
    Active,     // pending, held or printing
    Completed,  // printed: the whole document went to the printer
    Canceled,   // cancelled in the queue (by someone, or by the server): it may not have printed
    Aborted,    // the server gave up on it: part of it may have reached the printer
};

// What the last WriteRawDocument knows of its document beyond its result.
struct DocumentReceipt {
    int job = 0;  // the job the server made of it; 0 when it gave none
    // The document went out but no answer came before the deadline: false was returned, yet the
    // server may have taken it and the printer printed it.
    bool mayHavePrinted = false;
};

// A queue as the server knows it: its lasting identity (empty when the server gives none) and its name
// as the server spells it (empty when the server has no such queue or did not answer).
struct QueueIdentity {
    std::string identity;
    std::string name;
    bool absent = false;  // the server answered that it has no such queue
};

// One job the server holds or remembers for a queue.
struct ServerJob {
    int id = 0;
    JobState state = JobState::Unknown;
    std::string user;            // job-originating-user-name
    std::string host;            // job-originating-host-name
    std::string title;           // job-name
    std::int64_t createdAt = 0;  // time-at-creation, seconds since the epoch (0: not said)
    bool mine = false;           // sent under the user name this program sends as
};

// One setting as a printer application reports what its printer holds (its qvset-NAME-default
// attribute), with the document that last set it, as far as the service says.
struct ServiceSetting {
    std::string name;          // "qvset-black-mark"
    std::string value;         // "on", "76", "152"
    std::string command = {};  // the command the printer last got for it, hex ("1B4202"); empty: not said
    std::string job = {};   // the service's label of the document that set it ("job 12 #7"); empty: not said
    std::string when = {};  // UTC, "2026-12-09T14:02:11Z"; empty: not said
    std::string sender = {};  // "alice@192.0.2.7"; empty: not said

    bool operator==(const ServiceSetting&) const = default;
};

// How long one request may wait for the print server unless told otherwise.
inline constexpr std::chrono::milliseconds kDefaultSpoolerDeadline{10000};

// What WaitingDocuments answers when the spooler reported documents but then listed no job (they left
// between its two answers, or the list could not be had): not the same as an empty queue.
inline constexpr int kReportedButNoneListed = -1;

// A queue's state as the print server reports it, for a view of many printers at a glance.
enum class QueueState { Idle, Printing, Stopped };
struct QueueStatus {
    QueueState state = QueueState::Idle;
    bool accepting = true;       // false: the queue rejects new jobs
    int waiting = 0;             // jobs pending, held or printing
    int held = 0;                // of them, the jobs held (they wait until someone releases them)
    std::int64_t oldestJob = 0;  // the oldest waiting job's creation, seconds since the epoch; 0: none
    std::string message = {};    // the server's word on the queue (printer-state-message), may be empty
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
    // printer, and the printer every later document of this process goes to. False when the default
    // could not be written (an unknown entry, a setting that cannot be written, no server).
    virtual bool ApplyPrinterChoice(const std::string& entry) = 0;

    // Writes one RAW document of one page holding exactly `payload` to the printer `deviceName`.
    // Returns false, having written nothing, when the printer cannot be opened (unknown name, refused).
    virtual bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                  std::span<const std::uint8_t> payload) = 0;

    // Number of documents still waiting on the printer (pending, held or printing); 0 when the printer
    // cannot be opened; kReportedButNoneListed when the spooler said documents were there but listed
    // none when asked for them.
    virtual int WaitingDocuments(const std::string& deviceName) = 0;

    // The state of the queue `deviceName`; nullopt when the spooler cannot say (no such queue, a
    // server that did not answer: LastFault tells which, or a spooler that keeps no queues).
    virtual std::optional<QueueStatus> StatusOfQueue(const std::string& deviceName) {
        static_cast<void>(deviceName);
        return std::nullopt;
    }

    // The fault of the last call: Unreachable when its empty or false result came from a server that
    // could not be reached or did not answer in time, Refused when the server would not take a
    // document for want of room, None otherwise.
    virtual SpoolerFault LastFault() { return SpoolerFault::None; }

    // The longest one request waits for the print server before it fails as Unreachable. A spooler
    // without a server of its own ignores it.
    virtual void SetDeadline(std::chrono::milliseconds deadline) { static_cast<void>(deadline); }

    // What the last call that failed has to say in the user's words, when the spooler knows more than
    // its result: a device that could not be written and why, a queue that would drop a RAW document,
    // a device that cannot become the default printer. Empty otherwise; the callers then say what
    // they always say.
    virtual std::string LastProblem() { return {}; }

    // A setting beside the default printer that still decides where other programs print (on CUPS
    // the LPDEST or PRINTER variable), as "NAME=value"; empty when there is none.
    virtual std::string DefaultOverride() { return {}; }

    // The job id and fate of the document of the last WriteRawDocument call.
    virtual DocumentReceipt LastReceipt() { return {}; }

    // The queue `deviceName` names, as the server knows it. A spooler whose printers have no lasting
    // identity gives an empty identity and the name as given.
    virtual QueueIdentity IdentifyPrinter(const std::string& deviceName) { return {{}, deviceName}; }

    // What became of a job the server took for `deviceName`.
    virtual JobState AskJobState(const std::string& deviceName, int job) {
        static_cast<void>(deviceName);
        static_cast<void>(job);
        return JobState::Unknown;
    }

    // The printers a listing of the same server gave a moment ago in this run (another spooler's
    // ListPrinters): the spooler may take what it says of each queue (its identity, whether it takes
    // RAW documents) instead of asking the server again for each. A spooler that asks nothing of its
    // queues ignores it.
    virtual void KnowPrinters(const std::vector<PrinterInfo>& printers) { static_cast<void>(printers); }

    // What the printer `deviceName` holds, in the words of the printer application in front of it: every
    // setting it knows a value of, in its order. nullopt when the server is no printer application (or
    // did not answer: LastFault says which); an empty list when it knows nothing yet.
    virtual std::optional<std::vector<ServiceSetting>> ServiceSettingsOf(const std::string& deviceName) {
        static_cast<void>(deviceName);
        return std::nullopt;
    }

    // Every job the server holds or remembers for `deviceName` (completed ones too, as far as it keeps
    // them), oldest first; nullopt when the server does not say.
    virtual std::optional<std::vector<ServerJob>> JobsOf(const std::string& deviceName) {
        static_cast<void>(deviceName);
        return std::nullopt;
    }
};

}  // namespace qvset
