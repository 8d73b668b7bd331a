#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace qvset {

// The folder of a virtual printer's device URI "qvprinter:/some/folder" (also "qvprinter:///some/folder");
// nullopt for any other URI.
std::optional<std::filesystem::path> VirtualPrinterFolder(std::string_view deviceUri);

}  // namespace qvset
