#include "printer/device/DeviceAddress.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace qvset {
namespace {

constexpr std::string_view kSocketScheme = "socket://";
constexpr std::string_view kSerialScheme = "serial:";
constexpr std::string_view kUsbScheme = "usb:";
constexpr std::string_view kFileScheme = "file:";

// The printer's own switch (9600 times 1, 2, 4, 12, 24, 30, 36, 42) among the usual rates.
constexpr std::array kBaudRates{1200,   2400,   4800,   9600,   19200,  38400,  57600,
                                115200, 230400, 288000, 345600, 403200, 460800, 921600};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool HasControlOrBlank(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

bool HasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::optional<int> Number(std::string_view text) {
    int value = 0;
    if (text.empty() || text.size() > 7) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::string BaudList() {
    std::string list;
    for (const int rate : kBaudRates) list += (list.empty() ? "" : ", ") + std::to_string(rate);
    return list;
}

bool ParseSocket(std::string_view rest, DeviceAddress& address, std::string& problem) {
    address.kind = DeviceKind::Socket;
    if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    std::string_view portText;
    bool hasPort = false;
    if (StartsWith(rest, "[")) {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close == 1) {
            problem = "an IPv6 address is written in brackets: socket://[::1]:9100";
            return false;
        }
        address.host = std::string(rest.substr(1, close - 1));
        const std::string_view after = rest.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                problem = "only a port may follow the host: socket://HOST:PORT";
                return false;
            }
            portText = after.substr(1);
            hasPort = true;
        }
    } else {
        const std::size_t colon = rest.find(':');
        address.host = std::string(rest.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = rest.substr(colon + 1);
            hasPort = true;
        }
    }
    if (address.host.empty()) {
        problem = "no host: socket://HOST[:PORT]";
        return false;
    }
    if (HasControlOrBlank(address.host) || address.host.find('/') != std::string::npos ||
        address.host.find('?') != std::string::npos) {
        problem = "not a host name or address: " + address.host;
        return false;
    }
    if (hasPort) {
        const auto port = Number(portText);
        if (!port || *port < 1 || *port > 65535) {
            problem = "the port is a number from 1 to 65535";
            return false;
        }
        address.port = *port;
    }
    return true;
}

bool ParseSerialSetting(std::string_view key, std::string_view value, SerialSettings& settings,
                        std::string& problem) {
    if (key == "baud") {
        const auto rate = Number(value);
        if (!rate || std::find(kBaudRates.begin(), kBaudRates.end(), *rate) == kBaudRates.end()) {
            problem = "baud takes one of " + BaudList();
            return false;
        }
        settings.baud = *rate;
        return true;
    }
    if (key == "flow") {
        if (value == "none")
            settings.flow = SerialFlow::None;
        else if (value == "rtscts")
            settings.flow = SerialFlow::RtsCts;
        else if (value == "xonxoff")
            settings.flow = SerialFlow::XonXoff;
        else {
            problem = "flow takes none, rtscts or xonxoff";
            return false;
        }
        return true;
    }
    if (key == "bits") {
        const auto bits = Number(value);
        if (!bits || *bits < 5 || *bits > 8) {
            problem = "bits takes 5, 6, 7 or 8";
            return false;
        }
        settings.bits = *bits;
        return true;
    }
    if (key == "parity") {
        if (value == "none")
            settings.parity = SerialParity::None;
        else if (value == "even")
            settings.parity = SerialParity::Even;
        else if (value == "odd")
            settings.parity = SerialParity::Odd;
        else {
            problem = "parity takes none, even or odd";
            return false;
        }
        return true;
    }
    if (key == "stop") {
        if (value != "1" && value != "2") {
            problem = "stop takes 1 or 2";
            return false;
        }
        settings.stopBits = value == "1" ? 1 : 2;
        return true;
    }
    problem = "a serial port takes baud, flow, bits, parity and stop, not " + std::string(key);
    return false;
}

bool ParseSerial(std::string_view rest, DeviceAddress& address, std::string& problem) {
    address.kind = DeviceKind::Serial;
    const std::size_t question = rest.find('?');
    address.path = std::string(rest.substr(0, question));
    if (address.path.empty()) {
        problem = "no serial port: serial:COM3 or serial:/dev/ttyS0";
        return false;
    }
    if (question == std::string_view::npos) return true;
    std::vector<std::string_view> seen;
    for (const std::string_view pair : Split(rest.substr(question + 1), '&')) {
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos || equals == 0) {
            problem = "a setting is written KEY=VALUE: serial:PORT?baud=19200";
            return false;
        }
        const std::string_view key = pair.substr(0, equals);
        if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
            problem = std::string(key) + " is given twice";
            return false;
        }
        seen.push_back(key);
        if (!ParseSerialSetting(key, pair.substr(equals + 1), address.serial, problem)) return false;
    }
    return true;
}

