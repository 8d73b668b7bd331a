#include "printer/cups/CupsSpooler.h"

#include <cups/cups.h>

#include "printer/PrinterSelection.h"

namespace qvset {
namespace {

constexpr const char* kRawFormat = "application/vnd.cups-raw";

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

}  // namespace

void CupsSpooler::HttpCloser::operator()(http_t* http) const {
    httpClose(http);
}

CupsSpooler::CupsSpooler() = default;
CupsSpooler::~CupsSpooler() = default;

http_t* CupsSpooler::Connection() {
    if (!m_http) {
        m_http.reset(
            httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr));
    }
    return m_http.get();
}

std::vector<PrinterInfo> CupsSpooler::ListPrinters() {
    std::vector<PrinterInfo> printers;
    http_t* http = Connection();
    if (http == nullptr) return printers;
    static const char* const kAttributes[] = {"printer-name", "printer-make-and-model", "device-uri"};
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    IppPtr response(cupsDoRequest(http, request, "/"));
    if (!response) return printers;
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
    }
    if (inPrinter && !current.deviceName.empty()) printers.push_back(current);
    return printers;
}

std::string CupsSpooler::CurrentPrinter() {
    // cupsGetNamedDest with no name honours LPDEST, PRINTER and lpoptions; cupsGetDefault2 does not.
    DestList dest(1, cupsGetNamedDest(Connection(), nullptr, nullptr));
    return dest.Get() != nullptr && dest.Get()->name != nullptr ? dest.Get()->name : "";
}

void CupsSpooler::ApplyPrinterChoice(const std::string& entry) {
    const std::string device = DeviceNameOfEntry(ListPrinters(), entry);
    http_t* http = Connection();
    cups_dest_t* raw = nullptr;
    const int count = cupsGetDests2(http, &raw);
    DestList dests(count, raw);
    bool found = false;
    for (int i = 0; i < count; ++i) {
        if (raw[i].instance == nullptr && device == raw[i].name) found = true;
    }
    if (!found) return;
    for (int i = 0; i < count; ++i) raw[i].is_default = raw[i].instance == nullptr && device == raw[i].name;
    cupsSetDests2(http, count, raw);
}

bool CupsSpooler::WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                   std::span<const std::uint8_t> payload) {
    http_t* http = Connection();
    if (http == nullptr || deviceName.empty()) return false;
    char uri[1024];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", deviceName.c_str());
    const std::string resource = "/printers/" + deviceName;
    const std::string title(documentName);

    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, kRawFormat);

    http_status_t status = cupsSendRequest(http, request, resource.c_str(), CUPS_LENGTH_VARIABLE);
    if (status == HTTP_STATUS_CONTINUE && !payload.empty()) {
        status = cupsWriteRequestData(http, reinterpret_cast<const char*>(payload.data()), payload.size());
    }
    IppPtr response(cupsGetResponse(http, resource.c_str()));
    ippDelete(request);
    if (!response) return false;
    // Unknown queue, refused access or a queue that accepts no jobs: nothing was printed.
    return ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

int CupsSpooler::WaitingDocuments(const std::string& deviceName) {
    if (deviceName.empty()) return 0;
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(Connection(), &jobs, deviceName.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    if (jobs != nullptr) cupsFreeJobs(count, jobs);
    return count > 0 ? count : 0;
}

}  // namespace qvset
