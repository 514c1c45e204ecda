// The platform's services on the real system: pictures through its bitmap loader, the resize's
// stretch-and-save path on a real picture, saves that never cost the earlier file nor leave one
// behind, paths the ANSI code page can hold, the one conversion between the program's UTF-8 and
// a code page; and the main window over the real registry when the toolbar key refuses to be
// written.
// sddl.h needs windows.h first.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include "mainwindow/frmIE.h"
#include "platform/DrawingSurface.h"
#include "platform/Win32Picture.h"
#include "platform/Win32Platform.h"
#include "platform/Win32Text.h"
#include "registry/Win32Registry.h"
#include "tests/unit/Fakes.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

std::string Utf8(const fs::path& path) {
  return win32::WideToUtf8(path.wstring());
}

// A picture file as the program loads it: its pixels, or none when they cannot be had.
std::optional<Image32> Pixels(const fs::path& path) {
  const Result<PicturePtr> picture = win32::LoadBitmapFile(path.wstring());
  Result<Image32> pixels = picture ? picture.value()->Pixels() : picture.failure();
  return pixels ? std::optional(std::move(pixels.value())) : std::nullopt;
}

// The BMP corpus, as the build gives it (a Windows path under Wine).
const fs::path kCorpus = win32::Utf8ToWide(PLUMEROLL_BMPSUITE);

// A picture's pixels, whole and as the image box shows it at 7 x 5 (from bands of a few rows,
// the last one shorter); none where they cannot be had.
using Colours = std::vector<std::uint32_t>;
std::pair<Colours, Colours> WholeAndShown(const PicturePtr& picture) {
  const Result<Image32> whole = picture->Pixels();
  const Result<Image32> shown = static_cast<const win32::Win32Picture&>(*picture).Scaled(7, 5);
  return {whole ? whole.value().pixels : Colours{}, shown ? shown.value().pixels : Colours{}};
}

// A plain file, which the program reads itself, reads as the system's loader reads it; cut
// short, it is the system loader's to read or refuse.
TEST(LoadPicture, EveryCorpusFileLoadsOrIsRefusedAndAPlainOneReadsAsTheSystemReadsIt) {
  ScratchFolder scratch;
  int plain_files = 0;
  for (const fs::path& folder : {kCorpus / "g", kCorpus / "q", kCorpus / "b", kCorpus / "x"}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::optional<Image32> pixels = Pixels(entry);
      EXPECT_TRUE(pixels || folder != kCorpus / "g") << "refused: " << Utf8(entry);
      EXPECT_TRUE(!pixels || pixels->pixels.size() == 1u * pixels->width * pixels->height);
      const PicturePtr plain = win32::OpenPlainBitmapFile(entry.path());
      if (!plain) continue;
      ++plain_files;
      const Result<PicturePtr> loaded = win32::LoadWithSystemLoader(entry.path());
      ASSERT_TRUE(loaded) << Utf8(entry);
      EXPECT_EQ(WholeAndShown(plain), WholeAndShown(loaded.value())) << Utf8(entry);
      EXPECT_EQ(WholeAndShown(plain).second.size(), 35u) << Utf8(entry);
      const std::string bytes = ReadBytes(entry);
      WriteBytes(scratch / "cut.bmp", bytes.substr(0, bytes.size() - 1));
      const Result<PicturePtr> cut = win32::LoadBitmapFile(scratch / "cut.bmp");
      const Result<PicturePtr> cut_loaded = win32::LoadWithSystemLoader(scratch / "cut.bmp");
      ASSERT_EQ(bool(cut), bool(cut_loaded)) << Utf8(entry);
      if (cut) {
        EXPECT_EQ(WholeAndShown(cut.value()), WholeAndShown(cut_loaded.value()));
      }
    }
  }
  EXPECT_GE(plain_files, 6);
  EXPECT_FALSE(Pixels(kCorpus / "missing.bmp"));
}

// "Changer la taille" as the program does it: a real picture loaded, stretched over the drawing
// surface and saved; the system's loader reads the file back at the size asked for.
TEST(SavePicture, AResizedPictureIsReadBackAtItsSizeWithItsColours) {
  ScratchFolder scratch;
  DrawingSurface surface;
  surface.SetWidth(1024);
  surface.SetHeight(150);
  const PicturePtr picture = win32::LoadBitmapFile(kCorpus / "g" / "rgb24.bmp").value();
  ASSERT_TRUE(surface.PaintPicture(*picture, 0, 0, 1024, 150));
  ASSERT_TRUE(win32::SaveBitmapFile(surface.Image(), scratch / "resized.bmp"));
  const Image32 back = Pixels(scratch / "resized.bmp").value_or(Image32{});
  EXPECT_EQ(std::pair(back.width, back.height), std::pair(1024, 150));
  EXPECT_EQ(back.pixels, surface.Image().pixels);
}

