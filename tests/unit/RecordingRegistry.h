// RecordingRegistry: the in-memory registry, recording every call that opens, creates, writes,
// deletes, closes or enumerates a key, with the arguments that matter and its status. Such a
// call can be made to fail: it is then recorded and returns the scripted status, leaving its
// arguments as they were.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "registry/MemoryRegistry.h"

namespace plumeroll {

struct RegCall {
  std::string function{};
  RegHandle handle = 0;
  std::optional<std::string> text{};  // sub-key or value name; nullopt for a null pointer
  std::uint32_t type = 0;             // RegSetValueExA's type
  std::string buffer{};               // the bytes RegSetValueExA was given
  std::uint32_t size = 0;             // RegSetValueExA's size
  RegStatus status = 0;
  RegHandle result = 0;  // the handle RegOpenKeyA or RegCreateKeyA gave back
};

class RecordingRegistry : public MemoryRegistry {
 public:
  // "Function" or "Function ValueName" -> the status that such a call returns.
  std::map<std::string, RegStatus> failures;
  std::vector<RegCall> calls;

  std::vector<std::string> Functions() const {
    std::vector<std::string> names;
    for (const RegCall& call : calls) names.push_back(call.function);
    return names;
  }

  RegStatus RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    return Run(
        {"RegOpenKeyA", hKey, Text(lpSubKey)},
        [&] { return MemoryRegistry::RegOpenKeyA(hKey, lpSubKey, phkResult); }, phkResult);
  }
  RegStatus RegCreateKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    return Run(
        {"RegCreateKeyA", hKey, Text(lpSubKey)},
        [&] { return MemoryRegistry::RegCreateKeyA(hKey, lpSubKey, phkResult); }, phkResult);
  }
  RegStatus RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved,
                           std::uint32_t dwType, const std::uint8_t* lpData,
                           std::uint32_t cbData) override {
    return Run({"RegSetValueExA", hKey, Text(lpValueName), dwType,
                lpData ? std::string(reinterpret_cast<const char*>(lpData), cbData) : "", cbData},
               [&] {
                 return MemoryRegistry::RegSetValueExA(hKey, lpValueName, Reserved, dwType, lpData,
                                                       cbData);
               });
  }
  RegStatus RegDeleteValueA(RegHandle hKey, const char* lpValueName) override {
    return Run({"RegDeleteValueA", hKey, Text(lpValueName)},
               [&] { return MemoryRegistry::RegDeleteValueA(hKey, lpValueName); });
  }
  RegStatus RegCloseKey(RegHandle hKey) override {
    return Run({"RegCloseKey", hKey}, [&] { return MemoryRegistry::RegCloseKey(hKey); });
  }
  RegStatus RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) override {
    return Run({"RegDeleteKeyA", hKey, Text(lpSubKey)},
               [&] { return MemoryRegistry::RegDeleteKeyA(hKey, lpSubKey); });
  }
  RegStatus RegEnumKeyExA(RegHandle hKey, std::uint32_t dwIndex, char* lpName,
                          std::uint32_t* lpcchName, std::uint32_t* lpReserved, char* lpClass,
                          std::uint32_t* lpcchClass, void* lpftLastWriteTime) override {
    return Run({"RegEnumKeyExA", hKey}, [&] {
      return MemoryRegistry::RegEnumKeyExA(hKey, dwIndex, lpName, lpcchName, lpReserved, lpClass,
                                           lpcchClass, lpftLastWriteTime);
    });
  }
  RegStatus RegEnumValueA(RegHandle hKey, std::uint32_t dwIndex, char* lpValueName,
                          std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                          std::uint32_t* lpType, std::uint8_t* lpData,
                          std::uint32_t* lpcbData) override {
    return Run({"RegEnumValueA", hKey}, [&] {
      return MemoryRegistry::RegEnumValueA(hKey, dwIndex, lpValueName, lpcchValueName, lpReserved,
                                           lpType, lpData, lpcbData);
    });
  }

 private:
  static std::optional<std::string> Text(const char* text) {
    return text ? std::optional<std::string>(text) : std::nullopt;
  }
  // Records the call, then makes it (unless it is scripted to fail).
  RegStatus Run(RegCall call, const std::function<RegStatus()>& forward,
                const RegHandle* result = nullptr) {
    auto failure = failures.find(call.function + " " + call.text.value_or(""));
    if (failure == failures.end()) failure = failures.find(call.function);
    call.status = failure != failures.end() ? failure->second : forward();
    if (result) call.result = *result;
    return calls.emplace_back(std::move(call)).status;
  }
};

}  // namespace plumeroll
