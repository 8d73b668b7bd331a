#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/Spooler.h"
#include "printer/device/DeviceLink.h"

namespace qvset {

// A device as the user named it in the devices file (or on the command line, where its name is its URI).
struct NamedDevice {
    std::string name;
    std::string uri;

    bool operator==(const NamedDevice&) const = default;
};

// The driver part of a device's entry in the printer list: it is no queue, and no default printer.
inline constexpr std::string_view kDeviceDriverText = "直连设备（不经打印队列）";
inline constexpr std::string_view kDeviceKindText = "device, no spooler";

// "设备 URI 无法打开（WHY），未发送": the device could not be opened; nothing reached it.
std::string MsgDeviceNotOpened(std::string_view uri, std::string_view why);
// "设备 URI 写入失败（WHY），只送出 N / M 字节": the device went away or stopped taking bytes.
std::string MsgDeviceWriteFailed(std::string_view uri, std::string_view why, std::uint64_t written,
                                 std::size_t size);
// The same message for a document not tried while its device is held back: "...（WHY；30 秒内不再尝试）...".
std::string MsgDeviceHeldBack(std::string_view message);
// "设备 NAME 只作本次运行的当前打印机，不能设为系统默认打印机".
std::string MsgDeviceNotDefault(std::string_view name);

// The printers that are reached without a spooler: each document is opened, written whole and closed
// on its device (DeviceLink), as the channel does with a queue. The printers' device names are their
// URIs: ListPrinters gives (name, kDeviceDriverText, URI), CurrentPrinter and the documents name the
// URI, and the record keeps what a device was sent under its URI. A document may also name a device
// by its name, or by a URI of no listed device.
//
// Nothing waits in a device: WaitingDocuments is always 0. A device can be the current printer of this
// process but never the system's default printer: ApplyPrinterChoice chooses it and returns false,
// with MsgDeviceNotDefault as LastProblem.
//
// A device whose failure took the whole deadline (a host that does not answer, a line that takes no
// bytes) is not tried again for kRetryInterval: the documents in that time fail at once with the same
// reason, so that a command of many documents to a device that is gone fails within one deadline.
class DeviceSpooler final : public Spooler {
  public:
    using Now = std::function<std::chrono::steady_clock::time_point()>;
    // `now`: the clock of the deadlines; the steady clock when none is given.
    DeviceSpooler(std::vector<NamedDevice> devices, DeviceOpener open, Now now = {});

    static constexpr std::chrono::seconds kRetryInterval{30};

    std::vector<PrinterInfo> ListPrinters() override;
    std::string CurrentPrinter() override { return m_current; }
    bool ApplyPrinterChoice(const std::string& entry) override;
    // Opens the device, writes the whole payload, finishes and closes it. False when any step failed,
    // with the reason as LastProblem (MsgDeviceNotOpened or MsgDeviceWriteFailed).
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override;
    int WaitingDocuments(const std::string&) override { return 0; }
    std::string LastProblem() override { return m_problem; }
    // How long one wait for a device may take (the connection, each wait for it to take bytes).
    void SetDeadline(std::chrono::milliseconds deadline) override { m_deadline = deadline; }

    // Whether a device name or URI is one of this spooler's devices.
    bool Has(const std::string& deviceName) const;
    // The URI a name or URI stands for: the listed device's, or the text itself.
    std::string UriOf(const std::string& deviceName) const;
    // Gives the device `name` a new URI (its new line settings), keeping it current when it was.
    void SetUri(const std::string& name, const std::string& uri);
    const std::vector<NamedDevice>& Devices() const { return m_devices; }

  private:
    std::vector<NamedDevice> m_devices;
    DeviceOpener m_open;
    std::chrono::milliseconds m_deadline = kDefaultSpoolerDeadline;
    std::string m_current;
    std::string m_problem;
    Now m_now;
    // The devices held back after a slow failure: URI, until when, the message said.
    struct HeldBack {
        std::string uri;
        std::chrono::steady_clock::time_point until;
        std::string message;
    };
    std::vector<HeldBack> m_heldBack;
};

}  // namespace qvset
