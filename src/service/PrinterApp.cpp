#include "service/PrinterApp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Version.h"
#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"
#include "printer/ServiceSettings.h"
#include "record/SettingAttributes.h"
#include "service/DocumentFormats.h"
#include "service/FormatCheckMend.h"
#include "service/RasterDocuments.h"
#include "service/ServiceAccess.h"
#include "service/ServiceDevices.h"
#include "service/ServicePages.h"
#include "service/ServiceRawPort.h"
#include "service/ServiceState.h"
#include "ticket/Catalogue.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAppName = "qvset-printer-app";
constexpr std::string_view kEdgeWord = "edge";
// How long a setting waits for the device while a job is printing.
constexpr std::chrono::seconds kDeviceWait{30};
constexpr std::size_t kCopyChunk = 65536;
// How long a started job waits for the rest of its document.
constexpr std::chrono::seconds kDocumentWait{300};
// How many job ids of a printer are remembered as written.
constexpr std::size_t kMostTakenJobs = 4096;
// How often the settings' -default values are checked against the printer's state.
constexpr int kRestoreSeconds = 2;

// The two models: the tear-off edge is what tells them apart.
struct Model {
    const char* driver;
    const char* description;
    const char* makeAndModel;
    std::string_view edge;  // the choice word of the tear-off edge switch
};
constexpr std::array<Model, 2> kModels{{
    {"qv640", "QV6 QV640 (high tear-off edge)", "QV6 QV640", "high"},
    {"qv650", "QV6 QV650 (low tear-off edge)", "QV6 QV650", "low"},
}};

const Model* FindModel(std::string_view driver) {
    for (const auto& model : kModels) {
        if (driver == model.driver) return &model;
    }
    return nullptr;
}

constexpr std::array<std::string_view, 7> kFormats{kOctetStreamFormat, kQv6Format,  kCupsRawFormat,
                                                   "image/pwg-raster", "image/urf", "image/jpeg",
                                                   "image/png"};
// The framework keeps the pointers to these texts, not copies.
const std::string& Qv6Format() {
    static const std::string format(kQv6Format);
    return format;
}
const std::string& CupsRawFormat() {
    static const std::string format(kCupsRawFormat);
    return format;
}

struct App {
    AccessPolicy policy;
    fs::path stateFolder;
    std::mutex mutex;
    std::map<int, ServiceState> states;
    // The printers whose device a job is writing to now (by printer id).
    std::mutex printMutex;
    std::condition_variable printDone;
    std::set<int> printing;
    // The jobs whose document was written to the device (or is being written), by printer id: each
    // is written once, whatever turns the framework gives it (see PrintRawJob).
    std::map<int, std::set<int>> taken;
    // The raw TCP ports of the printers, and where their jobs' files are put.
    std::unique_ptr<RawPortServer> rawPorts;
    pappl_system_t* system = nullptr;
    fs::path spool;
};

App& TheApp() {
    static auto* app = new App();  // used by the framework's threads until the process ends
    return *app;
}

fs::path StateFile(pappl_printer_t* printer) {
    return TheApp().stateFolder / ("printer-" + std::to_string(papplPrinterGetID(printer)) + ".json");
}

// The printer's state, loaded on first use. Called with the app's mutex held.
ServiceState& StateOf(pappl_printer_t* printer) {
    App& app = TheApp();
    const int id = papplPrinterGetID(printer);
    auto found = app.states.find(id);
    if (found != app.states.end()) return found->second;
    std::string error;
    auto loaded = ServiceState::Load(StateFile(printer), &error);
    if (!loaded) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR,
                        "The state file %s %s; starting from an unknown state.", StateFile(printer).c_str(),
                        error.c_str());
        loaded = ServiceState{};
    }
    return app.states.emplace(id, std::move(*loaded)).first->second;
}

// Makes the qvset-*-default attributes say what the printer's state says.
void SyncDefaults(pappl_printer_t* printer, const PrinterState& state) {
    const Model* model =
        FindModel(papplPrinterGetDriverName(printer) ? papplPrinterGetDriverName(printer) : "");
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& setting : SettingAttributes()) {
        auto value = SettingValue(setting, state);
        if (!value && model != nullptr && setting.name == std::string("qvset-") + std::string(kEdgeWord)) {
            value = std::string(model->edge);
        }
        if (value) count = cupsAddOption(setting.name.c_str(), value->c_str(), count, &options);
    }
    pappl_pr_driver_data_t data;
    papplPrinterGetDriverData(printer, &data);
    // The roll in the printer is the paper width its state holds: the default and ready media.
    const int millimetres = PaperMillimetres(state);
    const std::string size = MediaSizeName(millimetres);
    const bool mediaDiffers = size != data.media_default.size_name || data.num_media == 0;
    if (mediaDiffers) {
        std::snprintf(data.media_default.size_name, sizeof data.media_default.size_name, "%s", size.c_str());
        data.media_default.size_width = millimetres * 100;
        data.media_ready[0] = data.media_default;
        papplPrinterSetReadyMedia(printer, 1, data.media_ready);
    }
    if (count > 0 || mediaDiffers) papplPrinterSetDriverDefaults(printer, &data, count, options);
    cupsFreeOptions(count, options);
    // Which document set each setting, with the command itself: what qvctl reads as the printer's state.
    std::vector<std::string> sent;
    {
        std::lock_guard lock(TheApp().mutex);
        const ServiceState& service = StateOf(printer);
        for (const auto& setting : SettingAttributes()) {
            const auto& group = setting.syntax == SettingSyntax::Range ? state.Distances() : state.Switches();
            const auto found = group.find(setting.item);
            if (found == group.end()) continue;
            ServiceSetting entry;
            entry.name = setting.name;
            entry.command = EncodeHex(found->second.bytes);
            entry.job = found->second.job;
            if (const ServiceJob* job = service.FindJob(found->second.job)) {
                entry.when = job->when;
                entry.sender = job->sender;
            }
            sent.push_back(SettingSentText(entry));
        }
    }
    if (!SetDriverTexts(printer, kSettingsSentAttribute, sent)) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN, "%s could not be set.", kSettingsSentAttribute);
    }
}

