#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "TuningTestSupport.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "support/RecordingDialogs.h"
#include "support/SequenceLog.h"
#include "tuning/ParameterCommands.h"

namespace qvset {
namespace {

using testing::Hex;
using testing::kModePrefixHex;

TEST(ParameterCommandsTest, FactoryTableIsTheHeaderAndTwelvePairs) {
    EXPECT_EQ(FactoryParameterTable(),
              "1B3A451A0012001FFF42002200920"
              "0FF008706000B48098008100014000800");
    const auto bytes = DecodeHex(FactoryParameterTable());
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 31u);
    // The count at offset 3 is the number of bytes after offset 4.
    EXPECT_EQ((*bytes)[3], bytes->size() - 5);
}

TEST(ParameterCommandsTest, ConsoleTextIsTheTableInBlankSeparatedPairs) {
    const std::string text = FactoryConsoleText();
    EXPECT_EQ(text.rfind("1B 3A 45 1A 00 12 00 1F FF", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 11), "14 00 08 00");
    std::string joined = text;
    joined.erase(std::remove(joined.begin(), joined.end(), ' '), joined.end());
    EXPECT_EQ(joined, FactoryParameterTable());
    EXPECT_EQ(text.size(), 31u * 3 - 1);
}

TEST(ParameterCommandsTest, SaveCommandIsEscColonNulNulR) {
    EXPECT_EQ(Hex(SaveCommand()), "1B3A000052");
}

TEST(ParameterCommandsTest, ModeValueCommandCarriesSignatureCodeValueAndFlag) {
    struct Row {
        std::uint8_t code, value, flag;
        std::string tail;
    };
    const Row rows[] = {{0x0A, 16, kStoreFlag, "0A1000"},
                        {0x0C, 40, kTestFlag, "0C28FF"},
                        {0x0B, 0, kTestFlag, "0B00FF"},
                        {0x0A, 255, kStoreFlag, "0AFF00"}};
    for (const auto& row : rows) {
        const auto command = BuildModeValueCommand(row.code, row.value, row.flag);
        EXPECT_EQ(command.size(), 11u);
        EXPECT_EQ(Hex(command), kModePrefixHex + row.tail);
    }
    // Two capitals and three digits.
    ASSERT_EQ(kCommandSignature.size(), 5u);
    EXPECT_TRUE(std::isupper(kCommandSignature[0]) && std::isupper(kCommandSignature[1]));
    EXPECT_TRUE(std::all_of(kCommandSignature.begin() + 2, kCommandSignature.end(),
                            [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }));
}

TEST(ParameterCommandsTest, RestoreSendsSaveTableSaveWithTheirPauses) {
    MemorySpooler spooler({{"QV640", "QV6", "USB001"}});
    testing::RecordingDialogs dialogs;
    testing::RecordingPause pause;
    PrintChannel channel(spooler, dialogs, ".");
    RestoreFactoryParameters(channel, pause);
    ASSERT_EQ(spooler.Documents().size(), 3u);
    EXPECT_EQ(Hex(spooler.Documents()[0].bytes), "1B3A000052");
    EXPECT_EQ(Hex(spooler.Documents()[1].bytes), FactoryParameterTable());
    EXPECT_EQ(Hex(spooler.Documents()[2].bytes), "1B3A000052");
    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 1000}));
}

TEST(ParameterCommandsTest, RestoreWaitsTwoAndAHalfSecondsAfterTheFirstSaveAndOneBeforeTheLast) {
    MemorySpooler spooler({{"QV640", "QV6", "USB001"}});
    testing::RecordingDialogs dialogs;
    testing::RecordingPause pause;
    testing::SequenceLog log(spooler, pause);
    PrintChannel channel(spooler, dialogs, ".");
    RestoreFactoryParameters(channel, pause);
    EXPECT_EQ(log.Entries(), (std::vector<std::string>{"1B3A000052", "wait 2500", FactoryParameterTable(),
                                                       "wait 1000", "1B3A000052"}));
}

TEST(ParameterCommandsTest, RestoreGoesOnWhenThePrinterCannotBeOpened) {
    MemorySpooler spooler({{"QV640", "QV6", "USB001"}});
    spooler.SetCannotOpen("QV640");
    testing::RecordingDialogs dialogs;
    testing::RecordingPause pause;
    PrintChannel channel(spooler, dialogs, ".");
    RestoreFactoryParameters(channel, pause);
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(dialogs.Messages().size(), 3u);
    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 1000}));
}

}  // namespace
}  // namespace qvset
