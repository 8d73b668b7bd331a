#pragma once

#include <vector>

#include "printer/device/DeviceLinks.h"
#include "printer/win/WinApi.h"

namespace qvset::win {

// The USB printer class devices present (usbprint.sys, device interface GUID_DEVINTERFACE_USBPRINT), in
// the order SetupDi enumerates them: usb:0 the first. Each with its device path and the IEEE 1284
// device id its driver gives (IOCTL_USBPRINT_GET_1284_ID), empty when it gives none or cannot be opened.
std::vector<UsbPrinter> ListUsbPrinters(const WinApi& api);

// The IEEE 1284 device id in an answer to IOCTL_USBPRINT_GET_1284_ID: its first two bytes are its
// length (most significant first, counting themselves); an answer without them is the id itself.
std::string DeviceIdOfAnswer(const char* answer, DWORD size);

}  // namespace qvset::win
