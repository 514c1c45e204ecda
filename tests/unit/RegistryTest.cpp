// The registry operations: how a path names its hive and sub-key, and what they make of answers
// that a real registry will not give on demand. What they do with a real registry is the
// registry layer's.
#include <gtest/gtest.h>

#include "registry/RegistryOperations.h"
#include "tests/unit/Fakes.h"

namespace plumeroll::testing {
namespace {

using Strings = std::vector<std::string>;
constexpr char kToolbar[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar";

TEST(RegistryTest, APathNamesItsHiveAndItsUpperCasedSubKeyAndAValueGoesWithItsNul) {
  StubRegistry reg;
  RegistryOperations ops(reg);
  const std::tuple<const char*, std::int32_t, const char*> paths[] = {
      {kToolbar, kHkeyCurrentUser, "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR"},
      {"hkey_current_user\\Café Noël ÿ", kHkeyCurrentUser, "CAFÉ NOËL ÿ"},  // characters
      {"HKEY_CLASSES_ROOT\\.bmp", kHkeyClassesRoot, ".BMP"},
      {"Hkey_Local_Machine\\x", kHkeyLocalMachine, "X"},
      {"HKEY_USERS\\.DEFAULT", kHkeyUsers, ".DEFAULT"},
      {"HKEY_CURRENT_CONFIG\\x", 0, ""}};
  for (const auto& [path, hive, sub_key] : paths) {
    EXPECT_EQ(ops.ValuePath(path), hive) << path;
    EXPECT_EQ(ops.StringPath(hive, path), sub_key) << path;
  }
  // A text value is written with its NUL, counted in its size.
  ops.WriteKeyValue(kToolbar, "BackBitmap", "C:\\Pics\\paper1.bmp");
  EXPECT_EQ(reg.written, std::string("C:\\Pics\\paper1.bmp\0", 19));
}

// A value that claims more than any path (4 GiB: a 32-bit process could not even count its size
// with one more byte) is not read at all: it is taken as one the registry would not give.
TEST(RegistryTest, AValueClaimingGigabytesIsNotRead) {
  struct Huge : StubRegistry {
    RegStatus RegOpenKeyA(RegHandle, const char*, RegHandle* key) override { return *key = 1, 0; }
    RegStatus RegQueryValueExA(RegHandle, const char*, std::uint32_t*, std::uint32_t*,
                               std::uint8_t* data, std::uint32_t* size) override {
      *size = 0xFFFFFFFF;
      return data ? kErrorAccessDenied : kErrorSuccess;  // no buffer could hold it
    }
  } reg;
  RegistryOperations ops(reg);
  const ValueRead read = ops.QueryKeyValue(kToolbar, "BackBitmap");
  EXPECT_EQ(std::pair(read.status, read.text), std::pair(kErrorMoreData, std::string()));
}

// A failing enumeration call still lists its entry, as the untouched buffer gives it, then ends
// the listing: it would fail again at every index.
TEST(RegistryTest, AListingEndsAtItsFirstFailingEntry) {
  struct Failing : StubRegistry {
    RegStatus RegOpenKeyA(RegHandle, const char*, RegHandle* key) override { return *key = 1, 0; }
  } reg;
  RegistryOperations ops(reg);
  EXPECT_EQ(ops.ReadSubFolders(kToolbar), Strings{""});
  EXPECT_EQ(ops.ReadKeyListValue(kToolbar), Strings{""});
}

}  // namespace
}  // namespace plumeroll::testing
