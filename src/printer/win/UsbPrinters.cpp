#include "printer/win/UsbPrinters.h"

#include <winioctl.h>

#include <usbprint.h>

#include <algorithm>
#include <string>

#include "text/WideText.h"

namespace qvset::win {
namespace {

// GUID_DEVINTERFACE_USBPRINT, the device interface of usbprint.sys.
constexpr GUID kUsbPrintInterface = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};
constexpr DWORD kDeviceIdBuffer = 1024;

std::string DeviceIdOf(const WinApi& api, const std::wstring& path) {
    const HANDLE device =
        api.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE || device == nullptr) return {};
    std::string answer(kDeviceIdBuffer, '\0');
    DWORD returned = 0;
    const BOOL asked = api.DeviceIoControl(device, IOCTL_USBPRINT_GET_1284_ID, nullptr, 0, answer.data(),
                                           kDeviceIdBuffer, &returned, nullptr);
    api.CloseHandle(device);
    if (!asked) return {};
    return DeviceIdOfAnswer(answer.data(), std::min(returned, kDeviceIdBuffer));
}

}  // namespace

std::string DeviceIdOfAnswer(const char* answer, DWORD size) {
    if (size < 2) return {};
    const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(answer[0])) * 256 +
                               static_cast<unsigned char>(answer[1]);
    std::string id =
        length >= 2 && length <= size ? std::string(answer + 2, length - 2) : std::string(answer, size);
    id.erase(std::find(id.begin(), id.end(), '\0'), id.end());
    return id;
}

std::vector<UsbPrinter> ListUsbPrinters(const WinApi& api) {
    std::vector<UsbPrinter> printers;
    const HDEVINFO devices = api.SetupDiGetClassDevsW(&kUsbPrintInterface, nullptr, nullptr,
                                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE || devices == nullptr) return printers;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof interfaceData;
        if (!api.SetupDiEnumDeviceInterfaces(devices, nullptr, &kUsbPrintInterface, index, &interfaceData))
            break;
        DWORD needed = 0;
        api.SetupDiGetDeviceInterfaceDetailW(devices, &interfaceData, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        // The detail is a header with the path after it: a buffer of DWORDs keeps it aligned.
        std::vector<DWORD> buffer((needed + sizeof(DWORD) - 1) / sizeof(DWORD) + 1);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!api.SetupDiGetDeviceInterfaceDetailW(devices, &interfaceData, detail,
                                                  static_cast<DWORD>(buffer.size() * sizeof(DWORD)), &needed,
                                                  nullptr))
            continue;
        const std::wstring path = detail->DevicePath;
        printers.push_back({"usb:" + std::to_string(printers.size()), ToUtf8(path), DeviceIdOf(api, path)});
    }
    api.SetupDiDestroyDeviceInfoList(devices);
    return printers;
}

}  // namespace qvset::win