// Puts back the state's value of every setting whose -default another way changed without sending it
// (Set-Printer-Attributes over the local socket, the web page of defaults: they do not pass Authorize).
void RestoreDefaults(pappl_printer_t* printer, void* /*data*/) {
    PrinterState snapshot;
    {
        std::lock_guard lock(TheApp().mutex);
        snapshot = StateOf(printer).State();
    }
    const Model* model =
        FindModel(papplPrinterGetDriverName(printer) ? papplPrinterGetDriverName(printer) : "");
    ipp_t* attrs = papplPrinterGetDriverAttributes(printer);
    bool differs = false;
    for (const auto& setting : SettingAttributes()) {
        auto wanted = SettingValue(setting, snapshot);
        if (!wanted && model != nullptr && setting.name == std::string("qvset-") + std::string(kEdgeWord)) {
            wanted = std::string(model->edge);
        }
        const std::string name = setting.name + "-default";
        ipp_attribute_t* held = ippFindAttribute(attrs, name.c_str(), IPP_TAG_ZERO);
        char text[256] = "";
        if (held != nullptr) ippAttributeString(held, text, sizeof text);
        if (held == nullptr ? !wanted : (wanted && *wanted == text)) continue;
        papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN,
                        "%s=%s was not sent to the printer (changed without Set-Printer-Attributes over the "
                        "network); put back to what the printer holds.",
                        name.c_str(), text);
        if (!wanted) RemoveDriverAttribute(printer, name.c_str());
        differs = true;
    }
    ippDelete(attrs);
    if (differs) SyncDefaults(printer, snapshot);
}

bool RestoreAllDefaults(pappl_system_t* system, void* /*data*/) {
    papplSystemIteratePrinters(system, RestoreDefaults, nullptr);
    return true;
}

// Folds a document that reached the device into the printer's state and keeps the state on disk.
void RecordDocument(pappl_printer_t* printer, const std::vector<DecodedCommand>& entries, ServiceJob job) {
    PrinterState snapshot;
    {
        std::lock_guard lock(TheApp().mutex);
        ServiceState& state = StateOf(printer);
        job.job += " #" + std::to_string(state.TakeSequence());
        state.ApplyDecoded(entries, job);
        if (!state.Save(StateFile(printer))) {
            papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "Cannot write the state file %s.",
                            StateFile(printer).c_str());
        }
        snapshot = state.State();
    }
    SyncDefaults(printer, snapshot);
}

// Whether a job of the printer with a lower id than `id` is being processed.
bool EarlierJobProcessing(pappl_printer_t* printer, int id) {
    struct Search {
        int id;
        bool found;
    } search{id, false};
    papplPrinterIterateActiveJobs(
        printer,
        [](pappl_job_t* job, void* data) {
            auto* wanted = static_cast<Search*>(data);
            if (papplJobGetID(job) < wanted->id && papplJobGetState(job) == IPP_JSTATE_PROCESSING)
                wanted->found = true;
        },
        &search, 1, 0);
    return search.found;
}

// PAPPL 1.3.1 can start two jobs of one printer at once (two submissions ending together both find
// the printer idle), and both then write to the printer's one device. The jobs of a printer take the
// device one at a time here, the lower job id first.
class DeviceTurn {
  public:
    DeviceTurn(pappl_printer_t* printer, int job) : m_printer(papplPrinterGetID(printer)) {
        App& app = TheApp();
        std::unique_lock lock(app.printMutex);
        while (app.printing.contains(m_printer) || EarlierJobProcessing(printer, job)) {
            app.printDone.wait_for(lock, std::chrono::milliseconds(50));
        }
        app.printing.insert(m_printer);
    }
    DeviceTurn(const DeviceTurn&) = delete;
    DeviceTurn& operator=(const DeviceTurn&) = delete;
    ~DeviceTurn() {
        App& app = TheApp();
        {
            std::lock_guard lock(app.printMutex);
            app.printing.erase(m_printer);
        }
        app.printDone.notify_all();
    }

  private:
    int m_printer;
};

