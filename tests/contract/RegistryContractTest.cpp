// The registry contract: the behaviour of the modRegistry functions that the program and its
// in-memory registry rely on, and the nine operations over them. Every case runs against each
// backend of the build, under a scratch key of HKEY_CURRENT_USER that each case creates anew
// and removes. Out-parameters and buffers start as sentinels (0xdeadbeef, 0xbd bytes) so that
// a value left alone is told from a value written. Enumeration order is the platform's own:
// names are compared sorted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "registry/MemoryRegistry.h"
#include "registry/RegistryOperations.h"
#ifdef _WIN32
#include "registry/Win32Registry.h"
#endif

namespace plumeroll {
namespace {

using Strings = std::vector<std::string>;

constexpr RegHandle kHkcu = kHkeyCurrentUser;
constexpr char kScratch[] = "Software\\PlumerollContractTest";
constexpr char kScratchPath[] = "HKEY_CURRENT_USER\\Software\\PlumerollContractTest";
constexpr std::uint32_t kSentinel = 0xdeadbeef;
constexpr RegHandle kSentinelHandle = 0xdeadbeef;
constexpr std::uint8_t kFill = 0xbd;
constexpr RegStatus kErrorBadPathname = 161;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegMultiSz = 7;

struct Backend {
  std::string name;
  std::function<std::unique_ptr<modRegistry>()> make;
};

void PrintTo(const Backend& backend, std::ostream* out) {
  *out << backend.name;
}

const std::uint8_t* Bytes(const char* text) {
  return reinterpret_cast<const std::uint8_t*>(text);
}

Strings Sorted(Strings names) {
  std::sort(names.begin(), names.end());
  return names;
}

Strings Upper(Strings names) {
  for (std::string& name : names) {
    for (char& c : name) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  }
  return names;
}

// Deletes a key and all below it, the deepest keys first. A missing key is no error.
RegStatus DeleteTree(modRegistry& api, RegHandle parent, const std::string& name) {
  RegHandle key = 0;
  const RegStatus status = api.RegOpenKeyA(parent, name.c_str(), &key);
  if (status == kErrorFileNotFound) return kErrorSuccess;
  if (status != kErrorSuccess) return status;
  char child[256];
  std::uint32_t length = sizeof child;
  while (api.RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
             kErrorSuccess &&
         DeleteTree(api, key, child) == kErrorSuccess) {
    length = sizeof child;
  }
  api.RegCloseKey(key);
  return api.RegDeleteKeyA(parent, name.c_str());
}

class RegistryContract : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    api_ = GetParam().make();
    ASSERT_EQ(DeleteTree(api(), kHkcu, kScratch), kErrorSuccess);  // left by a broken run
    ASSERT_EQ(api().RegCreateKeyA(kHkcu, kScratch, &scratch_), kErrorSuccess);
  }
  void TearDown() override {
    for (const RegHandle key : owned_) api().RegCloseKey(key);
    api().RegCloseKey(scratch_);
    EXPECT_EQ(DeleteTree(api(), kHkcu, kScratch), kErrorSuccess);
    RegHandle left = 0;
    EXPECT_EQ(api().RegOpenKeyA(kHkcu, kScratch, &left), kErrorFileNotFound);
  }

  modRegistry& api() { return *api_; }

  // Creates a key under the scratch key; its handle is closed when the case ends.
  RegHandle Create(const char* sub_key) {
    RegHandle key = 0;
    EXPECT_EQ(api().RegCreateKeyA(scratch_, sub_key, &key), kErrorSuccess) << sub_key;
    owned_.push_back(key);
    return key;
  }
  void Set(RegHandle key, const char* name, const std::string& data, std::uint32_t type = kRegSz) {
    EXPECT_EQ(api().RegSetValueExA(key, name, 0, type, Bytes(data.data()),
                                   static_cast<std::uint32_t>(data.size())),
              kErrorSuccess)
        << name;
  }
  bool Exists(const char* sub_key) {
    RegHandle key = 0;
    const RegStatus status = api().RegOpenKeyA(scratch_, sub_key, &key);
    if (status == kErrorSuccess) api().RegCloseKey(key);
    return status == kErrorSuccess;
  }
  // The size of a value's data, or the status when it cannot be read.
  std::uint32_t SizeOf(RegHandle key, const char* name) {
    std::uint32_t size = kSentinel;
    const RegStatus status = api().RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    return status == kErrorSuccess ? size : kSentinel;
  }
  // The names of a key's sub-keys or values, sorted; the enumeration must end with 259.
  Strings Names(RegHandle key, bool values) {
    Strings names;
    for (std::uint32_t index = 0;; ++index) {
      char name[256];
      std::uint32_t length = sizeof name;
      const RegStatus status =
          values
              ? api().RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr)
              : api().RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status != kErrorSuccess) {
        EXPECT_EQ(status, kErrorNoMoreItems);
        break;
      }
      names.emplace_back(name, length);
    }
    return Sorted(names);
  }

  RegHandle scratch_ = 0;

 private:
  std::unique_ptr<modRegistry> api_;
  std::vector<RegHandle> owned_;
};

