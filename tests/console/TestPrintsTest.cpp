#include <gtest/gtest.h>

#include "console/TestPrints.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "support/RecordingDialogs.h"

namespace qvset {
namespace {

class TestPrintsTest : public ::testing::Test {
  protected:
    TestPrintsTest() : spooler({{"QV640", "QV6", "USB001"}}), channel(spooler, dialogs, ".") {}

    MemorySpooler spooler;
    testing::RecordingDialogs dialogs;
    PrintChannel channel;
};

TEST_F(TestPrintsTest, EachFixedButtonSendsItsBytesAsOneDocument) {
    struct Row {
        void (*send)(PrintChannel&);
        const char* hex;
    };
    const Row rows[] = {{PrintSelfTest, "1B3A000050"},
                        {FeedLine, "0A"},
                        {FeedPage, "0C"},
                        {FeedForward, "1B4A03"},
                        {FeedBack, "1B6A03"}};
    for (const auto& row : rows) {
        spooler.ClearDocuments();
        row.send(channel);
        ASSERT_EQ(spooler.Documents().size(), 1u) << row.hex;
        EXPECT_EQ(EncodeHex(spooler.Documents()[0].bytes), row.hex);
    }
}

TEST_F(TestPrintsTest, PinTestLineSetsOnlyItsDotIn200Columns) {
    for (int pin = 1; pin <= 8; ++pin) {
        const auto line = DecodeHex(BuildPinTestLine(pin));
        ASSERT_TRUE(line);
        ASSERT_EQ(line->size(), 1849u);
        EXPECT_EQ(EncodeHex({line->begin(), line->begin() + 5}), "1B2A013207");
        const auto dots = static_cast<std::uint8_t>(0x80 >> (pin - 1));
        for (std::size_t i = 5; i < 1847; ++i) {
            ASSERT_EQ((*line)[i], i >= 47 && i < 247 ? dots : 0) << "pin " << pin << " offset " << i;
        }
        EXPECT_EQ(EncodeHex({line->end() - 2, line->end()}), "0D0A");
    }
    EXPECT_TRUE(BuildPinTestLine(0).empty());
    EXPECT_TRUE(BuildPinTestLine(9).empty());
}

TEST_F(TestPrintsTest, PinTestIsEighteenDocuments) {
    PrintPinTest(channel);
    const auto& documents = spooler.Documents();
    ASSERT_EQ(documents.size(), 18u);
    EXPECT_EQ(EncodeHex(documents[0].bytes), "0A");
    for (int pin = 1; pin <= 8; ++pin) {
        const auto index = static_cast<std::size_t>(2 * pin - 1);
        EXPECT_EQ(EncodeHex(documents[index].bytes), EncodeHex({static_cast<std::uint8_t>('0' + pin), 0x0D}));
        EXPECT_EQ(EncodeHex(documents[index + 1].bytes), BuildPinTestLine(pin));
    }
    EXPECT_EQ(documents[2].bytes[47], 0x80);
    EXPECT_EQ(EncodeHex(documents[17].bytes), "1B4A50");
}

TEST_F(TestPrintsTest, AMissingPrinterIsReportedOncePerDocument) {
    spooler.SetCannotOpen("QV640");
    PrintPinTest(channel);
    EXPECT_EQ(dialogs.Messages().size(), 18u);
    EXPECT_TRUE(spooler.Documents().empty());
}

}  // namespace
}  // namespace qvset
