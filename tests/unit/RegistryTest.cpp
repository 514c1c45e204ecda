// The registry operations: the bytes of a value written, and what they make of answers that a
// real registry will not give on demand. What they do with a real registry (hives, sub-keys,
// code page, listings) is the registry layer's.
#include <gtest/gtest.h>

#include "registry/RegistryOperations.h"
#include "tests/unit/Fakes.h"

namespace plumeroll::testing {
namespace {

using Strings = std::vector<std::string>;
constexpr char kToolbar[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar";

// A text value is written with its NUL, counted in its size.
TEST(RegistryTest, AValueIsWrittenWithItsNul) {
  StubRegistry reg;
  RegistryOperations(reg).WriteKeyValue(kToolbar, "BackBitmap", "C:\\Pics\\paper1.bmp");
  EXPECT_EQ(reg.written, std::string("C:\\Pics\\paper1.bmp\0", 19));
}

// A key that opens, or is created, and counts as open until it is closed; whose value "Huge"
// claims 4 GiB, whose other values' data are denied, as a policy or an administrator can deny
// them, and whose listings fail at every index.
struct Unreadable : StubRegistry {
  RegStatus RegOpenKeyA(RegHandle, const char*, RegHandle* key) override {
    return *key = 1, ++open, kErrorSuccess;
  }
  RegStatus RegCreateKeyA(RegHandle hive, const char* path, RegHandle* key) override {
    return RegOpenKeyA(hive, path, key);
  }
  RegStatus RegCloseKey(RegHandle key) override { return open -= key == 1, kErrorSuccess; }
  RegStatus RegQueryValueExA(RegHandle, const char* name, std::uint32_t*, std::uint32_t*,
                             std::uint8_t* data, std::uint32_t* size) override {
    *size = name == std::string_view("Huge") ? 0xFFFFFFFF : 8;
    return data ? kErrorAccessDenied : kErrorSuccess;
  }
  int open = 0;
};

// A value the registry will not give is told from an absent one. A value that claims more than
// any path (4 GiB: a 32-bit process could not even count its size with one more byte) is not
// read at all. A failing enumeration call still lists its entry, as the untouched buffer gives
// it, then ends the listing: it would fail again at every index. Every key opened is closed.
TEST(RegistryTest, AnUnreadableValueIsNotAnAbsentOneAListingEndsAtItsFirstFailingEntry) {
  StubRegistry no_key;
  EXPECT_EQ(RegistryOperations(no_key).QueryKeyValue(kToolbar, "BackBitmap").status,
            kErrorFileNotFound);
  Unreadable reg;
  RegistryOperations ops(reg);
  EXPECT_EQ(ops.QueryKeyValue(kToolbar, "BackBitmap").status, kErrorAccessDenied);
  const ValueRead read = ops.QueryKeyValue(kToolbar, "Huge");
  EXPECT_EQ(std::pair(read.status, read.text), std::pair(kErrorMoreData, std::string()));
  EXPECT_EQ(ops.ReadSubFolders(kToolbar), Strings{""});
  EXPECT_EQ(ops.ReadKeyListValue(kToolbar), Strings{""});
  ops.WriteKeyValue(kToolbar, "BackBitmap", "x");
  ops.DeleteKey(kToolbar, "BackBitmap");
  ops.DeleteFolder(kToolbar);
  ops.CountFolders(kToolbar);
  EXPECT_EQ(reg.open, 0) << "a key left open";
}

}  // namespace
}  // namespace plumeroll::testing