// The device a job writes to in its turn. PAPPL 1.3.1 closes a file: printer's one device at the end
// of every job, also while a job started beside it (see DeviceTurn) still holds that device and waits
// for its turn, which would then write through a closed device: on a file: printer each job writes
// through a device of its own, opened in its turn. Get() is nullptr when that device cannot be opened.
class JobDevice {
  public:
    JobDevice(pappl_job_t* job, pappl_printer_t* printer, pappl_device_t* shared) : m_device(shared) {
        const char* uri = papplPrinterGetDeviceURI(printer);
        if (uri == nullptr || std::strncmp(uri, "file:", 5) != 0) return;
        const char* name = papplJobGetName(job) != nullptr ? papplJobGetName(job) : "job";
        m_own = papplDeviceOpen(uri, name, papplLogDevice, papplPrinterGetSystem(printer));
        m_device = m_own;
        if (m_own == nullptr) papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot open the device %s.", uri);
    }
    JobDevice(const JobDevice&) = delete;
    JobDevice& operator=(const JobDevice&) = delete;
    ~JobDevice() {
        if (m_own != nullptr) papplDeviceClose(m_own);
    }
    pappl_device_t* Get() const { return m_device; }

  private:
    pappl_device_t* m_device = nullptr;
    pappl_device_t* m_own = nullptr;
};

// Writes a job's file to the device unchanged, then folds what reached the device into the state.
bool WriteJob(pappl_job_t* job, pappl_printer_t* printer, pappl_device_t* device) {
    const int fd = ::open(papplJobGetFilename(job), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot open the document: %s", std::strerror(errno));
        return false;
    }
    std::vector<char> buffer(kCopyChunk);
    std::uint64_t total = 0;
    const std::size_t takenBefore = DeviceBytesTaken(device);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot read the document: %s", std::strerror(errno));
            ::close(fd);
            return false;
        }
        if (got == 0) break;
        if (papplDeviceWrite(device, buffer.data(), static_cast<size_t>(got)) < 0) {
            papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The device took only %llu bytes.",
                        static_cast<unsigned long long>(total));
            ::close(fd);
            return false;
        }
        total += static_cast<std::uint64_t>(got);
    }
    const char* name = papplJobGetName(job) ? papplJobGetName(job) : "";
    std::string problem;
    if (!FinishDeviceJob(device, papplPrinterGetDeviceURI(printer), name, takenBefore, total, problem)) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The job did not end on the device: %s", problem.c_str());
        ::close(fd);
        return false;
    }
    ::lseek(fd, 0, SEEK_SET);
    std::vector<DecodedCommand> entries;
    DecodeStream(
        [fd](std::span<std::uint8_t> into) -> std::ptrdiff_t {
            for (;;) {
                const ssize_t got = ::read(fd, into.data(), into.size());
                if (got < 0 && errno == EINTR) continue;
                return got;
            }
        },
        [&entries](DecodedCommand&& entry) {
            if (entry.kind != CommandKind::Text && entry.kind != CommandKind::BitImage)
                entries.push_back(std::move(entry));
        });
    ::close(fd);
    const char* user = papplJobGetUsername(job) ? papplJobGetUsername(job) : "";
    RecordDocument(printer, entries,
                   ServiceJob{"job " + std::to_string(papplJobGetID(job)), UtcNow(), user, name, total});
    return true;
}

// The jobs of the printer waiting for their turn, their documents all there, with a lower id, lowest first.
std::vector<pappl_job_t*> EarlierPendingJobs(pappl_printer_t* printer, int id) {
    struct Search {
        int id;
        std::vector<pappl_job_t*> found;
    } search{id, {}};
    papplPrinterIterateActiveJobs(
        printer,
        [](pappl_job_t* job, void* data) {
            auto* wanted = static_cast<Search*>(data);
            // A job's file is named once all of its document is there; a raster job takes its own turn.
            const char* format = papplJobGetFormat(job);
            const bool raw = format != nullptr && (format == kQv6Format || format == kCupsRawFormat);
            if (papplJobGetID(job) < wanted->id && papplJobGetState(job) == IPP_JSTATE_PENDING &&
                papplJobGetFilename(job) != nullptr && raw) {
                wanted->found.push_back(job);
            }
        },
        &search, 1, 0);
    std::sort(search.found.begin(), search.found.end(),
              [](pappl_job_t* a, pappl_job_t* b) { return papplJobGetID(a) < papplJobGetID(b); });
    return search.found;
}

// Marks a job of the printer taken; false when it was taken before. Called with printMutex held.
bool Take(int printerId, int job) {
    auto& taken = TheApp().taken[printerId];
    if (!taken.insert(job).second) return false;
    while (taken.size() > kMostTakenJobs) taken.erase(taken.begin());
    return true;
}

