#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "printer/device/DeviceLinks.h"

namespace qvset {
namespace {

// The usblp driver's request for the IEEE 1284 device id: a buffer that begins with the id's length
// (two bytes, most significant first, counting themselves).
constexpr unsigned kDeviceIdRequest = 1;
constexpr std::size_t kDeviceIdBuffer = 1024;

std::string DeviceId(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    std::string buffer(kDeviceIdBuffer, '\0');
    const int got = ::ioctl(fd, _IOC(_IOC_READ, 'P', kDeviceIdRequest, kDeviceIdBuffer), buffer.data());
    ::close(fd);
    if (got < 0) return {};
    const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(buffer[0])) * 256 +
                               static_cast<unsigned char>(buffer[1]);
    if (length <= 2 || length > buffer.size()) return {};
    std::string id = buffer.substr(2, length - 2);
    id.erase(std::find(id.begin(), id.end(), '\0'), id.end());
    return id;
}

}  // namespace

std::vector<UsbPrinter> ListUsbPrinters() {
    std::vector<UsbPrinter> printers;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/usb", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("lp", 0) != 0) continue;
        const std::string path = entry.path().string();
        printers.push_back({"usb:" + path, path, DeviceId(path)});
    }
    std::sort(printers.begin(), printers.end(),
              [](const UsbPrinter& a, const UsbPrinter& b) { return a.path < b.path; });
    return printers;
}

}  // namespace qvset
