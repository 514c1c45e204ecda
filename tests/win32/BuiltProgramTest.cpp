// What only the built plumeroll.exe shows, read from the file as Windows reads it: the manifest
// that the system's loader takes (common controls 6, DPI-aware, no elevation), the version
// record that Explorer shows, and the two window icons.
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// The built program, as the build gives it (a Windows path under Wine).
const std::string kProgram = PLUMEROLL_EXE;

std::string Resource(HMODULE file, const wchar_t* type, const wchar_t* name) {
  const HRSRC found = ::FindResourceW(file, name, type);
  return found ? std::string(static_cast<const char*>(::LockResource(::LoadResource(file, found))),
                             ::SizeofResource(file, found))
               : std::string();
}
BOOL CALLBACK Collect(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  reinterpret_cast<std::vector<LPWSTR>*>(found)->push_back(name);
  return TRUE;
}

TEST(BuiltProgram, CarriesTheManifestTheVersionRecordAndTwoIconsOf32By32In256Colours) {
  const std::wstring path(kProgram.begin(), kProgram.end());
  const HMODULE file = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  // The loader reads a program's manifest from resource 1 of type 24 and nowhere else.
  std::vector<LPWSTR> manifests, icons;
  ::EnumResourceNamesW(file, RT_MANIFEST, Collect, reinterpret_cast<LONG_PTR>(&manifests));
  EXPECT_EQ(manifests, std::vector{MAKEINTRESOURCEW(1)});
  for (const char* part : {R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
                           R"(level="asInvoker")", ">true</dpiAware>"}) {
    EXPECT_NE(Resource(file, RT_MANIFEST, MAKEINTRESOURCEW(1)).find(part), std::string::npos);
  }
  // Two icons, each with a picture of 32 x 32 pixels in 256 colours (8 bits), not the same one.
  ::EnumResourceNamesW(file, RT_GROUP_ICON, Collect, reinterpret_cast<LONG_PTR>(&icons));
  std::vector<std::string> pictures;
  for (const LPWSTR icon : icons) {
    const std::string group = Resource(file, RT_GROUP_ICON, icon);
    for (std::size_t at = 6; at + 14 <= group.size(); at += 14) {  // GRPICONDIRENTRY
      if (group[at] == 32 && group[at + 1] == 32 && group[at + 6] == 8)
        pictures.push_back(Resource(file, RT_ICON, MAKEINTRESOURCEW(std::uint8_t(group[at + 12]))));
    }
  }
  EXPECT_EQ(pictures.size(), 2u);
  EXPECT_NE(pictures.front(), pictures.back());
  ::FreeLibrary(file);
  // The version record: 1.0.0.0 in figures; "Plumeroll" and "1.00" in the texts that Explorer
  // shows, in the record's own language.
  std::string record(::GetFileVersionInfoSizeW(path.c_str(), nullptr), '\0');
  ::GetFileVersionInfoW(path.c_str(), 0, record.size(), record.data());
  void* value = nullptr;
  UINT size = 0;
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", &value, &size));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(Box(fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                fixed->dwProductVersionLS),
            Box(0x10000, 0, 0x10000, 0));
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &size));
  const auto* language = static_cast<const WORD*>(value);
  for (const auto& [name, expected] : {std::pair{L"ProductName", L"Plumeroll"},
                                       {L"FileVersion", L"1.00"},
                                       {L"ProductVersion", L"1.00"}}) {
    wchar_t block[64];
    std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\%ls", language[0], language[1], name);
    EXPECT_TRUE(::VerQueryValueW(record.data(), block, &value, &size)) << block;
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), expected) << block;
  }
}

}  // namespace
}  // namespace plumeroll::testing