TEST_P(RegistryContract, OpenKey) {
  Create("Alpha\\Beta");
  RegHandle key = kSentinelHandle, other = kSentinelHandle;
  {
    SCOPED_TRACE("an existing key opens, each time with a new handle");
    EXPECT_EQ(api().RegOpenKeyA(scratch_, "Alpha", &key), kErrorSuccess);
    EXPECT_EQ(api().RegOpenKeyA(scratch_, "Alpha", &other), kErrorSuccess);
    EXPECT_NE(key, other);
    EXPECT_EQ(api().RegCloseKey(key), kErrorSuccess);
    EXPECT_EQ(api().RegCloseKey(other), kErrorSuccess);
  }
  for (const char* path : {"alpha\\BETA", "Alpha\\Beta\\\\"}) {
    SCOPED_TRACE(std::string("any letter case, trailing backslashes: ") + path);
    EXPECT_EQ(api().RegOpenKeyA(scratch_, path, &key), kErrorSuccess);
    EXPECT_EQ(api().RegCloseKey(key), kErrorSuccess);
  }
  {
    SCOPED_TRACE("a missing key: 2 and a null handle; nothing is created");
    key = kSentinelHandle;
    EXPECT_EQ(api().RegOpenKeyA(scratch_, "Alpha\\Missing", &key), kErrorFileNotFound);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(Names(scratch_, false), Strings{"Alpha"});
  }
  for (const char* empty : {static_cast<const char*>(nullptr), ""}) {
    SCOPED_TRACE(empty ? "empty sub-key: the handle given comes back"
                       : "null sub-key: the handle given comes back");
    key = kSentinelHandle;
    EXPECT_EQ(api().RegOpenKeyA(kHkcu, empty, &key), kErrorSuccess);
    EXPECT_EQ(key, kHkcu);
  }
  key = kSentinelHandle;
  EXPECT_EQ(api().RegOpenKeyA(scratch_, "", &key), kErrorSuccess);
  EXPECT_EQ(key, scratch_);  // the same handle: it is not closed again
  {
    SCOPED_TRACE("null parent");
    key = kSentinelHandle;
    EXPECT_EQ(api().RegOpenKeyA(0, nullptr, &key), kErrorSuccess);
    EXPECT_EQ(key, 0);
    key = kSentinelHandle;
    EXPECT_EQ(api().RegOpenKeyA(0, "Software", &key), kErrorInvalidHandle);
    EXPECT_EQ(key, kSentinelHandle);
  }
  EXPECT_EQ(api().RegOpenKeyA(scratch_, "Alpha", nullptr), kErrorInvalidParameter);
  EXPECT_EQ(api().RegOpenKeyA(scratch_, "\\Alpha", &key), kErrorBadPathname);
}

TEST_P(RegistryContract, CreateKey) {
  {
    SCOPED_TRACE("every missing key on the path is created");
    const RegHandle key = Create("One\\Two\\Three");
    Set(key, "Value", std::string("x", 2));
    EXPECT_TRUE(Exists("One\\Two"));
  }
  {
    SCOPED_TRACE("an existing key is opened, whatever the letter case");
    const RegHandle key = Create("one\\TWO\\three");
    EXPECT_EQ(SizeOf(key, "Value"), 2u);
    EXPECT_EQ(Names(scratch_, false).size(), 1u);
  }
  {
    SCOPED_TRACE("trailing backslashes are ignored");
    Create("Trail\\\\");
    EXPECT_TRUE(Exists("Trail"));
  }
  {
    SCOPED_TRACE("a leading backslash: 161, nothing created");
    RegHandle key = kSentinelHandle;
    EXPECT_EQ(api().RegCreateKeyA(scratch_, "\\Lead", &key), kErrorBadPathname);
    EXPECT_FALSE(Exists("Lead"));
  }
}

