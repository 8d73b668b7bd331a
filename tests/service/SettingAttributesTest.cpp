#include "record/SettingAttributes.h"

#include <gtest/gtest.h>

#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"
#include "service/DocumentFormats.h"

namespace qvset {
namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string hex;
    for (const auto byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::vector<std::uint8_t> Bytes(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

TEST(SettingAttributesTest, EverySettingOfTheCatalogueIsAnAttributeInItemOrder) {
    std::vector<std::string> names;
    for (const auto& setting : SettingAttributes()) names.push_back(setting.name);
    EXPECT_EQ(names, (std::vector<std::string>{"qvset-black-mark", "qvset-paper", "qvset-head", "qvset-edge",
                                               "qvset-start-position", "qvset-end-position",
                                               "qvset-ticket-length", "qvset-print-start-offset",
                                               "qvset-black-mark-offset", "qvset-baud"}));
    const auto* baud = FindSettingAttribute("qvset-baud-default");
    ASSERT_NE(baud, nullptr);
    EXPECT_EQ(baud->syntax, SettingSyntax::Integer);
    EXPECT_EQ(baud->integers, (std::vector<int>{1, 2, 4, 12, 24, 30, 36, 42}));
    EXPECT_EQ(FindSettingAttribute("qvset-paper")->integers, (std::vector<int>{76, 58}));
    EXPECT_EQ(FindSettingAttribute("qvset-head")->keywords, (std::vector<std::string>{"standard", "quiet"}));
    EXPECT_EQ(FindSettingAttribute("qvset-threshold"), nullptr);
    EXPECT_EQ(FindSettingAttribute("black-mark"), nullptr);
}

TEST(SettingAttributesTest, AValueSendsTheBytesQvctlSendsForIt) {
    struct Row {
        std::string_view name;
        std::string_view value;
        std::string_view hex;
    };
    const Row rows[] = {
        {"qvset-black-mark", "on", "1B4202"},
        {"qvset-black-mark", "off", "1B4203"},
        {"qvset-paper", "58", "1B4205"},
        {"qvset-head", "quiet", "1B420B"},
        {"qvset-edge", "low", "1B420D"},
        {"qvset-start-position", "on", "1B4206"},
        {"qvset-end-position", "off", "1B4209"},
        {"qvset-baud", "12", "1B4211"},
        {"qvset-baud", "42", "1B4215"},
        {"qvset-ticket-length", "152",
         "1D284604000400"
         "6503"},
        {"qvset-print-start-offset", "35",
         "1D28460400050"
         "0C900"},
        {"qvset-black-mark-offset", "0", "1D2846040006000000"},
    };
    for (const auto& row : rows) {
        std::string problem;
        const auto bytes = SettingCommand(*FindSettingAttribute(row.name), row.value, problem);
        ASSERT_TRUE(bytes) << row.name << "=" << row.value << ": " << problem;
        EXPECT_EQ(Hex(*bytes), row.hex) << row.name << "=" << row.value;
    }
}

TEST(SettingAttributesTest, AValueOutsideTheCatalogueBuildsNothingAndSaysWhy) {
    struct Row {
        std::string_view name;
        std::string_view value;
    };
    const Row rows[] = {{"qvset-black-mark", "maybe"},
                        {"qvset-black-mark", "ON"},
                        {"qvset-paper", "80"},
                        {"qvset-baud", "8"},
                        {"qvset-baud", "0"},
                        {"qvset-ticket-length", "-1"},
                        {"qvset-ticket-length", "11469"},
                        {"qvset-ticket-length", "15.5"},
                        {"qvset-ticket-length", ""}};
    for (const auto& row : rows) {
        std::string problem;
        EXPECT_FALSE(SettingCommand(*FindSettingAttribute(row.name), row.value, problem)) << row.value;
        EXPECT_NE(problem.find(std::string(row.name)), std::string::npos) << problem;
    }
}

TEST(SettingAttributesTest, TheValueIsReadBackFromWhatThePrinterWasSent) {
    PrinterState state;
    for (const auto& setting : SettingAttributes())
        EXPECT_FALSE(SettingValue(setting, state)) << setting.name;
    state.Apply(DecodeDocument(Bytes("1B42031B42051B4210"
                                     "1D2846040004006503"
                                     "1D28460400050000"
                                     "00")),
                "job 1");
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-black-mark"), state), "off");
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-paper"), state), "58");
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-baud"), state), "4");
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-ticket-length"), state), "152");
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-print-start-offset"), state), "0");
    EXPECT_FALSE(SettingValue(*FindSettingAttribute("qvset-head"), state));
    EXPECT_EQ(SettingJob(*FindSettingAttribute("qvset-paper"), state), "job 1");
    // A later document wins.
    state.Apply(DecodeDocument(Bytes("1B4202")), "job 2");
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-black-mark"), state), "on");
    EXPECT_EQ(SettingJob(*FindSettingAttribute("qvset-black-mark"), state), "job 2");
}

TEST(DocumentFormatsTest, AQv6CommandStreamIsRecognisedByItsFirstCommand) {
    struct Row {
        std::string_view hex;
        bool qv6;
    };
    const Row rows[] = {
        {"1B4202", true},          // a stored switch
        {"4142430A1B4A10", true},  // text, then a feed
        {"1B40", true},            // a common receipt command (initialise)
        {"1D284604000400", true},  // a geometry command cut off by the header's end
        {"414243", false},         // text alone
        {"00010203", false},       // bytes that open no command
        {"25504446", false},       // %PDF
        {"", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(LooksLikeQv6Stream(Bytes(row.hex)), row.qv6) << row.hex;
    }
}

}  // namespace
}  // namespace qvset
