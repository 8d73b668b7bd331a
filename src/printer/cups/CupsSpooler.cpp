#include "printer/cups/CupsSpooler.h"

#include <cups/cups.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>

#include "printer/PrinterSelection.h"
#include "printer/QueueKind.h"
#include "printer/ServiceSettings.h"
#include "printer/cups/LpOptionsFile.h"

namespace qvset {
namespace {

// A deadline as the user sets it (QVSET_SPOOLER_DEADLINE is in seconds): "10 s", "0.5 s".
std::string DeadlineSeconds(std::chrono::milliseconds deadline) {
    const auto whole = deadline.count() / 1000;
    const auto rest = deadline.count() % 1000;
    std::string text = std::to_string(whole);
    if (rest != 0) {
        std::string fraction = std::to_string(1000 + rest).substr(1);
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text + " s";
}

constexpr int kDefaultIppPort = 631;
constexpr std::string_view kMsgNoFileLeft =
    "this program has too many files open (EMFILE) to reach the print server; nothing was sent";
constexpr const char* kRawFormat = "application/vnd.cups-raw";
// Where a printer application keeps its system object and its printers.
constexpr const char* kSystemPath = "/ipp/system";
constexpr const char* kAppPrinterPath = "/ipp/print/";
constexpr std::string_view kAppKindText = "QV6 printer application";
// The variables CUPS reads before lpoptions, in its order.
constexpr const char* kDestinationVariables[] = {"LPDEST", "PRINTER"};

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppPtr = std::unique_ptr<ipp_t, IppDeleter>;

// Owns an array of destinations from cupsGetDests2 / cupsGetNamedDest.
class DestList {
  public:
    DestList() = default;
    DestList(int count, cups_dest_t* dests) : m_count(count), m_dests(dests) {}
    ~DestList() {
        if (m_dests != nullptr) cupsFreeDests(m_count, m_dests);
    }
    DestList(const DestList&) = delete;
    DestList& operator=(const DestList&) = delete;
    int Count() const { return m_count; }
    cups_dest_t* Get() const { return m_dests; }

  private:
    int m_count = 0;
    cups_dest_t* m_dests = nullptr;
};

std::string AttributeText(ipp_attribute_t* attr) {
    const char* text = attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
    return text != nullptr ? text : "";
}

std::string SystemUri(int port) {
    char uri[1024];
    httpAssembleURI(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                    port > 0 ? port : ippPort(), kSystemPath);
    return uri;
}

std::string JobReasons(ipp_attribute_t* attr) {
    std::string reasons;
    for (int i = 0; attr != nullptr && i < ippGetCount(attr); ++i) {
        const char* reason = ippGetString(attr, i, nullptr);
        if (reason == nullptr || std::string_view(reason) == "none") continue;
        reasons += (reasons.empty() ? "" : ", ") + std::string(reason);
    }
    return reasons;
}

}  // namespace

void CupsSpooler::HttpCloser::operator()(http_t* http) const {
    httpClose(http);
}

// Shuts the connection of a request whose deadline passed: libcups bounds each wait for a byte, not
// the whole answer, so a server sending one byte a second would otherwise hold a request for ever.
class CupsSpooler::RequestWatch {
  public:
    explicit RequestWatch(std::atomic<bool>& timedOut)
        : m_timedOut(timedOut), m_thread([this] { Watch(); }) {}
    ~RequestWatch() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    RequestWatch(const RequestWatch&) = delete;
    RequestWatch& operator=(const RequestWatch&) = delete;

    void Arm(int fd, std::chrono::steady_clock::time_point until) {
        {
            const std::lock_guard lock(m_mutex);
            m_fd = fd;
            m_until = until;
            struct stat info {};
            m_socketInode = fd >= 0 && ::fstat(fd, &info) == 0 ? info.st_ino : 0;
        }
        m_changed.notify_all();
    }
    void Disarm() {
        const std::lock_guard lock(m_mutex);
        m_fd = -1;
    }

