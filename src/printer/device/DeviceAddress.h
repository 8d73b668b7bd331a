#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qvset {

// How a printer is reached without a spooler: its network port, its serial port, the USB printer class
// device of the operating system's own driver, or a file or character device.
enum class DeviceKind { Socket, Serial, Usb, File };

enum class SerialFlow { None, RtsCts, XonXoff };
enum class SerialParity { None, Even, Odd };

// The line settings of a serial port. The printer's own switch offers 9600 times 1, 2, 4, 12, 24, 30,
// 36 and 42; the usual other rates are taken too.
struct SerialSettings {
    int baud = 9600;
    SerialFlow flow = SerialFlow::None;
    int bits = 8;
    SerialParity parity = SerialParity::None;
    int stopBits = 1;

    bool operator==(const SerialSettings&) const = default;
};

// The port a socket:// URI names when it names none (AppSocket/JetDirect).
inline constexpr int kDefaultSocketPort = 9100;

// One device URI, read:
//   socket://HOST[:PORT]   a host name, an IPv4 address or an IPv6 address in brackets; port 9100 by default
//   serial:PORT[?baud=N&flow=none|rtscts|xonxoff&bits=5..8&parity=none|even|odd&stop=1|2]
//                          COM3 or \\.\COM12 on Windows, /dev/ttyS0, /dev/serial/by-id/... on Linux
//   usb:PATH | usb:INDEX   /dev/usb/lp0 on Linux; a USB printer class device's path, or its place in
//                          the list of those devices (0 the first), on Windows
//   PATH | file:PATH       a file (each document is added at its end) or a character device
struct DeviceAddress {
    DeviceKind kind = DeviceKind::File;
    std::string host;               // socket: as written, without brackets
    int port = kDefaultSocketPort;  // socket
    std::string path;               // serial port, USB device path or index, file path
    SerialSettings serial;          // serial

    bool operator==(const DeviceAddress&) const = default;
};

// Reads a device URI. Nothing, with the problem in words, for a text that is no device URI or holds a
// setting it cannot take (an unknown scheme, a port outside 1 to 65535, an unknown baud rate or key).
std::optional<DeviceAddress> ParseDeviceUri(std::string_view uri, std::string& problem);

// Whether a text is meant as a device URI rather than a printer's name: it begins with socket://,
// serial:, usb: or file:, or is a path (/, ./, ../, a drive letter, \\.\).
bool LooksLikeDeviceUri(std::string_view text);

// The URI of an address, written the way ParseDeviceUri reads it: a serial port with every setting
// that differs from the defaults (?baud=19200&flow=rtscts), the baud rate always.
std::string DeviceUriOf(const DeviceAddress& address);

// Which printer a device is, whatever the settings it is spoken to with: the URI without a serial
// port's line settings. The record of what a device was sent is kept under this name.
std::string DeviceIdentity(const DeviceAddress& address);

// The baud rates a serial URI takes, lowest first.
std::span<const int> SerialBaudRates();

}  // namespace qvset