TEST(SavePicture, AFailedSaveChangesNothingAndALeftoverOfACutSaveIsTakenOver) {
  ScratchFolder scratch;
  WriteBytes(scratch / "resized.bmp", "the earlier picture");
  WriteBytes(scratch / "readonly.bmp", "kept");
  ASSERT_TRUE(::SetFileAttributesW((scratch / "readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY));
  fs::create_directory(scratch / "folder.bmp");
  const Image32 image{3, 2, std::vector<std::uint32_t>(6, 0xFF336699u)};
  const auto before = scratch.Contents();
  for (const char* target : {"missing\\resized.bmp", "folder.bmp", "readonly.bmp"}) {
    EXPECT_FALSE(win32::SaveBitmapFile(image, scratch / target)) << target;
    EXPECT_TRUE(scratch.Contents() == before) << target;
  }
  EXPECT_FALSE(win32::SaveBitmapFile(Image32{}, scratch / "resized.bmp"));
  EXPECT_TRUE(scratch.Contents() == before);
  ::SetFileAttributesW((scratch / "readonly.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);

  // A save cut short (a killed program) leaves its temporary file under the one name each save
  // uses: the next save takes it over, replaces the earlier file and touches nothing else.
  WriteBytes(scratch / "resized.bmp.tmp", std::string(100000, 'x'));
  WriteBytes(scratch / "plr1a2b.tmp", "another program's file");
  ASSERT_TRUE(win32::SaveBitmapFile(image, scratch / "resized.bmp"));
  const auto after = scratch.Contents();
  EXPECT_EQ(after.size(), before.size() + 1) << "the leftover is gone, the other file kept";
  EXPECT_EQ(after.at(L"plr1a2b.tmp"), "another program's file");
  EXPECT_EQ(after.at(L"resized.bmp").size(), 54u + 2 * 12) << "the new picture";
}

TEST(AnsiSafePath, GivesThePathOrItsShortFormThatTheAnsiCodePageHolds) {
  ScratchFolder scratch;
  Win32Platform platform;
  EXPECT_EQ(platform.AnsiSafePath(Utf8(scratch / "plain.bmp")), Utf8(scratch / "plain.bmp"));
  if (::GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page is UTF-8: it holds every path";
  // Cyrillic and Chinese: no code page has both.
  const std::wstring foreign = L"\x0416\x4E2D-fond.bmp";
  WriteBytes(scratch / foreign, "the same file");
  const std::optional<std::string> safe = platform.AnsiSafePath(Utf8(scratch / foreign));
  ASSERT_TRUE(safe.has_value());
  EXPECT_TRUE(win32::FitsCodePage(win32::Utf8ToWide(*safe), CP_ACP)) << *safe;
  EXPECT_EQ(ReadBytes(win32::Utf8ToWide(*safe)), "the same file");
  EXPECT_EQ(platform.AnsiSafePath(Utf8(scratch / (L"x" + foreign))), std::nullopt)
      << "no file, no short form";
}

// The code pages are given explicitly: the system's ANSI code page may be single-byte,
// double-byte or UTF-8, whatever the machine that runs the tests uses.
TEST(CodePageConversion, GivesTheCodePagesOwnBytesAndNeverALookAlike) {
  // The code page, a UTF-8 text, its bytes in the code page, whether the code page holds it.
  const std::tuple<UINT, const char*, std::string, bool> cases[] = {
      {1252, "Caf\xC3\xA9 No\xC3\xABl", "Caf\xE9 No\xEBl", true},  // "Café Noël"
      {1252, "\xC4\x81\xD0\x96", "??", false},  // "āЖ": no best fit, no look-alike "a"
      {932, "\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B", true},  // "日本" in Shift-JIS
      {932, "\xC3\xA9", "?", false},                                // "é"
      // The Unicode code pages hold everything and refuse the "no best fit" flag and the
      // default character: Windows for both, Wine for UTF-7 only.
      {CP_UTF8, "\xC3\xA9\xE6\x97\xA5", "\xC3\xA9\xE6\x97\xA5", true},  // "é日"
      {CP_UTF7, "\xC3\xA9", "+AOk-", true},
  };
  for (const auto& [code_page, text, bytes, fits] : cases) {
    SCOPED_TRACE(std::to_string(code_page) + " " + text);
    EXPECT_EQ(win32::Utf8ToCodePage(text, code_page), bytes);
    EXPECT_EQ(win32::FitsCodePage(win32::Utf8ToWide(text), code_page), fits);
    EXPECT_EQ(win32::CodePageToUtf8(bytes, code_page) == text, fits);  // back again
  }
}

// A toolbar key that refuses to be written, as a policy or an administrator can make it: the
// handlers read back what the registry holds and say so, never "Mouuuw", "Yup" or nothing.
// Denies everyone the right to set values in the toolbar key; the key's own access list comes
// back when the guard goes.
struct WriteDenied {
  WriteDenied() {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Toolbar", 0,
                      nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr);
    ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, original.data(), &size);
    ::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x2;;;WD)(A;;KA;;;WD)",
                                                           SDDL_REVISION_1, &denied, nullptr);
    applied = !::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, denied);
  }
  ~WriteDenied() {
    ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, original.data());
    ::RegCloseKey(key);
    ::LocalFree(denied);
  }
  HKEY key = nullptr;
  std::vector<BYTE> original = std::vector<BYTE>(4096);
  DWORD size = 4096;
  PSECURITY_DESCRIPTOR denied = nullptr;  // KEY_SET_VALUE denied to everyone, all else allowed
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
    for (const char* button : {"cmdChange", "cmdFile", "cmdSize", "cmdFuck"})
      platform.form().Click(button);
  }
  std::string titles;
  for (const auto& [prompt, buttons, title] : platform.messages) titles += title + "; ";
  EXPECT_EQ(titles, "Registre protégé; Registre protégé; Registre protégé; ");
  for (const char* name : {"BackBitmap", "BackBitmapOriginal"}) {
    EXPECT_EQ(operations.ReadKeyValue(kToolbarKey, name), earlier) << name;
    operations.DeleteKey(kToolbarKey, name);
  }
}

}  // namespace
}  // namespace plumeroll::testing
