#include "registry/MemoryRegistry.h"

#include <algorithm>
#include <cstring>

namespace plumeroll {
namespace {

constexpr RegStatus kErrorNoAccess = 998;
constexpr RegStatus kErrorBadPathname = 161;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegMultiSz = 7;

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Letter case folding of the Latin-1 code page: A-Z and the capitals U+00C0-U+00DE but U+00D7.
// The registry compares names as lower case, which also gives the order in which it lists keys
// ("[x" < "_u" < "A").
char Lower(char c) {
  const auto byte = static_cast<unsigned char>(c);
  const bool capital =
      (byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7);
  return capital ? static_cast<char>(byte + 0x20) : c;
}

int CompareNames(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(Lower(a[i]));
    const auto y = static_cast<unsigned char>(Lower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Copies a name and its NUL into a caller's buffer of `capacity` characters; false (234 for
// the caller) when it does not fit, and then nothing is written.
bool CopyName(const std::string& name, char* buffer, std::uint32_t* capacity) {
  if (name.size() + 1 > *capacity) return false;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *capacity = static_cast<std::uint32_t>(name.size());
  return true;
}

// Copies value data into a caller's buffer known to hold them. Like the real registry it ends a
// string that was stored without its NUL when a spare byte allows, without counting that byte.
void CopyData(const std::vector<std::uint8_t>& data, std::uint32_t type, std::uint8_t* buffer,
              std::uint32_t capacity) {
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  if (IsStringType(type) && !data.empty() && data.back() != 0 && capacity > data.size()) {
    buffer[data.size()] = 0;
  }
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
  for (std::int32_t hive : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers}) {
    hives_[hive] = std::make_shared<Key>();
  }
}

std::shared_ptr<MemoryRegistry::Key> MemoryRegistry::Resolve(RegHandle hKey,
                                                             RegStatus* status) const {
  std::shared_ptr<Key> key;
  if (const auto hive = hives_.find(hKey); hive != hives_.end()) key = hive->second;
  if (const auto open = handles_.find(hKey); open != handles_.end()) key = open->second;
  *status = !key ? kErrorInvalidHandle : key->deleted ? kErrorKeyDeleted : kErrorSuccess;
  return *status == kErrorSuccess ? key : nullptr;
}

RegStatus MemoryRegistry::Walk(const std::shared_ptr<Key>& from, std::string_view path, bool create,
                               std::shared_ptr<Key>* found) {
  // A sub-key path may not begin with a backslash, except under HKEY_CLASSES_ROOT; doubled and
  // trailing backslashes are ignored.
  if (path.starts_with('\\') && from != hives_.at(kHkeyClassesRoot)) return kErrorBadPathname;
  std::shared_ptr<Key> key = from;
  while (!path.empty()) {
    const std::size_t end = std::min(path.find('\\'), path.size());
    const std::string_view name = path.substr(0, end);
    path.remove_prefix(std::min(end + 1, path.size()));
    if (name.empty()) continue;

    auto& subs = key->sub_keys;
    auto place = std::lower_bound(subs.begin(), subs.end(), name,
                                  [](const std::shared_ptr<Key>& k, std::string_view n) {
                                    return CompareNames(k->name, n) < 0;
                                  });
    if (place == subs.end() || CompareNames((*place)->name, name) != 0) {
      if (!create) return kErrorFileNotFound;
      auto added = std::make_shared<Key>();
      added->name = std::string(name);
      added->parent = key.get();
      place = subs.insert(place, std::move(added));
    }
    key = *place;
  }
  *found = key;
  return kErrorSuccess;
}

RegHandle MemoryRegistry::NewHandle(std::shared_ptr<Key> key) {
  const RegHandle handle = next_handle_;
  next_handle_ += 4;
  handles_[handle] = std::move(key);
  return handle;
}

MemoryRegistry::Value* MemoryRegistry::FindValue(Key& key, const char* name) {
  const std::string_view wanted = name ? name : "";
  for (Value& value : key.values) {
    if (CompareNames(value.name, wanted) == 0) return &value;
  }
  return nullptr;
}

RegStatus MemoryRegistry::RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) {
  if (!phkResult) return kErrorInvalidParameter;
  // No sub-key: the handle given is handed back, whatever it is; no new handle is made.
  if (!lpSubKey || !*lpSubKey) {
    *phkResult = hKey;
    return kErrorSuccess;
  }
  RegStatus status;
  const std::shared_ptr<Key> parent = Resolve(hKey, &status);
  if (!parent) return status;
  std::shared_ptr<Key> key;
  status = Walk(parent, lpSubKey, /*create=*/false, &key);
  *phkResult = status == kErrorSuccess ? NewHandle(key) : 0;
  return status;
}

RegStatus MemoryRegistry::RegCreateKeyA(RegHandle hKey, const char* lpSubKey,
                                        RegHandle* phkResult) {
  if (!phkResult) return kErrorInvalidParameter;
  RegStatus status;
  const std::shared_ptr<Key> parent = Resolve(hKey, &status);
  if (!parent) return status;
  std::shared_ptr<Key> key;
  status = Walk(parent, lpSubKey ? lpSubKey : "", /*create=*/true, &key);
  // Always a new handle, even to the key given (an empty sub-key).
  if (status == kErrorSuccess) *phkResult = NewHandle(key);
  return status;
}

RegStatus MemoryRegistry::RegQueryValueExA(RegHandle hKey, const char* lpValueName,
                                           std::uint32_t* lpReserved, std::uint32_t* lpType,
                                           std::uint8_t* lpData, std::uint32_t* lpcbData) {
  RegStatus status;
  const std::shared_ptr<Key> key = Resolve(hKey, &status);
  if (!key) return status;
  if (lpReserved || (lpData && !lpcbData)) return kErrorInvalidParameter;
  const Value* value = FindValue(*key, lpValueName);
  if (!value) {
    if (!lpData && lpcbData) *lpcbData = 0;
    return kErrorFileNotFound;
  }
  const auto size = static_cast<std::uint32_t>(value->data.size());
  if (lpType) *lpType = value->type;
  if (lpData) {
    if (*lpcbData < size) {
      *lpcbData = size;
      return kErrorMoreData;
    }
    CopyData(value->data, value->type, lpData, *lpcbData);
  }
  if (lpcbData) *lpcbData = size;
  return kErrorSuccess;
}

RegStatus MemoryRegistry::RegSetValueExA(RegHandle hKey, const char* lpValueName,
                                         std::uint32_t /*Reserved*/, std::uint32_t dwType,
                                         const std::uint8_t* lpData, std::uint32_t cbData) {
  RegStatus status;
  const std::shared_ptr<Key> key = Resolve(hKey, &status);
  if (!key) return status;
  if (!lpData && cbData > 0) return kErrorNoAccess;
  // A string whose size leaves out its NUL gets the NUL back when the byte after it is zero,
  // as the real registry does.
  if (IsStringType(dwType) && cbData > 0 && lpData[cbData - 1] != 0 && lpData[cbData] == 0) {
    ++cbData;
  }
  Value* value = FindValue(*key, lpValueName);
  if (!value) {
    key->values.push_back({lpValueName ? lpValueName : "", 0, {}});
    value = &key->values.back();
  }
  value->type = dwType;
  value->data.clear();
  if (cbData > 0) value->data.assign(lpData, lpData + cbData);
  return kErrorSuccess;
}

RegStatus MemoryRegistry::RegDeleteValueA(RegHandle hKey, const char* lpValueName) {
  RegStatus status;
  const std::shared_ptr<Key> key = Resolve(hKey, &status);
  if (!key) return status;
  const Value* value = FindValue(*key, lpValueName);
  if (!value) return kErrorFileNotFound;
  key->values.erase(key->values.begin() + (value - key->values.data()));
  return kErrorSuccess;
}

RegStatus MemoryRegistry::RegCloseKey(RegHandle hKey) {
  if (hives_.count(hKey)) return kErrorSuccess;
  return handles_.erase(hKey) ? kErrorSuccess : kErrorInvalidHandle;
}

RegStatus MemoryRegistry::RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) {
  if (!lpSubKey) return kErrorInvalidParameter;
  RegStatus status;
  const std::shared_ptr<Key> parent = Resolve(hKey, &status);
  if (!parent) return status;
  std::shared_ptr<Key> key;
  status = Walk(parent, lpSubKey, /*create=*/false, &key);
  if (status != kErrorSuccess) return status;
  // A hive root is never deleted, nor a key that still has sub-keys.
  if (!key->parent || !key->sub_keys.empty()) return kErrorAccessDenied;
  auto& siblings = key->parent->sub_keys;
  siblings.erase(std::find(siblings.begin(), siblings.end(), key));
  key->deleted = true;
  key->parent = nullptr;
  key->values.clear();
  return kErrorSuccess;
}

RegStatus MemoryRegistry::RegEnumKeyExA(RegHandle hKey, std::uint32_t dwIndex, char* lpName,
                                        std::uint32_t* lpcchName, std::uint32_t* lpReserved,
                                        char* lpClass, std::uint32_t* lpcchClass,
                                        void* lpftLastWriteTime) {
  RegStatus status;
  const std::shared_ptr<Key> key = Resolve(hKey, &status);
  if (!key) return status;
  if (lpReserved || !lpName || !lpcchName) return kErrorInvalidParameter;
  if (dwIndex >= key->sub_keys.size()) return kErrorNoMoreItems;
  if (!CopyName(key->sub_keys[dwIndex]->name, lpName, lpcchName)) return kErrorMoreData;
  // Keys here have no class and no time of last writing.
  if (lpcchClass) {
    if (lpClass && *lpcchClass > 0) lpClass[0] = '\0';
    *lpcchClass = 0;
  }
  if (lpftLastWriteTime) std::memset(lpftLastWriteTime, 0, 2 * sizeof(std::uint32_t));
  return kErrorSuccess;
}

RegStatus MemoryRegistry::RegEnumValueA(RegHandle hKey, std::uint32_t dwIndex, char* lpValueName,
                                        std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                                        std::uint32_t* lpType, std::uint8_t* lpData,
                                        std::uint32_t* lpcbData) {
  RegStatus status;
  const std::shared_ptr<Key> key = Resolve(hKey, &status);
  if (!key) return status;
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) {
    return kErrorInvalidParameter;
  }
  if (dwIndex >= key->values.size()) return kErrorNoMoreItems;
  const Value& value = key->values[dwIndex];
  const auto size = static_cast<std::uint32_t>(value.data.size());
  if (lpType) *lpType = value.type;
  // Either buffer too small: 234 with the data's size, and the name neither copied nor counted.
  const bool data_fits = !lpData || *lpcbData >= size;
  if (!data_fits || value.name.size() + 1 > *lpcchValueName) {
    if (lpcbData) *lpcbData = size;
    return kErrorMoreData;
  }
  CopyName(value.name, lpValueName, lpcchValueName);
  if (lpData) CopyData(value.data, value.type, lpData, *lpcbData);
  if (lpcbData) *lpcbData = size;
  return kErrorSuccess;
}

std::intptr_t MemoryRegistry::ShellExecuteA(std::intptr_t /*hwnd*/, const char* /*lpOperation*/,
                                            const char* /*lpFile*/, const char* /*lpParameters*/,
                                            const char* /*lpDirectory*/, std::int32_t /*nShowCmd*/) {
  return 42;  // any value above 32 means success
}

std::string MemoryRegistry::AnsiFromUtf8(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    bool valid = lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4);
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (length > 1 && code < (length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u)) valid = false;
    // A sequence that is not UTF-8 stands for one unknown character, as does any code point
    // that Latin-1 lacks.
    bytes.push_back(valid && code < 0x100 ? static_cast<char>(code) : '?');
    i += valid ? length : 1;
  }
  return bytes;
}

std::string MemoryRegistry::Utf8FromAnsi(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text.push_back(c);
    } else {
      text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return text;
}

}  // namespace plumeroll
