// Win32Registry: modRegistry over the real advapi32 and shell32 functions (ANSI forms), and the
// conversion between UTF-8 and the system's ANSI code page (CP_ACP).
#pragma once

#include "registry/modRegistry.h"

namespace plumeroll {

class Win32Registry : public modRegistry {
 public:
  RegStatus RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override;
  RegStatus RegCreateKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override;
  RegStatus RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                             std::uint32_t* lpType, std::uint8_t* lpData,
                             std::uint32_t* lpcbData) override;
  RegStatus RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved,
                           std::uint32_t dwType, const std::uint8_t* lpData,
                           std::uint32_t cbData) override;
  RegStatus RegDeleteValueA(RegHandle hKey, const char* lpValueName) override;
  RegStatus RegCloseKey(RegHandle hKey) override;
  RegStatus RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) override;
  RegStatus RegEnumKeyExA(RegHandle hKey, std::uint32_t dwIndex, char* lpName,
                          std::uint32_t* lpcchName, std::uint32_t* lpReserved, char* lpClass,
                          std::uint32_t* lpcchClass, void* lpftLastWriteTime) override;
  RegStatus RegEnumValueA(RegHandle hKey, std::uint32_t dwIndex, char* lpValueName,
                          std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                          std::uint32_t* lpType, std::uint8_t* lpData,
                          std::uint32_t* lpcbData) override;
  std::intptr_t ShellExecuteA(std::intptr_t hwnd, const char* lpOperation, const char* lpFile,
                              const char* lpParameters, const char* lpDirectory,
                              std::int32_t nShowCmd) override;

  std::string AnsiFromUtf8(std::string_view text) override;
  std::string Utf8FromAnsi(std::string_view bytes) override;
};

}  // namespace plumeroll