  private:
    void Watch() {
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            if (m_fd < 0) {
                m_changed.wait(lock);
                continue;
            }
            if (std::chrono::steady_clock::now() < m_until) {
                m_changed.wait_until(lock, m_until);
                continue;
            }
            // Only the connection armed for: a descriptor libcups replaced meanwhile may be another's now.
            struct stat info {};
            if (m_socketInode != 0 && ::fstat(m_fd, &info) == 0 && info.st_ino == m_socketInode) {
                m_timedOut = true;
                ::shutdown(m_fd, SHUT_RDWR);
            }
            m_fd = -1;
        }
    }

    std::atomic<bool>& m_timedOut;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_fd = -1;
    ino_t m_socketInode = 0;  // the armed connection's socket, which no other open socket shares
    std::chrono::steady_clock::time_point m_until{};
    bool m_stop = false;
    std::thread m_thread;
};

class CupsSpooler::ArmedRequest {
  public:
    explicit ArmedRequest(CupsSpooler& spooler) : m_spooler(spooler), http(spooler.Connection()) {}
    ~ArmedRequest() {
        if (m_spooler.m_watch) m_spooler.m_watch->Disarm();
    }
    ArmedRequest(const ArmedRequest&) = delete;
    ArmedRequest& operator=(const ArmedRequest&) = delete;

  private:
    CupsSpooler& m_spooler;

  public:
    http_t* const http;
};

CupsSpooler::CupsSpooler() = default;
CupsSpooler::CupsSpooler(std::string host, int port) : m_host(std::move(host)), m_port(port) {}

bool ParseCupsServer(const std::string& server, std::string& host, int& port) {
    if (server.empty()) return false;
    if (server.front() == '/') {
        host = server;
        port = 0;
        return true;
    }
    std::string portText;
    if (server.front() == '[') {
        const std::size_t close = server.find(']');
        if (close == std::string::npos || close == 1) return false;
        host = server.substr(1, close - 1);
        if (close + 1 < server.size()) {
            if (server[close + 1] != ':') return false;
            portText = server.substr(close + 2);
            if (portText.empty()) return false;
        }
    } else {
        const std::size_t colon = server.rfind(':');
        host = server.substr(0, colon);
        if (colon != std::string::npos) {
            portText = server.substr(colon + 1);
            if (portText.empty()) return false;
        }
        if (host.empty() || host.find(':') != std::string::npos) return false;
    }
    port = kDefaultIppPort;
    if (portText.empty()) return true;
    if (portText.size() > 5 || portText.find_first_not_of("0123456789") != std::string::npos) return false;
    port = std::stoi(portText);
    return port >= 1 && port <= 65535;
}
CupsSpooler::~CupsSpooler() = default;

void CupsSpooler::SetDeadline(std::chrono::milliseconds deadline) {
    m_deadline = deadline;
    m_http.reset();
}

std::string CupsSpooler::PrinterUri(const std::string& queue) const {
    char uri[1024];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                     m_port > 0 ? m_port : ippPort(), "%s", PrinterResource(queue).c_str());
    return uri;
}

