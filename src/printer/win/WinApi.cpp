#include "printer/win/WinApi.h"

namespace qvset::win {

const WinApi& SystemWinApi() {
    static const WinApi api{
        ::OpenPrinterA,
        ::StartDocPrinterA,
        ::StartPagePrinter,
        ::WritePrinter,
        ::EndPagePrinter,
        ::EndDocPrinter,
        ::ClosePrinter,
        ::EnumPrintersA,
        ::GetDefaultPrinterA,
        ::EnumJobsA,
        ::GetVersionExA,
        ::RegOpenKeyA,
        ::RegSetValueExA,
        ::RegCloseKey,
        ::WriteProfileStringA,
        ::SendMessageA,
        ::MultiByteToWideChar,
        ::WideCharToMultiByte,
        ::GetModuleFileNameW,
        ::SetConsoleOutputCP,
        ::GetCommandLineW,
        ::CommandLineToArgvW,
        ::LocalFree,
        ::GetTickCount64,
        ::GetPrinterDriverA,
        ::EnumPrinterDriversA,
        ::RegOpenKeyExA,
        ::RegQueryValueExA,
        ::SetupDiGetClassDevsW,
        ::SetupDiEnumDeviceInterfaces,
        ::SetupDiGetDeviceInterfaceDetailW,
        ::SetupDiDestroyDeviceInfoList,
        ::CreateFileW,
        ::DeviceIoControl,
        ::CloseHandle,
    };
    return api;
}

}  // namespace qvset::win
