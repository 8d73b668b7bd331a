// qvctl against a private CUPS server that fails in the ways a real one does, and against files that
// are not what they seem. Each row checks the exit status, the message and the documents that arrived
// (whole or not at all), and prints itself as one line of the fault table.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

#include "Sandbox.h"
#include "console/TestPrints.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "support/DocumentsAsHex.h"
#include "support/FileBytes.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

using qvset::testing::ReadFileBytes;

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;
using Clock = std::chrono::steady_clock;

const std::string kQueue = "QV640_Virtual";
const std::string kNotRecognized = "The Printer Name you typed wasn't recognized.\n";
const std::string kUnreachable = "打印服务器无法连接或没有应答，未发送\n";

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// The documents a command sends, as the in-memory spooler sees them.
std::vector<std::string> DocumentsOf(void (*send)(PrintChannel&)) {
    MemorySpooler spooler({{"P", "d", "p"}});
    testing::RecordingDialogs dialogs;
    PrintChannel channel(spooler, dialogs, ".");
    send(channel);
    return testing::DocumentsAsHex(spooler);
}

std::vector<std::string> JobsAsHex(const std::vector<Sandbox::Job>& jobs, std::size_t from) {
    std::vector<std::string> hex;
    for (std::size_t i = from; i < jobs.size(); ++i) hex.push_back(EncodeHex(jobs[i].bytes));
    return hex;
}

// Continues a stopped server however the test ends.
class ServerFreeze {
  public:
    ServerFreeze() : m_pid(Sandbox::ServerPid()) { m_frozen = ::kill(m_pid, SIGSTOP) == 0; }
    ~ServerFreeze() { Thaw(); }
    ServerFreeze(const ServerFreeze&) = delete;
    ServerFreeze& operator=(const ServerFreeze&) = delete;
    bool IsFrozen() const { return m_frozen; }
    void Thaw() {
        if (m_frozen) ::kill(m_pid, SIGCONT);
        m_frozen = false;
    }

  private:
    int m_pid;
    bool m_frozen = false;
};

class FaultTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Sandbox::UseClientEnvironment();
        before = Sandbox::CapturedJobs(kQueue).size();
    }
    void TearDown() override { Sandbox::Shell("chattr -i '" + folder.string() + "' 2>/dev/null"); }

    // The jobs that arrived on the queue since the test began, once the server has had time to print.
    std::vector<std::string> Arrived(std::size_t expected = 0, const std::string& queue = kQueue) {
        const auto jobs = Sandbox::WaitForJobs(queue, before + expected, std::chrono::seconds(5));
        return JobsAsHex(jobs, std::min(before, jobs.size()));
    }

    // One line of the fault table on the test's output.
    static void Row(const std::string& fault, const Sandbox::Result& result, std::size_t arrived,
                    std::chrono::milliseconds took = {}) {
        std::string message = result.err.substr(0, result.err.find('\n'));
        std::cout << "fault-table | " << fault << " | exit " << result.status << " | " << message << " | "
                  << arrived << " documents arrived";
        if (took.count() > 0) std::cout << " | " << took.count() << " ms";
        std::cout << std::endl;
    }

    testing::TestFolder testFolder{"qvset-faults-"};
    const fs::path& folder = testFolder.Path();
    std::size_t before = 0;
};

TEST_F(FaultTableTest, ServerDownIsReportedAsSuchByEveryKindOfCommand) {
    const std::string down = "CUPS_SERVER=" + (folder / "no-server.sock").string();
    for (const char* command : {"printers", "pick", "use QV640_Virtual", "--printer QV640_Virtual hex 0A"}) {
        const auto result = Sandbox::RunQvctlWith(down, command);
        EXPECT_EQ(result.status, 1) << command;
        EXPECT_EQ(result.err, kUnreachable) << command;
        EXPECT_EQ(result.out, "") << command;
        if (std::string_view(command) == "printers") Row("server down: printers", result, 0);
    }
    EXPECT_TRUE(Arrived().empty());
}

