#include "registry/RegistryOperations.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace plumeroll {
namespace {

struct Hive {
  std::string_view name;
  std::int32_t handle;
};

// The four hives a registry path can name, in the order ValuePath tests them.
constexpr std::array<Hive, 4> kHives = {{
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
    {"HKEY_USERS", kHkeyUsers},
}};

// Room for the longest name a key or value can have, and for the data ReadKeyListValue offers.
constexpr std::uint32_t kListBufferSize = 32768;
// The largest value read: far more than any path, and a buffer that a 32-bit process can make
// (the size the registry gives, plus one, would not even fit its size_t at 4 GiB).
constexpr std::uint32_t kLargestValue = 16u << 20;

// Upper-cases a UTF-8 text: a-z, and the Latin-1 small letters U+00E0-U+00FE but U+00F7 (the
// division sign), whose capitals lie 32 code points lower. These are the accented letters of
// French and of the Western code page (1252), at the same places there, and the registry
// folds them too when it compares key names: a key created under the upper-cased name is the
// one that a look-up in any letter case finds. Every other character is kept as it is (no ß
// to SS, no ÿ to Ÿ, which Latin-1 lacks).
std::string UpperCase(std::string text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 'a' && byte <= 'z') {
      text[i] = static_cast<char>(byte - 0x20);
    } else if (byte == 0xC3 && i + 1 < text.size()) {
      // U+00E0-U+00FE is C3 A0-C3 BE in UTF-8; its capitals are C3 80-C3 9E.
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0xA0 && next <= 0xBE && next != 0xB7)
        text[i + 1] = static_cast<char>(next - 0x20);
      ++i;
    }
  }
  return text;
}

// The text after its first `count` characters (not bytes: a path that does not begin with the
// hive's name may hold accented letters before the cut).
std::string DropCharacters(const std::string& text, std::size_t count) {
  std::size_t pos = 0;
  for (std::size_t dropped = 0; dropped < count && pos < text.size(); ++dropped) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  return text.substr(pos);
}

std::string TrimSpaces(std::string text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// A key that an operation opened or created, closed through modRegistry when it goes.
class UniqueKey {
 public:
  UniqueKey(modRegistry& api, RegHandle handle) : api_(&api), handle_(handle) {}
  UniqueKey(UniqueKey&& other) noexcept
      : api_(std::exchange(other.api_, nullptr)), handle_(other.handle_) {}
  UniqueKey& operator=(UniqueKey&&) = delete;
  ~UniqueKey() {
    if (api_) api_->RegCloseKey(handle_);
  }

  RegHandle get() const { return handle_; }

 private:
  modRegistry* api_;
  RegHandle handle_;
};

// Opens the key that Path names: ValuePath, StringPath, then RegOpenKeyA. Nothing when the path
// names no hive or the key cannot be opened (status says why, when given); nothing is open then.
std::optional<UniqueKey> OpenKey(RegistryOperations& operations, modRegistry& api,
                                 const std::string& Path, RegStatus* status = nullptr) {
  RegStatus opened = kErrorFileNotFound;
  const std::int32_t hive = operations.ValuePath(Path);
  RegHandle key = 0;
  if (hive != 0) {
    const std::string sub_key = api.AnsiFromUtf8(operations.StringPath(hive, Path));
    opened = api.RegOpenKeyA(hive, sub_key.c_str(), &key);
  }
  if (status) *status = opened;
  if (opened != kErrorSuccess) return std::nullopt;
  return UniqueKey(api, key);
}

// A listed name: the first `length` characters of the name buffer as the call left it.
std::string ListedName(modRegistry& api, const std::string& buffer, std::uint32_t length) {
  const std::size_t kept = std::min<std::size_t>(length, buffer.size());
  return TrimSpaces(api.Utf8FromAnsi(std::string_view(buffer).substr(0, kept)));
}

}  // namespace

void RegistryOperations::DeleteFolder(std::string Path) {
  if (const auto key = OpenKey(*this, api_, Path)) api_.RegDeleteKeyA(key->get(), "");
}

void RegistryOperations::DeleteKey(std::string Path, std::string Key) {
  const auto key = OpenKey(*this, api_, Path);
  if (!key) return;
  const std::string value_name = api_.AnsiFromUtf8(Key);
  api_.RegDeleteValueA(key->get(), value_name.c_str());
}

std::int32_t RegistryOperations::ValuePath(std::string Path) {
  const std::string upper = UpperCase(std::move(Path));
  for (const Hive& hive : kHives) {
    if (upper.starts_with(hive.name)) return hive.handle;
  }
  return 0;
}

std::string RegistryOperations::StringPath(std::int32_t hKey, std::string Path) {
  const std::string upper = UpperCase(std::move(Path));
  const auto hive = std::find_if(kHives.begin(), kHives.end(),
                                 [hKey](const Hive& h) { return h.handle == hKey; });
  if (hive == kHives.end()) return {};
  // The hive's name and the one separator after it, whatever that is.
  return DropCharacters(upper, hive->name.size() + 1);
}