TEST_P(RegistryContract, QueryValue) {
  const RegHandle key = Create("Query");
  Set(key, "Text", std::string("abc", 4));
  std::uint8_t buffer[8];
  std::uint32_t type = kSentinel, size = kSentinel;
  {
    SCOPED_TRACE("size query: the size, NUL included, and the type");
    EXPECT_EQ(api().RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size), kErrorSuccess);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, kRegSz);
  }
  {
    SCOPED_TRACE("a buffer of that size gets the data, and nothing beyond them");
    std::memset(buffer, kFill, sizeof buffer);
    size = 4;
    EXPECT_EQ(api().RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size), kErrorSuccess);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(buffer, "abc", 4), 0);
    EXPECT_EQ(buffer[4], kFill);
  }
  {
    SCOPED_TRACE("a buffer too small: 234 and the size needed");
    size = 2;
    EXPECT_EQ(api().RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size), kErrorMoreData);
    EXPECT_EQ(size, 4u);
  }
  {
    SCOPED_TRACE("a missing value: 2; the size is cleared only by a size query");
    size = kSentinel;
    EXPECT_EQ(api().RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size),
              kErrorFileNotFound);
    EXPECT_EQ(size, 0u);
    size = sizeof buffer;
    EXPECT_EQ(api().RegQueryValueExA(key, "Missing", nullptr, nullptr, buffer, &size),
              kErrorFileNotFound);
    EXPECT_EQ(size, sizeof buffer);
    EXPECT_EQ(api().RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, nullptr),
              kErrorFileNotFound);
    EXPECT_EQ(api().RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, nullptr),
              kErrorSuccess);
  }
  {
    SCOPED_TRACE("a string stored without its NUL: ended only when a spare byte allows");
    ASSERT_EQ(api().RegSetValueExA(key, "Bare", 0, kRegSz, Bytes("abcde"), 4), kErrorSuccess);
    EXPECT_EQ(SizeOf(key, "Bare"), 4u);
    for (const std::uint32_t offered : {4u, 5u}) {
      std::memset(buffer, kFill, sizeof buffer);
      size = offered;
      EXPECT_EQ(api().RegQueryValueExA(key, "Bare", nullptr, nullptr, buffer, &size),
                kErrorSuccess);
      EXPECT_EQ(size, 4u);
      EXPECT_EQ(std::memcmp(buffer, "abcd", 4), 0);
      EXPECT_EQ(buffer[4], offered == 4 ? kFill : 0) << "offered " << offered;
    }
  }
  {
    SCOPED_TRACE("zero bytes: size 0, the buffer untouched");
    Set(key, "Empty", "");
    std::memset(buffer, kFill, sizeof buffer);
    size = sizeof buffer;
    EXPECT_EQ(api().RegQueryValueExA(key, "Empty", nullptr, nullptr, buffer, &size), kErrorSuccess);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(buffer[0], kFill);
  }
  {
    SCOPED_TRACE("embedded NULs come back as stored");
    const std::string multi("ab\0cd\0", 7);
    Set(key, "Multi", multi, kRegMultiSz);
    size = sizeof buffer;
    EXPECT_EQ(api().RegQueryValueExA(key, "Multi", nullptr, nullptr, buffer, &size), kErrorSuccess);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), multi);
  }
  {
    SCOPED_TRACE("the unnamed default value: none until it is set");
    EXPECT_EQ(SizeOf(key, ""), kSentinel);
    EXPECT_EQ(SizeOf(key, nullptr), kSentinel);
    Set(key, nullptr, std::string("d", 2));
    EXPECT_EQ(SizeOf(key, ""), 2u);
    EXPECT_EQ(SizeOf(key, nullptr), 2u);
  }
}

