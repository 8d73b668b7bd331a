#include "files/TemporaryNames.h"

#include <random>
#include <string_view>
#include <system_error>

namespace qvset {
namespace {

// Symbolic links followed before giving up, as the kernel does.
constexpr int kMostLinks = 40;
constexpr std::string_view kTemporaryPrefix = ".qv";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kRandomCharacters = 8;

}  // namespace

std::filesystem::path FollowSymbolicLinks(std::filesystem::path path) {
    for (int hop = 0; hop < kMostLinks; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error)) return path;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

std::string TemporaryFileName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string name(kTemporaryPrefix);
    for (std::size_t i = 0; i < kRandomCharacters; ++i)
        name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
    name += kTemporarySuffix;
    return name;
}

}  // namespace qvset
