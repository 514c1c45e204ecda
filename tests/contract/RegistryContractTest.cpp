// The registry contract: what the program gets from the registry through its nine operations,
// the same cases run against each backend of the build (the in-memory registry everywhere, the
// real one too under Windows), under a scratch key of HKEY_CURRENT_USER made anew for each case.
#include <gtest/gtest.h>

#include "registry/MemoryRegistry.h"
#include "registry/RegistryOperations.h"
#ifdef _WIN32
#include "registry/Win32Registry.h"
#endif

namespace plumeroll {
namespace {

using Strings = std::vector<std::string>;
const std::string kRoot = "HKEY_CURRENT_USER\\Software\\PlumerollContractTest";

std::unique_ptr<modRegistry> Backend([[maybe_unused]] const std::string& name) {
#ifdef _WIN32
  if (name == "Win32Registry") return MakeWin32Registry();
#endif
  return std::make_unique<MemoryRegistry>();
}

class RegistryContract : public testing::TestWithParam<const char*> {
 protected:
  RegistryContract() : api(Backend(GetParam())), ops(*api) {}
  void SetUp() override { Remove(kRoot); }  // what a broken run left
  void TearDown() override { Remove(kRoot); }
  void Remove(const std::string& key) {
    for (const std::string& sub_key : ops.ReadSubFolders(key)) Remove(key + "\\" + sub_key);
    ops.DeleteFolder(key);
  }
  // Stores bytes of any type as they are, with no NUL added.
  void SetRaw(const char* name, std::uint32_t type, const std::string& data) {
    RegHandle key = 0;
    api->RegCreateKeyA(kHkeyCurrentUser, "Software\\PlumerollContractTest", &key);
    const std::string bytes = data + 'X';  // no zero byte after the data: nothing is added
    api->RegSetValueExA(key, name, 0, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                        static_cast<std::uint32_t>(data.size()));
    api->RegCloseKey(key);
  }

  std::unique_ptr<modRegistry> api;
  RegistryOperations ops;
};

TEST_P(RegistryContract, ValuesReadBackAsWrittenUpToTheirFirstNulInAnyLetterCaseOfTheKey) {
  ops.WriteKeyValue(kRoot + "\\Toolbar\\Deeper", "BackBitmap", "C:\\Pics\\paper1.bmp");
  ops.WriteKeyValue(kRoot + "\\Toolbar", "Accents", "Noël à Château.bmp");
  EXPECT_EQ(ops.ReadKeyValue(kRoot + "\\toolbar\\DEEPER", "BackBitmap"), "C:\\Pics\\paper1.bmp");
  EXPECT_EQ(ops.ReadKeyValue(kRoot + "\\Toolbar", "Accents"), "Noël à Château.bmp");
  EXPECT_EQ(ops.ReadKeyValue(kRoot + "\\Toolbar", "Missing"), "");
  EXPECT_EQ(ops.ReadKeyValue(kRoot + "\\Missing", "Accents"), "");
  EXPECT_EQ(ops.ReadSubFolders(kRoot), Strings{"TOOLBAR"}) << "keys are made upper-cased";
  SetRaw("Multi", 7, std::string("first\0second\0", 13));
  SetRaw("NoNul", 1, "whole");
  EXPECT_EQ(ops.ReadKeyValue(kRoot, "Multi"), "first");
  EXPECT_EQ(ops.ReadKeyValue(kRoot, "NoNul"), "whole");
}

TEST_P(RegistryContract, DeletionsTakeWhatThePathNamesAndAKeyWithSubKeysStays) {
  ops.WriteKeyValue(kRoot + "\\Parent\\Child", "Value", "v");
  ops.WriteKeyValue(kRoot + "\\Parent", "Kept", "k");
  ops.WriteKeyValue(kRoot + "\\Parent", "Gone", "g");
  ops.DeleteKey(kRoot + "\\Parent", "gone");
  ops.DeleteKey(kRoot + "\\Parent", "Missing");
  EXPECT_EQ(ops.ReadKeyListValue(kRoot + "\\Parent"), Strings{"Kept"});
  ops.DeleteFolder(kRoot + "\\Parent");
  EXPECT_EQ(ops.ReadSubFolders(kRoot + "\\Parent"), Strings{"CHILD"});  // refused: a sub-key
  ops.DeleteFolder(kRoot + "\\Parent\\Child");
  ops.DeleteFolder(kRoot + "\\Parent");
  EXPECT_EQ(ops.ReadSubFolders(kRoot), Strings{});
}

TEST_P(RegistryContract, ListingsGiveTrimmedNamesEvenOfValuesTooBigToOffer) {
  EXPECT_EQ(ops.CountFolders(kRoot), -1.0) << "no key, no sub-key";
  ops.WriteKeyValue(kRoot + "\\One", "x", "x");
  ops.WriteKeyValue(kRoot + "\\Other", "x", "x");
  EXPECT_EQ(ops.ReadSubFolders(kRoot), (Strings{"ONE", "OTHER"}));
  EXPECT_EQ(ops.CountFolders(kRoot), 1.0);
  // The unnamed value as the empty text; data over 32768 bytes: listed, without the name.
  ops.WriteKeyValue(kRoot, "", "unnamed");
  ops.WriteKeyValue(kRoot, " Spaced ", "s");
  SetRaw("Big", 3, std::string(40000, 'x'));
  EXPECT_EQ(ops.ReadKeyListValue(kRoot), (Strings{"", "Spaced", ""}));  // in their order
}

#ifdef _WIN32
const char* const kBackends[] = {"MemoryRegistry", "Win32Registry"};
#else
const char* const kBackends[] = {"MemoryRegistry"};
#endif
INSTANTIATE_TEST_SUITE_P(Registry, RegistryContract, testing::ValuesIn(kBackends),
                         [](const auto& backend) { return std::string(backend.param); });

}  // namespace
}  // namespace plumeroll
