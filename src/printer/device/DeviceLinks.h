#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "printer/device/DeviceLink.h"

namespace qvset {

// The platform's devices (POSIX or Windows, chosen by the build): a DeviceOpener for every kind of
// device URI.
//   socket  connects (IPv4, IPv6 or a name) within the deadline, writes, half-closes and waits a
//           moment for the peer to close; a reset is a failure, a peer that keeps its side open once
//           it has taken every byte is not.
//   serial  opens the port with its line settings (a rate the port does not take is refused when it
//           is opened), writes, and drains the driver's buffer before it closes.
//   usb     Linux: the printer class device /dev/usb/lpN as a file; Windows: a USB printer class
//           device by its device path or by its place in ListUsbPrinters.
//   file    adds the bytes at the end of a file (made when missing) or writes them to a character
//           device; a FIFO nobody reads is refused at once.
std::unique_ptr<DeviceLink> OpenDeviceLink(const DeviceAddress& address, std::chrono::milliseconds deadline,
                                           std::string& problem);

// A serial port alone, for programs that choose the port themselves: "COM3", "\\.\COM12" or
// "/dev/ttyUSB0", with its line settings. The same link OpenDeviceLink gives for serial:PORT?....
std::unique_ptr<DeviceLink> OpenSerialPort(const std::string& port, const SerialSettings& settings,
                                           std::chrono::milliseconds deadline, std::string& problem);

// A USB printer class device that is present now.
struct UsbPrinter {
    std::string uri;       // usb:/dev/usb/lp0, usb:0 on Windows
    std::string path;      // its device path
    std::string deviceId;  // its IEEE 1284 device id ("MFG:...;MDL:...;"), empty when it gives none
};

// The USB printer class devices present, in the system's order: /dev/usb/lp* on Linux, the device
// interfaces GUID_DEVINTERFACE_USBPRINT on Windows.
std::vector<UsbPrinter> ListUsbPrinters();

}  // namespace qvset