TEST_F(FaultTableTest, FrozenServerFailsAWholeCommandWithinOneDeadline) {
    const auto pinTest = DocumentsOf(PrintPinTest);
    ASSERT_EQ(pinTest.size(), 18u);
    Sandbox::Result result;
    Sandbox::Result listed;
    Clock::duration took{};
    {
        ServerFreeze freeze;
        ASSERT_TRUE(freeze.IsFrozen());
        const auto start = Clock::now();
        result = Sandbox::RunQvctlWith("QVSET_SPOOLER_DEADLINE=2", "--printer QV640_Virtual pin-test");
        took = Clock::now() - start;
        listed = Sandbox::RunQvctlWith("QVSET_SPOOLER_DEADLINE=2", "printers");
    }
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Count(result.err, kUnreachable), 18u) << result.err;
    EXPECT_LT(took, std::chrono::seconds(8));
    EXPECT_EQ(listed.status, 1);
    EXPECT_EQ(listed.err, kUnreachable);
    // The first request may have been taken whole before the server froze; it then prints when the
    // server wakes, as the complete first document. Nothing else, and nothing partial.
    const auto arrived = Arrived();
    EXPECT_LE(arrived.size(), 1u);
    if (!arrived.empty()) {
        EXPECT_EQ(arrived[0], pinTest[0]);
    }
    Row("server frozen (SIGSTOP), deadline 2 s: pin-test", result, arrived.size(),
        std::chrono::duration_cast<std::chrono::milliseconds>(took));
}

TEST_F(FaultTableTest, DisabledQueueTakesTheDocumentWhichArrivesWholeOnceEnabled) {
    const std::string queue = "QV650_Offline";
    const std::size_t earlier = Sandbox::CapturedJobs(queue).size();
    ASSERT_EQ(Sandbox::Shell("cupsdisable " + queue), 0);
    const auto result = Sandbox::RunQvctl("--printer " + queue + " hex 1B 40 0A");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Sandbox::CapturedJobs(queue).size(), earlier);
    ASSERT_EQ(Sandbox::Shell("cupsenable " + queue), 0);
    const auto jobs = Sandbox::WaitForJobs(queue, earlier + 1);
    EXPECT_EQ(JobsAsHex(jobs, earlier), std::vector<std::string>{"1B400A"});
    Row("queue disabled: hex (handed to the spooler, printed once enabled)", result, jobs.size() - earlier);
}

TEST_F(FaultTableTest, RejectingQueueRefusesTheDocument) {
    ASSERT_EQ(Sandbox::Shell("cupsreject " + kQueue), 0);
    const auto result = Sandbox::RunQvctl("--printer " + kQueue + " hex 0A");
    Sandbox::Shell("cupsaccept " + kQueue);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, kNotRecognized);
    const auto arrived = Arrived();
    EXPECT_TRUE(arrived.empty());
    Row("queue rejecting: hex", result, arrived.size());
}

TEST_F(FaultTableTest, QueueDeletedBetweenTheDocumentsOfOneCommand) {
    const std::string queue = "QV640_Gone";
    ASSERT_EQ(Sandbox::Shell(std::string(QVSET_SANDBOX_SCRIPT) + " add-queue " QVSET_SANDBOX_DIR " " + queue),
              0);
    const fs::path index = fs::path(QVSET_SANDBOX_DIR) / "capture" / queue / "index";
    // The queue goes once its first document (of three, 2.5 s apart) has printed.
    std::thread remover([&] {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (fs::file_size(index) == 0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Sandbox::Shell("lpadmin -x " + queue);
    });
    const auto result = Sandbox::RunQvctl("--printer " + queue + " factory-restore");
    remover.join();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, kNotRecognized + kNotRecognized);
    const auto jobs = testing::ReadCapturedJobs(index.parent_path());
    EXPECT_EQ(JobsAsHex(jobs, 0), std::vector<std::string>{"1B3A000052"});
    Row("queue deleted after the first of three documents: factory-restore", result, jobs.size());
}

