#pragma once

#include <string>
#include <string_view>

namespace qvset {

// What sort of CUPS queue a printer is, from its make and model and its device URI: whether a RAW
// document reaches the printer as it is.
enum class QueueKind {
    Raw,          // no driver ("Local Raw Printer"): the bytes go to the device unchanged
    MakerDriver,  // a PPD of the printer's maker: CUPS passes a raw document through it unfiltered
    Driverless,   // IPP Everywhere or cups-filters' driverless PPD: the printer gets a document of
                  // unknown type, unless it is a QV6 printer application
};

QueueKind CupsQueueKind(std::string_view makeAndModel, std::string_view deviceUri);

// Whether a RAW document to such a queue reaches the printer as it is: every raw queue and maker's
// driver; a driverless queue only when its printer is a QV6 printer application (its make and model
// names the QV6).
bool CupsQueueTakesRaw(QueueKind kind, std::string_view makeAndModel);

// The kind as the command line's printer list names it: "raw queue", "maker's driver", "driverless
// IPP: refuses RAW documents (not a QV6 printer application)", "driverless IPP: QV6 printer application".
std::string CupsQueueKindText(QueueKind kind, std::string_view makeAndModel);

// "打印机 NAME 是免驱动（IPP Everywhere）队列，其打印机不是 QV6 打印机应用，会把 RAW 文档当作未知类型的文档：
// 未发送。请改用设备直连（qvctl --device socket://...）或原始队列（lpadmin 不带 -m）".
std::string MsgDriverlessQueueRefused(std::string_view queue);

// Windows: "打印机 NAME 的驱动是 XPS 驱动（v4，如 Microsoft IPP Class Driver），会把 RAW
// 文档变成空文档：未发送。 请改用设备直连（socket://、serial:、usb:，见 qvctl device
// add），或在本机允许时安装打印机厂商的驱动".
std::string MsgXpsDriverRefused(std::string_view printer);
// Windows with protected print mode on: no queue takes RAW documents, and no maker's driver can be
// installed.
std::string MsgProtectedPrintRefused(std::string_view printer);

// The printer list's marks of a Windows queue that refuses RAW documents.
inline constexpr std::string_view kXpsDriverKindText = "XPS driver (v4): refuses RAW documents";
inline constexpr std::string_view kProtectedPrintKindText = "protected print mode: refuses RAW documents";

}  // namespace qvset
