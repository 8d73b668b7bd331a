#include "printer/device/DevicesFile.h"

#include <algorithm>
#include <system_error>

#include "files/FileContents.h"
#include "files/NativeNames.h"
#include "printer/device/DeviceAddress.h"

namespace qvset {
namespace {

constexpr std::string_view kLineBlanks = " \t";

bool IsOwnLine(std::string_view line) {
    const std::size_t first = line.find_first_not_of(kLineBlanks);
    return first == std::string_view::npos || line[first] == '#';
}

// The device a line names, or nothing with the problem.
std::optional<NamedDevice> ReadLine(std::string_view line, std::string& problem) {
    const std::size_t start = line.find_first_not_of(kLineBlanks);
    const std::size_t nameEnd = line.find_first_of(kLineBlanks, start);
    if (nameEnd == std::string_view::npos) {
        problem = "a name and a URI are expected";
        return std::nullopt;
    }
    const std::string_view name = line.substr(start, nameEnd - start);
    std::string_view uri = line.substr(nameEnd);
    uri.remove_prefix(std::min(uri.size(), uri.find_first_not_of(kLineBlanks)));
    uri = uri.substr(0, uri.find_last_not_of(kLineBlanks) + 1);
    if (const auto bad = DeviceNameProblem(name)) {
        problem = *bad;
        return std::nullopt;
    }
    if (!ParseDeviceUri(uri, problem)) return std::nullopt;
    return NamedDevice{std::string(name), std::string(uri)};
}

std::string LineOf(const NamedDevice& device) {
    return device.name + " " + device.uri;
}

// The name a line gives its device, or empty for the user's own lines.
std::string_view NameOfLine(std::string_view line) {
    if (IsOwnLine(line)) return {};
    const std::size_t start = line.find_first_not_of(kLineBlanks);
    return line.substr(start, line.find_first_of(kLineBlanks, start) - start);
}

}  // namespace

std::optional<std::string> DeviceNameProblem(std::string_view name) {
    if (name.empty()) return "a device needs a name";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return "a device name is one word without control characters";
        if (c == ',') return "a device name holds no comma";
    }
    if (name.front() == '#') return "a device name does not begin with #";
    if (LooksLikeDeviceUri(name)) return "a device name is no device URI: " + std::string(name);
    return std::nullopt;
}

DevicesFile ReadDevicesFile(const std::filesystem::path& path) {
    DevicesFile file;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return file;
    file.exists = true;
    const FileReadResult read = ReadFileContents(path, kMostDevicesFileBytes);
    if (read.status != FileReadStatus::Read) {
        file.problems.push_back(Utf8Name(path) + ": " +
                                (read.status == FileReadStatus::TooLarge   ? "too large to be a devices file"
                                 : read.status == FileReadStatus::NotAFile ? "not a file"
                                                                           : "cannot be read"));
        return file;
    }
    const std::string text(read.bytes.begin(), read.bytes.end());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        file.lines.push_back(line);
        start = end + 1;
    }
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        if (IsOwnLine(file.lines[i])) continue;
        std::string problem;
        const auto device = ReadLine(file.lines[i], problem);
        if (!device) {
            file.problems.push_back("line " + std::to_string(i + 1) + ": " + problem);
            continue;
        }
        if (FindDevice(file, device->name)) {
            file.problems.push_back("line " + std::to_string(i + 1) + ": " + device->name +
                                    " is named on an earlier line; this one is left out");
            continue;
        }
        file.devices.push_back(*device);
    }
    return file;
}

std::optional<NamedDevice> FindDevice(const DevicesFile& file, std::string_view name) {
    for (const auto& device : file.devices) {
        if (device.name == name) return device;
    }
    return std::nullopt;
}

std::optional<std::string> SetDevice(DevicesFile& file, const NamedDevice& device) {
    std::optional<std::string> old;
    for (auto& known : file.devices) {
        if (known.name != device.name) continue;
        old = known.uri;
        known.uri = device.uri;
    }
    if (!old) file.devices.push_back(device);
    bool rewritten = false;
    for (auto& line : file.lines) {
        if (NameOfLine(line) != device.name || rewritten) continue;
        line = LineOf(device);
        rewritten = true;
    }
    if (!rewritten) file.lines.push_back(LineOf(device));
    return old;
}

bool RemoveDevice(DevicesFile& file, std::string_view name) {
    const auto before = file.lines.size();
    std::erase_if(file.lines, [&](const std::string& line) { return NameOfLine(line) == name; });
    std::erase_if(file.devices, [&](const NamedDevice& device) { return device.name == name; });
    return file.lines.size() != before;
}

bool WriteDevicesFile(const std::filesystem::path& path, const DevicesFile& file, std::string& problem) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        problem = Utf8Name(path.parent_path()) + ": " + error.message();
        return false;
    }
    std::string text;
    for (const auto& line : file.lines) text += line + "\n";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!ReplaceFileContents(path, {bytes, text.size()})) {
        problem = Utf8Name(path) + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace qvset
