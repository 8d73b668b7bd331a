// The kinds of CUPS queues and whether a RAW document reaches their printer as it is.
#include <gtest/gtest.h>

#include "printer/QueueKind.h"

namespace qvset {
namespace {

TEST(QueueKind, EachQueueIsNamedByItsKindAndOnlyForeignDriverlessQueuesRefuseRaw) {
    struct Row {
        std::string makeAndModel;
        std::string deviceUri;
        QueueKind kind;
        bool takesRaw;
        std::string text;
    };
    const std::vector<Row> rows = {
        {"Local Raw Printer", "usb://QV/QV640", QueueKind::Raw, true, "raw queue"},
        {"", "socket://192.0.2.7", QueueKind::Raw, true, "raw queue"},
        {"QV640 Thermal, 1.0", "usb://QV/QV640", QueueKind::MakerDriver, true, "maker's driver"},
        {"Generic IPP Everywhere Printer", "file:///dev/null", QueueKind::Driverless, false,
         "driverless IPP: refuses RAW documents (not a QV6 printer application)"},
        {"HP LaserJet M404 - IPP Everywhere", "ipps://hp.local/ipp/print", QueueKind::Driverless, false,
         "driverless IPP: refuses RAW documents (not a QV6 printer application)"},
        {"Brother HL-L2350DW, driverless, cups-filters 1.28.17", "ipp://brother/ipp/print",
         QueueKind::Driverless, false,
         "driverless IPP: refuses RAW documents (not a QV6 printer application)"},
        {"Office", "implicitclass://Office/", QueueKind::Driverless, false,
         "driverless IPP: refuses RAW documents (not a QV6 printer application)"},
        {"QV640 QV6 printer application - IPP Everywhere", "ipp://localhost:8000/ipp/print/qv640",
         QueueKind::Driverless, true, "driverless IPP: QV6 printer application"},
    };
    for (const auto& row : rows) {
        const QueueKind kind = CupsQueueKind(row.makeAndModel, row.deviceUri);
        EXPECT_EQ(kind, row.kind) << row.makeAndModel;
        EXPECT_EQ(CupsQueueTakesRaw(kind, row.makeAndModel), row.takesRaw) << row.makeAndModel;
        EXPECT_EQ(CupsQueueKindText(kind, row.makeAndModel), row.text) << row.makeAndModel;
    }
}

TEST(QueueKind, EveryRefusalNamesThePrinterAndWhatToDoInstead) {
    for (const std::string& message : {MsgDriverlessQueueRefused("Front"), MsgXpsDriverRefused("Front"),
                                       MsgProtectedPrintRefused("Front")}) {
        EXPECT_NE(message.find("打印机 Front"), std::string::npos) << message;
        EXPECT_NE(message.find("未发送"), std::string::npos) << message;
        EXPECT_NE(message.find("设备直连"), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace qvset
