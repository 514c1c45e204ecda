// The registry contract: the behaviour of the modRegistry functions that the program relies on,
// and the nine operations over them. Every case runs against each backend of the build, under a
// scratch key of HKEY_CURRENT_USER that each case creates anew and removes. Out-parameters and
// buffers start as sentinels (0xdeadbeef, 0xbd bytes) so that a value left alone is told from a
// value written. Enumeration order is the platform's own: names are compared sorted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
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
constexpr std::uint8_t kFill = 0xbd;
constexpr RegStatus kErrorBadPathname = 161;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegMultiSz = 7;

struct Backend {
  std::string name;
  std::function<std::unique_ptr<modRegistry>()> make;
};

const std::uint8_t* Bytes(const char* text) {
  return reinterpret_cast<const std::uint8_t*>(text);
}

Strings Sorted(Strings names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Deletes a key and all below it, the deepest keys first. A missing key is no error.
RegStatus DeleteTree(modRegistry& api, RegHandle parent, const std::string& name) {
  RegHandle key = 0;
  const RegStatus status = api.RegOpenKeyA(parent, name.c_str(), &key);
  if (status != kErrorSuccess) return status == kErrorFileNotFound ? kErrorSuccess : status;
  char child[256];
  std::uint32_t length = sizeof child;
  while (api.RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) == 0 &&
         DeleteTree(api, key, child) == kErrorSuccess)
    length = sizeof child;
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
  // The size of a value's data, or the sentinel when it cannot be read.
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
        return Sorted(names);
      }
      names.emplace_back(name, length);
    }
  }

  RegHandle scratch_ = 0;

 private:
  std::unique_ptr<modRegistry> api_;
  std::vector<RegHandle> owned_;
};

TEST_P(RegistryContract, OpenAndCreateKeys) {
  const RegHandle created = Create("One\\Two");  // every missing key on the path
  Set(created, "Value", "x");
  RegHandle key = kSentinel;
  for (const char* path : {"one\\TWO", "One\\Two\\\\"}) {
    SCOPED_TRACE(std::string("any letter case, trailing backslashes: ") + path);
    EXPECT_EQ(api().RegOpenKeyA(scratch_, path, &key), kErrorSuccess);
    EXPECT_EQ(SizeOf(key, "Value"), 2u);
    EXPECT_EQ(api().RegCloseKey(key), kErrorSuccess);
    EXPECT_EQ(SizeOf(Create(path), "Value"), 2u) << "created again: opened";
  }
  EXPECT_EQ(Names(scratch_, false), Strings{"One"});
  // An empty sub-key under a hive (a path that names the hive alone): the hive's handle.
  EXPECT_EQ(api().RegOpenKeyA(kHkcu, "", &key), kErrorSuccess);
  EXPECT_EQ(key, kHkcu);

  // A missing key: 2 and a null handle; a leading backslash: 161; nothing made.
  key = kSentinel;
  EXPECT_EQ(api().RegOpenKeyA(scratch_, "One\\Missing", &key), kErrorFileNotFound);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(api().RegOpenKeyA(scratch_, "\\One", &key), kErrorBadPathname);
  EXPECT_EQ(api().RegCreateKeyA(scratch_, "\\Lead", &key), kErrorBadPathname);
  EXPECT_EQ(Names(scratch_, false), Strings{"One"});
}

