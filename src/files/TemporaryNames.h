#pragma once

#include <filesystem>
#include <string>

namespace qvset {

// The file a path finally names once its symbolic links are followed (the path itself when it is none;
// a target that does not exist yet is named all the same).
std::filesystem::path FollowSymbolicLinks(std::filesystem::path path);

// A short name for a temporary file beside a target, whatever the target's length: ".qv", eight random
// letters and digits, ".tmp".
std::string TemporaryFileName();

}  // namespace qvset
