// MemoryRegistry: a registry held in memory that offers the modRegistry functions with the
// results the real ones give (the contract suite runs the same cases against both), for the
// tests of everything built on the registry.
//
// Its ANSI code page is Latin-1: code points below 256 are one byte each, others become '?'.
// It keeps the four hives of modRegistry as separate trees; handles to deleted keys stay valid
// until closed and answer 1018. ShellExecuteA opens nothing and succeeds.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "registry/modRegistry.h"

namespace plumeroll {

class MemoryRegistry : public modRegistry {
 public:
  MemoryRegistry();

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

 private:
  struct Value {
    std::string name;  // as first set
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  struct Key {
    std::string name;  // as created
    Key* parent = nullptr;
    bool deleted = false;
    // Sorted by lower-cased name, the order in which Wine lists them.
    std::vector<std::shared_ptr<Key>> sub_keys;
    // In the order they were first set, as Windows lists them (Wine sorts them too).
    std::vector<Value> values;
  };

  // The key a handle stands for (a hive or an open handle), or null with the status to return.
  std::shared_ptr<Key> Resolve(RegHandle hKey, RegStatus* status) const;
  // Walks (and, when `create`, builds) the path of key names below `from`.
  RegStatus Walk(const std::shared_ptr<Key>& from, std::string_view path, bool create,
                 std::shared_ptr<Key>* found);
  RegHandle NewHandle(std::shared_ptr<Key> key);
  static Value* FindValue(Key& key, const char* name);

  std::map<RegHandle, std::shared_ptr<Key>> hives_;
  std::map<RegHandle, std::shared_ptr<Key>> handles_;
  RegHandle next_handle_ = 0x40;
};

}  // namespace plumeroll