TEST_F(FaultTableTest, FullSpoolRefusesTheDocumentWhole) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small spool needs root";
    const fs::path spool = fs::path(QVSET_SANDBOX_DIR) / "spool";
    ASSERT_EQ(Sandbox::Shell("mount -t tmpfs -o size=1m qvset-spool '" + spool.string() +
                             "' && mkdir -m 0777 '" + (spool / "tmp").string() + "'"),
              0);
    const fs::path big = folder / "big.prn";
    std::ofstream(big, std::ios::binary) << std::string(3 << 20, 'x');
    const auto result = Sandbox::RunQvctl("--printer " + kQueue + " file " + big.string());
    Sandbox::Shell("umount '" + spool.string() + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "打印服务器拒收文档（空间不足或文档过大），未发送\n");
    const auto arrived = Arrived();
    EXPECT_TRUE(arrived.empty());
    Row("spool full (1 MiB spool, 3 MiB file)", result, arrived.size());
}

TEST_F(FaultTableTest, DefaultThatCannotBeWrittenIsReportedAndNotUsed) {
    // lpoptions as a folder cannot be written, by root either (root's lpoptions is in the client root).
    fs::create_directories(folder / "home" / ".cups" / "lpoptions");
    fs::create_directories(folder / "client" / "lpoptions");
    const std::string env =
        "HOME=" + (folder / "home").string() + " CUPS_SERVERROOT=" + (folder / "client").string();
    const auto result = Sandbox::RunQvctlWith(env, "use Office_Laser");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("默认打印机未能写入：Office_Laser,", 0), 0u) << result.err;
    const auto picked = Sandbox::RunQvctlWith(env, "pick");
    EXPECT_EQ(picked.status, 1);
    EXPECT_EQ(Count(picked.err, "默认打印机未能写入："), 2u)
        << picked.err;  // Office_Laser, then QV640_Virtual
    Row("lpoptions unwritable: use", result, 0);
}

TEST_F(FaultTableTest, LpdestStillWinsForOtherProgramsAndIsNoted) {
    const auto result = Sandbox::RunQvctlWith("LPDEST=Office_Laser", "use QV640_Virtual");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "注意：LPDEST=Office_Laser 仍决定其他程序的打印机\n");
    Row("LPDEST set: use", result, 0);
}

TEST_F(FaultTableTest, SaveOnAFullFileSystemKeepsTheEarlierDescription) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    const fs::path mount = folder / "small";
    fs::create_directories(mount);
    ASSERT_EQ(Sandbox::Shell("mount -t tmpfs -o size=64k qvset-small '" + mount.string() + "'"), 0);
    const fs::path path = mount / "t.txt";
    ASSERT_EQ(Sandbox::RunQvctl("ticket new " + path.string() + " --black-mark on").status, 0);
    const std::string earlier = ReadFileBytes(path);
    // Fill the rest, then try a save.
    Sandbox::Shell("dd if=/dev/zero of='" + (mount / "fill").string() + "' bs=4k 2>/dev/null");
    const auto result = Sandbox::RunQvctl("ticket new " + path.string() + " --paper 58 --length 152");
    const std::string after = ReadFileBytes(path);
    const auto entries = std::distance(fs::directory_iterator(mount), fs::directory_iterator());
    Sandbox::Shell("umount '" + mount.string() + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "保存失败\n");
    EXPECT_EQ(after, earlier);
    EXPECT_EQ(entries, 2);  // the description and the filler: no temporary file left
    Row("save on a full file system: ticket new", result, 0);
}

