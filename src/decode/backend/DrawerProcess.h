#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace qvset {

// The drawer qvprinter-draw, started by every way a job reaches a virtual printer (the CUPS backend,
// qvprinter-listen, the IPP command) once the job is listed in the folder.

// The drawer: beside the running program (a build tree, or lib/qvset for the IPP command), in
// lib/qvset beside lib/cups/backend (the installed backend) or beside bin (the installed listener).
std::optional<std::filesystem::path> FindDrawer();

// How a started drawer runs.
enum class DrawerMode {
    // Waited for; its errors on the caller's standard error.
    Attached,
    // In a session of its own, with standard input, output and errors on /dev/null and its errors
    // appended to the folder's qvprinter.log: it outlives the caller and a terminal's Ctrl+C.
    Detached,
};

// Starts the drawer on the folder; its process id, or -1 when it could not be started.
pid_t StartDrawer(const std::filesystem::path& drawer, const std::filesystem::path& folder, DrawerMode mode);

// Waits for a drawer started Attached: true when it recorded every job.
bool WaitForDrawer(pid_t drawer);

}  // namespace qvset