std::string CupsSpooler::ServerText() const {
    std::string host = m_host.empty() ? cupsServer() : m_host;
    if (host.front() == '/') return host;
    return (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
           std::to_string(m_port > 0 ? m_port : ippPort());
}

std::string CupsSpooler::PrinterResource(const std::string& queue) const {
    return (m_kind == ServerKind::PrinterApp ? kAppPrinterPath : "/printers/") + queue;
}

bool CupsSpooler::IsPrinterApplication() {
    const ArmedRequest armed(*this);
    return armed.http != nullptr && m_kind == ServerKind::PrinterApp;
}

bool CupsSpooler::LearnServerKind(http_t* http) {
    // Get-System-Attributes is the IPP system service's: CUPS 2.4 refuses it (operation-not-supported,
    // or an HTTP error for the path), every PAPPL printer application answers it. Asked once: the
    // server's kind does not change while this process runs.
    ipp_t* request = ippNewRequest(IPP_OP_GET_SYSTEM_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "system-uri", nullptr, SystemUri(m_port).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "system-state");
    IppPtr response(cupsDoRequest(http, request, kSystemPath));
    if (!response && LostServer(http)) {
        NoteNoAnswer();
        return false;
    }
    m_kind = response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE
                 ? ServerKind::PrinterApp
                 : ServerKind::Cups;
    return true;
}

int CupsSpooler::KeepWaiting(http_t*, void* self) {
    static_cast<CupsSpooler*>(self)->m_timedOut = true;
    return 0;
}

http_t* CupsSpooler::Connection() {
    const auto started = std::chrono::steady_clock::now();
    m_fault = SpoolerFault::None;
    m_problem.clear();
    m_timedOut = false;
    if (std::chrono::steady_clock::now() < m_holdUntil) {
        m_fault = SpoolerFault::Unreachable;
        return nullptr;
    }
    if (!m_http) {
        m_knownQueues.clear();
        m_queueFacts.clear();
        const auto msec = static_cast<int>(m_deadline.count());
        errno = 0;
        m_http.reset(httpConnect2(m_host.empty() ? cupsServer() : m_host.c_str(),
                                  m_host.empty() ? ippPort() : m_port, nullptr, AF_UNSPEC, cupsEncryption(),
                                  1, msec, nullptr));
        if (!m_http) {
            const int error = errno;
            m_fault = SpoolerFault::Unreachable;
            // This process, not the server, has run out: said as such, not as an unreachable server.
            if (error == EMFILE || error == ENFILE) m_problem = std::string(kMsgNoFileLeft);
            return nullptr;
        }
        httpSetTimeout(m_http.get(), static_cast<double>(m_deadline.count()) / 1000.0, KeepWaiting, this);
    }
    if (!m_watch) m_watch = std::make_unique<RequestWatch>(m_timedOut);
    m_watch->Arm(httpGetFd(m_http.get()), started + m_deadline);
    if (m_kind == ServerKind::NotAsked && !LearnServerKind(m_http.get())) return nullptr;
    return m_http.get();
}

bool CupsSpooler::LostServer(http_t* http) const {
    return m_timedOut || cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE ||
           httpGetStatus(http) == HTTP_STATUS_ERROR;
}

void CupsSpooler::NoteNoAnswer() {
    m_http.reset();
    m_fault = SpoolerFault::Unreachable;
    if (m_timedOut) m_holdUntil = std::chrono::steady_clock::now() + kServerRetryInterval;
}

std::string CupsSpooler::DefaultOverride() {
    for (const char* name : kDestinationVariables) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return std::string(name) + "=" + value;
    }
    return {};
}

std::vector<PrinterInfo> CupsSpooler::ListPrinters() {
    std::vector<PrinterInfo> printers;
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr) return printers;
    if (m_kind == ServerKind::PrinterApp) {
        for (auto& [id, info] : AppPrinters(http)) printers.push_back(std::move(info));
        return printers;
    }
    static const char* const kAttributes[] = {"printer-name", "printer-make-and-model", "device-uri",
                                              "printer-uuid"};
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    IppPtr response(cupsDoRequest(http, request, "/"));
    if (!response) {
        NoteNoAnswer();
        return printers;
    }
    // Attributes come grouped per printer, groups separated by a separator attribute.
    PrinterInfo current;
    bool inPrinter = false;
    for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;
         attr = ippNextAttribute(response.get())) {
        const char* name = ippGetName(attr);
        if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
            if (inPrinter && !current.deviceName.empty()) printers.push_back(current);
            current = {};
            inPrinter = false;
            continue;
        }
        inPrinter = true;
        const std::string_view key = name;
        if (key == "printer-name") current.deviceName = AttributeText(attr);
        if (key == "printer-make-and-model") current.driverName = AttributeText(attr);
        if (key == "device-uri") current.port = AttributeText(attr);
        if (key == "printer-uuid") current.identity = AttributeText(attr);
    }
    if (inPrinter && !current.deviceName.empty()) printers.push_back(current);
    for (auto& printer : printers) {
        printer.kind = CupsQueueKindText(CupsQueueKind(printer.driverName, printer.port), printer.driverName);
    }
    m_listed = printers;
    return printers;
}

std::string CupsSpooler::CurrentPrinter() {
    m_fault = SpoolerFault::None;
    if (!m_applied.empty()) return m_applied;
    // Resolved as cupsGetNamedDest resolves the default (it honours LPDEST, PRINTER and lpoptions;
    // cupsGetDefault2 does not), but without its request for the printer's every attribute on each
    // call: the variables and files are read here on every call, and the server is asked only for
    // what they cannot say.
    const std::optional<std::string> local = LocalDefaultDestination();
    if (local && local->empty()) return {};
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr) return {};
    return local ? KnownQueue(http, *local) : ServerDefault(http);
}

