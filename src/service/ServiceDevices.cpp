#include "service/ServiceDevices.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include "decode/VirtualPrinterFolder.h"
#include "decode/backend/DrawerProcess.h"
#include "decode/backend/JobFolder.h"
#include "decode/backend/JobQueue.h"
#include "printer/device/DeviceLinks.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kSerialDeadline{10000};

// The drawer beside the program (installed) or in the build tree's virtual printer folder.
std::optional<fs::path> LocateDrawer() {
    if (auto drawer = FindDrawer()) return drawer;
    std::error_code code;
    const fs::path self = fs::read_symlink("/proc/self/exe", code);
    if (code) return std::nullopt;
    const fs::path built = self.parent_path() / ".." / "decode" / "backend" / "qvprinter-draw";
    if (::access(built.c_str(), X_OK) == 0) return built;
    return std::nullopt;
}

// One drawer at a time per folder; a job listed while it runs has it run once more.
class FolderDrawings {
  public:
    void Request(const fs::path& folder) {
        static const std::optional<fs::path> drawer = LocateDrawer();
        if (!drawer) return;
        std::lock_guard lock(m_mutex);
        auto& run = m_runs[folder.string()];
        if (run.running) {
            run.again = true;
            return;
        }
        run.running = true;
        std::thread([this, folder, path = *drawer] {
            for (;;) {
                {
                    std::lock_guard inner(m_mutex);
                    m_runs[folder.string()].again = false;
                }
                const pid_t child = StartDrawer(path, folder, DrawerMode::Detached);
                if (child > 0) WaitForDrawer(child);
                std::lock_guard inner(m_mutex);
                auto& state = m_runs[folder.string()];
                if (!state.again || child <= 0) {
                    state.running = false;
                    return;
                }
            }
        }).detach();
    }

  private:
    struct Run {
        bool running = false;
        bool again = false;
    };
    std::mutex m_mutex;
    std::map<std::string, Run> m_runs;
};

FolderDrawings& TheDrawing() {
    static auto* drawing = new FolderDrawings();  // outlives the threads it starts
    return *drawing;
}

struct VirtualDevice {
    JobFolder folder;
    std::optional<JobFolder::NewFile> bytes;
    std::uint64_t written = 0;
    int made = 0;
};

std::atomic<int> g_deviceCount{0};

bool OpenVirtual(pappl_device_t* device, const char* uri, const char* /*name*/) {
    const auto path = VirtualPrinterFolder(uri);
    if (!path) {
        papplDeviceError(device, "\"%s\" is no virtual printer (qvprinter:/FOLDER)", uri);
        return false;
    }
    std::string error;
    auto folder = OpenVirtualPrinterFolder(*path, error);
    if (!folder) {
        papplDeviceError(device, "%s", error.c_str());
        return false;
    }
    folder->RemoveStaleTemporaries();
    papplDeviceSetData(device, new VirtualDevice{std::move(*folder), std::nullopt, 0, ++g_deviceCount});
    return true;
}

ssize_t WriteVirtual(pappl_device_t* device, const void* buffer, size_t bytes) {
    auto* data = static_cast<VirtualDevice*>(papplDeviceGetData(device));
    if (data == nullptr) return -1;
    if (!data->bytes) {
        data->bytes.emplace(
            data->folder.Create("pappl-" + std::to_string(data->made) + "-" + std::to_string(data->written)));
        if (!data->bytes->Open()) {
            data->bytes.reset();
            papplDeviceError(device, "cannot write in %s", data->folder.Path().c_str());
            return -1;
        }
    }
    if (!data->bytes->Write(std::string_view(static_cast<const char*>(buffer), bytes))) {
        papplDeviceError(device, "cannot write in %s", data->folder.Path().c_str());
        return -1;
    }
    data->written += bytes;
    return static_cast<ssize_t>(bytes);
}

bool CommitVirtual(VirtualDevice& data, std::string_view title, std::string& problem) {
    if (!data.bytes) return true;  // nothing written since the last job: no job
    const auto id =
        QueueNumberedVirtualJob(data.folder, *data.bytes, OneLineTitle(std::string(title)), problem);
    data.bytes.reset();
    if (!id) return false;
    TheDrawing().Request(data.folder.Path());
    return true;
}

