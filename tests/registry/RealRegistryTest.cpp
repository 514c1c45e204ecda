// The registry operations on the real registry: what the program gets back through them, under a
// scratch key of HKEY_CURRENT_USER made anew for each case.
#include <algorithm>

#include "registry/RegistryOperations.h"
#include "registry/Win32Registry.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

using Strings = std::vector<std::string>;
const std::string kRoot = "HKEY_CURRENT_USER\\Software\\PlumerollRegistryTest";
const wchar_t kKey[] = L"Software\\PlumerollRegistryTest";

struct RealRegistry : ::testing::Test {
  void SetUp() override { ::SHDeleteKeyW(HKEY_CURRENT_USER, kKey); }  // what a broken run left
  void TearDown() override { ::SHDeleteKeyW(HKEY_CURRENT_USER, kKey); }
  // Stores bytes of any type as they are, with no NUL added.
  static void SetRaw(const char* name, DWORD type, const std::string& data) {
    const std::string bytes = data + 'X';  // no zero byte after the data: nothing is added
    ::SHSetValueA(HKEY_CURRENT_USER, "Software\\PlumerollRegistryTest", name, type, bytes.data(),
                  static_cast<DWORD>(data.size()));
  }
  std::unique_ptr<modRegistry> api = MakeWin32Registry();
  RegistryOperations ops{*api};
};

// Texts reach the registry in the ANSI code page (read back here with its wide functions) and
// come back from it as they went.
TEST_F(RealRegistry, ValuesReadBackAsWrittenUpToTheirFirstNulInAnyLetterCaseOfTheKey) {
  ops.WriteKeyValue(kRoot + "\\Café\\L'Haÿ", "Clé", "Noël à Château.bmp");
  EXPECT_EQ(KeyValue(kKey + std::wstring(L"\\CAF\u00C9\\L'HA\u00FF"), L"Cl\u00E9"),
            L"No\u00EBl \u00E0 Ch\u00E2teau.bmp");
  EXPECT_EQ(ops.ReadKeyValue(kRoot + "\\café\\l'haÿ", "Clé"), "Noël à Château.bmp");
  EXPECT_EQ(ops.ReadSubFolders(kRoot), Strings{"CAFÉ"}) << "keys are made upper-cased";
  SetRaw("Multi", 7, std::string("first\0second\0", 13));
  SetRaw("NoNul", 1, "whole");
  EXPECT_EQ(ops.ReadKeyValue(kRoot, "Multi"), "first");
  EXPECT_EQ(ops.ReadKeyValue(kRoot, "NoNul"), "whole");
}

// Each hive that a path names is the system's hive of that name: it lists a sub-key that only
// that hive has, in the letter case of Windows or of Wine.
TEST_F(RealRegistry, APathNamesItsHive) {
  for (const auto& [hive, only_there] : {std::pair{"HKEY_CLASSES_ROOT", "CLSID"},
                                         {"HKEY_LOCAL_MACHINE", "Hardware"},
                                         {"HKEY_USERS", ".Default"}}) {
    EXPECT_TRUE(std::ranges::any_of(ops.ReadSubFolders(hive), [&](const std::string& name) {
      return _stricmp(name.c_str(), only_there) == 0;
    })) << hive;
  }
}

// The operations on keys and their listings.
TEST_F(RealRegistry, ListingsGiveTrimmedNamesAndDeletionsTakeWhatThePathNames) {
  EXPECT_EQ(ops.CountFolders(kRoot), -1.0) << "no key, no sub-key";
  EXPECT_EQ(ops.QueryKeyValue(kRoot, "x").status, kErrorFileNotFound) << "no key, no value";
  EXPECT_EQ(::SHDeleteKeyW(HKEY_CURRENT_USER, kKey), ERROR_FILE_NOT_FOUND) << "made by a reading";
  ops.WriteKeyValue(kRoot + "\\One\\Child", "x", "x");
  ops.WriteKeyValue(kRoot + "\\Other", "x", "x");
  EXPECT_EQ(ops.ReadSubFolders(kRoot), (Strings{"ONE", "OTHER"}));
  EXPECT_EQ(ops.CountFolders(kRoot), 1.0);
  ops.DeleteFolder(kRoot + "\\One");
  ops.DeleteFolder(kRoot + "\\Other");
  EXPECT_EQ(ops.ReadSubFolders(kRoot), Strings{"ONE"}) << "a key with sub-keys stays";
  // The unnamed value as the empty text; data over 32768 bytes: listed, without the name, and
  // the listing goes on after it. A value's name is matched in any letter case.
  ops.WriteKeyValue(kRoot, "", "unnamed");
  ops.WriteKeyValue(kRoot, " Spaced ", "s");
  SetRaw("Big", 3, std::string(40000, 'x'));
  ops.WriteKeyValue(kRoot, "Last", "l");
  ops.WriteKeyValue(kRoot, "Gone", "g");
  ops.DeleteKey(kRoot, "gone");
  // In their order: that of their making, which Windows keeps, and of their names, which Wine
  // keeps.
  EXPECT_EQ(ops.ReadKeyListValue(kRoot), (Strings{"", "Spaced", "", "Last"}));
}

}  // namespace
}  // namespace plumeroll::testing
