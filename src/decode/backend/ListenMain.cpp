// qvprinter-listen: a virtual QV6 printer's folder served on a TCP port, as a network printer's raw port
// (AppSocket, JetDirect): each connection's bytes, up to its close, are one job, recorded in the folder
// as the qvprinter CUPS backend records a job. See JobListener.
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "Version.h"
#include "decode/backend/JobListener.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kHelp =
    R"(usage: qvprinter-listen FOLDER [--address ADDR] [--port PORT] [--idle-timeout SECONDS] [--job-limit BYTES]
                        [--connections COUNT]

Serves the virtual QV6 printer of FOLDER on a TCP port, as a network printer's raw port (AppSocket,
JetDirect): each connection's bytes, up to its close, are one job, kept in FOLDER with its listing, its
picture, the printer's state and a line in its index, as the qvprinter CUPS backend keeps a job.
Connections open at the same time become jobs in the order they end.

FOLDER must exist and be writable by no one but its owner (mode 0755 or 0750).

options:
  --address ADDR          the address to listen on (default 127.0.0.1, this machine only;
                          0.0.0.0 or :: for every network)
  --port PORT             the TCP port (default 9100; 0 lets the system choose one)
  --idle-timeout SECONDS  close a connection that sends nothing for this long (default 90);
                          its bytes are no job
  --job-limit BYTES       close a connection that sends more (default 2147483647); its bytes are no job
  --connections COUNT     serve at most this many connections at once (default 64); when a new one
                          comes and all are taken, the one idle longest is shed (reset, its bytes no job)
  -h, --help              this text
  --version               the version

It prints the address it serves, then one line per job taken ("job 3: 120 bytes from 10.0.0.7:50412").
Connections closed for a bound, and jobs that could not be stored, are logged on standard error and
in FOLDER/qvprinter.log; connections that send nothing are counted, in one line a minute at most.
SIGINT or SIGTERM ends it: it stops accepting, takes the jobs of the connections already there whose
senders finish within a few seconds, resets the others (so that no sender sees success for a job
that is not kept), and exits once every job taken is in FOLDER; jobs taken are still drawn.
)";

[[noreturn]] void Refuse(const std::string& problem) {
    std::cerr << "qvprinter-listen: " << problem << "\nsee 'qvprinter-listen --help'\n";
    std::exit(kExitUsage);
}

// A whole number of 0 to `most`, digits only.
std::optional<std::uint64_t> ReadCount(std::string_view text, std::uint64_t most) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > most) return std::nullopt;
    return value;
}

// Seconds above 0, at most a day, with an optional fraction ("2", "0.5").
std::optional<std::chrono::milliseconds> ReadSeconds(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(seconds > 0) || seconds > 86400) return std::nullopt;
    const auto milliseconds = static_cast<std::int64_t>(std::llround(seconds * 1000));
    if (milliseconds < 1) return std::nullopt;
    return std::chrono::milliseconds(milliseconds);
}

}  // namespace

int main(int argc, char** argv) {
    qvset::ListenOptions options;
    std::optional<std::string> folder;
    bool seen[5] = {false, false, false, false, false};
    const std::string_view names[5] = {"--address", "--port", "--idle-timeout", "--job-limit",
                                       "--connections"};
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (!optionsEnded && (word == "-h" || word == "--help")) {
            std::cout << kHelp;
            return kExitOk;
        }
        if (!optionsEnded && word == "--version") {
            std::cout << "qvprinter-listen " << qvset::kVersion << "\n";
            return kExitOk;
        }
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !word.starts_with("-") || word == "-") {
            if (folder) Refuse("one folder only; \"" + word + "\" is one too many");
            folder = word;
            continue;
        }
        std::string value;
        const auto equals = word.find('=');
        bool joined = false;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
            word.resize(equals);
            joined = true;
        }
        int which = -1;
        for (int n = 0; n < 5; ++n) {
            if (word == names[n]) which = n;
        }
        if (which < 0) Refuse("unknown option " + word);
        if (seen[which]) Refuse(word + " is given twice");
        seen[which] = true;
        if (!joined) {
            if (i + 1 >= argc) Refuse(word + " needs a value");
            value = argv[++i];
        }
        switch (which) {
            case 0:
                if (value.empty()) Refuse("--address needs an address");
                options.address = value;
                break;
            case 1: {
                const auto port = ReadCount(value, 65535);
                if (!port) Refuse("--port takes a port number of 0 to 65535, not \"" + value + "\"");
                options.port = std::to_string(*port);
                break;
            }
            case 2: {
                const auto timeout = ReadSeconds(value);
                if (!timeout)
                    Refuse("--idle-timeout takes seconds above 0, at most 86400, not \"" + value + "\"");
                options.idleTimeout = *timeout;
                break;
            }
            case 4: {
                const auto count = ReadCount(value, 100000);
                if (!count || *count == 0)
                    Refuse("--connections takes a count of 1 to 100000, not \"" + value + "\"");
                options.mostConnections = static_cast<std::size_t>(*count);
                break;
            }
            default: {
                const auto limit = ReadCount(value, 1ULL << 53);
                if (!limit || *limit == 0)
                    Refuse("--job-limit takes a number of bytes above 0, not \"" + value + "\"");
                options.jobLimit = *limit;
                break;
            }
        }
    }
    if (!folder) Refuse("the folder of the virtual printer is missing");
    options.folder = *folder;
    std::string error;
    auto listener = qvset::JobListener::Open(options, error);
    if (!listener) {
        std::cerr << "qvprinter-listen: " << error << "\n";
        return kExitFailed;
    }
    std::cout << "qvprinter-listen: serving " << options.folder.string() << " on " << listener->Bound()
              << std::endl;
    listener->Serve();
    return kExitOk;
}
