#pragma once

// Every Windows call of the spooler and of the default-printer setting, declared in this one place.
// WinSpooler reaches the platform only through a WinApi table: SystemWinApi() holds the real
// functions, tests hand in fakes (to walk paths the machine at hand cannot show, such as the
// pre-NT branch of the default-printer setting or a printer whose queue is not empty).
// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <setupapi.h>
#include <shellapi.h>
#include <winspool.h>

#include <functional>

namespace qvset::win {

struct WinApi {
    // Spooler: one RAW document.
    std::function<BOOL(LPSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSA defaults)> OpenPrinterA;
    std::function<DWORD(HANDLE printer, DWORD level, LPBYTE docInfo)> StartDocPrinterA;
    std::function<BOOL(HANDLE printer)> StartPagePrinter;
    std::function<BOOL(HANDLE printer, LPVOID bytes, DWORD count, LPDWORD written)> WritePrinter;
    std::function<BOOL(HANDLE printer)> EndPagePrinter;
    std::function<BOOL(HANDLE printer)> EndDocPrinter;
    std::function<BOOL(HANDLE printer)> ClosePrinter;
    // Spooler: the printer list, the default printer and the queue.
    std::function<BOOL(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                       LPDWORD returned)>
        EnumPrintersA;
    std::function<BOOL(LPSTR buffer, LPDWORD size)> GetDefaultPrinterA;
    std::function<BOOL(HANDLE printer, DWORD firstJob, DWORD jobCount, DWORD level, LPBYTE buffer, DWORD size,
                       LPDWORD needed, LPDWORD returned)>
        EnumJobsA;
    // The default-printer setting.
    std::function<BOOL(LPOSVERSIONINFOA info)> GetVersionExA;
    std::function<LONG(HKEY key, LPCSTR subKey, PHKEY result)> RegOpenKeyA;
    std::function<LONG(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size)>
        RegSetValueExA;
    std::function<LONG(HKEY key)> RegCloseKey;
    std::function<BOOL(LPCSTR section, LPCSTR key, LPCSTR value)> WriteProfileStringA;
    std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)> SendMessageA;
    // Printer names between the system's ANSI code page and the program's UTF-8.
    std::function<int(UINT codePage, DWORD flags, LPCCH text, int length, LPWSTR wide, int wideLength)>
        MultiByteToWideChar;
    std::function<int(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR text, int length,
                      LPCCH defaultChar, LPBOOL usedDefaultChar)>
        WideCharToMultiByte;
    // The program's folder and the console of qvctl.
    std::function<DWORD(HMODULE module, LPWSTR path, DWORD size)> GetModuleFileNameW;
    std::function<BOOL(UINT codePage)> SetConsoleOutputCP;
    std::function<LPWSTR()> GetCommandLineW;
    std::function<LPWSTR*(LPCWSTR commandLine, int* count)> CommandLineToArgvW;
    std::function<HLOCAL(HLOCAL memory)> LocalFree;
    // The time since start-up in milliseconds: how long a print server took to fail.
    std::function<ULONGLONG()> GetTickCount64;
    // Whether a queue's driver drops RAW documents: an XPS-pipeline (v4) driver, protected print mode.
    std::function<BOOL(HANDLE printer, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                       LPDWORD needed)>
        GetPrinterDriverA;
    std::function<BOOL(LPSTR name, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                       LPDWORD returned)>
        EnumPrinterDriversA;
    std::function<LONG(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result)> RegOpenKeyExA;
    std::function<LONG(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)>
        RegQueryValueExA;
    // The USB printer class devices (device interface GUID_DEVINTERFACE_USBPRINT) and their IEEE 1284 ids.
    std::function<HDEVINFO(const GUID* guid, PCWSTR enumerator, HWND parent, DWORD flags)>
        SetupDiGetClassDevsW;
    std::function<BOOL(HDEVINFO devices, PSP_DEVINFO_DATA device, const GUID* guid, DWORD index,
                       PSP_DEVICE_INTERFACE_DATA data)>
        SetupDiEnumDeviceInterfaces;
    std::function<BOOL(HDEVINFO devices, PSP_DEVICE_INTERFACE_DATA data,
                       PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD needed,
                       PSP_DEVINFO_DATA device)>
        SetupDiGetDeviceInterfaceDetailW;
    std::function<BOOL(HDEVINFO devices)> SetupDiDestroyDeviceInfoList;
    std::function<HANDLE(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                         DWORD creation, DWORD flags, HANDLE templateFile)>
        CreateFileW;
    std::function<BOOL(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                       LPDWORD returned, LPOVERLAPPED overlapped)>
        DeviceIoControl;
    std::function<BOOL(HANDLE handle)> CloseHandle;
};

// The real functions of the running system.
const WinApi& SystemWinApi();

}  // namespace qvset::win
