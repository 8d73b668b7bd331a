// The user's devices file: reading it, changing one device while every other line stays, and the
// names a device may have.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "printer/device/DevicesFile.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

class DevicesFileTest : public ::testing::Test {
  protected:
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    testing::TestFolder folder{"qvset-devices-"};
    std::filesystem::path path = folder.Path() / "config" / "qvset" / "devices";
};

TEST_F(DevicesFileTest, AMissingFileIsNoFileAndNamesNoDevice) {
    const DevicesFile file = ReadDevicesFile(path);
    EXPECT_FALSE(file.exists);
    EXPECT_TRUE(file.devices.empty());
    EXPECT_TRUE(file.problems.empty());
}

TEST_F(DevicesFileTest, DevicesAreReadInOrderAndBadLinesAreSaidAndLeftOut) {
    std::filesystem::create_directories(path.parent_path());
    Write(
        "# the shop's printers\r\n"
        "counter  serial:/dev/ttyUSB0?baud=19200\r\n"
        "\n"
        "kitchen\tsocket://192.0.2.7\n"
        "broken socket://host:0\n"
        "lonely\n"
        "counter /tmp/again.prn\n"
        "a,b /tmp/x\n"
        "   back   /tmp/ticket out.prn   \n");
    const DevicesFile file = ReadDevicesFile(path);
    EXPECT_TRUE(file.exists);
    const std::vector<NamedDevice> expected = {{"counter", "serial:/dev/ttyUSB0?baud=19200"},
                                               {"kitchen", "socket://192.0.2.7"},
                                               {"back", "/tmp/ticket out.prn"}};
    EXPECT_EQ(file.devices, expected);
    const std::vector<std::string> problems = {
        "line 5: the port is a number from 1 to 65535", "line 6: a name and a URI are expected",
        "line 7: counter is named on an earlier line; this one is left out",
        "line 8: a device name holds no comma"};
    EXPECT_EQ(file.problems, problems);
}

TEST_F(DevicesFileTest, SettingOneDeviceRewritesItsLineAndKeepsEveryOther) {
    std::filesystem::create_directories(path.parent_path());
    Write("# mine\ncounter serial:COM3\nbad line here?\nkitchen socket://192.0.2.7\n");
    DevicesFile file = ReadDevicesFile(path);
    EXPECT_EQ(SetDevice(file, {"counter", "serial:COM3?baud=19200"}),
              std::optional<std::string>("serial:COM3"));
    EXPECT_EQ(SetDevice(file, {"back", "/tmp/back.prn"}), std::nullopt);
    std::string problem;
    ASSERT_TRUE(WriteDevicesFile(path, file, problem)) << problem;
    EXPECT_EQ(Read(),
              "# mine\ncounter serial:COM3?baud=19200\nbad line here?\nkitchen socket://192.0.2.7\n"
              "back /tmp/back.prn\n");
    EXPECT_TRUE(RemoveDevice(file, "kitchen"));
    EXPECT_FALSE(RemoveDevice(file, "kitchen"));
    ASSERT_TRUE(WriteDevicesFile(path, file, problem)) << problem;
    const DevicesFile again = ReadDevicesFile(path);
    const std::vector<NamedDevice> expected = {{"counter", "serial:COM3?baud=19200"},
                                               {"back", "/tmp/back.prn"}};
    EXPECT_EQ(again.devices, expected);
    EXPECT_EQ(FindDevice(again, "back")->uri, "/tmp/back.prn");
    EXPECT_FALSE(FindDevice(again, "kitchen"));
}

TEST_F(DevicesFileTest, AFileThatIsAFolderExistsAndSaysSo) {
    std::filesystem::create_directories(path);
    const DevicesFile file = ReadDevicesFile(path);
    EXPECT_TRUE(file.exists);
    EXPECT_TRUE(file.devices.empty());
    ASSERT_EQ(file.problems.size(), 1u);
    EXPECT_NE(file.problems[0].find("not a file"), std::string::npos) << file.problems[0];
}

TEST(DeviceName, OneWordThatIsNoUri) {
    for (const char* good : {"counter", "QV640-front", "厨房", "back_2"})
        EXPECT_FALSE(DeviceNameProblem(good)) << good;
    const std::vector<std::pair<std::string, std::string>> bad = {{"", "needs a name"},
                                                                  {"two words", "one word"},
                                                                  {"tab\tname", "one word"},
                                                                  {"a,b", "no comma"},
                                                                  {"#hash", "does not begin with #"},
                                                                  {"socket://x", "no device URI"},
                                                                  {"/dev/ttyS0", "no device URI"},
                                                                  {"serial:COM1", "no device URI"}};
    for (const auto& [name, expected] : bad) {
        const auto problem = DeviceNameProblem(name);
        ASSERT_TRUE(problem) << name;
        EXPECT_NE(problem->find(expected), std::string::npos) << name << ": " << *problem;
    }
}

}  // namespace
}  // namespace qvset
