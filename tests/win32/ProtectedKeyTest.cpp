// The main window over the real registry when the toolbar key refuses to be written: the
// handlers read back what the registry holds and say so, never "Mouuuw", "Yup" or nothing.
#include <aclapi.h>

#include "mainwindow/frmIE.h"
#include "registry/Win32Registry.h"
#include "tests/unit/FakePlatform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// Denies everyone the right to set values in the toolbar key, as a policy or an administrator
// would; the key's own access list comes back when the guard goes.
class WriteDenied {
 public:
  WriteDenied() {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kToolbarKeyW, 0, nullptr, 0, READ_CONTROL | WRITE_DAC,
                      nullptr, &key, nullptr);
    key_.reset(key);
    ::GetSecurityInfo(key_.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                      &original_, nullptr, &descriptor_);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    EXPLICIT_ACCESSW deny{};
    deny.grfAccessPermissions = KEY_SET_VALUE;
    deny.grfAccessMode = DENY_ACCESS;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    deny.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    deny.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL denied = nullptr;
    ::SetEntriesInAclW(1, &deny, original_, &denied);
    applied_ = ::SetSecurityInfo(key_.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                 nullptr, denied, nullptr) == ERROR_SUCCESS;
    ::LocalFree(denied);
    ::FreeSid(everyone);
  }
  ~WriteDenied() {
    ::SetSecurityInfo(key_.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                      original_, nullptr);
    ::LocalFree(descriptor_);
  }
  explicit operator bool() const { return applied_; }

  static constexpr wchar_t kToolbarKeyW[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";

 private:
  win32::UniqueHandle<HKEY, ::RegCloseKey> key_;
  PACL original_ = nullptr;
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  bool applied_ = false;
};

TEST(ProtectedToolbarKey, ChoosingResizingAndRemovingSayThatTheRegistryRefused) {
  const auto registry = MakeWin32Registry();
  RegistryOperations operations(*registry);
  const std::string earlier = "C:\\Images\\earlier.bmp";
  for (const char* name : {"BackBitmap", "BackBitmapOriginal"}) {
    operations.WriteKeyValue(kToolbarKey, name, earlier);
  }
  FakePlatform platform;
  platform.AddPicture(earlier, 40, 30);
  platform.AddPicture("C:\\Images\\chosen.bmp", 40, 30);
  platform.chosen_file = "C:\\Images\\chosen.bmp";
  {
    const WriteDenied denied;
    ASSERT_TRUE(denied) << "the toolbar key's access list cannot be changed";
    frmIE window(platform, *registry);
    window.Run();
    FakeForm& form = *platform.forms.front();
    form.Click("cmdChange");
    for (const char* button : {"cmdFile", "cmdSize", "cmdFuck"}) {
      SCOPED_TRACE(button);
      platform.messages.clear();
      form.Click(button);
      ASSERT_EQ(platform.messages.size(), 1u);
      EXPECT_EQ(platform.messages[0].title, "Registre protégé");
      EXPECT_EQ(platform.messages[0].buttons, kMsgCritical);
      for (const char* name : {"BackBitmap", "BackBitmapOriginal"}) {
        EXPECT_EQ(operations.ReadKeyValue(kToolbarKey, name), earlier) << name;
      }
      EXPECT_EQ(form.at("imgCurrent").picture, platform.pictures.at(earlier))
          << "the display shows what the registry holds";
    }
  }
  for (const char* name : {"BackBitmap", "BackBitmapOriginal"}) {
    operations.DeleteKey(kToolbarKey, name);
  }
}

}  // namespace
}  // namespace plumeroll::testing
