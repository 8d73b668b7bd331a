#pragma once

#include "printer/win/WinApi.h"

namespace qvset::win {

// An open printer, closed with ClosePrinter when the holder goes (or earlier by Close). Holds nothing
// when OpenPrinterA failed.
class PrinterHandle {
  public:
    explicit PrinterHandle(const WinApi& api) : m_api(api) {}
    ~PrinterHandle() { Close(); }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;

    // OpenPrinterA with no default settings; false when the printer cannot be opened.
    bool Open(const std::string& ansiName) {
        Close();
        std::string name = ansiName;  // OpenPrinterA takes a writable name
        HANDLE handle = nullptr;
        if (!m_api.OpenPrinterA(name.data(), &handle, nullptr) || handle == nullptr) return false;
        m_handle = handle;
        return true;
    }
    void Close() {
        if (m_handle != nullptr) m_api.ClosePrinter(m_handle);
        m_handle = nullptr;
    }
    HANDLE Get() const { return m_handle; }

  private:
    const WinApi& m_api;
    HANDLE m_handle = nullptr;
};

// An open registry key, closed with RegCloseKey when the holder goes.
class RegistryKey {
  public:
    explicit RegistryKey(const WinApi& api) : m_api(api) {}
    ~RegistryKey() {
        if (m_key != nullptr) m_api.RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool Open(HKEY parent, LPCSTR subKey) {
        HKEY key = nullptr;
        if (m_api.RegOpenKeyA(parent, subKey, &key) != ERROR_SUCCESS) return false;
        m_key = key;
        return true;
    }
    HKEY Get() const { return m_key; }

  private:
    const WinApi& m_api;
    HKEY m_key = nullptr;
};

// LocalFree for memory the system allocated for us (CommandLineToArgvW).
template <typename T>
class LocalMemory {
  public:
    LocalMemory(const WinApi& api, T* memory) : m_api(api), m_memory(memory) {}
    ~LocalMemory() {
        if (m_memory != nullptr) m_api.LocalFree(m_memory);
    }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;
    T* Get() const { return m_memory; }

  private:
    const WinApi& m_api;
    T* m_memory;
};

}  // namespace qvset::win