std::string CupsSpooler::KnownQueue(http_t* http, const std::string& name) {
    // The queue as the server spells it, once per name and connection: the name read from LPDEST or
    // lpoptions may differ in case, and a queue the server does not have is no current printer. A
    // document the server did not take forgets what was learnt (the queue may have gone).
    for (const auto& [asked, queue] : m_knownQueues) {
        if (asked == name) return queue;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, PrinterUri(name).c_str());
    std::string queue = AskPrinterName(http, request);
    if (!queue.empty()) m_knownQueues.emplace_back(name, queue);
    return queue;
}

std::string CupsSpooler::AskPrinterName(http_t* http, ipp_t* request) {
    static const char* const kAttributes[] = {"printer-name"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    IppPtr response(cupsDoRequest(http, request, "/"));
    if (!response) {
        if (LostServer(http)) NoteNoAnswer();
        return {};
    }
    // A printer the server does not have, or a server without a default, answers not-found.
    if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return {};
    return AttributeText(ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME));
}

std::string CupsSpooler::ServerDefault(http_t* http) {
    // Asked every time: another program may change the server's default between two documents.
    if (m_kind != ServerKind::PrinterApp) return AskPrinterName(http, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT));
    // A printer application names its default printer by its printer-id.
    ipp_t* request = ippNewRequest(IPP_OP_GET_SYSTEM_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "system-uri", nullptr, SystemUri(m_port).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "default-printer-id");
    IppPtr response(cupsDoRequest(http, request, kSystemPath));
    if (!response) {
        if (LostServer(http)) NoteNoAnswer();
        return {};
    }
    const int id = ippGetInteger(ippFindAttribute(response.get(), "default-printer-id", IPP_TAG_INTEGER), 0);
    if (id <= 0) return {};
    for (const auto& [printerId, info] : AppPrinters(http)) {
        if (printerId == id) return info.deviceName;
    }
    return {};
}

std::vector<std::pair<int, PrinterInfo>> CupsSpooler::AppPrinters(http_t* http) {
    std::vector<std::pair<int, PrinterInfo>> printers;
    static const char* const kAttributes[] = {"printer-id", "printer-name", "printer-make-and-model",
                                              "printer-uuid"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "system-uri", nullptr, SystemUri(m_port).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    IppPtr response(cupsDoRequest(http, request, kSystemPath));
    if (!response) {
        NoteNoAnswer();
        return printers;
    }
    const std::string host = m_host.empty() ? cupsServer() : m_host;
    std::pair<int, PrinterInfo> current;
    const auto keep = [&] {
        if (!current.second.deviceName.empty()) {
            char uri[1024];
            // The printer as another program would reach it: a domain socket has no URI of its own.
            httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr,
                             host.front() == '/' ? "localhost" : host.c_str(),
                             m_port > 0 ? m_port : ippPort(), "%s%s", kAppPrinterPath,
                             current.second.deviceName.c_str());
            current.second.port = uri;
            current.second.kind = std::string(kAppKindText);
            printers.push_back(std::move(current));
        }
        current = {};
    };
    for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;
         attr = ippNextAttribute(response.get())) {
        const char* name = ippGetName(attr);
        if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
            keep();
            continue;
        }
        const std::string_view key = name;
        if (key == "printer-id") current.first = ippGetInteger(attr, 0);
        if (key == "printer-name") current.second.deviceName = AttributeText(attr);
        if (key == "printer-make-and-model") current.second.driverName = AttributeText(attr);
        if (key == "printer-uuid") current.second.identity = AttributeText(attr);
    }
    keep();
    return printers;
}

