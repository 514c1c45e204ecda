// The nine registry operations over the recording double: the exact arguments they pass to the
// registry functions, and what they give back over the in-memory registry it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "registry/RegistryOperations.h"
#include "tests/unit/RecordingRegistry.h"

namespace plumeroll {
namespace {

using Strings = std::vector<std::string>;

constexpr char kToolbar[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kToolbarKey[] = "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR";

class RegistryOperationsTest : public testing::Test {
 protected:
  // Puts a value under HKEY_CURRENT_USER straight into the store, unrecorded; `name` null: the
  // key only.
  void Seed(const char* sub_key, const char* name = nullptr, const std::string& data = {},
            std::uint32_t type = kRegSz) {
    RegHandle key = 0;
    reg.MemoryRegistry::RegCreateKeyA(kHkeyCurrentUser, sub_key, &key);
    if (name) {
      reg.MemoryRegistry::RegSetValueExA(key, name, 0, type,
                                         reinterpret_cast<const std::uint8_t*>(data.data()),
                                         static_cast<std::uint32_t>(data.size()));
    }
    reg.MemoryRegistry::RegCloseKey(key);
  }

  // Every handle an open or create gave back was closed exactly once, and nothing else was.
  void ExpectEachKeyClosedOnce() {
    std::vector<RegHandle> opened, closed;
    for (const RegCall& call : reg.calls) {
      if (call.function == "RegCloseKey") closed.push_back(call.handle);
      if (call.function == "RegCreateKeyA" || (call.function == "RegOpenKeyA" && !call.status))
        opened.push_back(call.result);
    }
    EXPECT_EQ(closed, opened);
  }

  RecordingRegistry reg;
  RegistryOperations ops{reg};
};

TEST_F(RegistryOperationsTest, PathsNameTheirHiveInAnyLetterCaseAndTheUpperCasedSubKey) {
  const std::pair<const char*, std::int32_t> hives[] = {
      {"hkey_current_user\\software", kHkeyCurrentUser},
      {"HKEY_CLASSES_ROOT\\.bmp", kHkeyClassesRoot},
      {"Hkey_Local_Machine\\Software", kHkeyLocalMachine},
      {"HKEY_USERSX\\A", kHkeyUsers},  // the character after the name is not looked at
      {"Software\\Microsoft", 0},
      {" HKEY_CURRENT_USER\\Software", 0},
      {"HKEY_CURRENT_USE", 0},
      {"HKEY_CURRENT_CONFIG\\Software", 0},
  };
  for (const auto& [path, hive] : hives) EXPECT_EQ(ops.ValuePath(path), hive) << path;

  const std::tuple<std::int32_t, const char*, const char*> sub_keys[] = {
      {kHkeyCurrentUser, kToolbar, kToolbarKey},
      {kHkeyCurrentUser, "HKEY_CURRENT_USER", ""},
      {kHkeyUsers, "HKEY_USERSX\\A", "\\A"},
      {kHkeyLocalMachine, "HKEY_CURRENT_USER\\Software", "OFTWARE"},  // the handle decides
      {kHkeyCurrentUser, "HKEY_CURRENT_USER/Software", "SOFTWARE"},   // any separator
      {0, kToolbar, ""},
      {5, kToolbar, ""},
      // Latin letters are upper-cased too; the cut counts characters, not bytes.
      {kHkeyCurrentUser, "hkey_current_user\\Café Noël ÿ", "CAFÉ NOËL ÿ"},
      {kHkeyLocalMachine, "HKEY_CURRENT_USER\\é\\x", "\\X"},
  };
  for (const auto& [hive, path, sub_key] : sub_keys)
    EXPECT_EQ(ops.StringPath(hive, path), sub_key) << hive << " " << path;
  EXPECT_TRUE(reg.calls.empty());
}

TEST_F(RegistryOperationsTest, WriteKeyValueCreatesTheUpperCasedKeyAndStoresTheTextWithOneNul) {
  // The texts cross the registry boundary in the ANSI code page.
  const struct {
    const char *path, *name, *value, *sub_key, *ansi_name;
    std::string data;
  } cases[] = {
      {kToolbar, "BackBitmap", "C:\\Pics\\paper1.bmp", kToolbarKey, "BackBitmap",  // 18 characters
       std::string("C:\\Pics\\paper1.bmp\0", 19)},
      {kToolbar, "BackBitmap", "", kToolbarKey, "BackBitmap", std::string(1, '\0')},
      {"HKEY_CURRENT_USER\\Café", "Clé", "Été", "CAF\xC9", "Cl\xE9", std::string("\xC9t\xE9\0", 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    reg.calls.clear();
    ops.WriteKeyValue(c.path, c.name, c.value);
    ASSERT_EQ(reg.Functions(), (Strings{"RegCreateKeyA", "RegSetValueExA", "RegCloseKey"}));
    const RegCall &create = reg.calls[0], &set = reg.calls[1];
    EXPECT_EQ(create.handle, kHkeyCurrentUser);
    EXPECT_EQ(create.text, c.sub_key);
    EXPECT_EQ(set.handle, create.result);
    EXPECT_EQ(set.text, c.ansi_name);
    EXPECT_EQ(set.type, kRegSz);
    EXPECT_EQ(set.buffer, c.data);
    EXPECT_EQ(set.size, c.data.size());
    ExpectEachKeyClosedOnce();
    EXPECT_EQ(ops.ReadKeyValue(c.path, c.name), c.value);
  }
}

TEST_F(RegistryOperationsTest, ReadKeyValueYieldsTheDataUpToTheirFirstNul) {
  const struct {
    const char* name;
    std::string data;
    std::uint32_t type;
    const char* text;
  } cases[] = {
      {"several strings", std::string("first\0second\0\0", 14), 7, "first"},
      {"text stored as binary, without a NUL", "whole", 3, "whole"},
      {"zero bytes", "", kRegSz, ""},
      {"Latin-1 text", std::string("No\xEBl\0", 5), kRegSz, "Noël"},
  };
  for (const auto& c : cases) {
    Seed("Data", c.name, c.data, c.type);
    EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Data", c.name), c.text) << c.name;
  }
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, MissingKeysValuesAndHivesChangeNothingAndCloseNothingUnopened) {
  Seed("Present", "Kept", std::string("k\0", 2));
  EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Present", "Missing"), "");
  ops.DeleteKey("HKEY_CURRENT_USER\\Present", "Missing");
  EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Present", "Kept"), "k");
  ExpectEachKeyClosedOnce();

  // A failed open closes nothing; a path under no hive reaches no registry function.
  reg.calls.clear();
  EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Absent", "Kept"), "");
  ops.DeleteKey("HKEY_CURRENT_USER\\Absent", "Kept");
  ops.DeleteFolder("HKEY_CURRENT_USER\\Absent");
  EXPECT_EQ(reg.Functions(), (Strings{"RegOpenKeyA", "RegOpenKeyA", "RegOpenKeyA"}));
  reg.calls.clear();
  EXPECT_EQ(ops.ReadKeyValue("Present", "Kept"), "");
  ops.WriteKeyValue("HKEY_CURRENT_CONFIG\\Present", "Kept", "x");
  ops.DeleteKey("", "Kept");
  EXPECT_TRUE(reg.calls.empty());
}

TEST_F(RegistryOperationsTest, DeleteFolderAsksOnceToDeleteTheKeyTheHandleStandsFor) {
  Seed("Doomed", "Value", "v");
  Seed("Parent\\Child");
  ops.DeleteFolder("HKEY_CURRENT_USER\\Doomed");
  ASSERT_EQ(reg.Functions(), (Strings{"RegOpenKeyA", "RegDeleteKeyA", "RegCloseKey"}));
  EXPECT_EQ(reg.calls[1].handle, reg.calls[0].result);
  EXPECT_EQ(reg.calls[1].text, "");  // the empty text, not a null pointer
  EXPECT_EQ(ops.ReadSubFolders("HKEY_CURRENT_USER"), Strings{"Parent"});

  // A key with sub-keys is left whole: the request is made once and refused.
  reg.calls.clear();
  ops.DeleteFolder("HKEY_CURRENT_USER\\Parent");
  EXPECT_EQ(std::ranges::count(reg.Functions(), "RegDeleteKeyA"), 1u);
  EXPECT_EQ(ops.ReadSubFolders("HKEY_CURRENT_USER\\Parent"), Strings{"Child"});
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, ListingsGiveTrimmedNamesWhateverTheValuesSize) {
  const char* const root = "HKEY_CURRENT_USER\\Root";
  Seed("Root");
  EXPECT_EQ(ops.ReadSubFolders(root), Strings{});
  EXPECT_EQ(ops.CountFolders(root), -1.0);  // the highest index
  Seed("Root\\  Padded  ");
  EXPECT_EQ(ops.ReadSubFolders(root), Strings{"Padded"});
  EXPECT_EQ(ops.CountFolders(root), 0.0);
  Seed("Root\\\tTab ");                                               // spaces only are trimmed
  EXPECT_EQ(ops.ReadSubFolders(root), (Strings{"\tTab", "Padded"}));  // sorted
  EXPECT_EQ(ops.CountFolders(root), 1.0);
  EXPECT_EQ(ops.ReadSubFolders("HKEY_CURRENT_USER\\Missing"), Strings{});
  EXPECT_EQ(ops.CountFolders("Root"), -1.0);

  // The unnamed default value is listed as the empty text. Data too big for the buffer of
  // 32768 bytes: the call gives 234 and leaves the name unfilled, and the listing goes on.
  Seed("Values", "", "unnamed");
  Seed("Values", " Spaced ", "s");
  Seed("Values", "Big", std::string(40000, 'x'), 3);
  Seed("Values", "Last", "l");
  EXPECT_EQ(ops.ReadKeyListValue("HKEY_CURRENT_USER\\Values"), (Strings{"", "Spaced", "", "Last"}));
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, AListingWhoseCallsFailAtEveryIndexStillEnds) {
  Seed("Root\\Sub", "Value", "v");
  // 234 for values: without a data size that explains it.
  const std::pair<const char*, RegStatus> cases[] = {{"RegEnumKeyExA", kErrorKeyDeleted},
                                                     {"RegEnumValueA", kErrorInvalidHandle},
                                                     {"RegEnumValueA", kErrorMoreData}};
  for (const auto& [function, status] : cases) {
    SCOPED_TRACE(std::string(function) + " " + std::to_string(status));
    reg.calls.clear();
    reg.failures = {{function, status}};
    // The failing call still adds its entry, from the untouched buffer of spaces.
    const Strings list = std::string(function) == "RegEnumKeyExA"
                             ? ops.ReadSubFolders("HKEY_CURRENT_USER\\Root")
                             : ops.ReadKeyListValue("HKEY_CURRENT_USER\\Root\\Sub");
    EXPECT_EQ(list, Strings{""});
    EXPECT_EQ(std::ranges::count(reg.Functions(), function), 1u);
    ExpectEachKeyClosedOnce();
  }
}

TEST(RegistryOperationsOverrideTest, OperationsReachEachOtherThroughTheInterface) {
  // The main window offers the operations as its own; a call from one operation to another
  // must reach its version.
  struct Window : RegistryOperations {
    using RegistryOperations::RegistryOperations;
    std::string StringPath(std::int32_t, std::string) override { return "ELSEWHERE"; }
    std::vector<std::string> ReadSubFolders(std::string) override { return {"a", "b", "c"}; }
  };
  RecordingRegistry reg;
  Window window(reg);
  EXPECT_EQ(window.CountFolders("anything"), 2.0);
  window.ReadKeyValue(kToolbar, "BackBitmap");
  ASSERT_FALSE(reg.calls.empty());
  EXPECT_EQ(reg.calls[0].text, "ELSEWHERE");
}

}  // namespace
}  // namespace plumeroll
