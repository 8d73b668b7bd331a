#include "printer/QueueKind.h"

#include <algorithm>
#include <cctype>

namespace qvset {
namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
    const auto found = std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    return found != text.end();
}

// The maker's printers, as a QV6 printer application names its make and model.
constexpr std::string_view kQv6 = "QV6";

}  // namespace

QueueKind CupsQueueKind(std::string_view makeAndModel, std::string_view deviceUri) {
    if (makeAndModel.empty() || makeAndModel == "Local Raw Printer") return QueueKind::Raw;
    // CUPS names its own IPP Everywhere PPDs "... - IPP Everywhere", cups-filters its "..., driverless, ...";
    // a temporary queue of a printer found on the network has an implicitclass:// device.
    if (ContainsIgnoringCase(makeAndModel, "IPP Everywhere") ||
        ContainsIgnoringCase(makeAndModel, "driverless") || deviceUri.substr(0, 16) == "implicitclass://") {
        return QueueKind::Driverless;
    }
    return QueueKind::MakerDriver;
}

bool CupsQueueTakesRaw(QueueKind kind, std::string_view makeAndModel) {
    return kind != QueueKind::Driverless || makeAndModel.find(kQv6) != std::string_view::npos;
}

std::string CupsQueueKindText(QueueKind kind, std::string_view makeAndModel) {
    switch (kind) {
        case QueueKind::Raw:
            return "raw queue";
        case QueueKind::MakerDriver:
            return "maker's driver";
        case QueueKind::Driverless:
            return CupsQueueTakesRaw(kind, makeAndModel)
                       ? "driverless IPP: QV6 printer application"
                       : "driverless IPP: refuses RAW documents (not a QV6 printer application)";
    }
    return {};
}

std::string MsgDriverlessQueueRefused(std::string_view queue) {
    return "打印机 " + std::string(queue) +
           " 是免驱动（IPP Everywhere）队列，其打印机不是 QV6 打印机应用，会把 RAW "
           "文档当作未知类型的文档：未发送。"
           "请改用设备直连（qvctl --device socket://...）或原始队列（lpadmin 不带 -m）";
}

std::string MsgXpsDriverRefused(std::string_view printer) {
    return "打印机 " + std::string(printer) +
           " 的驱动是 XPS 驱动（v4，如 Microsoft IPP Class Driver），会把 RAW 文档变成空文档：未发送。"
           "请改用设备直连（socket://、serial:、usb:，见 qvctl device "
           "add），或在本机允许时安装打印机厂商的驱动";
}

std::string MsgProtectedPrintRefused(std::string_view printer) {
    return "Windows 受保护的打印模式已开启：打印机 " + std::string(printer) +
           " 只能用系统的 IPP 驱动，会把 RAW 文档变成空文档，也装不了厂商的驱动：未发送。"
           "请改用设备直连（socket://、serial:、usb:，见 qvctl device add）";
}

}  // namespace qvset
