// Device URIs: what each form names, the settings a serial port takes, the problems of the others, and
// the URI and identity written back.
#include <gtest/gtest.h>

#include "printer/device/DeviceAddress.h"

namespace qvset {
namespace {

struct UriRow {
    std::string uri;
    DeviceKind kind;
    std::string host;
    int port;
    std::string path;
    SerialSettings serial;
    std::string written;   // DeviceUriOf
    std::string identity;  // DeviceIdentity
};

TEST(DeviceAddress, EachFormNamesItsDeviceAndIsWrittenBack) {
    const SerialSettings plain;
    const std::vector<UriRow> rows = {
        {"socket://192.0.2.7", DeviceKind::Socket, "192.0.2.7", 9100, "", plain, "socket://192.0.2.7:9100",
         "socket://192.0.2.7:9100"},
        {"socket://printer.shop:9101/", DeviceKind::Socket, "printer.shop", 9101, "", plain,
         "socket://printer.shop:9101", "socket://printer.shop:9101"},
        {"socket://[::1]:19100", DeviceKind::Socket, "::1", 19100, "", plain, "socket://[::1]:19100",
         "socket://[::1]:19100"},
        {"socket://[fe80::1]", DeviceKind::Socket, "fe80::1", 9100, "", plain, "socket://[fe80::1]:9100",
         "socket://[fe80::1]:9100"},
        {"serial:COM3", DeviceKind::Serial, "", 9100, "COM3", plain, "serial:COM3?baud=9600", "serial:COM3"},
        {"serial:\\\\.\\COM12?baud=115200",
         DeviceKind::Serial,
         "",
         9100,
         "\\\\.\\COM12",
         {115200, SerialFlow::None, 8, SerialParity::None, 1},
         "serial:\\\\.\\COM12?baud=115200",
         "serial:\\\\.\\COM12"},
        {"serial:/dev/ttyUSB0?baud=403200&flow=rtscts&bits=7&parity=even&stop=2",
         DeviceKind::Serial,
         "",
         9100,
         "/dev/ttyUSB0",
         {403200, SerialFlow::RtsCts, 7, SerialParity::Even, 2},
         "serial:/dev/ttyUSB0?baud=403200&flow=rtscts&bits=7&parity=even&stop=2",
         "serial:/dev/ttyUSB0"},
        {"serial:/dev/serial/by-id/usb-QV6-if00?flow=xonxoff&parity=odd",
         DeviceKind::Serial,
         "",
         9100,
         "/dev/serial/by-id/usb-QV6-if00",
         {9600, SerialFlow::XonXoff, 8, SerialParity::Odd, 1},
         "serial:/dev/serial/by-id/usb-QV6-if00?baud=9600&flow=xonxoff&parity=odd",
         "serial:/dev/serial/by-id/usb-QV6-if00"},
        {"usb:/dev/usb/lp0", DeviceKind::Usb, "", 9100, "/dev/usb/lp0", plain, "usb:/dev/usb/lp0",
         "usb:/dev/usb/lp0"},
        {"usb:1", DeviceKind::Usb, "", 9100, "1", plain, "usb:1", "usb:1"},
        {"/tmp/ticket.prn", DeviceKind::File, "", 9100, "/tmp/ticket.prn", plain, "/tmp/ticket.prn",
         "/tmp/ticket.prn"},
        {"./out.prn", DeviceKind::File, "", 9100, "./out.prn", plain, "./out.prn", "./out.prn"},
        {"file:///dev/null", DeviceKind::File, "", 9100, "/dev/null", plain, "/dev/null", "/dev/null"},
        {"C:\\Tickets\\out.prn", DeviceKind::File, "", 9100, "C:\\Tickets\\out.prn", plain,
         "C:\\Tickets\\out.prn", "C:\\Tickets\\out.prn"},
    };
    for (const auto& row : rows) {
        std::string problem;
        const auto address = ParseDeviceUri(row.uri, problem);
        ASSERT_TRUE(address) << row.uri << ": " << problem;
        EXPECT_EQ(address->kind, row.kind) << row.uri;
        EXPECT_EQ(address->host, row.host) << row.uri;
        EXPECT_EQ(address->port, row.port) << row.uri;
        EXPECT_EQ(address->path, row.path) << row.uri;
        EXPECT_EQ(address->serial, row.serial) << row.uri;
        EXPECT_EQ(DeviceUriOf(*address), row.written) << row.uri;
        EXPECT_EQ(DeviceIdentity(*address), row.identity) << row.uri;
        EXPECT_TRUE(LooksLikeDeviceUri(row.uri)) << row.uri;
        // What is written back reads as the same device.
        const auto again = ParseDeviceUri(DeviceUriOf(*address), problem);
        ASSERT_TRUE(again) << row.written;
        EXPECT_EQ(*again, *address) << row.written;
    }
}

TEST(DeviceAddress, TheSwitchRatesAndTheUsualOthersAreTakenAndNoOthers) {
    for (const int multiple : {1, 2, 4, 12, 24, 30, 36, 42}) {
        std::string problem;
        const auto address = ParseDeviceUri("serial:COM1?baud=" + std::to_string(9600 * multiple), problem);
        ASSERT_TRUE(address) << multiple << ": " << problem;
        EXPECT_EQ(address->serial.baud, 9600 * multiple);
    }
    for (const char* rate : {"1200", "57600", "460800", "921600"}) {
        std::string problem;
        EXPECT_TRUE(ParseDeviceUri(std::string("serial:COM1?baud=") + rate, problem)) << rate;
    }
    for (const char* rate : {"0", "9601", "76800", "-9600", "9600x", "", "99999999"}) {
        std::string problem;
        EXPECT_FALSE(ParseDeviceUri(std::string("serial:COM1?baud=") + rate, problem)) << rate;
        EXPECT_NE(problem.find("baud takes one of"), std::string::npos) << rate << ": " << problem;
    }
}

TEST(DeviceAddress, WhatIsNoDeviceSaysWhy) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", "no device given"},
        {"QV640", "not a device URI"},
        {"ipp://host/ipp/print", "not a device URI"},
        {"socket://", "no host"},
        {"socket://:9100", "no host"},
        {"socket://host:0", "the port is a number from 1 to 65535"},
        {"socket://host:65536", "the port is a number from 1 to 65535"},
        {"socket://host:91x", "the port is a number from 1 to 65535"},
        {"socket://host:9100/queue", "the port is a number from 1 to 65535"},
        {"socket://::1", "no host"},
        {"socket://[::1]9100", "only a port may follow the host"},
        {"socket://[]", "an IPv6 address is written in brackets"},
        {"socket://my host", "not a host name or address"},
        {"serial:", "no serial port"},
        {"serial:?baud=9600", "no serial port"},
        {"serial:COM1?speed=9600", "not speed"},
        {"serial:COM1?baud", "a setting is written KEY=VALUE"},
        {"serial:COM1?baud=9600&baud=19200", "baud is given twice"},
        {"serial:COM1?flow=hardware", "flow takes none, rtscts or xonxoff"},
        {"serial:COM1?bits=9", "bits takes 5, 6, 7 or 8"},
        {"serial:COM1?parity=mark", "parity takes none, even or odd"},
        {"serial:COM1?stop=1.5", "stop takes 1 or 2"},
        {"usb:", "no USB device"},
        {"file:", "no file"},
        {"/tmp/a\nb", "no control characters"},
    };
    for (const auto& [uri, expected] : rows) {
        std::string problem;
        EXPECT_FALSE(ParseDeviceUri(uri, problem)) << uri;
        EXPECT_NE(problem.find(expected), std::string::npos) << uri << ": " << problem;
    }
}

TEST(DeviceAddress, PrinterNamesAreNoDeviceUris) {
    for (const char* name : {"QV640", "Office_Laser", "QV6:front", "\\\\server\\QV640", "shop/counter"}) {
        EXPECT_FALSE(LooksLikeDeviceUri(name)) << name;
    }
}

}  // namespace
}  // namespace qvset
