#include "support/CaptureFolder.h"

#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "printer/HexCodec.h"
#include "printer/PrintChannel.h"
#include "support/FileBytes.h"

namespace qvset::testing {

std::vector<CapturedJob> ReadCapturedJobs(const std::filesystem::path& folder) {
    std::vector<CapturedJob> jobs;
    std::istringstream index(ReadFileBytes(folder / "index"));
    std::string line;
    while (std::getline(index, line)) {
        const auto tab = line.find('\t');
        CapturedJob job{line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1), {}};
        const std::string bytes = ReadFileBytes(folder / (job.id + ".prn"));
        job.bytes.assign(bytes.begin(), bytes.end());
        jobs.push_back(std::move(job));
    }
    return jobs;
}

std::vector<CapturedJob> WaitForCapturedJobs(const std::filesystem::path& folder, std::size_t count,
                                             std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto jobs = ReadCapturedJobs(folder);
    while (jobs.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        jobs = ReadCapturedJobs(folder);
    }
    return jobs;
}

std::vector<std::string> DocumentsFrom(const std::vector<CapturedJob>& jobs, std::size_t first,
                                       const std::string& context) {
    std::vector<std::string> documents;
    for (std::size_t i = first; i < jobs.size(); ++i) {
        EXPECT_EQ(jobs[i].title, kDocumentName) << context;
        documents.push_back(EncodeHex(jobs[i].bytes));
    }
    return documents;
}

}  // namespace qvset::testing
