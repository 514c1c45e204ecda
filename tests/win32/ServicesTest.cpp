// The platform's services on the real system: pictures through its bitmap loader, the resize's
// stretch-and-save path on a real picture, saves that never cost the earlier file nor leave one
// behind, paths the ANSI code page can hold, and the one conversion between the program's UTF-8
// and a code page.
#include "platform/DrawingSurface.h"
#include "platform/Win32Platform.h"
#include "platform/Win32Text.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// The BMP corpus, as the build gives it (a Windows path under Wine).
const fs::path kCorpus = win32::Utf8ToWide(PLUMEROLL_BMPSUITE);

TEST(LoadPicture, EveryCorpusFileLoadsOrIsRefusedCleanlyAndTheGoodOnesAllLoad) {
  ScratchFolder scratch;
  WriteBytes(scratch / "text.bmp", "Ceci n'est pas une image.");
  WriteBytes(scratch / "empty.bmp", "");
  int files = 0;
  for (const fs::path& folder :
       {kCorpus / "g", kCorpus / "q", kCorpus / "b", kCorpus / "x", scratch.path}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      ++files;
      const std::optional<Image32> pixels = Pixels(entry);
      EXPECT_TRUE(pixels || folder != kCorpus / "g") << "refused: " << Utf8(entry);
      EXPECT_TRUE(!pixels || folder != scratch.path) << "no picture, loaded: " << Utf8(entry);
      EXPECT_TRUE(!pixels || pixels->pixels.size() == 1u * pixels->width * pixels->height);
    }
  }
  EXPECT_GT(files, 90) << "the corpus is at " << Utf8(kCorpus);
  EXPECT_FALSE(Pixels(scratch / "missing.bmp"));
}

// "Changer la taille" as the program does it: a real picture loaded, stretched over the drawing
// surface and saved; the system's loader reads the file back at the size asked for.
TEST(SavePicture, AResizedPictureIsReadBackAtItsSizeWithItsColours) {
  ScratchFolder scratch;
  Win32Platform platform;
  Result<PicturePtr> picture = platform.LoadPicture(Utf8(kCorpus / "g" / "rgb24.bmp"));
  ASSERT_TRUE(picture);
  DrawingSurface surface;
  surface.SetWidth(1024);
  surface.SetHeight(150);
  ASSERT_TRUE(surface.PaintPicture(*picture.value(), 0, 0, 1024, 150));
  ASSERT_TRUE(platform.SavePicture(surface.Image(), Utf8(scratch / "resized.bmp")));
  const std::optional<Image32> back = Pixels(scratch / "resized.bmp");
  ASSERT_TRUE(back);
  EXPECT_EQ(std::pair(back->width, back->height), std::pair(1024, 150));
  EXPECT_EQ(back->pixels, surface.Image().pixels);
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
  const std::wstring foreign =
      L"\x0416\x4E2D-fond.bmp";  // Cyrillic and Chinese: no code page has both
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
  const struct {
    UINT code_page;
    const char* text;   // UTF-8
    std::string bytes;  // in the code page
    bool fits;          // the code page holds the text
  } cases[] = {
      {1252, "Caf\xC3\xA9 No\xC3\xABl", "Caf\xE9 No\xEBl", true},  // "Café Noël"
      {1252, "\xC4\x81\xD0\x96", "??", false},  // "āЖ": no best fit, no look-alike "a"
      {932, "\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B", true},  // "日本" in Shift-JIS
      {932, "\xC3\xA9", "?", false},                                // "é"
      // The Unicode code pages hold everything and refuse the "no best fit" flag and the
      // default character: Windows for both, Wine for UTF-7 only.
      {CP_UTF8, "\xC3\xA9\xE6\x97\xA5", "\xC3\xA9\xE6\x97\xA5", true},  // "é日"
      {CP_UTF7, "\xC3\xA9", "+AOk-", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.code_page) + " " + c.text);
    EXPECT_EQ(win32::Utf8ToCodePage(c.text, c.code_page), c.bytes);
    EXPECT_EQ(win32::FitsCodePage(win32::Utf8ToWide(c.text), c.code_page), c.fits);
    if (c.fits) {
      EXPECT_EQ(win32::CodePageToUtf8(c.bytes, c.code_page), c.text);
    }
  }
}

}  // namespace
}  // namespace plumeroll::testing