TEST_P(RegistryContract, SetValue) {
  const RegHandle key = Create("Set");
  const char* const text = "ThisNeverBreaks";
  {
    SCOPED_TRACE("a size that counts the NUL is kept");
    ASSERT_EQ(api().RegSetValueExA(key, "Counted", 0, kRegSz, Bytes(text), 16), kErrorSuccess);
    EXPECT_EQ(SizeOf(key, "Counted"), 16u);
  }
  {
    SCOPED_TRACE("a size that leaves out the NUL, with a zero byte after: the NUL is added");
    ASSERT_EQ(api().RegSetValueExA(key, "Uncounted", 0, kRegSz, Bytes(text), 15), kErrorSuccess);
    EXPECT_EQ(SizeOf(key, "Uncounted"), 16u);
  }
  {
    SCOPED_TRACE("size 0 stores no bytes, with or without data");
    ASSERT_EQ(api().RegSetValueExA(key, "Zero", 0, kRegSz, Bytes(text), 0), kErrorSuccess);
    EXPECT_EQ(SizeOf(key, "Zero"), 0u);
    for (const std::uint32_t type : {kRegSz, kRegExpandSz, kRegBinary}) {
      ASSERT_EQ(api().RegSetValueExA(key, "Null", 0, type, nullptr, 0), kErrorSuccess) << type;
      std::uint32_t stored = kSentinel;
      EXPECT_EQ(api().RegQueryValueExA(key, "Null", nullptr, &stored, nullptr, nullptr),
                kErrorSuccess);
      EXPECT_EQ(stored, type);
      EXPECT_EQ(SizeOf(key, "Null"), 0u);
    }
  }
  {
    SCOPED_TRACE("the type of a value can change");
    Set(key, "Changing", std::string("a", 2));
    Set(key, "Changing", "\x01\x02\x03", kRegBinary);
    std::uint32_t type = kSentinel;
    EXPECT_EQ(api().RegQueryValueExA(key, "Changing", nullptr, &type, nullptr, nullptr),
              kErrorSuccess);
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(SizeOf(key, "Changing"), 3u);
  }
}

TEST_P(RegistryContract, DeleteValue) {
  const RegHandle key = Create("Values");
  Set(key, "Kept", "k");
  Set(key, "Gone", "g");
  Set(key, "", "default");
  EXPECT_EQ(api().RegDeleteValueA(key, "Missing"), kErrorFileNotFound);
  EXPECT_EQ(api().RegDeleteValueA(key, "Gone"), kErrorSuccess);
  EXPECT_EQ(SizeOf(key, "Gone"), kSentinel);
  EXPECT_EQ(api().RegDeleteValueA(key, ""), kErrorSuccess);  // the default value
  EXPECT_EQ(SizeOf(key, nullptr), kSentinel);
  EXPECT_EQ(Names(key, true), Strings{"Kept"});
}

TEST_P(RegistryContract, DeleteKey) {
  Create("Parent\\Child");
  Create("Lone");
  EXPECT_EQ(api().RegDeleteKeyA(scratch_, nullptr), kErrorInvalidParameter);
  EXPECT_NE(api().RegDeleteKeyA(scratch_, "Missing"), kErrorSuccess);
  {
    SCOPED_TRACE("a key with sub-keys: 5, nothing deleted");
    EXPECT_EQ(api().RegDeleteKeyA(scratch_, "Parent"), kErrorAccessDenied);
    EXPECT_TRUE(Exists("Parent\\Child"));
  }
  {
    SCOPED_TRACE("by name, in any letter case");
    EXPECT_EQ(api().RegDeleteKeyA(scratch_, "PARENT\\child"), kErrorSuccess);
    EXPECT_FALSE(Exists("Parent\\Child"));
    EXPECT_EQ(api().RegDeleteKeyA(scratch_, "parent"), kErrorSuccess);
  }
  {
    SCOPED_TRACE("an empty sub-key: the handle's own key, values and all");
    RegHandle key = 0;
    ASSERT_EQ(api().RegOpenKeyA(scratch_, "Lone", &key), kErrorSuccess);
    Set(key, "Value", "v");
    EXPECT_EQ(api().RegDeleteKeyA(key, ""), kErrorSuccess);
    EXPECT_FALSE(Exists("Lone"));
    EXPECT_EQ(api().RegCloseKey(key), kErrorSuccess);
  }
  EXPECT_EQ(Names(scratch_, false), Strings{});
}

