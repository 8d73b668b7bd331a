#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace qvset::testing {

// A folder of the running test's own below the system's temporary folder, removed again afterwards.
// Its name holds the process and the test's suite and name, so tests that run at the same time never
// share one.
class TestFolder {
  public:
    explicit TestFolder(const std::string& prefix)
        : m_path(std::filesystem::temp_directory_path() / Name(prefix)) {
        std::filesystem::create_directories(m_path);
    }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

  private:
    static int ProcessId() {
#ifdef _WIN32
        return _getpid();
#else
        return static_cast<int>(::getpid());
#endif
    }
    static std::string Name(const std::string& prefix) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = prefix + std::to_string(ProcessId());
        if (test != nullptr) name += std::string("-") + test->test_suite_name() + "." + test->name();
        std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests are "Table/3"
        return name;
    }

    std::filesystem::path m_path;
};

}  // namespace qvset::testing
