#include "printer/cups/LpOptionsFile.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <span>
#include <system_error>

#include "files/FileContents.h"
#include "files/FileLock.h"
#include "printer/LpOptions.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLockSuffix = ".lock";
// A file of options for every queue of a large site stays far below this.
constexpr std::size_t kLpOptionsLimit = 1 << 20;

// The Default line of an lpoptions file; nothing when the file is missing or cannot be read.
std::optional<std::string> DefaultDestinationIn(const fs::path& path) {
    const FileReadResult file = ReadFileContents(path, kLpOptionsLimit);
    if (file.status != FileReadStatus::Read) return std::nullopt;
    return DefaultDestinationOf(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
}

}  // namespace

fs::path UserLpOptionsPath() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* entry = ::getpwuid(::getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (home != nullptr && *home != '\0') return fs::path(home) / ".cups" / "lpoptions";
    const char* root = std::getenv("CUPS_SERVERROOT");
    return fs::path(root != nullptr && *root != '\0' ? root : "/etc/cups") / "lpoptions";
}

bool WriteDefaultDestination(const fs::path& path, const std::string& queue) {
    std::error_code code;
    if (!fs::exists(path.parent_path(), code)) {
        if (::mkdir(path.parent_path().c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    const FileLock lock(path.string() + kLockSuffix,
                        {.wait = std::nullopt, .mode = 0600, .regularOnly = false});
    if (!lock.Held()) return false;
    std::string text;
    const fs::file_status status = fs::status(path, code);
    if (status.type() != fs::file_type::not_found) {
        const FileReadResult file = ReadFileContents(path, kLpOptionsLimit);
        if (file.status != FileReadStatus::Read) return false;
        text.assign(file.bytes.begin(), file.bytes.end());
    }
    const std::string written = WithDefaultDestination(text, queue);
    return ReplaceFileContents(
        path, std::span(reinterpret_cast<const std::uint8_t*>(written.data()), written.size()));
}

std::optional<std::string> LocalDefaultDestination() {
    if (const char* lpdest = std::getenv("LPDEST")) return QueueOfDestination(lpdest);
    const char* printer = std::getenv("PRINTER");
    if (printer != nullptr && std::string_view(printer) != "lp") return QueueOfDestination(printer);
    // As libcups: the user's file by HOME alone (no password-database look-up), then the system's.
    if (const char* home = std::getenv("HOME")) {
        if (auto queue = DefaultDestinationIn(fs::path(home) / ".cups" / "lpoptions")) return queue;
    }
    const char* root = std::getenv("CUPS_SERVERROOT");
    return DefaultDestinationIn(fs::path(root != nullptr && *root != '\0' ? root : "/etc/cups") /
                                "lpoptions");
}

}  // namespace qvset