TEST_P(RegistryContract, DeletedKeyHandle) {
  RegHandle key = 0, other = kSentinelHandle;
  ASSERT_EQ(api().RegCreateKeyA(scratch_, "Doomed", &key), kErrorSuccess);
  Set(key, "Value", "v");
  ASSERT_EQ(api().RegDeleteKeyA(key, ""), kErrorSuccess);

  char name[32];
  std::uint32_t length = sizeof name, size = 0;
  EXPECT_EQ(api().RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            kErrorKeyDeleted);
  length = sizeof name;
  EXPECT_EQ(api().RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            kErrorKeyDeleted);
  EXPECT_EQ(api().RegQueryValueExA(key, "Value", nullptr, nullptr, nullptr, &size),
            kErrorKeyDeleted);
  EXPECT_EQ(api().RegSetValueExA(key, "Value", 0, kRegSz, Bytes("v"), 2), kErrorKeyDeleted);
  EXPECT_EQ(api().RegOpenKeyA(key, "Sub", &other), kErrorKeyDeleted);
  EXPECT_EQ(api().RegCreateKeyA(key, "Sub", &other), kErrorKeyDeleted);
  EXPECT_EQ(api().RegDeleteKeyA(key, ""), kErrorKeyDeleted);
  EXPECT_FALSE(Exists("Doomed"));
  EXPECT_EQ(api().RegCloseKey(key), kErrorSuccess);  // it must still be closed
}

TEST_P(RegistryContract, CloseKey) {
  RegHandle key = 0;
  ASSERT_EQ(api().RegOpenKeyA(kHkcu, kScratch, &key), kErrorSuccess);
  EXPECT_EQ(api().RegCloseKey(key), kErrorSuccess);
  EXPECT_EQ(api().RegCloseKey(key), kErrorInvalidHandle);
  EXPECT_EQ(api().RegCloseKey(0), kErrorInvalidHandle);
}

TEST_P(RegistryContract, EnumerateKeys) {
  const Strings names = {"b", "_u", "A", "Zeta", "alpha2"};
  for (const std::string& name : names) Create(name.c_str());
  EXPECT_EQ(Names(scratch_, false), Sorted(names));

  Create("Single\\LongName");
  const RegHandle single = Create("Single");
  char name[32];
  std::memset(name, kFill, sizeof name);
  std::uint32_t length = sizeof name;
  {
    SCOPED_TRACE("the name and its NUL; the length without the NUL");
    EXPECT_EQ(api().RegEnumKeyExA(single, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              kErrorSuccess);
    EXPECT_EQ(length, 8u);
    EXPECT_STREQ(name, "LongName");
  }
  length = 4;
  EXPECT_EQ(api().RegEnumKeyExA(single, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            kErrorMoreData);
  length = sizeof name;
  EXPECT_EQ(api().RegEnumKeyExA(single, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
            kErrorNoMoreItems);
}

TEST_P(RegistryContract, EnumerateValues) {
  const RegHandle key = Create("Enum");
  const std::string data("0123456789", 11);
  Set(key, "Test", data);
  char name[32];
  std::uint8_t buffer[32];
  std::uint32_t length, size, type;
  auto reset = [&] {
    std::memset(name, kFill, sizeof name);
    std::memset(buffer, kFill, sizeof buffer);
    length = sizeof name;
    size = sizeof buffer;
    type = kSentinel;
  };
  {
    SCOPED_TRACE("name, type and data; the name's length without its NUL");
    reset();
    EXPECT_EQ(api().RegEnumValueA(key, 0, name, &length, nullptr, &type, buffer, &size),
              kErrorSuccess);
    EXPECT_EQ(length, 4u);
    EXPECT_STREQ(name, "Test");
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), data);
  }
  {
    SCOPED_TRACE("a name buffer too small: 234, the length kept, the data size given");
    reset();
    length = 2;
    EXPECT_EQ(api().RegEnumValueA(key, 0, name, &length, nullptr, &type, buffer, &size),
              kErrorMoreData);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(size, 11u);
  }
  {
    SCOPED_TRACE("a data buffer too small: 234, the data size given, the name not filled");
    reset();
    size = 4;
    EXPECT_EQ(api().RegEnumValueA(key, 0, name, &length, nullptr, &type, buffer, &size),
              kErrorMoreData);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(length, sizeof name);
    EXPECT_EQ(static_cast<std::uint8_t>(name[0]), kFill);
  }
  {
    SCOPED_TRACE("no data buffer: the data size only");
    reset();
    size = kSentinel;
    EXPECT_EQ(api().RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, &size),
              kErrorSuccess);
    EXPECT_EQ(size, 11u);
  }
  reset();
  EXPECT_EQ(api().RegEnumValueA(key, 0, nullptr, &length, nullptr, nullptr, nullptr, nullptr),
            kErrorInvalidParameter);
  EXPECT_EQ(api().RegEnumValueA(key, 0, name, nullptr, nullptr, nullptr, nullptr, nullptr),
            kErrorInvalidParameter);
  EXPECT_EQ(api().RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
            kErrorNoMoreItems);

  for (const char* other : {"b", "_u", "A", ""}) Set(key, other, "x");
  EXPECT_EQ(Names(key, true), Sorted({"Test", "b", "_u", "A", ""}));
}