bool CupsSpooler::ApplyPrinterChoice(const std::string& entry) {
    const auto printers = ListPrinters();
    if (m_fault != SpoolerFault::None) return false;
    const std::string device = DeviceNameOfEntry(printers, entry);
    bool listed = false;
    for (const auto& printer : printers) listed = listed || printer.deviceName == device;
    if (!listed) return false;
    m_applied = device;
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr) return false;
    if (m_kind == ServerKind::PrinterApp) {
        // lpoptions names queues of the CUPS server; a printer application keeps no user's default.
        m_problem = "the printer application at " + ServerText() +
                    " keeps no default printer for a user: name its printer with --printer " + device +
                    " (this run sends to it)";
        return false;
    }
    cups_dest_t* raw = nullptr;
    const int count = cupsGetDests2(http, &raw);
    DestList dests(count, raw);
    bool found = false;
    for (int i = 0; i < count; ++i) {
        if (raw[i].instance == nullptr && device == raw[i].name) found = true;
    }
    if (!found) {
        if (LostServer(http)) NoteNoAnswer();
        return false;
    }
    // Not cupsSetDests2: it rewrites the whole file from what it read, unlocked and in place, so that
    // two writers at once lose the options of every queue.
    return WriteDefaultDestination(UserLpOptionsPath(), device);
}

bool CupsSpooler::WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                   std::span<const std::uint8_t> payload) {
    m_receipt = {};
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr || deviceName.empty()) return false;
    if (!QueueTakesRaw(http, deviceName)) {
        m_problem = MsgDriverlessQueueRefused(deviceName);
        return false;
    }
    if (m_fault != SpoolerFault::None) return false;
    const std::string uri = PrinterUri(deviceName);
    const std::string resource = PrinterResource(deviceName);
    const std::string title(documentName);
    const bool app = m_kind == ServerKind::PrinterApp;

    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 app ? kPrinterAppFormat : kRawFormat);

    http_status_t status = cupsSendRequest(http, request, resource.c_str(), CUPS_LENGTH_VARIABLE);
    if (status == HTTP_STATUS_ERROR || status == HTTP_STATUS_SERVICE_UNAVAILABLE) {
        // Nothing was sent: the connection broke (a server stopped since the last request) and could
        // not be made again, or the server let the deadline pass.
        ippDelete(request);
        NoteNoAnswer();
        return false;
    }
    if (status == HTTP_STATUS_CONTINUE && !payload.empty()) {
        // A large document takes what its upload takes (each wait for the server to take bytes is
        // bounded); the answer must then come within the deadline.
        m_watch->Disarm();
        status = cupsWriteRequestData(http, reinterpret_cast<const char*>(payload.data()), payload.size());
        m_watch->Arm(httpGetFd(http), std::chrono::steady_clock::now() + m_deadline);
    }
    // The whole document is on its way: from here a missing answer does not mean it was not taken.
    const bool sentWhole = status == HTTP_STATUS_CONTINUE && !m_timedOut;
    IppPtr response(cupsGetResponse(http, resource.c_str()));
    ippDelete(request);
    if (!response) {
        // No answer at all is the server's fault; a refusal of the request itself (no room for it in
        // the spool) is an answer about this document.
        const ipp_status_t error = cupsLastError();
        // libcups reports the HTTP refusal "request too large" as request-value-too-long.
        if (!m_timedOut &&
            (error == IPP_STATUS_ERROR_REQUEST_VALUE || error == IPP_STATUS_ERROR_REQUEST_ENTITY)) {
            m_http.reset();
            m_fault = SpoolerFault::Refused;
            return false;
        }
        // The deadline passed, the server said it is unavailable or the connection broke (a server
        // killed in the middle of the request): the server failed, not the printer's name.
        m_receipt.mayHavePrinted = sentWhole;
        NoteNoAnswer();
        return false;
    }
    // Unknown queue, refused access or a queue that accepts no jobs: nothing was printed.
    if (ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE) {
        m_receipt.job = ippGetInteger(ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER), 0);
        // A printer application's successful-ok means the job was made, not that it was printed.
        return !app || FollowAppJob(http, deviceName, m_receipt.job);
    }
    if (app && ippGetStatusCode(response.get()) == IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED) {
        m_problem = "printer " + deviceName + " of the printer application does not take " +
                    kPrinterAppFormat + " (is it a QV6 printer?): nothing was sent";
    }
    if (app && ippGetStatusCode(response.get()) == IPP_STATUS_ERROR_NOT_FOUND) {
        m_problem = "the printer application at " + ServerText() + " has no printer " + deviceName +
                    " (qvctl --server " + ServerText() + " printers lists its printers): nothing was sent";
    }
    m_knownQueues.clear();
    m_queueFacts.clear();
    m_listed.clear();
    return false;
}

