#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qvset {

// The folder of a virtual printer's device URI "qvprinter:/some/folder" (also "qvprinter:///some/folder");
// nullopt for any other URI.
std::optional<std::filesystem::path> VirtualPrinterFolder(std::string_view deviceUri);

// What keeps a virtual printer's folder from being used, as words after its name: "is missing",
// "is not a folder" (a regular file, a device), "cannot be reached (REASON)" when it could not be looked
// at (no search permission on the way, a link loop); empty when it is a folder.
std::string FolderProblem(const std::filesystem::path& folder);

}  // namespace qvset