TEST_P(RegistryContract, ValueOperations) {
  RegistryOperations ops(api());
  const std::string toolbar = std::string(kScratchPath) + "\\Toolbar\\Deeper";
  const char* const path18 = "C:\\Pics\\paper1.bmp";
  {
    SCOPED_TRACE("WriteKeyValue creates the missing keys; ReadKeyValue gives the text back");
    ops.WriteKeyValue(toolbar, "BackBitmap", path18);
    ops.WriteKeyValue(toolbar, "Empty", "");
    EXPECT_EQ(ops.ReadKeyValue(toolbar, "BackBitmap"), path18);
    EXPECT_EQ(ops.ReadKeyValue(toolbar, "Empty"), "");
    EXPECT_EQ(Upper(Names(scratch_, false)), Strings{"TOOLBAR"});
  }
  RegHandle key = 0;
  ASSERT_EQ(api().RegOpenKeyA(scratch_, "toolbar\\deeper", &key), kErrorSuccess);
  EXPECT_EQ(SizeOf(key, "BackBitmap"), 19u);
  EXPECT_EQ(SizeOf(key, "Empty"), 1u);
  {
    SCOPED_TRACE("missing keys and values read as the empty text");
    EXPECT_EQ(ops.ReadKeyValue(toolbar, "Missing"), "");
    EXPECT_EQ(ops.ReadKeyValue(toolbar + "\\Missing", "BackBitmap"), "");
  }
  {
    SCOPED_TRACE("DeleteKey removes one value and nothing else");
    ops.DeleteKey(toolbar, "Missing");
    ops.DeleteKey(toolbar, "BackBitmap");
    EXPECT_EQ(ops.ReadKeyValue(toolbar, "BackBitmap"), "");
    EXPECT_EQ(Names(key, true), Strings{"Empty"});
  }
  EXPECT_EQ(api().RegCloseKey(key), kErrorSuccess);
}

TEST_P(RegistryContract, KeyOperations) {
  RegistryOperations ops(api());
  const std::string keys = std::string(kScratchPath) + "\\Keys";
  Create("Keys\\ Padded ");
  const RegHandle key = Create("Keys");
  Set(key, "", "default");
  Set(key, " Spaced ", "s");
  Set(key, "Big", std::string(40000, 'x'), kRegBinary);
  Set(key, "Last", "l");
  {
    SCOPED_TRACE("listings: names trimmed of spaces, the count one less than the number");
    EXPECT_EQ(ops.ReadSubFolders(keys), Strings{"Padded"});
    EXPECT_EQ(ops.CountFolders(keys), 0.0);
    Create("Keys\\Second");
    EXPECT_EQ(Sorted(ops.ReadSubFolders(keys)), (Strings{"Padded", "Second"}));
    EXPECT_EQ(ops.CountFolders(keys), 1.0);
    EXPECT_EQ(ops.CountFolders(keys + "\\Second"), -1.0);
    EXPECT_EQ(ops.ReadSubFolders(keys + "\\Missing"), Strings{});
  }
  {
    SCOPED_TRACE("values: the default one as the empty text; too big data still listed");
    EXPECT_EQ(Sorted(ops.ReadKeyListValue(keys)), (Strings{"", "", "Last", "Spaced"}));
  }
  {
    SCOPED_TRACE("DeleteFolder: the key named, unless it has sub-keys");
    ops.DeleteFolder(keys + "\\Second");
    ops.DeleteFolder(keys);
    ops.DeleteFolder(keys + "\\Missing");
    EXPECT_EQ(ops.ReadSubFolders(keys), Strings{"Padded"});
    ops.DeleteFolder(keys + "\\ Padded ");
    ops.DeleteFolder(keys);
    EXPECT_FALSE(Exists("Keys"));
  }
}

const Backend kBackends[] = {
    {"MemoryRegistry", [] { return std::make_unique<MemoryRegistry>(); }},
#ifdef _WIN32
    {"Win32Registry", [] { return std::make_unique<Win32Registry>(); }},
#endif
};

std::string BackendName(const testing::TestParamInfo<Backend>& backend) {
  return backend.param.name;
}

INSTANTIATE_TEST_SUITE_P(Registry, RegistryContract, testing::ValuesIn(kBackends), BackendName);

}  // namespace
}  // namespace plumeroll
