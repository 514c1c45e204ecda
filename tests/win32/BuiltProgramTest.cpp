// What only the built plumeroll.exe shows, read from the file as Windows reads it: the manifest
// that the system's loader takes (common controls 6, DPI-aware, no elevation) and the version
// record that Explorer shows. Which icon each window wears is the journey's, on the screen.
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// The built program, as the build gives it (a Windows path under Wine).
const std::string kProgram = PLUMEROLL_EXE;

TEST(BuiltProgram, CarriesTheManifestAndTheVersionRecord) {
  const std::wstring path(kProgram.begin(), kProgram.end());
  const HMODULE file = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  // The loader reads a program's manifest from resource 1 of type 24 and nowhere else.
  const HRSRC found = ::FindResourceW(file, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_TRUE(found) << "no manifest where the loader reads it";
  const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(file, found))),
                             ::SizeofResource(file, found));
  for (const char* part : {R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
                           R"(level="asInvoker")", ">true</dpiAware>"}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
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