// PAPPL 1.3.1 takes the newest waiting job first, so documents queued while the printer was busy would
// reach it in the reverse of the order they were sent; and it can start one job twice (two looks for
// work find it waiting before its first start is under way). A job's turn therefore writes first every
// earlier job that is waiting, in the order they came, and each job's document is written once: a turn
// of a job written before returns at once.
bool PrintRawJob(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* device) {
    pappl_printer_t* printer = papplJobGetPrinter(job);
    const int id = papplJobGetID(job);
    const int printerId = papplPrinterGetID(printer);
    const DeviceTurn turn(printer, id);
    {
        std::lock_guard lock(TheApp().printMutex);
        if (!Take(printerId, id)) return true;
    }
    // A job can also be started while its document is still arriving (another job's end looks for work
    // and finds it waiting): its file is named once the document is all there.
    const auto until = std::chrono::steady_clock::now() + kDocumentWait;
    while (papplJobGetFilename(job) == nullptr) {
        if (std::chrono::steady_clock::now() > until || papplJobIsCanceled(job)) {
            papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The job's document did not arrive.");
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const JobDevice jobDevice(job, printer, device);
    if (jobDevice.Get() == nullptr) return false;
    for (pappl_job_t* earlier : EarlierPendingJobs(printer, id)) {
        {
            std::lock_guard lock(TheApp().printMutex);
            if (!Take(printerId, papplJobGetID(earlier))) continue;
        }
        if (!WriteJob(earlier, printer, jobDevice.Get())) {
            std::lock_guard lock(TheApp().printMutex);
            TheApp().taken[printerId].erase(
                papplJobGetID(earlier));  // left to its own turn, which reports it
            break;
        }
    }
    return WriteJob(job, printer, jobDevice.Get());
}

// A raster job's picture (PWG or Apple raster, and the JPEG and PNG documents the framework turns into
// raster), gathered page by page as the printer's bit images and written as one document at its end.
struct RasterJob {
    RasterTicket ticket;
    bool skip = false;  // a second start of a job already written
};

bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/) {
    pappl_printer_t* printer = papplJobGetPrinter(job);
    if (options->header.cupsBitsPerPixel != 1) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The raster has %u bits a dot; this printer takes one.",
                    options->header.cupsBitsPerPixel);
        return false;
    }
    int dots = 0;
    {
        std::lock_guard lock(TheApp().mutex);
        dots = PaperDots(StateOf(printer).State());
    }
    auto* raster = new RasterJob{RasterTicket(dots)};
    {
        std::lock_guard lock(TheApp().printMutex);
        raster->skip = !Take(papplPrinterGetID(printer), papplJobGetID(job));
    }
    papplJobSetData(job, raster);
    return true;
}
RasterJob* RasterOf(pappl_job_t* job) {
    return static_cast<RasterJob*>(papplJobGetData(job));
}
bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
                     unsigned /*page*/) {
    return RasterOf(job) != nullptr;
}
bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/,
                     unsigned /*y*/, const unsigned char* line) {
    if (RasterJob* raster = RasterOf(job))
        raster->ticket.AddRow(std::span(line, options->header.cupsBytesPerLine));
    return true;
}
bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
                   unsigned /*page*/) {
    RasterJob* raster = RasterOf(job);
    if (raster == nullptr) return false;
    raster->ticket.EndPage();
    return true;
}
bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* device) {
    std::unique_ptr<RasterJob> raster(RasterOf(job));
    papplJobSetData(job, nullptr);
    if (raster == nullptr) return false;
    if (raster->skip) return true;
    pappl_printer_t* printer = papplJobGetPrinter(job);
    const DeviceTurn turn(printer, papplJobGetID(job));
    const JobDevice jobDevice(job, printer, device);
    if (jobDevice.Get() == nullptr) return false;
    device = jobDevice.Get();
    const auto& document = raster->ticket.Document();
    const std::size_t takenBefore = DeviceBytesTaken(device);
    if (papplDeviceWrite(device, document.data(), document.size()) < 0) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The device did not take the document.");
        return false;
    }
    const char* name = papplJobGetName(job) ? papplJobGetName(job) : "";
    std::string problem;
    if (!FinishDeviceJob(device, papplPrinterGetDeviceURI(printer), name, takenBefore, document.size(),
                         problem)) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The job did not end on the device: %s", problem.c_str());
        return false;
    }
    std::vector<DecodedCommand> entries;
    for (auto& entry : DecodeDocument(document)) {
        if (entry.kind != CommandKind::Text && entry.kind != CommandKind::BitImage)
            entries.push_back(std::move(entry));
    }
    const char* user = papplJobGetUsername(job) ? papplJobGetUsername(job) : "";
    RecordDocument(
        printer, entries,
        ServiceJob{"job " + std::to_string(papplJobGetID(job)), UtcNow(), user, name, document.size()});
    return true;
}

bool PrintCupsRaw(pappl_job_t* job, pappl_device_t* device, void* /*data*/) {
    return PrintRawJob(job, nullptr, device);
}

const char* RecogniseFormat(const unsigned char* header, size_t size, void* /*data*/) {
    return LooksLikeQv6Stream(std::span(header, size)) ? Qv6Format().c_str() : nullptr;
}

