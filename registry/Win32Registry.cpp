#include "registry/Win32Registry.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "platform/Win32Lazy.h"
#include "platform/Win32Text.h"

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

class Win32Registry final : public modRegistry {
 public:
  RegStatus RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    HkeyArg result(phkResult);
    return ::RegOpenKeyA(ToHkey(hKey), lpSubKey, result.get());
  }

  RegStatus RegCreateKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    HkeyArg result(phkResult);
    return ::RegCreateKeyA(ToHkey(hKey), lpSubKey, result.get());
  }

  RegStatus RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                             std::uint32_t* lpType, std::uint8_t* lpData,
                             std::uint32_t* lpcbData) override {
    DwordArg reserved(lpReserved), type(lpType), size(lpcbData);
    return ::RegQueryValueExA(ToHkey(hKey), lpValueName, reserved.get(), type.get(), lpData,
                              size.get());
  }

  RegStatus RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved,
                           std::uint32_t dwType, const std::uint8_t* lpData,
                           std::uint32_t cbData) override {
    return ::RegSetValueExA(ToHkey(hKey), lpValueName, Reserved, dwType, lpData, cbData);
  }

  RegStatus RegDeleteValueA(RegHandle hKey, const char* lpValueName) override {
    return ::RegDeleteValueA(ToHkey(hKey), lpValueName);
  }

  RegStatus RegCloseKey(RegHandle hKey) override { return ::RegCloseKey(ToHkey(hKey)); }

  RegStatus RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) override {
    return ::RegDeleteKeyA(ToHkey(hKey), lpSubKey);
  }

  RegStatus RegEnumKeyExA(RegHandle hKey, std::uint32_t dwIndex, char* lpName,
                          std::uint32_t* lpcchName, std::uint32_t* lpReserved, char* lpClass,
                          std::uint32_t* lpcchClass, void* lpftLastWriteTime) override {
    DwordArg name_length(lpcchName), reserved(lpReserved), class_length(lpcchClass);
    return ::RegEnumKeyExA(ToHkey(hKey), dwIndex, lpName, name_length.get(), reserved.get(),
                           lpClass, class_length.get(), static_cast<FILETIME*>(lpftLastWriteTime));
  }

  RegStatus RegEnumValueA(RegHandle hKey, std::uint32_t dwIndex, char* lpValueName,
                          std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                          std::uint32_t* lpType, std::uint8_t* lpData,
                          std::uint32_t* lpcbData) override {
    DwordArg name_length(lpcchValueName), reserved(lpReserved), type(lpType), size(lpcbData);
    return ::RegEnumValueA(ToHkey(hKey), dwIndex, lpValueName, name_length.get(), reserved.get(),
                           type.get(), lpData, size.get());
  }

  std::intptr_t ShellExecuteA(std::intptr_t hwnd, const char* lpOperation, const char* lpFile,
                              const char* lpParameters, const char* lpDirectory,
                              std::int32_t nShowCmd) override {
    static const auto shell_execute =
        win32::LazyFunction<decltype(::ShellExecuteA)>(L"shell32.dll", "ShellExecuteA");
    if (!shell_execute) return SE_ERR_DLLNOTFOUND;
    return reinterpret_cast<std::intptr_t>(shell_execute(
        reinterpret_cast<HWND>(hwnd), lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd));
  }

  std::string AnsiFromUtf8(std::string_view text) override {
    return win32::Utf8ToCodePage(text, CP_ACP);
  }

  std::string Utf8FromAnsi(std::string_view bytes) override {
    return win32::CodePageToUtf8(bytes, CP_ACP);
  }
};

}  // namespace

std::unique_ptr<modRegistry> MakeWin32Registry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace plumeroll