std::string RegistryOperations::ReadKeyValue(std::string Path, std::string Key) {
  ValueRead read = QueryKeyValue(std::move(Path), std::move(Key));
  return read.status == kErrorSuccess ? std::move(read.text) : std::string();
}

ValueRead RegistryOperations::QueryKeyValue(std::string Path, std::string Key) {
  ValueRead read;
  const auto key = OpenKey(*this, api_, Path, &read.status);
  if (!key) return read;
  const std::string value_name = api_.AnsiFromUtf8(Key);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  read.call = "RegQueryValueExA";
  read.status =
      api_.RegQueryValueExA(key->get(), value_name.c_str(), nullptr, &type, nullptr, &size);
  if (read.status != kErrorSuccess) return read;
  if (size > kLargestValue) return {kErrorMoreData, {}, read.call};
  // One spare byte keeps the buffer's address valid when the data are empty; it is not offered.
  std::string buffer(std::size_t{size} + 1, '\0');
  read.status = api_.RegQueryValueExA(key->get(), value_name.c_str(), nullptr, &type,
                                      reinterpret_cast<std::uint8_t*>(buffer.data()), &size);
  if (read.status != kErrorSuccess) return read;
  // The data up to the first NUL byte; data without one are taken whole.
  const std::string_view data = std::string_view(buffer).substr(0, buffer.size() - 1);
  read.text = api_.Utf8FromAnsi(data.substr(0, data.find('\0')));
  return read;
}

void RegistryOperations::WriteKeyValue(std::string Path, std::string Key, std::string Value) {
  const std::int32_t hive = this->ValuePath(Path);
  if (hive == 0) return;
  const std::string sub_key = api_.AnsiFromUtf8(this->StringPath(hive, Path));
  const std::string value_name = api_.AnsiFromUtf8(Key);
  const std::string data = api_.AnsiFromUtf8(Value);  // its NUL is written too
  RegHandle handle = 0;
  api_.RegCreateKeyA(hive, sub_key.c_str(), &handle);
  // Whatever the creation gave, even no key at all, is written through and closed.
  const UniqueKey key(api_, handle);
  api_.RegSetValueExA(key.get(), value_name.c_str(), 0, kRegSz,
                      reinterpret_cast<const std::uint8_t*>(data.c_str()),
                      static_cast<std::uint32_t>(data.size() + 1));
}

std::vector<std::string> RegistryOperations::ReadSubFolders(std::string Path) {
  std::vector<std::string> list;
  const auto key = OpenKey(*this, api_, Path);
  if (!key) return list;

  std::string name(kListBufferSize, ' ');
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t name_length = kListBufferSize;
    const RegStatus status = api_.RegEnumKeyExA(key->get(), index, name.data(), &name_length,
                                                nullptr, nullptr, nullptr, nullptr);
    if (status == kErrorNoMoreItems) break;
    list.push_back(ListedName(api_, name, name_length));
    // Any failure still adds its entry, then ends the listing: it concerns the key, not the
    // entry (a key name always fits the buffer), and would come back at every index.
    if (status != kErrorSuccess) break;
    name.assign(kListBufferSize, ' ');
  }
  return list;
}

double RegistryOperations::CountFolders(std::string Path) {
  // The highest index of the listing: -1 when it is empty.
  return static_cast<double>(this->ReadSubFolders(std::move(Path)).size()) - 1.0;
}

std::vector<std::string> RegistryOperations::ReadKeyListValue(std::string Path) {
  std::vector<std::string> list;
  const auto key = OpenKey(*this, api_, Path);
  if (!key) return list;

  // The first call asks for the data's size only; the later ones offer a buffer for them.
  std::string name(kListBufferSize, ' ');
  std::string data;
  std::uint32_t name_length = kListBufferSize;
  std::uint32_t data_size = 0;
  for (std::uint32_t index = 0;; ++index) {
    std::uint8_t* data_buffer =
        data.empty() ? nullptr : reinterpret_cast<std::uint8_t*>(data.data());
    const RegStatus status = api_.RegEnumValueA(key->get(), index, name.data(), &name_length,
                                                nullptr, nullptr, data_buffer, &data_size);
    if (status == kErrorNoMoreItems) break;
    list.push_back(ListedName(api_, name, name_length));
    // Any failure still adds its entry, then ends the listing, as in ReadSubFolders, with one
    // exception: 234 for data larger than the buffer, a value too big to be offered, after
    // which the values that follow are still listed.
    const bool too_big = status == kErrorMoreData && data_size > kListBufferSize;
    if (status != kErrorSuccess && !too_big) break;
    name.assign(kListBufferSize, ' ');
    data.assign(kListBufferSize, ' ');
    name_length = kListBufferSize;
    data_size = kListBufferSize;
  }
  return list;
}

}  // namespace plumeroll
