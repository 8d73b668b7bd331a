#include <cups/cups.h>
#include <unistd.h>

#include <cstdlib>

#include "printer/Platform.h"
#include "printer/SpoolerDeadline.h"
#include "printer/cups/CupsSpooler.h"

namespace qvset {

std::unique_ptr<Spooler> CreateDefaultSpooler() {
    auto spooler = std::make_unique<CupsSpooler>();
    spooler->SetDeadline(SpoolerDeadlineFromEnvironment());
    return spooler;
}

std::unique_ptr<Spooler> CreateServerSpooler(const std::string& server) {
    if (server.empty()) return CreateDefaultSpooler();
    std::string host;
    int port = 0;
    if (!ParseCupsServer(server, host, port)) return nullptr;
    auto spooler = std::make_unique<CupsSpooler>(host, port);
    spooler->SetDeadline(SpoolerDeadlineFromEnvironment());
    return spooler;
}

std::string ServerRecordName(const std::string& server) {
    if (server.empty()) return PrintServerName();
    std::string host;
    int port = 0;
    if (!ParseCupsServer(server, host, port)) return server;
    if (port == 0) return host;
    return (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path();
    return exe.parent_path();
}

std::vector<std::filesystem::path> PrintFileFolders() {
    std::vector<std::filesystem::path> folders{ProgramFolder()};
    // The XDG base directory rule: an unset or relative XDG_DATA_HOME means ~/.local/share.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && std::filesystem::path(dataHome).is_absolute()) {
        folders.push_back(std::filesystem::path(dataHome) / "qvset");
    } else if (home != nullptr && *home != '\0') {
        folders.push_back(std::filesystem::path(home) / ".local" / "share" / "qvset");
    }
    return folders;
}

std::filesystem::path StateFolder() {
    // The XDG base directory rule: an unset or relative XDG_STATE_HOME means ~/.local/state.
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    if (stateHome != nullptr && std::filesystem::path(stateHome).is_absolute()) {
        return std::filesystem::path(stateHome) / "qvset";
    }
    if (home != nullptr && *home != '\0') return std::filesystem::path(home) / ".local" / "state" / "qvset";
    return {};
}

std::filesystem::path DevicesFilePath() {
    // The XDG base directory rule: an unset or relative XDG_CONFIG_HOME means ~/.config.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (configHome != nullptr && std::filesystem::path(configHome).is_absolute()) {
        return std::filesystem::path(configHome) / "qvset" / "devices";
    }
    if (home != nullptr && *home != '\0')
        return std::filesystem::path(home) / ".config" / "qvset" / "devices";
    return {};
}

std::string PrintServerName() {
    const char* server = cupsServer();
    std::string name = server != nullptr ? server : "";
    // A domain socket has no port.
    if (name.empty() || name.front() == '/') return name;
    return name + ":" + std::to_string(ippPort());
}

}  // namespace qvset
