#include "decode/VirtualPrinterFolder.h"

#include <string>

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

}  // namespace qvset