TEST_F(FaultTableTest, SaveIntoAFolderThatTakesNoNewFileWritesInPlace) {
    const fs::path path = folder / "t.txt";
    ASSERT_EQ(Sandbox::RunQvctl("ticket new " + path.string() + " --black-mark on").status, 0);
    const bool root = ::geteuid() == 0;
    if (root ? Sandbox::Shell("chattr +i '" + folder.string() + "' 2>/dev/null") != 0
             : (fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove), false)) {
        GTEST_SKIP() << "the file system has no immutable attribute";
    }
    const auto result = Sandbox::RunQvctl("ticket new " + path.string() + " --paper 58");
    const auto shown = Sandbox::RunQvctl("ticket show " + path.string());
    Sandbox::Shell("chattr -i '" + folder.string() + "' 2>/dev/null");
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "保存成功\n");
    EXPECT_NE(shown.out.find("2 纸张类型设置: 88 58mm"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("1 黑标设置: 0 "), std::string::npos) << shown.out;
    Row("save into a read-only folder: ticket new (written in place)", result, 0);
}

TEST_F(FaultTableTest, SaveThroughLinksKeepsThemAndTheMode) {
    fs::create_directories(folder / "real");
    const fs::path target = folder / "real" / "t.txt";
    ASSERT_EQ(Sandbox::RunQvctl("ticket new " + target.string()).status, 0);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    fs::create_symlink(target, folder / "link.txt");
    fs::create_hard_link(target, folder / "hard.txt");
    const auto viaLink = Sandbox::RunQvctl("ticket new " + (folder / "link.txt").string() + " --paper 58");
    EXPECT_EQ(viaLink.status, 0);
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    const auto viaHard = Sandbox::RunQvctl("ticket new " + (folder / "hard.txt").string() + " --paper 76");
    EXPECT_EQ(viaHard.status, 0);
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(folder / "hard.txt"));
    EXPECT_NE(ReadFileBytes(target).find("A99"), std::string::npos);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    Row("save through a symbolic link and a hard link, mode 600", viaHard, 0);
}

TEST_F(FaultTableTest, PrintFilesThatCannotBeSentWholeAreRefusedAtOnce) {
    const fs::path sparse = folder / "big.prn";
    std::ofstream(sparse, std::ios::binary) << "x";
    fs::resize_file(sparse, (std::uintmax_t{1} << 31) + 16);
    ASSERT_EQ(::mkfifo((folder / "fifo.prn").c_str(), 0600), 0);
    fs::create_directory(folder / "dir.prn");
    const struct {
        std::string name;
        fs::path path;
        std::string message;
    } rows[] = {
        {"2 GiB + 16 sparse print file", sparse,
         "打印文件 " + sparse.string() + " 有 2147483664 字节，超过上限 2147483647 字节，未发送\n"},
        {"FIFO without a writer", folder / "fifo.prn",
         "找不到打印文件 " + (folder / "fifo.prn").string() + "，或文件为空\n"},
        {"directory", folder / "dir.prn",
         "找不到打印文件 " + (folder / "dir.prn").string() + "，或文件为空\n"},
    };
    for (const auto& row : rows) {
        const auto start = Clock::now();
        const auto result = Sandbox::RunQvctl("--printer " + kQueue + " file " + row.path.string());
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        EXPECT_EQ(result.status, 2) << row.name;
        EXPECT_EQ(result.err, row.message) << row.name;
        EXPECT_LT(took, std::chrono::seconds(5)) << row.name;
        Row(row.name + ": file", result, 0, took);
    }
    EXPECT_TRUE(Arrived().empty());
}

TEST_F(FaultTableTest, OutputThatCannotBeWrittenFailsTheCommand) {
    const fs::path path = folder / "t.txt";
    ASSERT_EQ(Sandbox::RunQvctl("ticket new " + path.string()).status, 0);
    const fs::path err = folder / "err";
    const std::string qvctl(QVSET_QVCTL);
    Sandbox::Result result;
    result.status = Sandbox::Shell(qvctl + " ticket show " + path.string() + " >/dev/full 2>" + err.string());
    result.err = ReadFileBytes(err);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "qvctl: 输出无法写入\n");
    EXPECT_EQ(Sandbox::Shell(qvctl + " printers >/dev/full 2>/dev/null"), 1);
    EXPECT_EQ(Sandbox::Shell(qvctl + " ticket show " + path.string() + " >/dev/null"), 0);
    Row("output to a full device: ticket show", result, 0);
}

}  // namespace
}  // namespace qvset
