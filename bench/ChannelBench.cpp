// Hands N small RAW documents to a CUPS queue through CupsSpooler, then the same number through
// `lp -o raw`, and prints the time per document of each and their ratio.
//
// usage: qvset_channel_bench QUEUE [N]   (CUPS_SERVER etc. point at the server to use)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "printer/cups/CupsSpooler.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s QUEUE [N]\n", argv[0]);
        return 2;
    }
    const std::string queue = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 100;
    const std::vector<std::uint8_t> payload{0x1B, 0x42, 0x01, 0x63, 0x0A};
    using Clock = std::chrono::steady_clock;

    qvset::CupsSpooler spooler;
    // One document first, so that neither side pays for the server's first job in the measurement.
    if (!spooler.WriteRawDocument(queue, "AAAAAA", payload)) {
        std::fprintf(stderr, "CupsSpooler could not print to %s\n", queue.c_str());
        return 1;
    }
    const auto spoolerStart = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (!spooler.WriteRawDocument(queue, "AAAAAA", payload)) {
            std::fprintf(stderr, "CupsSpooler could not print to %s\n", queue.c_str());
            return 1;
        }
    }
    const double spoolerMs = std::chrono::duration<double, std::milli>(Clock::now() - spoolerStart).count();

    const auto file = std::filesystem::temp_directory_path() / "qvset-bench-payload.prn";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(payload.data()), static_cast<std::streamsize>(payload.size()));
    const std::string command = "lp -s -o raw -t AAAAAA -d '" + queue + "' '" + file.string() + "'";
    const auto lpStart = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "lp failed: %s\n", command.c_str());
            return 1;
        }
    }
    const double lpMs = std::chrono::duration<double, std::milli>(Clock::now() - lpStart).count();
    std::filesystem::remove(file);

    const double perSpooler = spoolerMs / count, perLp = lpMs / count;
    std::printf("documents:        %d to %s\n", count, queue.c_str());
    std::printf("CupsSpooler:      %.3f ms per document (%.1f ms in all)\n", perSpooler, spoolerMs);
    std::printf("lp -o raw:        %.3f ms per document (%.1f ms in all)\n", perLp, lpMs);
    std::printf("ratio lp/spooler: %.1f (target: at least 10)\n", perLp / perSpooler);
    return 0;
}
