// Where a copy of the program looks for "file.prn": its own folder first, then the user's qvset folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "printer/Platform.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

// Sets (or with nullopt unsets) an environment variable for one test and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        Apply(value);
    }
    ~ScopedVariable() { Apply(m_old); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    void Apply(const std::optional<std::string>& value) {
        if (value) {
            setenv(m_name, value->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

struct FolderRow {
    std::optional<std::string> dataHome;
    std::optional<std::string> home;
    std::optional<fs::path> second;  // nullopt: the program's folder alone
};

TEST(PrintFileFolders, TheProgramFolderFirstThenTheUsersDataFolder) {
    const std::vector<FolderRow> rows = {
        {std::nullopt, "/home/tech", fs::path("/home/tech/.local/share/qvset")},
        {"/data/tech", "/home/tech", fs::path("/data/tech/qvset")},
        {"", "/home/tech", fs::path("/home/tech/.local/share/qvset")},
        {"relative/dir", "/home/tech", fs::path("/home/tech/.local/share/qvset")},
        {std::nullopt, std::nullopt, std::nullopt},
        {"/data/tech", std::nullopt, fs::path("/data/tech/qvset")},
    };
    for (const auto& row : rows) {
        ScopedVariable dataHome("XDG_DATA_HOME", row.dataHome);
        ScopedVariable home("HOME", row.home);
        const auto folders = PrintFileFolders();
        ASSERT_FALSE(folders.empty());
        EXPECT_EQ(folders.front(), ProgramFolder());
        EXPECT_EQ(folders.size(), row.second ? 2u : 1u) << row.dataHome.value_or("(unset)");
        if (row.second && folders.size() == 2) {
            EXPECT_EQ(folders[1], *row.second);
        }
    }
}

TEST(PrintFileFolders, TheProgramFolderHoldsTheRunningProgram) {
    EXPECT_TRUE(fs::exists(ProgramFolder() / "qvset_platform_tests"));
}

}  // namespace
}  // namespace qvset