void CupsSpooler::KnowPrinters(const std::vector<PrinterInfo>& printers) {
    m_listed = printers;
}

bool CupsSpooler::QueueTakesRaw(http_t* http, const std::string& queue) {
    return FactsOf(http, queue).takesRaw;
}

const CupsSpooler::QueueFacts& CupsSpooler::FactsOf(http_t* http, const std::string& queue) {
    for (const auto& facts : m_queueFacts) {
        if (facts.asked == queue) return facts;
    }
    static const QueueFacts kNotSaid{};
    static const QueueFacts kNoSuchQueue = [] {
        QueueFacts facts;
        facts.absent = true;
        return facts;
    }();
    // A queue the listing gave is known by what it said: the same four attributes.
    for (const PrinterInfo& listed : m_listed) {
        if (listed.deviceName != queue) continue;
        QueueFacts facts;
        facts.asked = queue;
        facts.answered = true;
        facts.takesRaw = CupsQueueTakesRaw(CupsQueueKind(listed.driverName, listed.port), listed.driverName);
        facts.identity = {listed.identity, listed.deviceName};
        m_queueFacts.push_back(std::move(facts));
        return m_queueFacts.back();
    }
    static const char* const kAttributes[] = {"printer-make-and-model", "device-uri", "printer-uuid",
                                              "printer-name"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, PrinterUri(queue).c_str());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    IppPtr response(cupsDoRequest(http, request, "/"));
    if (!response) {
        if (LostServer(http)) NoteNoAnswer();
        return kNotSaid;
    }
    // An unknown queue is left to the document's own request, which says so.
    if (ippGetStatusCode(response.get()) == IPP_STATUS_ERROR_NOT_FOUND) return kNoSuchQueue;
    if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return kNotSaid;
    QueueFacts facts;
    facts.asked = queue;
    facts.answered = true;
    const std::string makeAndModel =
        AttributeText(ippFindAttribute(response.get(), "printer-make-and-model", IPP_TAG_TEXT));
    const std::string deviceUri = AttributeText(ippFindAttribute(response.get(), "device-uri", IPP_TAG_URI));
    // A printer application's printer is sent the QV6 format, which it refuses at once if it does not take
    // it.
    facts.takesRaw = m_kind == ServerKind::PrinterApp ||
                     CupsQueueTakesRaw(CupsQueueKind(makeAndModel, deviceUri), makeAndModel);
    facts.identity.identity = AttributeText(ippFindAttribute(response.get(), "printer-uuid", IPP_TAG_URI));
    facts.identity.name = AttributeText(ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME));
    m_queueFacts.push_back(std::move(facts));
    return m_queueFacts.back();
}

QueueIdentity CupsSpooler::IdentifyPrinter(const std::string& deviceName) {
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr || deviceName.empty()) return {};
    const QueueFacts& facts = FactsOf(http, deviceName);
    if (facts.absent) {
        QueueIdentity absent;
        absent.absent = true;
        return absent;
    }
    return facts.answered ? facts.identity : QueueIdentity{};
}

namespace {

JobState StateOfJob(int state) {
    switch (state) {
        case IPP_JSTATE_PENDING:
        case IPP_JSTATE_HELD:
        case IPP_JSTATE_PROCESSING:
        case IPP_JSTATE_STOPPED:
            return JobState::Active;
        case IPP_JSTATE_CANCELED:
            return JobState::Canceled;
        case IPP_JSTATE_ABORTED:
            return JobState::Aborted;
        case IPP_JSTATE_COMPLETED:
            return JobState::Completed;
        default:
            return JobState::Unknown;
    }
}

}  // namespace

JobState CupsSpooler::AskJobState(const std::string& deviceName, int job) {
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr || deviceName.empty() || job <= 0) return JobState::Unknown;
    return StateOfJobOn(http, deviceName, job, nullptr);
}

