#include "printer/device/DeviceSpooler.h"

#include "printer/PrinterSelection.h"

namespace qvset {

std::string MsgDeviceNotOpened(std::string_view uri, std::string_view why) {
    return "设备 " + std::string(uri) + " 无法打开（" + std::string(why) + "），未发送";
}

std::string MsgDeviceWriteFailed(std::string_view uri, std::string_view why, std::uint64_t written,
                                 std::size_t size) {
    return "设备 " + std::string(uri) + " 写入失败（" + std::string(why) + "），只送出 " +
           std::to_string(written) + " / " + std::to_string(size) + " 字节";
}

std::string MsgDeviceHeldBack(std::string_view message) {
    std::string text(message);
    const std::size_t close = text.rfind("）");
    if (close != std::string::npos) text.insert(close, "；30 秒内不再尝试");
    return text;
}

std::string MsgDeviceNotDefault(std::string_view name) {
    return "设备 " + std::string(name) + " 只作本次运行的当前打印机，不能设为系统默认打印机";
}

DeviceSpooler::DeviceSpooler(std::vector<NamedDevice> devices, DeviceOpener open, Now now)
    : m_devices(std::move(devices)),
      m_open(std::move(open)),
      m_now(now ? std::move(now) : Now([] { return std::chrono::steady_clock::now(); })) {}

std::vector<PrinterInfo> DeviceSpooler::ListPrinters() {
    std::vector<PrinterInfo> printers;
    for (const auto& device : m_devices) {
        printers.push_back(
            {device.name, std::string(kDeviceDriverText), device.uri, std::string(kDeviceKindText)});
    }
    return printers;
}

bool DeviceSpooler::ApplyPrinterChoice(const std::string& entry) {
    m_problem.clear();
    for (const auto& printer : ListPrinters()) {
        if (FormatPrinterEntry(printer) != entry) continue;
        m_current = printer.port;
        m_problem = MsgDeviceNotDefault(printer.deviceName);
        return false;
    }
    return false;
}

bool DeviceSpooler::Has(const std::string& deviceName) const {
    for (const auto& device : m_devices) {
        if (device.uri == deviceName || device.name == deviceName) return true;
    }
    return false;
}

std::string DeviceSpooler::UriOf(const std::string& deviceName) const {
    for (const auto& device : m_devices) {
        if (device.uri == deviceName) return device.uri;
    }
    for (const auto& device : m_devices) {
        if (device.name == deviceName) return device.uri;
    }
    return deviceName;
}

void DeviceSpooler::SetUri(const std::string& name, const std::string& uri) {
    for (auto& device : m_devices) {
        if (device.name != name) continue;
        if (m_current == device.uri) m_current = uri;
        device.uri = uri;
    }
}

bool DeviceSpooler::WriteRawDocument(const std::string& deviceName, std::string_view,
                                     std::span<const std::uint8_t> payload) {
    m_problem.clear();
    const std::string uri = UriOf(deviceName);
    std::string problem;
    const auto address = ParseDeviceUri(uri, problem);
    if (!address) {
        m_problem = MsgDeviceNotOpened(uri, problem);
        return false;
    }
    const auto started = m_now();
    std::erase_if(m_heldBack, [&](const HeldBack& held) { return held.until <= started; });
    for (const auto& held : m_heldBack) {
        if (held.uri != uri) continue;
        m_problem = MsgDeviceHeldBack(held.message);
        return false;
    }
    std::unique_ptr<DeviceLink> link = m_open ? m_open(*address, m_deadline, problem) : nullptr;
    if (link && link->Write(payload) && link->Finish()) return true;
    m_problem =
        link ? MsgDeviceWriteFailed(uri, link->Problem(), link->Written(), payload.size())
             : MsgDeviceNotOpened(uri, problem.empty() ? "this program cannot open such a device" : problem);
    const auto now = m_now();
    if (now - started >= m_deadline) m_heldBack.push_back({uri, now + kRetryInterval, m_problem});
    return false;
}

}  // namespace qvset