bool IsPath(std::string_view text) {
    if (StartsWith(text, "/") || StartsWith(text, "./") || StartsWith(text, "../") ||
        StartsWith(text, "\\\\.\\") || StartsWith(text, ".\\") || StartsWith(text, "..\\"))
        return true;
    // A drive letter: C:\ or C:/.
    return text.size() >= 3 && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
           text[1] == ':' && (text[2] == '\\' || text[2] == '/');
}

}  // namespace

std::span<const int> SerialBaudRates() {
    return kBaudRates;
}

bool LooksLikeDeviceUri(std::string_view text) {
    return StartsWith(text, kSocketScheme) || StartsWith(text, kSerialScheme) ||
           StartsWith(text, kUsbScheme) || StartsWith(text, kFileScheme) || IsPath(text);
}

std::optional<DeviceAddress> ParseDeviceUri(std::string_view uri, std::string& problem) {
    DeviceAddress address;
    problem.clear();
    if (uri.empty()) {
        problem = "no device given";
        return std::nullopt;
    }
    if (HasControl(uri)) {
        problem = "a device URI holds no control characters";
        return std::nullopt;
    }
    bool parsed = false;
    if (StartsWith(uri, kSocketScheme)) {
        parsed = ParseSocket(uri.substr(kSocketScheme.size()), address, problem);
    } else if (StartsWith(uri, kSerialScheme)) {
        parsed = ParseSerial(uri.substr(kSerialScheme.size()), address, problem);
    } else if (StartsWith(uri, kUsbScheme)) {
        address.kind = DeviceKind::Usb;
        address.path = std::string(uri.substr(kUsbScheme.size()));
        parsed = !address.path.empty();
        if (!parsed) problem = "no USB device: usb:/dev/usb/lp0, or usb:0 for the first one";
    } else if (StartsWith(uri, kFileScheme)) {
        std::string_view path = uri.substr(kFileScheme.size());
        // file:///tmp/x names /tmp/x.
        if (StartsWith(path, "///")) path.remove_prefix(2);
        address.kind = DeviceKind::File;
        address.path = std::string(path);
        parsed = !address.path.empty();
        if (!parsed) problem = "no file: file:/PATH";
    } else if (IsPath(uri)) {
        address.kind = DeviceKind::File;
        address.path = std::string(uri);
        parsed = true;
    } else {
        problem = "not a device URI: socket://HOST[:PORT], serial:PORT[?baud=N...], usb:DEVICE or a path";
    }
    if (!parsed) return std::nullopt;
    return address;
}

std::string DeviceIdentity(const DeviceAddress& address) {
    switch (address.kind) {
        case DeviceKind::Socket: {
            const bool v6 = address.host.find(':') != std::string::npos;
            return std::string(kSocketScheme) + (v6 ? "[" + address.host + "]" : address.host) + ":" +
                   std::to_string(address.port);
        }
        case DeviceKind::Serial:
            return std::string(kSerialScheme) + address.path;
        case DeviceKind::Usb:
            return std::string(kUsbScheme) + address.path;
        case DeviceKind::File:
            return IsPath(address.path) ? address.path : std::string(kFileScheme) + address.path;
    }
    return address.path;
}

std::string DeviceUriOf(const DeviceAddress& address) {
    std::string uri = DeviceIdentity(address);
    if (address.kind != DeviceKind::Serial) return uri;
    const SerialSettings defaults;
    const SerialSettings& settings = address.serial;
    uri += "?baud=" + std::to_string(settings.baud);
    if (settings.flow != defaults.flow)
        uri += std::string("&flow=") + (settings.flow == SerialFlow::RtsCts ? "rtscts" : "xonxoff");
    if (settings.bits != defaults.bits) uri += "&bits=" + std::to_string(settings.bits);
    if (settings.parity != defaults.parity)
        uri += std::string("&parity=") + (settings.parity == SerialParity::Even ? "even" : "odd");
    if (settings.stopBits != defaults.stopBits) uri += "&stop=" + std::to_string(settings.stopBits);
    return uri;
}

}  // namespace qvset