bool CupsSpooler::FollowAppJob(http_t* http, const std::string& queue, int job) {
    // The whole wait for the job's end is bounded by the deadline, each answer within it.
    const auto until = std::chrono::steady_clock::now() + m_deadline;
    m_watch->Arm(httpGetFd(http), until);
    const std::string printed = "job " + std::to_string(job) + " on printer " + queue;
    for (;;) {
        std::string reasons;
        const JobState state = StateOfJobOn(http, queue, job, &reasons);
        const std::string why = reasons.empty() ? std::string() : " (" + reasons + ")";
        if (m_fault != SpoolerFault::None) {
            // The server stopped answering once it had the document.
            m_receipt.mayHavePrinted = true;
            return false;
        }
        switch (state) {
            case JobState::Completed:
                return true;
            case JobState::Canceled:
                m_problem =
                    printed + " was canceled by the printer application" + why + ": it may not have printed";
                return false;
            case JobState::Aborted:
                m_receipt.mayHavePrinted = true;
                m_problem = printed + " was aborted by the printer application" + why +
                            ": part of it may have reached the printer";
                return false;
            case JobState::Unknown:
                m_receipt.mayHavePrinted = true;
                m_problem = "the printer application no longer knows " + printed + ": it may have printed";
                return false;
            case JobState::Active:
                break;
        }
        if (std::chrono::steady_clock::now() + kJobPollInterval >= until) {
            m_receipt.mayHavePrinted = true;
            m_problem = printed + " had not ended when the deadline of " + DeadlineSeconds(m_deadline) +
                        " passed" + why + ": it may yet print";
            return false;
        }
        std::this_thread::sleep_for(kJobPollInterval);
    }
}

JobState CupsSpooler::StateOfJobOn(http_t* http, const std::string& deviceName, int job,
                                   std::string* reasons) {
    static const char* const kAttributes[] = {"job-state", "job-state-reasons"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(deviceName).c_str());
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    IppPtr response(cupsDoRequest(http, request, "/"));
    if (!response) {
        if (LostServer(http)) NoteNoAnswer();
        return JobState::Unknown;
    }
    if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return JobState::Unknown;
    if (reasons != nullptr)
        *reasons = JobReasons(ippFindAttribute(response.get(), "job-state-reasons", IPP_TAG_KEYWORD));
    return StateOfJob(ippGetInteger(ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM), 0));
}

std::optional<std::vector<ServerJob>> CupsSpooler::JobsOf(const std::string& deviceName) {
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr || deviceName.empty()) return std::nullopt;
    return AskJobs(http, deviceName, "all");
}

std::optional<std::vector<ServerJob>> CupsSpooler::AskJobs(http_t* http, const std::string& deviceName,
                                                           const char* which) {
    static const char* const kAttributes[] = {
        "job-id",          "job-state", "job-name", "job-originating-user-name", "job-originating-host-name",
        "time-at-creation"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(deviceName).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, which);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    IppPtr response(cupsDoRequest(http, request, "/"));
    if (!response) {
        if (LostServer(http)) NoteNoAnswer();
        return std::nullopt;
    }
    if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return std::nullopt;
    std::vector<ServerJob> jobs;
    ServerJob current;
    const auto keep = [&] {
        if (current.id > 0) jobs.push_back(current);
        current = {};
    };
    for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;
         attr = ippNextAttribute(response.get())) {
        const char* name = ippGetName(attr);
        if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_JOB) {
            keep();
            continue;
        }
        const std::string_view key = name;
        if (key == "job-id") current.id = ippGetInteger(attr, 0);
        if (key == "job-state") current.state = StateOfJob(ippGetInteger(attr, 0));
        if (key == "job-name") current.title = AttributeText(attr);
        if (key == "job-originating-user-name") current.user = AttributeText(attr);
        if (key == "job-originating-host-name") current.host = AttributeText(attr);
        if (key == "time-at-creation") current.createdAt = ippGetInteger(attr, 0);
    }
    keep();
    const std::string user = cupsUser();
    for (auto& job : jobs) job.mine = job.user == user;
    std::sort(jobs.begin(), jobs.end(), [](const ServerJob& a, const ServerJob& b) { return a.id < b.id; });
    return jobs;
}

