#include <cstdlib>
#include <string>

#include "printer/Platform.h"
#include "printer/SpoolerDeadline.h"
#include "printer/win/WinApi.h"
#include "printer/win/WinSpooler.h"

namespace qvset {

std::unique_ptr<Spooler> CreateDefaultSpooler() {
    return std::make_unique<win::WinSpooler>();
}

std::unique_ptr<Spooler> CreateServerSpooler(const std::string& server) {
    if (server.empty()) return CreateDefaultSpooler();
    const auto name = win::ParseWindowsServer(server);
    if (!name) return nullptr;
    auto spooler = std::make_unique<win::WinSpooler>(*name);
    spooler->SetDeadline(SpoolerDeadlineFromEnvironment());
    return spooler;
}

std::string ServerRecordName(const std::string& server) {
    if (server.empty()) return PrintServerName();
    return win::ParseWindowsServer(server).value_or(server);
}

std::filesystem::path ProgramFolder() {
    const auto& api = win::SystemWinApi();
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = api.GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::filesystem::current_path();
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).parent_path();
        }
        path.resize(path.size() * 2);  // truncated: try a longer buffer
    }
}

std::vector<std::filesystem::path> PrintFileFolders() {
    std::vector<std::filesystem::path> folders{ProgramFolder()};
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData != nullptr && *appData != L'\0') folders.push_back(std::filesystem::path(appData) / L"qvset");
    return folders;
}

std::filesystem::path StateFolder() {
    const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
    if (localAppData == nullptr || *localAppData == L'\0') return {};
    return std::filesystem::path(localAppData) / L"qvset";
}

std::filesystem::path DevicesFilePath() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == L'\0') return {};
    return std::filesystem::path(appData) / L"qvset" / L"devices";
}

std::string PrintServerName() {
    return {};
}

}  // namespace qvset
