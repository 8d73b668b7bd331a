#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/device/DeviceSpooler.h"

namespace qvset {

// The user's devices file: one device a line, its name, blanks, and its URI ("counter
// serial:COM3?baud=19200"). Blank lines and lines beginning with # are the user's own and are kept as they
// are when the file is changed; so is every line this program cannot read, which is reported instead.
struct DevicesFile {
    bool exists = false;                // false: no file (the window's list is then the spooler's alone)
    std::vector<std::string> lines;     // as read, without their line ends
    std::vector<NamedDevice> devices;   // the lines that name a device, in order (a name's first line wins)
    std::vector<std::string> problems;  // "line 3: ...", or why the file could not be read at all
};

// The largest devices file read.
inline constexpr std::size_t kMostDevicesFileBytes = std::size_t{1024} * 1024;

// Reads the devices file. A missing file is an empty one that does not exist; a folder or a file that
// cannot be read exists, names no device and says why.
DevicesFile ReadDevicesFile(const std::filesystem::path& path);

// Why a device name cannot be used, or nothing: a name is one word without control characters or
// commas (the printer list joins names and URIs with commas) and is no device URI itself.
std::optional<std::string> DeviceNameProblem(std::string_view name);

// Sets the device `device.name` to `device.uri`: its line is rewritten in place, or a line is added at
// the end. The old URI, when there was one.
std::optional<std::string> SetDevice(DevicesFile& file, const NamedDevice& device);
// Removes every line of the device `name`; false when there was none.
bool RemoveDevice(DevicesFile& file, std::string_view name);
// The device a name stands for in the file, or nothing.
std::optional<NamedDevice> FindDevice(const DevicesFile& file, std::string_view name);

// Writes the file whole (its folder made first): a failure leaves the earlier file as it was. False,
// with the reason, when it could not be written.
bool WriteDevicesFile(const std::filesystem::path& path, const DevicesFile& file, std::string& problem);

}  // namespace qvset
