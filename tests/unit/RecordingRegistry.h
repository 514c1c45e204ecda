// RecordingRegistry: a modRegistry double that records every registry call with its exact
// arguments and result, and otherwise behaves as the in-memory registry it wraps. A function
// can be made to fail: it then records the call and returns the scripted status, leaving its
// arguments as they were.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/MemoryRegistry.h"

namespace plumeroll {

struct RegCall {
  std::string function;
  RegHandle handle = 0;
  std::optional<std::string> text;  // sub-key or value name; nullopt for a null pointer
  std::uint32_t index = 0;          // enumeration index
  bool reserved_null = true;        // the reserved argument (a pointer, or RegSetValueExA's 0)
  bool type_pointer = false;        // a type out-parameter was passed (query, enumeration)
  std::uint32_t type = 0;           // RegSetValueExA's type
  // The data buffer (query, RegSetValueExA) or the name buffer (enumerations) as the callee
  // found it: as many bytes as `size` says; nullopt for a null pointer.
  std::optional<std::string> buffer;
  std::optional<std::uint32_t> size;  // the size or capacity passed in; nullopt for a null pointer
  std::optional<std::string> data_buffer;  // RegEnumValueA's data buffer, as `buffer`
  std::optional<std::uint32_t> data_size;  // RegEnumValueA's data size passed in
  bool class_and_time_null = true;         // RegEnumKeyExA's class, class size and time
  RegStatus status = 0;
  RegHandle result = 0;  // the handle RegOpenKeyA or RegCreateKeyA gave back
};

class RecordingRegistry : public modRegistry {
 public:
  MemoryRegistry store;                       // what the calls reach; tests may seed it directly
  std::map<std::string, RegStatus> failures;  // function name -> status it returns
  std::vector<RegCall> calls;

  std::vector<RegCall> CallsTo(const std::string& function) const {
    std::vector<RegCall> found;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                 [&](const RegCall& call) { return call.function == function; });
    return found;
  }
  std::vector<std::string> Functions() const {
    std::vector<std::string> names;
    for (const RegCall& call : calls) names.push_back(call.function);
    return names;
  }

  RegStatus RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    RegCall& call = Record("RegOpenKeyA", hKey, lpSubKey);
    if (!Failed(call)) call.status = store.RegOpenKeyA(hKey, lpSubKey, phkResult);
    if (phkResult) call.result = *phkResult;
    return call.status;
  }
  RegStatus RegCreateKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    RegCall& call = Record("RegCreateKeyA", hKey, lpSubKey);
    if (!Failed(call)) call.status = store.RegCreateKeyA(hKey, lpSubKey, phkResult);
    if (phkResult) call.result = *phkResult;
    return call.status;
  }
  RegStatus RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                             std::uint32_t* lpType, std::uint8_t* lpData,
                             std::uint32_t* lpcbData) override {
    RegCall& call = Record("RegQueryValueExA", hKey, lpValueName);
    call.reserved_null = !lpReserved;
    call.type_pointer = lpType != nullptr;
    call.size = Optional(lpcbData);
    call.buffer = Bytes(lpData, lpcbData);
    if (Failed(call)) return call.status;
    return call.status =
               store.RegQueryValueExA(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData);
  }
  RegStatus RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved,
                           std::uint32_t dwType, const std::uint8_t* lpData,
                           std::uint32_t cbData) override {
    RegCall& call = Record("RegSetValueExA", hKey, lpValueName);
    call.reserved_null = Reserved == 0;
    call.type = dwType;
    call.size = cbData;
    call.buffer = Bytes(lpData, &cbData);
    if (Failed(call)) return call.status;
    return call.status = store.RegSetValueExA(hKey, lpValueName, Reserved, dwType, lpData, cbData);
  }
  RegStatus RegDeleteValueA(RegHandle hKey, const char* lpValueName) override {
    RegCall& call = Record("RegDeleteValueA", hKey, lpValueName);
    if (Failed(call)) return call.status;
    return call.status = store.RegDeleteValueA(hKey, lpValueName);
  }
  RegStatus RegCloseKey(RegHandle hKey) override {
    RegCall& call = Record("RegCloseKey", hKey, nullptr);
    if (Failed(call)) return call.status;
    return call.status = store.RegCloseKey(hKey);
  }
  RegStatus RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) override {
    RegCall& call = Record("RegDeleteKeyA", hKey, lpSubKey);
    if (Failed(call)) return call.status;
    return call.status = store.RegDeleteKeyA(hKey, lpSubKey);
  }
  RegStatus RegEnumKeyExA(RegHandle hKey, std::uint32_t dwIndex, char* lpName,
                          std::uint32_t* lpcchName, std::uint32_t* lpReserved, char* lpClass,
                          std::uint32_t* lpcchClass, void* lpftLastWriteTime) override {
    RegCall& call = Record("RegEnumKeyExA", hKey, nullptr);
    call.index = dwIndex;
    call.reserved_null = !lpReserved;
    call.size = Optional(lpcchName);
    call.buffer = Bytes(lpName, lpcchName);
    call.class_and_time_null = !lpClass && !lpcchClass && !lpftLastWriteTime;
    if (Failed(call)) return call.status;
    return call.status = store.RegEnumKeyExA(hKey, dwIndex, lpName, lpcchName, lpReserved, lpClass,
                                             lpcchClass, lpftLastWriteTime);
  }
  RegStatus RegEnumValueA(RegHandle hKey, std::uint32_t dwIndex, char* lpValueName,
                          std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                          std::uint32_t* lpType, std::uint8_t* lpData,
                          std::uint32_t* lpcbData) override {
    RegCall& call = Record("RegEnumValueA", hKey, nullptr);
    call.index = dwIndex;
    call.reserved_null = !lpReserved;
    call.type_pointer = lpType != nullptr;
    call.size = Optional(lpcchValueName);
    call.buffer = Bytes(lpValueName, lpcchValueName);
    call.data_size = Optional(lpcbData);
    call.data_buffer = Bytes(lpData, lpcbData);
    if (Failed(call)) return call.status;
    return call.status = store.RegEnumValueA(hKey, dwIndex, lpValueName, lpcchValueName, lpReserved,
                                             lpType, lpData, lpcbData);
  }
  std::intptr_t ShellExecuteA(std::intptr_t hwnd, const char* lpOperation, const char* lpFile,
                              const char* lpParameters, const char* lpDirectory,
                              std::int32_t nShowCmd) override {
    Record("ShellExecuteA", hwnd, lpFile);
    return store.ShellExecuteA(hwnd, lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
  }
  std::string AnsiFromUtf8(std::string_view text) override { return store.AnsiFromUtf8(text); }
  std::string Utf8FromAnsi(std::string_view bytes) override { return store.Utf8FromAnsi(bytes); }

 private:
  RegCall& Record(const char* function, RegHandle handle, const char* text) {
    RegCall& call = calls.emplace_back();
    call.function = function;
    call.handle = handle;
    if (text) call.text = text;
    return call;
  }
  bool Failed(RegCall& call) const {
    const auto failure = failures.find(call.function);
    if (failure == failures.end()) return false;
    call.status = failure->second;
    return true;
  }
  static std::optional<std::uint32_t> Optional(const std::uint32_t* value) {
    return value ? std::optional<std::uint32_t>(*value) : std::nullopt;
  }
  template <class Byte>
  static std::optional<std::string> Bytes(const Byte* buffer, const std::uint32_t* size) {
    if (!buffer) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(buffer), size ? *size : 0);
  }
};

}  // namespace plumeroll
