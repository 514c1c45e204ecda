// The main window over the real registry when the toolbar key refuses to be written, as a
// policy or an administrator can make it: the handlers read back what the registry holds and
// say so, never "Mouuuw", "Yup" or nothing.
// sddl.h needs windows.h first.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include "mainwindow/frmIE.h"
#include "registry/Win32Registry.h"
#include "tests/unit/Fakes.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// Denies everyone the right to set values in the toolbar key; the key's own access list comes
// back when the guard goes.
struct WriteDenied {
  WriteDenied() {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Toolbar", 0,
                      nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr);
    DWORD size = static_cast<DWORD>(original.size());
    ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, original.data(), &size);
    PSECURITY_DESCRIPTOR denied = nullptr;  // KEY_SET_VALUE denied, all else allowed
    ::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x2;;;WD)(A;;KA;;;WD)",
                                                           SDDL_REVISION_1, &denied, nullptr);
    applied = !::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, denied);
    ::LocalFree(denied);
  }
  ~WriteDenied() {
    ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, original.data());
    ::RegCloseKey(key);
  }
  HKEY key = nullptr;
  std::vector<BYTE> original = std::vector<BYTE>(4096);
  bool applied = false;
};

TEST(ProtectedToolbarKey, ChoosingResizingAndRemovingSayThatTheRegistryRefused) {
  const auto registry = MakeWin32Registry();
  RegistryOperations operations(*registry);
  const std::string earlier = "C:\\Images\\earlier.bmp";
  for (const char* name : {"BackBitmap", "BackBitmapOriginal"})
    operations.WriteKeyValue(kToolbarKey, name, earlier);
  FakePlatform platform;
  platform.AddPicture(earlier);
  platform.AddPicture(platform.chosen_file = "C:\\Images\\chosen.bmp");
  {
    const WriteDenied denied;
    ASSERT_TRUE(denied.applied) << "the toolbar key's access list cannot be changed";
    frmIE window(platform, *registry);
    window.Run();
    platform.form().Click("cmdChange");
    for (const char* button : {"cmdFile", "cmdSize", "cmdFuck"}) {
      platform.messages.clear();
      platform.form().Click(button);
      ASSERT_EQ(platform.messages.size(), 1u) << button;
      EXPECT_EQ(platform.messages[0].title, "Registre protégé") << button;
      for (const char* name : {"BackBitmap", "BackBitmapOriginal"})
        EXPECT_EQ(operations.ReadKeyValue(kToolbarKey, name), earlier) << button << " " << name;
    }
  }
  for (const char* name : {"BackBitmap", "BackBitmapOriginal"})
    operations.DeleteKey(kToolbarKey, name);
}

}  // namespace
}  // namespace plumeroll::testing
