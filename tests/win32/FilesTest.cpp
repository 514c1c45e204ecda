// The program directory and paths for the ANSI code page.
#include "platform/Win32Platform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// Whether the system's ANSI code page holds text exactly (checked here without the
// platform's own helper).
bool AnsiHolds(const std::wstring& text) {
  BOOL used_default = FALSE;
  const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1,
                                           nullptr, 0, nullptr, &used_default);
  return length > 0 && !used_default;
}

TEST(ProgramDirectory, IsTheFolderThatHoldsTheRunningProgram) {
  Win32Platform platform;
  const std::string folder = platform.ProgramDirectory();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(fs::exists(fs::path(win32::Utf8ToWide(folder + "\\win32_tests.exe"))));
}

TEST(AnsiSafePath, GivesAFormOfThePathThatTheAnsiCodePageHolds) {
  ScratchFolder scratch;
  Win32Platform platform;
  {
    SCOPED_TRACE("a plain path is kept as it is, whether the file exists or not");
    const std::string plain = Utf8(scratch / "resized.bmp");
    EXPECT_EQ(platform.AnsiSafePath(plain), plain);
  }
  if (::GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page is UTF-8 and holds every path";

  // Cyrillic and CJK letters: no single-byte code page holds both.
  const std::wstring foreign_name = L"\x0416\x4E2D-fond.bmp";
  ASSERT_FALSE(AnsiHolds(foreign_name));
  {
    SCOPED_TRACE("an existing file whose name the code page cannot hold: its short form");
    const fs::path file = scratch / foreign_name;
    WriteBytes(file, "the same file");
    const std::optional<std::string> safe = platform.AnsiSafePath(Utf8(file));
    ASSERT_TRUE(safe.has_value());
    const std::wstring safe_wide = win32::Utf8ToWide(*safe);
    EXPECT_TRUE(AnsiHolds(safe_wide)) << *safe;
    EXPECT_EQ(ReadBytes(fs::path(safe_wide)), "the same file");
  }
  {
    SCOPED_TRACE("a missing file whose name the code page cannot hold: nothing");
    EXPECT_EQ(platform.AnsiSafePath(Utf8(scratch / (L"absent-" + foreign_name))), std::nullopt);
  }
}

}  // namespace
}  // namespace plumeroll::testing
