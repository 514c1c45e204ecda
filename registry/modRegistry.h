// modRegistry: the platform functions that the registry operations and the About window call,
// declared as one interface so that they run over the real advapi32/shell32 (Win32Registry) or
// over a test double.
//
// The signatures follow the Windows ANSI functions argument for argument, with portable types:
// a handle is an intptr_t (hive handles are the signed 32-bit values sign-extended, exactly as
// HKEY holds them on x64), a status is the LONG the function returns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plumeroll {

using RegHandle = std::intptr_t;
using RegStatus = std::int32_t;

// Predefined hive handles, as the signed 32-bit values that Windows defines.
inline constexpr std::int32_t kHkeyClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t kHkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t kHkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t kHkeyUsers = static_cast<std::int32_t>(0x80000003u);

// Status codes the registry functions return.
inline constexpr RegStatus kErrorSuccess = 0;
inline constexpr RegStatus kErrorFileNotFound = 2;
inline constexpr RegStatus kErrorAccessDenied = 5;
inline constexpr RegStatus kErrorInvalidHandle = 6;
inline constexpr RegStatus kErrorInvalidParameter = 87;
inline constexpr RegStatus kErrorMoreData = 234;
inline constexpr RegStatus kErrorNoMoreItems = 259;
inline constexpr RegStatus kErrorKeyDeleted = 1018;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::int32_t kSwShowNormal = 1;

class modRegistry {
 public:
  virtual ~modRegistry() = default;

  virtual RegStatus RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) = 0;
  virtual RegStatus RegCreateKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) = 0;
  virtual RegStatus RegQueryValueExA(RegHandle hKey, const char* lpValueName,
                                     std::uint32_t* lpReserved, std::uint32_t* lpType,
                                     std::uint8_t* lpData, std::uint32_t* lpcbData) = 0;
  virtual RegStatus RegSetValueExA(RegHandle hKey, const char* lpValueName,
                                   std::uint32_t Reserved, std::uint32_t dwType,
                                   const std::uint8_t* lpData, std::uint32_t cbData) = 0;
  virtual RegStatus RegDeleteValueA(RegHandle hKey, const char* lpValueName) = 0;
  virtual RegStatus RegCloseKey(RegHandle hKey) = 0;
  virtual RegStatus RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) = 0;
  // lpftLastWriteTime points at a FILETIME (two 32-bit words) or is null.
  virtual RegStatus RegEnumKeyExA(RegHandle hKey, std::uint32_t dwIndex, char* lpName,
                                  std::uint32_t* lpcchName, std::uint32_t* lpReserved,
                                  char* lpClass, std::uint32_t* lpcchClass,
                                  void* lpftLastWriteTime) = 0;
  virtual RegStatus RegEnumValueA(RegHandle hKey, std::uint32_t dwIndex, char* lpValueName,
                                  std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                                  std::uint32_t* lpType, std::uint8_t* lpData,
                                  std::uint32_t* lpcbData) = 0;
  // Returns the HINSTANCE value (greater than 32 on success).
  virtual std::intptr_t ShellExecuteA(std::intptr_t hwnd, const char* lpOperation,
                                      const char* lpFile, const char* lpParameters,
                                      const char* lpDirectory, std::int32_t nShowCmd) = 0;

  // The boundary between the program's UTF-8 texts and the system's ANSI code page
  // (single-byte). Characters the code page cannot hold come back as '?'.
  virtual std::string AnsiFromUtf8(std::string_view text) = 0;
  virtual std::string Utf8FromAnsi(std::string_view bytes) = 0;
};

}  // namespace plumeroll