void CloseVirtual(pappl_device_t* device) {
    auto* data = static_cast<VirtualDevice*>(papplDeviceGetData(device));
    if (data == nullptr) return;
    std::string problem;
    CommitVirtual(*data, "printer application", problem);
    delete data;
    papplDeviceSetData(device, nullptr);
}

pappl_preason_t VirtualStatus(pappl_device_t* /*device*/) {
    return PAPPL_PREASON_NONE;
}

char* VirtualId(pappl_device_t* /*device*/, char* buffer, size_t size) {
    snprintf(buffer, size, "MFG:QV6;MDL:QV640;CMD:QV6;DES:virtual QV6 printer;");
    return buffer;
}

struct SerialDevice {
    std::unique_ptr<DeviceLink> link;
};

bool OpenSerial(pappl_device_t* device, const char* uri, const char* /*name*/) {
    std::string problem;
    const auto address = ParseDeviceUri(uri, problem);
    if (!address || address->kind != DeviceKind::Serial) {
        papplDeviceError(device, "\"%s\" is no serial port URI: %s", uri, problem.c_str());
        return false;
    }
    auto link = OpenDeviceLink(*address, kSerialDeadline, problem);
    if (!link) {
        papplDeviceError(device, "%s", problem.c_str());
        return false;
    }
    papplDeviceSetData(device, new SerialDevice{std::move(link)});
    return true;
}

ssize_t WriteSerial(pappl_device_t* device, const void* buffer, size_t bytes) {
    auto* data = static_cast<SerialDevice*>(papplDeviceGetData(device));
    if (data == nullptr || !data->link) return -1;
    if (!data->link->Write(std::span(static_cast<const std::uint8_t*>(buffer), bytes))) {
        papplDeviceError(device, "%s", data->link->Problem().c_str());
        return -1;
    }
    return static_cast<ssize_t>(bytes);
}

void CloseSerial(pappl_device_t* device) {
    auto* data = static_cast<SerialDevice*>(papplDeviceGetData(device));
    if (data == nullptr) return;
    if (data->link && !data->link->Finish()) papplDeviceError(device, "%s", data->link->Problem().c_str());
    delete data;
    papplDeviceSetData(device, nullptr);
}

ssize_t ReadNothing(pappl_device_t* /*device*/, void* /*buffer*/, size_t /*bytes*/) {
    return 0;  // nothing is ever read back from a QV6 printer
}

pappl_preason_t NoStatus(pappl_device_t* /*device*/) {
    return PAPPL_PREASON_NONE;
}

}  // namespace

void AddServiceDeviceSchemes() {
    // The framework registers its own schemes when it first looks one up, unless some scheme is already
    // registered: a look-up of a socket URI first keeps usb, socket and file.
    papplDeviceIsSupported("socket://localhost");  // a file: URI is answered without registering
    papplDeviceAddScheme(std::string(kVirtualPrinterScheme).c_str(), PAPPL_DEVTYPE_CUSTOM_LOCAL, nullptr,
                         OpenVirtual, CloseVirtual, ReadNothing, WriteVirtual, VirtualStatus, VirtualId);
    papplDeviceAddScheme(std::string(kSerialScheme).c_str(), PAPPL_DEVTYPE_CUSTOM_LOCAL, nullptr, OpenSerial,
                         CloseSerial, ReadNothing, WriteSerial, NoStatus, nullptr);
}

std::size_t DeviceBytesTaken(pappl_device_t* device) {
    pappl_devmetrics_t metrics{};
    papplDeviceGetMetrics(device, &metrics);
    return metrics.write_bytes;
}

bool FinishDeviceJob(pappl_device_t* device, std::string_view deviceUri, std::string_view title,
                     std::size_t takenBefore, std::size_t bytes, std::string& problem) {
    papplDeviceFlush(device);
    const std::size_t taken = DeviceBytesTaken(device) - takenBefore;
    if (taken < bytes) {
        problem =
            "the device took " + std::to_string(taken) + " of the job's " + std::to_string(bytes) + " bytes";
        return false;
    }
    if (!VirtualPrinterFolder(deviceUri)) return true;
    auto* data = static_cast<VirtualDevice*>(papplDeviceGetData(device));
    if (data == nullptr) return true;
    return CommitVirtual(*data, title, problem);
}

}  // namespace qvset