// Sends one document of a setting to the device, waiting while a job prints. False, with the reason,
// when the device could not be had or did not take it.
bool SendSettingDocument(pappl_printer_t* printer, const std::vector<std::uint8_t>& bytes,
                         const std::string& title, std::string& problem) {
    pappl_device_t* device = nullptr;
    const auto until = std::chrono::steady_clock::now() + kDeviceWait;
    while ((device = papplPrinterOpenDevice(printer)) == nullptr) {
        if (std::chrono::steady_clock::now() > until) {
            problem = "the printer's device could not be opened (busy or unreachable)";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const std::size_t takenBefore = DeviceBytesTaken(device);
    bool sent = papplDeviceWrite(device, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (sent)
        sent = FinishDeviceJob(device, papplPrinterGetDeviceURI(printer), title, takenBefore, bytes.size(),
                               problem);
    else
        problem = "the device did not take the document";
    papplPrinterCloseDevice(printer);
    return sent;
}

// Set-Printer-Attributes: every qvset-*-default of the request checked against the catalogue before the
// framework stores anything; then each setting's command sent to the device as one document and folded
// into the state. A refused value or a failed send leaves an error in the response, and the framework
// then stores none of the request's values.
void ApplySettings(pappl_client_t* client, pappl_printer_t* printer, const std::string& sender) {
    ipp_t* request = papplClientGetRequest(client);
    struct Wanted {
        const SettingAttribute* setting;
        std::string value;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Wanted> wanted;
    bool refused = false;
    for (ipp_attribute_t* attr = ippFirstAttribute(request); attr != nullptr;
         attr = ippNextAttribute(request)) {
        const char* name = ippGetName(attr);
        if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) continue;
        const std::string_view named(name);
        if (!named.ends_with("-default")) continue;
        const SettingAttribute* setting = FindSettingAttribute(named);
        if (setting == nullptr) continue;
        const ipp_tag_t tag = ippGetValueTag(attr);
        const bool keyword = setting->syntax == SettingSyntax::Keyword;
        std::string value;
        if (ippGetCount(attr) == 1 && keyword && tag == IPP_TAG_KEYWORD) {
            value = ippGetString(attr, 0, nullptr);
        } else if (ippGetCount(attr) == 1 && !keyword && tag == IPP_TAG_INTEGER) {
            value = std::to_string(ippGetInteger(attr, 0));
        } else {
            papplClientRespondIPPUnsupported(client, attr);
            refused = true;
            continue;
        }
        std::string problem;
        auto bytes = SettingCommand(*setting, value, problem);
        if (!bytes) {
            papplLogClient(client, PAPPL_LOGLEVEL_INFO, "Refused: %s", problem.c_str());
            papplClientRespondIPPUnsupported(client, attr);
            refused = true;
            continue;
        }
        wanted.push_back({setting, value, std::move(*bytes)});
    }
    if (refused) return;
    std::sort(wanted.begin(), wanted.end(),
              [](const Wanted& a, const Wanted& b) { return a.setting->item < b.setting->item; });
    for (const auto& setting : wanted) {
        const std::string title = setting.setting->name + "-default=" + setting.value;
        std::string problem;
        if (!SendSettingDocument(printer, setting.bytes, title, problem)) {
            papplClientRespondIPP(client, IPP_STATUS_ERROR_DEVICE, "%s not sent: %s", title.c_str(),
                                  problem.c_str());
            return;
        }
        RecordDocument(printer, DecodeDocument(setting.bytes),
                       ServiceJob{"settings", UtcNow(), sender, title, setting.bytes.size()});
    }
}

http_status_t Authorize(pappl_client_t* client, const char* group, gid_t /*groupId*/, void* /*data*/) {
    App& app = TheApp();
    http_t* http = papplClientGetHTTP(client);
    AccessRequest request;
    request.local = httpAddrLocalhost(httpGetAddress(http)) != 0;
    request.encrypted = httpIsEncrypted(http) != 0;
    request.administration = group != nullptr && app.policy.adminGroup == group;
    const char* authorization = httpGetField(http, HTTP_FIELD_AUTHORIZATION);
    request.authorization = authorization != nullptr ? authorization : "";
    std::string user;
    switch (DecideAccess(app.policy, request, SystemAuthenticator(), &user)) {
        case AccessAnswer::Allowed:
            break;
        case AccessAnswer::LoginNeeded:
            return HTTP_STATUS_UNAUTHORIZED;
        case AccessAnswer::Forbidden:
            return HTTP_STATUS_FORBIDDEN;
        case AccessAnswer::UpgradeToTls:
            return HTTP_STATUS_UPGRADE_REQUIRED;
        case AccessAnswer::BadRequest:
            return HTTP_STATUS_BAD_REQUEST;
    }
    ipp_t* ipp = papplClientGetRequest(client);
    pappl_printer_t* printer = papplClientGetPrinter(client);
    if (ipp != nullptr && printer != nullptr && papplClientGetMethod(client) == HTTP_STATE_POST &&
        ippGetOperation(ipp) == IPP_OP_SET_PRINTER_ATTRIBUTES) {
        const char* host = papplClientGetHostName(client);
        if (user.empty()) user = papplClientGetUsername(client) ? papplClientGetUsername(client) : "";
        ApplySettings(client, printer, user + "@" + (host != nullptr ? host : ""));
    }
    return HTTP_STATUS_CONTINUE;
}

bool MakeDriver(pappl_system_t* /*system*/, const char* driverName, const char* /*deviceUri*/,
                const char* /*deviceId*/, pappl_pr_driver_data_t* data, ipp_t** attrs, void* /*cbData*/) {
    const Model* model = FindModel(driverName != nullptr ? driverName : "");
    if (model == nullptr) return false;
    data->printfile_cb = PrintRawJob;
    data->rstartjob_cb = StartRasterJob;
    data->rendjob_cb = EndRasterJob;
    data->rstartpage_cb = StartRasterPage;
    data->rendpage_cb = EndRasterPage;
    data->rwriteline_cb = WriteRasterLine;
    data->format = Qv6Format().c_str();
    std::snprintf(data->make_and_model, sizeof data->make_and_model, "%s", model->makeAndModel);
    data->ppm = 30;
    data->kind = PAPPL_KIND_RECEIPT;
    data->color_supported = PAPPL_COLOR_MODE_MONOCHROME;
    data->color_default = PAPPL_COLOR_MODE_MONOCHROME;
    // Raster comes as one bit a dot, or as grey that the framework dithers to it.
    data->raster_types = PAPPL_PWG_RASTER_TYPE_BLACK_1 | PAPPL_PWG_RASTER_TYPE_SGRAY_8;
    data->force_raster_type = PAPPL_PWG_RASTER_TYPE_BLACK_1;
    data->num_resolution = 1;
    data->x_resolution[0] = 203;
    data->y_resolution[0] = 203;
    data->x_default = 203;
    data->y_default = 203;
    data->num_media = 2;
    data->media[0] = "om_qv6-76mm_76x152mm";
    data->media[1] = "om_qv6-58mm_58x152mm";
    data->num_source = 1;
    data->source[0] = "main-roll";
    data->num_type = 1;
    data->type[0] = "continuous";
    std::snprintf(data->media_default.size_name, sizeof data->media_default.size_name, "%s", data->media[0]);
    data->media_default.size_width = 7600;
    data->media_default.size_length = 15200;
    std::snprintf(data->media_default.source, sizeof data->media_default.source, "%s", data->source[0]);
    std::snprintf(data->media_default.type, sizeof data->media_default.type, "%s", data->type[0]);
    data->media_ready[0] = data->media_default;
    data->sides_supported = PAPPL_SIDES_ONE_SIDED;
    data->sides_default = PAPPL_SIDES_ONE_SIDED;
    data->orient_default = IPP_ORIENT_NONE;
    data->quality_default = IPP_QUALITY_NORMAL;
    data->scaling_default = PAPPL_SCALING_AUTO;
    data->content_default = PAPPL_CONTENT_AUTO;

    if (*attrs == nullptr) *attrs = ippNew();
    data->num_vendor = 0;
    for (const auto& setting : SettingAttributes()) {
        if (data->num_vendor >= PAPPL_MAX_VENDOR) break;
        data->vendor[data->num_vendor++] = setting.name.c_str();
        const std::string supported = setting.name + "-supported";
        switch (setting.syntax) {
            case SettingSyntax::Keyword: {
                std::vector<const char*> words;
                for (const auto& word : setting.keywords) words.push_back(word.c_str());
                ippAddStrings(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, supported.c_str(),
                              static_cast<int>(words.size()), nullptr, words.data());
                break;
            }
            case SettingSyntax::Integer:
                ippAddIntegers(*attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, supported.c_str(),
                               static_cast<int>(setting.integers.size()), setting.integers.data());
                break;
            case SettingSyntax::Range:
                ippAddRange(*attrs, IPP_TAG_PRINTER, supported.c_str(), setting.lowest, setting.highest);
                break;
        }
    }
    return true;
}

const char* MatchDriver(const char* /*deviceInfo*/, const char* /*deviceUri*/, const char* deviceId,
                        void* /*data*/) {
    if (deviceId == nullptr) return nullptr;
    cups_option_t* pairs = nullptr;
    const int count = papplDeviceParseID(deviceId, &pairs);
    const char* model = cupsGetOption("MODEL", count, pairs);
    if (model == nullptr) model = cupsGetOption("MDL", count, pairs);
    const std::string name = model != nullptr ? model : "";
    cupsFreeOptions(count, pairs);
    if (name.find("QV650") != std::string::npos) return kModels[1].driver;
    if (name.find("QV640") != std::string::npos) return kModels[0].driver;
    return nullptr;
}

// What the web pages do through the printer application: read a printer's state, send a document.
PageHooks MakePageHooks() {
    PageHooks hooks;
    hooks.state = [](pappl_printer_t* printer) {
        std::lock_guard lock(TheApp().mutex);
        return StateOf(printer);
    };
    hooks.send = [](pappl_printer_t* printer, const std::vector<std::uint8_t>& document,
                    const std::string& title, const std::string& sender, std::string& problem) {
        if (!SendSettingDocument(printer, document, title, problem)) return false;
        RecordDocument(printer, DecodeDocument(document),
                       ServiceJob{"web", UtcNow(), sender, title, document.size()});
        return true;
    };
    return hooks;
}

void PrinterMade(pappl_printer_t* printer, void* /*data*/) {
    AddServicePages(printer, MakePageHooks());
    if (!MendFormatCheck(printer, kFormats)) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN,
                        "The framework's format check could not be mended: a document of a format this "
                        "printer does not take is aborted when it is processed.");
    }
    PrinterState snapshot;
    {
        std::lock_guard lock(TheApp().mutex);
        snapshot = StateOf(printer).State();
    }
    SyncDefaults(printer, snapshot);
}

std::string Option(int count, cups_option_t* options, const char* name, const char* otherwise = "") {
    const char* value = cupsGetOption(name, count, options);
    return value != nullptr ? value : otherwise;
}

fs::path DefaultSpoolFolder() {
    if (::getuid() == 0) return fs::path("/var/lib") / kAppName;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"))
        return fs::path(config) / (std::string(kAppName) + ".d");
    if (const char* home = std::getenv("HOME"))
        return fs::path(home) / ".config" / (std::string(kAppName) + ".d");
    return fs::temp_directory_path() / (std::string(kAppName) + std::to_string(::getuid()) + ".d");
}

pappl_loglevel_t LogLevel(const std::string& word) {
    if (word == "fatal") return PAPPL_LOGLEVEL_FATAL;
    if (word == "error") return PAPPL_LOGLEVEL_ERROR;
    if (word == "info") return PAPPL_LOGLEVEL_INFO;
    if (word == "debug") return PAPPL_LOGLEVEL_DEBUG;
    return PAPPL_LOGLEVEL_WARN;
}

pappl_pr_driver_t* Drivers() {
    static std::array<pappl_pr_driver_t, 2> drivers{{
        {kModels[0].driver, kModels[0].description, "MFG:QV6;MDL:QV640;", nullptr},
        {kModels[1].driver, kModels[1].description, "MFG:QV6;MDL:QV650;", nullptr},
    }};
    return drivers.data();
}

// A raw port's connection made a job of its printer: its bytes as one QV6 document, sent by the client.
bool SubmitRawPortJob(const std::string& name, const std::string& client,
                      std::vector<std::uint8_t>&& document) {
    App& app = TheApp();
    struct Search {
        const std::string* name;
        pappl_printer_t* found;
    } search{&name, nullptr};
    papplSystemIteratePrinters(
        app.system,
        [](pappl_printer_t* printer, void* data) {
            auto* wanted = static_cast<Search*>(data);
            if (papplPrinterGetName(printer) != nullptr && *wanted->name == papplPrinterGetName(printer))
                wanted->found = printer;
        },
        &search);
    if (search.found == nullptr) {
        papplLog(app.system, PAPPL_LOGLEVEL_ERROR,
                 "The raw port's printer %s does not exist; the job of %s is dropped.", name.c_str(),
                 client.c_str());
        return false;
    }
    std::string file = (app.spool / "qvset-raw-XXXXXX").string();
    const int fd = ::mkstemp(file.data());
    if (fd < 0) return false;
    std::size_t written = 0;
    while (written < document.size()) {
        const ssize_t put = ::write(fd, document.data() + written, document.size() - written);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        written += static_cast<std::size_t>(put);
    }
    ::close(fd);
    if (written < document.size()) {
        papplLog(app.system, PAPPL_LOGLEVEL_ERROR, "Cannot store the raw port job of %s.", client.c_str());
        ::unlink(file.c_str());
        return false;
    }
    // PAPPL 1.3.1 keeps the pointer to the job's name, not a copy: the names stay, one per client.
    static std::mutex namesMutex;
    static std::set<std::string> names;
    const char* title = nullptr;
    {
        std::lock_guard lock(namesMutex);
        title = names.insert("raw port job from " + client).first->c_str();
    }
    pappl_job_t* job = papplJobCreateWithFile(search.found, ("raw@" + client).c_str(), Qv6Format().c_str(),
                                              title, 0, nullptr, file.c_str());
    if (job == nullptr) {
        ::unlink(file.c_str());
        return false;
    }
    return true;
}

// The raw ports the operator named, started with the system. False, with the reason on standard
// error, when their options are wrong or a port cannot be bound.
bool StartRawPorts(pappl_system_t* system, int count, cups_option_t* options) {
    App& app = TheApp();
    std::string error;
    auto parsed =
        ParseRawPortOptions(Option(count, options, "raw-ports"), Option(count, options, "raw-listen"),
                            Option(count, options, "raw-allow"), error);
    if (parsed && parsed->ports.empty()) return true;
    if (parsed) {
        app.system = system;
        app.rawPorts = RawPortServer::Start(
            *parsed, SubmitRawPortJob,
            [system](const std::string& line) { papplLog(system, PAPPL_LOGLEVEL_WARN, "%s", line.c_str()); },
            error);
        if (app.rawPorts) {
            for (const auto& bound : app.rawPorts->Bound())
                papplLog(system, PAPPL_LOGLEVEL_INFO, "Raw port of printer %s.", bound.c_str());
            return true;
        }
    }
    std::cerr << kAppName << ": " << error << "\n";
    return false;
}

pappl_system_t* MakeSystem(int count, cups_option_t* options, void* /*data*/) {
    App& app = TheApp();
    const std::string serverOptions = Option(count, options, "server-options");
    pappl_soptions_t soptions = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE;
    if (serverOptions.find("raw-socket") != std::string::npos) {
        std::cerr << kAppName
                  << ": the raw socket option is not offered: it would take jobs from every network "
                     "without any check; print over IPP instead\n";
        return nullptr;
    }
    if (serverOptions.find("no-tls") != std::string::npos) soptions |= PAPPL_SOPTIONS_NO_TLS;
    if (serverOptions.find("web-remote") != std::string::npos) soptions |= PAPPL_SOPTIONS_WEB_REMOTE;
    const fs::path spool = Option(count, options, "spool-directory", DefaultSpoolFolder().c_str());
    std::error_code code;
    fs::create_directories(spool, code);
    app.stateFolder = Option(count, options, "state-directory", (spool / "qvset-state").c_str());
    fs::create_directories(app.stateFolder, code);
    if (code) {
        std::cerr << kAppName << ": cannot make the state folder " << app.stateFolder << ": "
                  << code.message() << "\n";
        return nullptr;
    }
    app.policy.remotePrinting = Option(count, options, "remote-printing", "no") == "yes";
    app.policy.adminGroup = Option(count, options, "admin-group", "lpadmin");
    app.policy.pamService = Option(count, options, "auth-service", "login");
    const std::string portText = Option(count, options, "server-port", "0");
    char* end = nullptr;
    const long port = std::strtol(portText.c_str(), &end, 10);
    if (end == portText.c_str() || *end != '\0' || port < 0 || port > 65535) {
        std::cerr << kAppName << ": server-port takes a port number of 0 to 65535, not \"" << portText
                  << "\"\n";
        return nullptr;
    }
    const std::string logFile = Option(count, options, "log-file");
    pappl_system_t* system =
        papplSystemCreate(soptions, kAppName, static_cast<int>(port), "_print,_universal", spool.c_str(),
                          logFile.empty() ? nullptr : logFile.c_str(),
                          LogLevel(Option(count, options, "log-level")), nullptr, false);
    if (system == nullptr) return nullptr;
    app.spool = spool;
    if (!StartRawPorts(system, count, options)) {
        papplSystemDelete(system);
        return nullptr;
    }
    // PAPPL 1.3.1 looks the footer up in the page's language without checking that there is one: a
    // browser asking for a language the framework has (zh-CN) crashed every page without it.
    papplSystemSetFooterHTML(system, kAppName);
    papplSystemSetAdminGroup(system, app.policy.adminGroup.c_str());
    const std::string hostName = Option(count, options, "server-hostname");
    if (!hostName.empty()) papplSystemSetHostName(system, hostName.c_str());
    if (Option(count, options, "private-server").empty()) {
        const std::string listen = Option(count, options, "listen-hostname", "localhost");
        papplSystemAddListeners(system, listen == "*" ? nullptr : listen.c_str());
    }
    papplSystemSetPrinterDrivers(system, static_cast<int>(kModels.size()), Drivers(), MatchDriver,
                                 PrinterMade, MakeDriver, nullptr);
    papplSystemSetAuthCallback(system, "Basic", Authorize, nullptr);
    papplSystemSetMIMECallback(system, RecogniseFormat, nullptr);
    papplSystemAddTimerCallback(system, 0, kRestoreSeconds, RestoreAllDefaults, nullptr);
    papplSystemAddMIMEFilter(system, CupsRawFormat().c_str(), Qv6Format().c_str(), PrintCupsRaw, nullptr);
    return system;
}

void Usage(void* /*data*/) {
    std::cout << "Usage: " << kAppName << " SUB-COMMAND [OPTIONS] [FILES]\n"
              << R"(
The QV6 printer application: an IPP Everywhere printer for each QV6 ticket printer (QV640, QV650),
which every PC, phone or CUPS server prints to, and which keeps what each printer was sent.

Sub-commands: add PRINTER, autoadd, cancel, default, delete, devices, drivers, jobs, modify,
options, pause, printers, resume, server, shutdown, status, submit FILE.

Options of "server" (-o NAME=VALUE):
  listen-hostname=HOST   where to listen (default localhost; * for every network)
  server-port=PORT       the TCP port (default: chosen from the user id)
  remote-printing=yes    take print jobs from other machines (over TLS)
  admin-group=GROUP      the group whose members may change settings from elsewhere (default lpadmin)
  auth-service=SERVICE   the PAM service that checks their login (default login)
  spool-directory=DIR    the framework's spool folder
  state-directory=DIR    where each printer's state is kept (default SPOOL/qvset-state)
  log-file=FILE, log-level=fatal|error|warn|info|debug
  raw-ports=PRINTER=PORT,...  a raw TCP port per printer for PCs that print RAW (Windows); each
                         connection one job
  raw-listen=ADDRESS,... the addresses the raw ports are bound to (default 127.0.0.1)
  raw-allow=NETWORK,...  the clients the raw ports let in, as 192.168.1.0/24 or 10.0.0.7 (default the
                         loopback addresses only)

Devices: usb://..., socket://HOST[:PORT], file:///PATH, serial:/dev/ttyUSB0?baud=19200,
qvprinter:/FOLDER (the virtual QV6 printer). Drivers: qv640, qv650.
Documents: application/vnd.qvset.qv6 (passed to the printer byte for byte), application/vnd.cups-raw,
and application/octet-stream when it is a QV6 command stream; PWG and Apple raster, JPEG and PNG,
printed as bit images of the paper's width (76 or 58 mm), each page cut at its end.
)";
}

}  // namespace

int RunPrinterApp(int argc, char* argv[]) {
    AddServiceDeviceSchemes();
    return papplMainloop(argc, argv, kVersion.data(), nullptr, static_cast<int>(kModels.size()), Drivers(),
                         MatchDriver, MakeDriver, nullptr, nullptr, MakeSystem, Usage, nullptr);
}

}  // namespace qvset
