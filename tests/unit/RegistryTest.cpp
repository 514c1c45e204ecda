// The registry operations: how a path names its hive and sub-key, and the exact calls they
// make to the registry functions (names, bytes, sizes, handles). What they get back from a
// registry is the contract's.
#include <gtest/gtest.h>

#include "registry/RegistryOperations.h"
#include "tests/unit/Fakes.h"

namespace plumeroll::testing {
namespace {

using Strings = std::vector<std::string>;
constexpr char kToolbar[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar";

TEST(RegistryTest, APathNamesItsHiveInAnyCaseAndItsUpperCasedSubKeyAfterOneSeparator) {
  FakeRegistry reg;
  RegistryOperations ops(reg);
  const std::tuple<const char*, std::int32_t, const char*> paths[] = {
      {kToolbar, kHkeyCurrentUser, "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR"},
      {"hkey_current_user\\Café Noël ÿ", kHkeyCurrentUser, "CAFÉ NOËL ÿ"},  // characters
      {"HKEY_CLASSES_ROOT\\.bmp", kHkeyClassesRoot, ".BMP"},
      {"Hkey_Local_Machine\\x", kHkeyLocalMachine, "X"},
      {"HKEY_USERSX\\A", kHkeyUsers, "\\A"},
      {" HKEY_CURRENT_USER\\x", 0, ""},
      {"HKEY_CURRENT_CONFIG\\x", 0, ""}};
  for (const auto& [path, hive, sub_key] : paths) {
    EXPECT_EQ(ops.ValuePath(path), hive) << path;
    EXPECT_EQ(ops.StringPath(hive, path), sub_key) << path;
  }
  // The handle, not the path, names the hive.
  EXPECT_EQ(ops.StringPath(kHkeyLocalMachine, "HKEY_CURRENT_USER\\Software"), "OFTWARE");
}

TEST(RegistryTest, EachOperationMakesItsCallsAndClosesWhatItOpenedOnce) {
  FakeRegistry reg;
  RegistryOperations ops(reg);
  ops.WriteKeyValue(kToolbar, "BackBitmap", "C:\\Pics\\paper1.bmp");
  ops.WriteKeyValue(kToolbar, "BackBitmap", "");
  ops.ReadKeyValue(kToolbar, "BackBitmap");
  ops.DeleteKey(kToolbar, "BackBitmap");
  ops.DeleteFolder(kToolbar);
  ops.ReadSubFolders(kToolbar + std::string("\\Missing"));
  ops.ReadKeyValue("Software\\x", "x");  // no hive: no call
  const std::string toolbar = "HKCU SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR";
  EXPECT_EQ(reg.log,
            (Strings{"RegCreateKeyA " + toolbar + " -> key1",
                     "RegSetValueExA key1 BackBitmap C:\\Pics\\paper1.bmp\\0 19",
                     "RegCloseKey key1", "RegCreateKeyA " + toolbar + " -> key2",
                     "RegSetValueExA key2 BackBitmap \\0 1", "RegCloseKey key2",
                     "RegOpenKeyA " + toolbar + " -> key3", "RegCloseKey key3",
                     "RegOpenKeyA " + toolbar + " -> key4", "RegDeleteValueA key4 BackBitmap",
                     "RegCloseKey key4", "RegOpenKeyA " + toolbar + " -> key5",
                     "RegDeleteKeyA key5",  // the empty sub-key: the key itself
                     "RegCloseKey key5",
                     "RegOpenKeyA " + toolbar + "\\MISSING"}));  // failed: none to close
}

// A read tells an absent key or value from one that the registry would not give: a denied
// read is never taken for a missing value. A value claiming more than any path (4 GiB, which a
// 32-bit process could not even count with one more byte) is not read at all.
TEST(RegistryTest, AReadTellsAnAbsentValueFromOneTheRegistryWouldNotGive) {
  FakeRegistry reg;
  RegistryOperations ops(reg);
  for (const char* name : {"Set", "Denied", "Huge"}) ops.WriteKeyValue(kToolbar, name, "x");
  ops.WriteKeyValue("HKEY_CURRENT_USER\\Locked", "Set", "x");
  reg.failures = {{"RegQueryValueExA Denied", kErrorAccessDenied},
                  {"RegOpenKeyA LOCKED", kErrorAccessDenied}};
  reg.oversized.insert("Huge");
  const std::tuple<std::string, const char*, RegStatus, const char*> reads[] = {
      {kToolbar, "Set", kErrorSuccess, "x"},
      {kToolbar, "Missing", kErrorFileNotFound, ""},
      {kToolbar + std::string("\\Missing"), "Set", kErrorFileNotFound, ""},
      {"Software\\x", "Set", kErrorFileNotFound, ""},
      {kToolbar, "Denied", kErrorAccessDenied, ""},
      {"HKEY_CURRENT_USER\\Locked", "Set", kErrorAccessDenied, ""},
      {kToolbar, "Huge", kErrorMoreData, ""}};
  for (const auto& [path, name, status, text] : reads) {
    SCOPED_TRACE(path + " " + name);
    const ValueRead read = ops.QueryKeyValue(path, name);
    EXPECT_EQ(std::tuple(read.status, read.text), std::tuple(status, std::string(text)));
    EXPECT_EQ(ops.ReadKeyValue(path, name), text);
  }
}

// A failing enumeration call still lists its entry, as the untouched buffer gives it, then ends
// the listing: it would fail again at every index.
TEST(RegistryTest, AListingEndsAtItsFirstFailingEntry) {
  FakeRegistry reg;
  RegistryOperations ops(reg);
  ops.WriteKeyValue(kToolbar, "v", "v");
  reg.failures = {{"RegEnumKeyExA", kErrorAccessDenied}, {"RegEnumValueA", kErrorAccessDenied}};
  EXPECT_EQ(ops.ReadSubFolders(kToolbar), Strings{""});
  EXPECT_EQ(ops.ReadKeyListValue(kToolbar), Strings{""});
}

}  // namespace
}  // namespace plumeroll::testing
