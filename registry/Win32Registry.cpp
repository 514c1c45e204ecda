#include "registry/Win32Registry.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <string>

namespace plumeroll {
namespace {

HKEY ToHkey(RegHandle handle) {
  return reinterpret_cast<HKEY>(handle);
}

// An in-and-out DWORD argument. modRegistry counts in std::uint32_t and Windows in DWORD
// (unsigned long): the value is copied in and, once the call has returned, back out, rather
// than the pointer being cast between the two types.
class DwordArg {
 public:
  explicit DwordArg(std::uint32_t* target) : target_(target), value_(target ? *target : 0) {}
  ~DwordArg() {
    if (target_) *target_ = static_cast<std::uint32_t>(value_);
  }
  DwordArg(const DwordArg&) = delete;
  DwordArg& operator=(const DwordArg&) = delete;
  DWORD* get() { return target_ ? &value_ : nullptr; }

 private:
  std::uint32_t* target_;
  DWORD value_;
};

// The same for an out-parameter key handle, which is left as it was when the call sets none.
class HkeyArg {
 public:
  explicit HkeyArg(RegHandle* target)
      : target_(target), value_(target ? ToHkey(*target) : nullptr) {}
  ~HkeyArg() {
    if (target_) *target_ = reinterpret_cast<RegHandle>(value_);
  }
  HkeyArg(const HkeyArg&) = delete;
  HkeyArg& operator=(const HkeyArg&) = delete;
  HKEY* get() { return target_ ? &value_ : nullptr; }

 private:
  RegHandle* target_;
  HKEY value_;
};

std::wstring Widen(UINT code_page, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(UINT code_page, const std::wstring& wide, DWORD flags,
                   const char* default_char) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(code_page, flags, wide.data(), size, nullptr, 0, default_char, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, flags, wide.data(), size, text.data(), length, default_char,
                      nullptr);
  return text;
}

}  // namespace

RegStatus Win32Registry::RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) {
  HkeyArg result(phkResult);
  return ::RegOpenKeyA(ToHkey(hKey), lpSubKey, result.get());
}

RegStatus Win32Registry::RegCreateKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) {
  HkeyArg result(phkResult);
  return ::RegCreateKeyA(ToHkey(hKey), lpSubKey, result.get());
}

RegStatus Win32Registry::RegQueryValueExA(RegHandle hKey, const char* lpValueName,
                                          std::uint32_t* lpReserved, std::uint32_t* lpType,
                                          std::uint8_t* lpData, std::uint32_t* lpcbData) {
  DwordArg reserved(lpReserved), type(lpType), size(lpcbData);
  return ::RegQueryValueExA(ToHkey(hKey), lpValueName, reserved.get(), type.get(), lpData,
                            size.get());
}

RegStatus Win32Registry::RegSetValueExA(RegHandle hKey, const char* lpValueName,
                                        std::uint32_t Reserved, std::uint32_t dwType,
                                        const std::uint8_t* lpData, std::uint32_t cbData) {
  return ::RegSetValueExA(ToHkey(hKey), lpValueName, Reserved, dwType, lpData, cbData);
}

RegStatus Win32Registry::RegDeleteValueA(RegHandle hKey, const char* lpValueName) {
  return ::RegDeleteValueA(ToHkey(hKey), lpValueName);
}

RegStatus Win32Registry::RegCloseKey(RegHandle hKey) {
  return ::RegCloseKey(ToHkey(hKey));
}

RegStatus Win32Registry::RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) {
  return ::RegDeleteKeyA(ToHkey(hKey), lpSubKey);
}

RegStatus Win32Registry::RegEnumKeyExA(RegHandle hKey, std::uint32_t dwIndex, char* lpName,
                                       std::uint32_t* lpcchName, std::uint32_t* lpReserved,
                                       char* lpClass, std::uint32_t* lpcchClass,
                                       void* lpftLastWriteTime) {
  DwordArg name_length(lpcchName), reserved(lpReserved), class_length(lpcchClass);
  return ::RegEnumKeyExA(ToHkey(hKey), dwIndex, lpName, name_length.get(), reserved.get(), lpClass,
                         class_length.get(), static_cast<FILETIME*>(lpftLastWriteTime));
}

RegStatus Win32Registry::RegEnumValueA(RegHandle hKey, std::uint32_t dwIndex, char* lpValueName,
                                       std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                                       std::uint32_t* lpType, std::uint8_t* lpData,
                                       std::uint32_t* lpcbData) {
  DwordArg name_length(lpcchValueName), reserved(lpReserved), type(lpType), size(lpcbData);
  return ::RegEnumValueA(ToHkey(hKey), dwIndex, lpValueName, name_length.get(), reserved.get(),
                         type.get(), lpData, size.get());
}

std::intptr_t Win32Registry::ShellExecuteA(std::intptr_t hwnd, const char* lpOperation,
                                           const char* lpFile, const char* lpParameters,
                                           const char* lpDirectory, std::int32_t nShowCmd) {
  return reinterpret_cast<std::intptr_t>(::ShellExecuteA(
      reinterpret_cast<HWND>(hwnd), lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd));
}

std::string Win32Registry::AnsiFromUtf8(std::string_view text) {
  // No best-fit mapping: a character the code page lacks becomes '?', not a look-alike.
  return Narrow(CP_ACP, Widen(CP_UTF8, text), WC_NO_BEST_FIT_CHARS, "?");
}

std::string Win32Registry::Utf8FromAnsi(std::string_view bytes) {
  return Narrow(CP_UTF8, Widen(CP_ACP, bytes), 0, nullptr);
}

}  // namespace plumeroll