int CupsSpooler::WaitingDocuments(const std::string& deviceName) {
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr || deviceName.empty()) return 0;
    if (m_kind == ServerKind::PrinterApp) {
        const auto jobs = AskJobs(http, deviceName, "not-completed");
        return jobs ? static_cast<int>(jobs->size()) : 0;
    }
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(http, &jobs, deviceName.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    if (jobs != nullptr) cupsFreeJobs(count, jobs);
    if (count < 0 && LostServer(http)) NoteNoAnswer();
    return count > 0 ? count : 0;
}

std::optional<QueueStatus> CupsSpooler::StatusOfQueue(const std::string& deviceName) {
    http_t* http = Connection();
    if (http == nullptr || deviceName.empty()) return std::nullopt;
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(deviceName).c_str());
    static const char* const kWanted[] = {"printer-state", "printer-is-accepting-jobs",
                                          "printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kWanted)), nullptr, kWanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    if (response == nullptr || ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        if (LostServer(http)) NoteNoAnswer();
        return std::nullopt;
    }
    QueueStatus status;
    if (ipp_attribute_t* state = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM)) {
        const int value = ippGetInteger(state, 0);
        status.state = value == IPP_PSTATE_STOPPED      ? QueueState::Stopped
                       : value == IPP_PSTATE_PROCESSING ? QueueState::Printing
                                                        : QueueState::Idle;
    }
    if (ipp_attribute_t* accepting = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
        status.accepting = ippGetBoolean(accepting, 0) != 0;
    if (ipp_attribute_t* message = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT)) {
        if (const char* text = ippGetString(message, 0, nullptr)) status.message = text;
    }
    ippDelete(response);
    if (m_kind == ServerKind::PrinterApp) {
        const auto active = AskJobs(http, deviceName, "not-completed");
        if (!active) return m_fault == SpoolerFault::None ? std::optional<QueueStatus>(status) : std::nullopt;
        for (const auto& job : *active) {
            if (job.createdAt > 0 && (status.oldestJob == 0 || job.createdAt < status.oldestJob))
                status.oldestJob = job.createdAt;
        }
        status.waiting = static_cast<int>(active->size());
        return status;
    }
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(http, &jobs, deviceName.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    for (int i = 0; i < count; ++i) {
        if (jobs[i].state == IPP_JSTATE_HELD) ++status.held;
        const std::int64_t created = jobs[i].creation_time;
        if (status.oldestJob == 0 || (created > 0 && created < status.oldestJob)) status.oldestJob = created;
    }
    if (jobs != nullptr) cupsFreeJobs(count, jobs);
    if (count < 0 && LostServer(http)) {
        NoteNoAnswer();
        return std::nullopt;
    }
    status.waiting = count > 0 ? count : 0;
    return status;
}

std::optional<std::vector<ServiceSetting>> CupsSpooler::ServiceSettingsOf(const std::string& deviceName) {
    const ArmedRequest armed(*this);
    http_t* http = armed.http;
    if (http == nullptr || deviceName.empty() || m_kind != ServerKind::PrinterApp) return std::nullopt;
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(deviceName).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    // The settings' names come from the printer application's catalogue, which this room does not know.
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "all");
    IppPtr response(cupsDoRequest(http, request, "/"));
    if (!response) {
        if (LostServer(http)) NoteNoAnswer();
        return std::nullopt;
    }
    if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return std::nullopt;
    std::vector<ServiceSetting> defaults;
    std::vector<std::string> sent;
    constexpr std::string_view kPrefix = "qvset-";
    constexpr std::string_view kDefault = "-default";
    for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;
         attr = ippNextAttribute(response.get())) {
        const char* name = ippGetName(attr);
        if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) continue;
        const std::string_view key = name;
        if (key == kSettingsSentAttribute) {
            for (int i = 0; i < ippGetCount(attr); ++i) {
                if (const char* text = ippGetString(attr, i, nullptr)) sent.emplace_back(text);
            }
            continue;
        }
        if (!key.starts_with(kPrefix) || !key.ends_with(kDefault)) continue;
        char value[256] = "";
        ippAttributeString(attr, value, sizeof value);
        defaults.push_back({std::string(key.substr(0, key.size() - kDefault.size())), value});
    }
    return JoinServiceSettings(std::move(defaults), sent);
}

}  // namespace qvset
