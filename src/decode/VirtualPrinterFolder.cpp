#include "decode/VirtualPrinterFolder.h"

#include <string>
#include <system_error>

namespace qvset {
namespace {

constexpr std::string_view kScheme = "qvprinter:";
constexpr std::string_view kEmptyAuthority = "//";

}  // namespace

std::optional<std::filesystem::path> VirtualPrinterFolder(std::string_view deviceUri) {
    if (!deviceUri.starts_with(kScheme)) return std::nullopt;
    std::string_view path = deviceUri.substr(kScheme.size());
    if (path.starts_with(kEmptyAuthority)) path.remove_prefix(kEmptyAuthority.size());
    if (path.empty() || path.front() != '/') return std::nullopt;
    return std::filesystem::path(std::string(path));
}

std::string FolderProblem(const std::filesystem::path& folder) {
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(folder, code);
    if (status.type() == std::filesystem::file_type::not_found) return "is missing";
    if (code) return "cannot be reached (" + code.message() + ")";
    if (!std::filesystem::is_directory(status)) return "is not a folder";
    return {};
}

}  // namespace qvset