TEST_P(RegistryContract, SetThenQueryTheSizeThenTheData) {
  const RegHandle key = Create("Query");
  // A missing value: 2; the unnamed default value is none until it is set.
  EXPECT_EQ(api().RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, nullptr),
            kErrorFileNotFound);
  EXPECT_EQ(SizeOf(key, ""), kSentinel);
  // The size query gives the size stored and the type (which can change); a buffer of that
  // size then gets the data as stored and nothing beyond, even when a string lacks its NUL.
  const struct {
    const char* name;
    const char* bytes;
    std::uint32_t size, type;
  } cases[] = {{"Text", "abc", 4, kRegSz},        {"Bare", "abcde", 4, kRegSz},
               {"Empty", "", 0, kRegSz},          {"Multi", "ab\0cd\0", 7, kRegMultiSz},
               {"Text", "\1\2\3", 3, kRegBinary}, {"", "d", 2, kRegSz}};
  for (const auto& [name, bytes, stored, stored_type] : cases) {
    SCOPED_TRACE(std::string(name) + " " + std::to_string(stored_type));
    ASSERT_EQ(api().RegSetValueExA(key, name, 0, stored_type, Bytes(bytes), stored), kErrorSuccess);
    std::uint8_t buffer[8];
    std::memset(buffer, kFill, sizeof buffer);
    std::uint32_t type = kSentinel, size = kSentinel;
    EXPECT_EQ(api().RegQueryValueExA(key, name, nullptr, &type, nullptr, &size), kErrorSuccess);
    EXPECT_EQ(type, stored_type);
    ASSERT_EQ(size, stored);
    EXPECT_EQ(api().RegQueryValueExA(key, name, nullptr, &type, buffer, &size), kErrorSuccess);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), std::string(bytes, stored));
    EXPECT_EQ(buffer[size], kFill);
  }
}

