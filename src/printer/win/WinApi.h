#pragma once

// Every Windows call of the spooler and of the default-printer setting, declared in this one place.
// WinSpooler reaches the platform only through a WinApi table: SystemWinApi() holds the real
// functions, tests hand in fakes (to walk paths the machine at hand cannot show, such as the
// pre-NT branch of the default-printer setting or a printer whose queue is not empty).
// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

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
};

// The real functions of the running system.
const WinApi& SystemWinApi();

}  // namespace qvset::win
