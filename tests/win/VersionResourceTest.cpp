// qvctl.exe's version resource, as Windows reads it for the file's properties: the project version.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Version.h"
#include "printer/Platform.h"

namespace qvset {
namespace {

// The built qvctl.exe, found from this test program's own folder in the build tree.
std::wstring QvctlExe() {
    return (ProgramFolder().parent_path().parent_path() / "src" / "cli" / "qvctl.exe").wstring();
}

std::wstring Widen(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(VersionResource, QvctlExeCarriesTheProjectVersion) {
    const std::wstring exe = QvctlExe();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in qvctl.exe";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));

    for (const wchar_t* name : {L"ProductVersion", L"FileVersion"}) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(info.data(), key.c_str(), &value, &length));
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), Widen(kVersion));
    }
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &fixed, &length));
    const auto* numbers = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    const std::wstring dotted = std::to_wstring(HIWORD(numbers->dwFileVersionMS)) + L"." +
                                std::to_wstring(LOWORD(numbers->dwFileVersionMS));
    EXPECT_EQ(dotted, Widen(kVersion));
}

}  // namespace
}  // namespace qvset