TEST_P(RegistryContract, DeleteValuesAndKeysThenCloseTheirHandles) {
  RegHandle values = 0;
  ASSERT_EQ(api().RegCreateKeyA(scratch_, "Values", &values), kErrorSuccess);
  Set(values, "Kept", "k");
  Set(values, "Gone", "g");
  Set(values, "", "default");
  EXPECT_EQ(api().RegDeleteValueA(values, "Missing"), kErrorFileNotFound);
  EXPECT_EQ(api().RegDeleteValueA(values, "Gone"), kErrorSuccess);
  EXPECT_EQ(api().RegDeleteValueA(values, ""), kErrorSuccess);  // the default value
  EXPECT_EQ(Names(values, true), Strings{"Kept"});

  Create("Parent\\Child");
  EXPECT_NE(api().RegDeleteKeyA(scratch_, "Missing"), kErrorSuccess);
  // A key with sub-keys: 5, nothing deleted; then by name, in any letter case.
  EXPECT_EQ(api().RegDeleteKeyA(scratch_, "Parent"), kErrorAccessDenied);
  EXPECT_EQ(api().RegDeleteKeyA(scratch_, "PARENT\\child"), kErrorSuccess);
  EXPECT_EQ(api().RegDeleteKeyA(scratch_, "parent"), kErrorSuccess);

  // An empty sub-key: the handle's own key, values and all. The handle then answers 1018
  // until it is closed; closed twice, or the null handle: 6.
  EXPECT_EQ(api().RegDeleteKeyA(values, ""), kErrorSuccess);
  EXPECT_EQ(Names(scratch_, false), Strings{});
  char name[32];
  std::uint32_t length = sizeof name, size = 0;
  EXPECT_EQ(api().RegEnumKeyExA(values, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            kErrorKeyDeleted);
  length = sizeof name;
  EXPECT_EQ(api().RegEnumValueA(values, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            kErrorKeyDeleted);
  EXPECT_EQ(api().RegQueryValueExA(values, "Kept", nullptr, nullptr, nullptr, &size),
            kErrorKeyDeleted);
  EXPECT_EQ(api().RegCloseKey(values), kErrorSuccess);
  EXPECT_EQ(api().RegCloseKey(values), kErrorInvalidHandle);
  EXPECT_EQ(api().RegCloseKey(0), kErrorInvalidHandle);
}

TEST_P(RegistryContract, EnumerateKeysAndValues) {
  // Names takes each name by its length, the NUL left out, and expects 259 at the end.
  const RegHandle key = Create("Enum");
  for (const char* name : {"b", "_u", "A"}) Create((std::string("Enum\\") + name).c_str());
  for (const char* name : {"b", "_u", ""}) Set(key, name, "x");
  EXPECT_EQ(Names(key, false), Sorted({"b", "_u", "A"}));
  EXPECT_EQ(Names(key, true), Sorted({"b", "_u", ""}));

  const RegHandle single = Create("Single");
  Set(single, "Test", std::string("0123456789", 11));
  char name[32];
  std::uint8_t buffer[4];
  std::uint32_t length = sizeof name, size = 0;
  // No data buffer: the data size only.
  EXPECT_EQ(api().RegEnumValueA(single, 0, name, &length, nullptr, nullptr, nullptr, &size),
            kErrorSuccess);
  EXPECT_EQ(size, 11u);
  // A data buffer too small: 234, the data size given, the name neither filled nor measured.
  std::memset(name, kFill, sizeof name);
  length = sizeof name;
  size = sizeof buffer;
  EXPECT_EQ(api().RegEnumValueA(single, 0, name, &length, nullptr, nullptr, buffer, &size),
            kErrorMoreData);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(length, sizeof name);
  EXPECT_EQ(static_cast<std::uint8_t>(name[0]), kFill);
}

// The nine operations, as the program calls them.
TEST_P(RegistryContract, Operations) {
  RegistryOperations ops(api());
  const std::string toolbar = std::string(kScratchPath) + "\\Toolbar";
  const char* const path18 = "C:\\Pics\\paper1.bmp";
  ops.WriteKeyValue(toolbar + "\\Deeper", "BackBitmap", path18);  // the missing keys are made
  ops.WriteKeyValue(toolbar, "Empty", "");
  ops.WriteKeyValue(toolbar, " Spaced ", "s");
  EXPECT_EQ(Names(scratch_, false), Strings{"TOOLBAR"});
  EXPECT_EQ(ops.ReadKeyValue(toolbar + "\\Deeper", "BackBitmap"), path18);
  EXPECT_EQ(SizeOf(Create("Toolbar\\Deeper"), "BackBitmap"), 19u);
  EXPECT_EQ(ops.ReadKeyValue(toolbar, "Empty"), "");
  const RegHandle key = Create("Toolbar");
  EXPECT_EQ(SizeOf(key, "Empty"), 1u);
  EXPECT_EQ(ops.ReadKeyValue(toolbar, "Missing"), "");

  // Listings: names trimmed of spaces, the default value as the empty text, data too big for
  // the buffer listed without the name.
  Create("Toolbar\\ Padded ");
  Set(key, "", "default");
  Set(key, "Big", std::string(40000, 'x'), kRegBinary);
  EXPECT_EQ(Sorted(ops.ReadSubFolders(toolbar)), (Strings{"DEEPER", "Padded"}));
  EXPECT_EQ(ops.CountFolders(toolbar), 1.0);
  EXPECT_EQ(ops.CountFolders(toolbar + "\\ Padded "), -1.0);
  EXPECT_EQ(Sorted(ops.ReadKeyListValue(toolbar)), (Strings{"", "", "Empty", "Spaced"}));

  // DeleteKey removes one value; DeleteFolder the key named, unless it has sub-keys.
  ops.DeleteKey(toolbar, "Empty");
  ops.DeleteFolder(toolbar + "\\Deeper");
  ops.DeleteFolder(toolbar);
  EXPECT_EQ(Sorted(ops.ReadKeyListValue(toolbar)), (Strings{"", "", "Spaced"}));
  EXPECT_EQ(ops.ReadSubFolders(toolbar), Strings{"Padded"});
  ops.DeleteFolder(toolbar + "\\ Padded ");
  ops.DeleteFolder(toolbar);
  EXPECT_EQ(Names(scratch_, false), Strings{});
}

const Backend kBackends[] = {
    {"MemoryRegistry", [] { return std::make_unique<MemoryRegistry>(); }},
#ifdef _WIN32
    {"Win32Registry", [] { return MakeWin32Registry(); }},
#endif
};

std::string BackendName(const testing::TestParamInfo<Backend>& backend) {
  return backend.param.name;
}

INSTANTIATE_TEST_SUITE_P(Registry, RegistryContract, testing::ValuesIn(kBackends), BackendName);

}  // namespace
}  // namespace plumeroll
