#include "service/ServiceRawPort.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <string>
#include <vector>

namespace qvset {
namespace {

sockaddr_storage Address(const std::string& text) {
    sockaddr_storage storage{};
    auto* in4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET, text.c_str(), &in4->sin_addr) == 1) {
        in4->sin_family = AF_INET;
    } else {
        EXPECT_EQ(inet_pton(AF_INET6, text.c_str(), &in6->sin6_addr), 1) << text;
        in6->sin6_family = AF_INET6;
    }
    return storage;
}

TEST(ServiceRawPortTest, OnlyTheAllowedClientAddressesGetIn) {
    std::string error;
    const auto options = ParseRawPortOptions("qv1=9101", "", "192.168.1.0/24,10.0.0.7,2001:db8::/32", error);
    ASSERT_TRUE(options) << error;
    const std::vector<std::pair<std::string, bool>> cases{
        {"192.168.1.1", true},      {"192.168.1.255", true}, {"192.168.2.1", false},
        {"10.0.0.7", true},         {"10.0.0.8", false},     {"::ffff:192.168.1.9", true},
        {"::ffff:10.0.0.8", false}, {"2001:db8:1::5", true}, {"2001:db9::5", false},
        {"127.0.0.1", false},       {"::1", false},
    };
    for (const auto& [text, allowed] : cases) {
        const auto address = Address(text);
        EXPECT_EQ(AddressAllowed(options->allow, reinterpret_cast<const sockaddr*>(&address)), allowed)
            << text;
    }
    const auto mapped = Address("::ffff:192.168.1.9");
    EXPECT_EQ(AddressText(reinterpret_cast<const sockaddr*>(&mapped)), "192.168.1.9");
}

TEST(ServiceRawPortTest, WithoutRawAllowOnlyThisMachineGetsInAndTheListenAddressIsTheLoopback) {
    std::string error;
    const auto options = ParseRawPortOptions("qv1=9101,qv2=9102", "", "", error);
    ASSERT_TRUE(options) << error;
    ASSERT_EQ(options->ports.size(), 2U);
    EXPECT_EQ(options->ports[1].printer, "qv2");
    EXPECT_EQ(options->ports[1].port, 9102);
    EXPECT_EQ(options->listen, std::vector<std::string>{"127.0.0.1"});
    for (const auto& [text, allowed] : std::vector<std::pair<std::string, bool>>{
             {"127.0.0.1", true}, {"127.0.0.2", true}, {"::1", true}, {"192.0.2.7", false}}) {
        const auto address = Address(text);
        EXPECT_EQ(AddressAllowed(options->allow, reinterpret_cast<const sockaddr*>(&address)), allowed)
            << text;
    }
}

TEST(ServiceRawPortTest, AWrongOptionIsRefusedNamingItsValue) {
    const std::vector<std::vector<std::string>> cases{
        {"qv1", "", "", "raw-ports", "\"qv1\""},
        {"qv1=0", "", "", "raw-ports", "\"qv1=0\""},
        {"qv1=65536", "", "", "raw-ports", "\"qv1=65536\""},
        {"=9100", "", "", "raw-ports", "\"=9100\""},
        {"qv1=9101,qv2=9101", "", "", "twice", "qv2=9101"},
        {"qv1=9101,qv1=9102", "", "", "twice", "qv1=9102"},
        {"qv1=9101", "printer.local", "", "raw-listen", "\"printer.local\""},
        {"qv1=9101", "192.168.1.0/24", "", "raw-listen", "192.168.1.0/24"},
        {"qv1=9101", "", "192.168.1.0/33", "raw-allow", "\"192.168.1.0/33\""},
        {"qv1=9101", "", "everyone", "raw-allow", "\"everyone\""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseRawPortOptions(c[0], c[1], c[2], error)) << c[0] << " " << c[1] << " " << c[2];
        EXPECT_NE(error.find(c[3]), std::string::npos) << error;
        EXPECT_NE(error.find(c[4]), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace qvset
