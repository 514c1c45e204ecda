// The nine registry operations over the recording double: the exact arguments they pass to the
// registry functions, and what they give back over the in-memory registry behind it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/RegistryOperations.h"
#include "tests/unit/RecordingRegistry.h"

namespace plumeroll {
namespace {

using Strings = std::vector<std::string>;

constexpr char kToolbar[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr RegHandle kHkcu = kHkeyCurrentUser;
constexpr char kPath18[] = "C:\\Pics\\paper1.bmp";
static_assert(sizeof(kPath18) == 18 + 1);

class RegistryOperationsTest : public testing::Test {
 protected:
  // Puts a value under HKCU straight into the store, unrecorded. `name` null: no value, the
  // key only.
  void Seed(const char* sub_key, const char* name = nullptr, std::string data = {},
            std::uint32_t type = kRegSz) {
    RegHandle key = 0;
    ASSERT_EQ(reg.store.RegCreateKeyA(kHkcu, sub_key, &key), kErrorSuccess);
    if (name) {
      reg.store.RegSetValueExA(key, name, 0, type,
                               reinterpret_cast<const std::uint8_t*>(data.data()),
                               static_cast<std::uint32_t>(data.size()));
    }
    reg.store.RegCloseKey(key);
  }

  // Every handle an open or create gave back was closed exactly once, and nothing else was.
  void ExpectEachKeyClosedOnce() {
    std::vector<RegHandle> opened, closed;
    for (const RegCall& call : reg.calls) {
      if ((call.function == "RegOpenKeyA" && call.status == kErrorSuccess) ||
          call.function == "RegCreateKeyA") {
        opened.push_back(call.result);
      }
      if (call.function == "RegCloseKey") closed.push_back(call.handle);
    }
    EXPECT_EQ(closed, opened);
    EXPECT_EQ(reg.store.OpenHandleCount(), 0u);
  }

  RecordingRegistry reg;
  RegistryOperations ops{reg};
};

TEST(ValuePathTest, NamesTheHiveAtTheHeadOfThePathInAnyLetterCase) {
  RecordingRegistry reg;
  RegistryOperations ops(reg);
  const struct {
    const char* path;
    std::int32_t hive;
  } cases[] = {
      {"hkey_current_user\\software", kHkeyCurrentUser},
      {"HKEY_CLASSES_ROOT\\.bmp", kHkeyClassesRoot},
      {"Hkey_Local_Machine\\Software", kHkeyLocalMachine},
      {"HKEY_USERS", kHkeyUsers},
      {"HKEY_USERSX\\A", kHkeyUsers},  // the character after the name is not looked at
      {"Software\\Microsoft", 0},
      {"", 0},
      {" HKEY_CURRENT_USER\\Software", 0},
      {"HKEY_CURRENT_USE", 0},
      {"HKEY_CURRENT_CONFIG\\Software", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ops.ValuePath(c.path), c.hive);
  }
  EXPECT_TRUE(reg.calls.empty());
}

TEST(StringPathTest, CutsTheUpperCasedPathAfterTheNameOfTheHandlesHive) {
  RecordingRegistry reg;
  RegistryOperations ops(reg);
  const struct {
    std::int32_t hive;
    const char* path;
    const char* sub_key;
  } cases[] = {
      {kHkeyCurrentUser, kToolbar, "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR"},
      {kHkeyCurrentUser, "HKEY_CURRENT_USER", ""},
      {kHkeyCurrentUser, "HKEY_CURRENT_USER\\", ""},
      {kHkeyUsers, "HKEY_USERSX\\A", "\\A"},
      {kHkeyLocalMachine, "HKEY_CURRENT_USER\\Software", "OFTWARE"},  // the handle decides
      {kHkeyCurrentUser, "HKEY_CURRENT_USER/Software", "SOFTWARE"},   // any separator
      {0, kToolbar, ""},
      {5, kToolbar, ""},
      // Latin letters are upper-cased too; the cut counts characters, not bytes.
      {kHkeyCurrentUser, "hkey_current_user\\Café Noël ÿ", "CAFÉ NOËL ÿ"},
      {kHkeyLocalMachine, "HKEY_CURRENT_USER\\é\\x", "\\X"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ops.StringPath(c.hive, c.path), c.sub_key);
  }
  EXPECT_TRUE(reg.calls.empty());
}

TEST_F(RegistryOperationsTest, WriteKeyValueCreatesTheUpperCasedKeyAndStoresTheTextWithOneNul) {
  for (const std::string value : {kPath18, ""}) {
    SCOPED_TRACE(value);
    reg.calls.clear();
    ops.WriteKeyValue(kToolbar, "BackBitmap", value);

    ASSERT_EQ(reg.Functions(), (Strings{"RegCreateKeyA", "RegSetValueExA", "RegCloseKey"}));
    const RegCall& create = reg.calls[0];
    EXPECT_EQ(create.handle, kHkcu);
    EXPECT_EQ(create.text, "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR");
    const RegCall& set = reg.calls[1];
    EXPECT_EQ(set.handle, create.result);
    EXPECT_EQ(set.text, "BackBitmap");
    EXPECT_TRUE(set.reserved_null);
    EXPECT_EQ(set.type, kRegSz);
    EXPECT_EQ(set.buffer, value + '\0');
    EXPECT_EQ(set.size, value.size() + 1);
    ExpectEachKeyClosedOnce();
    EXPECT_EQ(ops.ReadKeyValue(kToolbar, "BackBitmap"), value);
  }
  // Every key made on the way bears the upper-cased name; the value keeps the caller's case.
  EXPECT_EQ(ops.ReadSubFolders("HKEY_CURRENT_USER"), Strings{"SOFTWARE"});
  EXPECT_EQ(ops.ReadSubFolders("HKEY_CURRENT_USER\\Software\\Microsoft"),
            Strings{"INTERNET EXPLORER"});
  EXPECT_EQ(ops.ReadKeyListValue(kToolbar), Strings{"BackBitmap"});
}

TEST_F(RegistryOperationsTest, TextsCrossTheRegistryBoundaryInTheAnsiCodePage) {
  ops.WriteKeyValue("HKEY_CURRENT_USER\\Café", "Clé", "Été");
  EXPECT_EQ(reg.calls[0].text, "CAF\xC9");
  EXPECT_EQ(reg.calls[1].text, "Cl\xE9");
  EXPECT_EQ(reg.calls[1].buffer, std::string("\xC9t\xE9", 3) + '\0');
  EXPECT_EQ(reg.calls[1].size, 4u);
  EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\café", "clé"), "Été");
  EXPECT_EQ(ops.ReadKeyListValue("HKEY_CURRENT_USER\\CAFÉ"), Strings{"Clé"});
}

TEST_F(RegistryOperationsTest, WriteKeyValueAfterAFailedCreateWritesThroughANullHandle) {
  reg.failures["RegCreateKeyA"] = kErrorAccessDenied;
  ops.WriteKeyValue(kToolbar, "BackBitmap", "x");
  ASSERT_EQ(reg.Functions(), (Strings{"RegCreateKeyA", "RegSetValueExA", "RegCloseKey"}));
  EXPECT_EQ(reg.calls[1].handle, 0);
  EXPECT_EQ(reg.calls[2].handle, 0);
  EXPECT_EQ(ops.ReadKeyValue(kToolbar, "BackBitmap"), "");
}

TEST_F(RegistryOperationsTest, ReadKeyValueAsksTheSizeThenReadsIntoAZeroedBufferOfThatSize) {
  Seed("Software\\Microsoft\\Internet Explorer\\Toolbar", "BackBitmap", std::string("a.bmp\0", 6));
  EXPECT_EQ(ops.ReadKeyValue(kToolbar, "BackBitmap"), "a.bmp");

  ASSERT_EQ(reg.Functions(),
            (Strings{"RegOpenKeyA", "RegQueryValueExA", "RegQueryValueExA", "RegCloseKey"}));
  EXPECT_EQ(reg.calls[0].handle, kHkcu);
  EXPECT_EQ(reg.calls[0].text, "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR");
  for (const RegCall& query : reg.CallsTo("RegQueryValueExA")) {
    EXPECT_EQ(query.handle, reg.calls[0].result);
    EXPECT_EQ(query.text, "BackBitmap");
    EXPECT_TRUE(query.reserved_null);
    EXPECT_TRUE(query.type_pointer);
  }
  EXPECT_EQ(reg.calls[1].buffer, std::nullopt);
  EXPECT_EQ(reg.calls[2].size, 6u);
  EXPECT_EQ(reg.calls[2].buffer, std::string(6, '\0'));
  ExpectEachKeyClosedOnce();
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
      {"binary without a zero byte", "\x01\x02", 3, "\x01\x02"},
      {"binary starting with a zero byte", std::string("\0x", 2), 3, ""},
      {"zero bytes", "", kRegSz, ""},
      {"Latin-1 text", std::string("No\xEBl\0", 5), kRegSz, "Noël"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Seed("Data", c.name, c.data, c.type);
    EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Data", c.name), c.text);
  }
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, ValueOperationsOnMissingKeysAndValuesChangeNothing) {
  Seed("Present", "Kept", std::string("k\0", 2));

  EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Present", "Missing"), "");
  ops.DeleteKey("HKEY_CURRENT_USER\\Present", "Missing");
  EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Present", "Kept"), "k");
  ExpectEachKeyClosedOnce();

  // A failed open closes nothing; a path under no hive reaches no registry function.
  reg.calls.clear();
  EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Absent", "Kept"), "");
  ops.DeleteKey("HKEY_CURRENT_USER\\Absent", "Kept");
  EXPECT_EQ(reg.Functions(), (Strings{"RegOpenKeyA", "RegOpenKeyA"}));
  reg.calls.clear();
  EXPECT_EQ(ops.ReadKeyValue("Present", "Kept"), "");
  ops.WriteKeyValue("HKEY_CURRENT_CONFIG\\Present", "Kept", "x");
  ops.DeleteKey("", "Kept");
  EXPECT_TRUE(reg.calls.empty());

  ops.DeleteKey("hkey_current_user\\present", "Kept");
  EXPECT_EQ(ops.ReadKeyValue("HKEY_CURRENT_USER\\Present", "Kept"), "");
  EXPECT_EQ(ops.ReadKeyListValue("HKEY_CURRENT_USER\\Present"), Strings{});
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, DeleteFolderAsksOnceToDeleteTheKeyTheHandleStandsFor) {
  Seed("Doomed", "Value", "v");
  Seed("Parent\\Child");

  ops.DeleteFolder("HKEY_CURRENT_USER\\Doomed");
  ASSERT_EQ(reg.Functions(), (Strings{"RegOpenKeyA", "RegDeleteKeyA", "RegCloseKey"}));
  EXPECT_EQ(reg.calls[1].handle, reg.calls[0].result);
  EXPECT_EQ(reg.calls[1].text, "");  // the empty text, not a null pointer
  EXPECT_EQ(ops.ReadSubFolders("HKEY_CURRENT_USER"), (Strings{"Parent"}));

  // A key with sub-keys is left whole: the request is made once and refused.
  reg.calls.clear();
  ops.DeleteFolder("HKEY_CURRENT_USER\\Parent");
  EXPECT_EQ(reg.CallsTo("RegDeleteKeyA").size(), 1u);
  EXPECT_EQ(ops.ReadSubFolders("HKEY_CURRENT_USER\\Parent"), Strings{"Child"});

  reg.calls.clear();
  ops.DeleteFolder("HKEY_CURRENT_USER\\Doomed");
  EXPECT_EQ(reg.Functions(), Strings{"RegOpenKeyA"});
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, ReadSubFoldersListsTrimmedNamesAndCountFoldersTheHighestIndex) {
  const char* const root = "HKEY_CURRENT_USER\\Root";
  Seed("Root");
  EXPECT_EQ(ops.ReadSubFolders(root), Strings{});
  EXPECT_EQ(ops.CountFolders(root), -1.0);
  Seed("Root\\  Padded  ");
  EXPECT_EQ(ops.ReadSubFolders(root), Strings{"Padded"});
  EXPECT_EQ(ops.CountFolders(root), 0.0);
  Seed("Root\\\tTab ");                                               // spaces only are trimmed
  EXPECT_EQ(ops.ReadSubFolders(root), (Strings{"\tTab", "Padded"}));  // sorted
  EXPECT_EQ(ops.CountFolders(root), 1.0);

  EXPECT_EQ(ops.ReadSubFolders("HKEY_CURRENT_USER\\Missing"), Strings{});
  EXPECT_EQ(ops.ReadSubFolders("Root"), Strings{});
  EXPECT_EQ(ops.CountFolders("Root"), -1.0);
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, ListingsOfferFreshBuffersOf32768AtEveryCall) {
  Seed("Root\\One", "A", "a");
  Seed("Root\\Two", "B", "b");
  Seed("Root", "C", "c");
  Seed("Root", "D", "d");
  ops.ReadSubFolders("HKEY_CURRENT_USER\\Root");
  ops.ReadKeyListValue("HKEY_CURRENT_USER\\Root");

  const std::string spaces(32768, ' ');
  const std::vector<RegCall> keys = reg.CallsTo("RegEnumKeyExA");
  const std::vector<RegCall> values = reg.CallsTo("RegEnumValueA");
  ASSERT_EQ(keys.size(), 3u);
  ASSERT_EQ(values.size(), 3u);
  for (std::uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(keys[i].index, i);
    EXPECT_EQ(keys[i].size, 32768u);
    EXPECT_TRUE(keys[i].buffer == spaces);
    EXPECT_TRUE(keys[i].reserved_null);
    EXPECT_TRUE(keys[i].class_and_time_null);

    EXPECT_EQ(values[i].index, i);
    EXPECT_EQ(values[i].size, 32768u);
    EXPECT_TRUE(values[i].buffer == spaces);
    EXPECT_TRUE(values[i].reserved_null);
    EXPECT_FALSE(values[i].type_pointer);
    // The first call asks for the data's size only.
    EXPECT_EQ(values[i].data_size, i == 0 ? 0u : 32768u);
    EXPECT_TRUE(i == 0 ? !values[i].data_buffer : values[i].data_buffer == spaces);
  }
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, ReadKeyListValueListsEveryValueWhateverItsNameOrSize) {
  Seed("Values", "", "unnamed");
  Seed("Values", " Spaced ", "s");
  EXPECT_EQ(ops.ReadKeyListValue("HKEY_CURRENT_USER\\Values"), (Strings{"", "Spaced"}));

  // Too big for the data buffer: the call gives 234 and leaves the name unfilled, and the
  // listing goes on past it.
  reg.calls.clear();
  Seed("Large", "First", "f");
  Seed("Large", "Big", std::string(40000, 'x'), 3);
  Seed("Large", "Last", "l");
  EXPECT_EQ(ops.ReadKeyListValue("HKEY_CURRENT_USER\\Large"), (Strings{"First", "", "Last"}));
  EXPECT_EQ(reg.CallsTo("RegEnumValueA")[1].status, kErrorMoreData);
  ExpectEachKeyClosedOnce();
}

TEST_F(RegistryOperationsTest, AListingWhoseCallsFailAtEveryIndexStillEnds) {
  Seed("Root\\Sub", "Value", "v");
  const struct {
    const char* function;
    RegStatus status;
  } cases[] = {{"RegEnumKeyExA", kErrorKeyDeleted},
               {"RegEnumKeyExA", kErrorMoreData},
               {"RegEnumValueA", kErrorInvalidHandle},
               {"RegEnumValueA", kErrorMoreData}};  // without a data size that explains it
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " " + std::to_string(c.status));
    reg.calls.clear();
    reg.failures = {{c.function, c.status}};
    // The failing call still adds its entry, from the untouched buffer of spaces.
    const Strings list = std::string(c.function) == "RegEnumKeyExA"
                             ? ops.ReadSubFolders("HKEY_CURRENT_USER\\Root")
                             : ops.ReadKeyListValue("HKEY_CURRENT_USER\\Root\\Sub");
    EXPECT_EQ(list, Strings{""});
    EXPECT_EQ(reg.CallsTo(c.function).size(), 1u);
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
