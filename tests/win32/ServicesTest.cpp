// The platform's services on the real system: pictures through its bitmap loader or read
// straight from a plain file, saves that never cost the earlier file nor leave one behind, even
// when the picture changes while it is read, paths the ANSI code page can hold, and the one
// conversion between the program's UTF-8 and a code page.
#include "platform/Win32Picture.h"
#include "platform/Win32Platform.h"
#include "platform/Win32Text.h"
#include "tests/unit/Fakes.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

std::string Utf8(const fs::path& path) {
  return win32::WideToUtf8(path.wstring());
}

// The BMP corpus, as the build gives it (a Windows path under Wine).
const fs::path kCorpus = win32::Utf8ToWide(PLUMEROLL_BMPSUITE);

std::optional<Colours> FileColours(const fs::path& path) {
  const Result<PicturePtr> picture = win32::LoadBitmapFile(path);
  return picture ? ColoursOf(*picture.value()) : std::nullopt;
}

// A plain file, which the program reads itself, reads as the system's loader reads it; cut
// short, it is the system loader's to read or refuse.
TEST(LoadPicture, EveryCorpusFileLoadsOrIsRefusedAndAPlainOneReadsAsTheSystemReadsIt) {
  ScratchFolder scratch;
  int plain_files = 0;
  for (const fs::path& folder : {kCorpus / "g", kCorpus / "q", kCorpus / "b", kCorpus / "x"}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      EXPECT_TRUE(FileColours(entry) || folder != kCorpus / "g") << "refused: " << Utf8(entry);
      const PicturePtr plain = win32::OpenPlainBitmapFile(entry.path());
      if (!plain) continue;
      ++plain_files;
      const Result<PicturePtr> loaded = win32::LoadWithSystemLoader(entry.path());
      ASSERT_TRUE(loaded) << Utf8(entry);
      EXPECT_EQ(ColoursOf(*plain), ColoursOf(*loaded.value())) << Utf8(entry);
      const std::string bytes = ReadBytes(entry);
      WriteBytes(scratch / "cut.bmp", bytes.substr(0, bytes.size() - 1));
      const Result<PicturePtr> cut = win32::LoadWithSystemLoader(scratch / "cut.bmp");
      EXPECT_EQ(FileColours(scratch / "cut.bmp"), cut ? ColoursOf(*cut.value()) : std::nullopt);
    }
  }
  EXPECT_GE(plain_files, 6);
  EXPECT_FALSE(FileColours(kCorpus / "missing.bmp"));
}

TEST(SavePicture, AFailedSaveChangesNothingAndALeftoverOfACutSaveIsTakenOver) {
  ScratchFolder scratch;
  WriteBytes(scratch / "resized.bmp", "the earlier picture");
  WriteBytes(scratch / "readonly.bmp", "kept");
  ASSERT_TRUE(::SetFileAttributesW((scratch / "readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY));
  const FakePicture picture(40, 30, Colours(40 * 30));
  const auto before = scratch.Contents();
  for (const char* target : {"missing\\resized.bmp", "readonly.bmp"}) {
    EXPECT_EQ(win32::SaveBitmapFile(picture, scratch / target).failure().cause, Cause::kTarget)
        << target;
    EXPECT_TRUE(scratch.Contents() == before) << target;
  }
  ::SetFileAttributesW((scratch / "readonly.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
  // Over 4 GiB, more than a bitmap file can say: refused before anything is read or written, by
  // the 32-bit program too.
  const Result<void> huge = win32::SaveBitmapFile(FakePicture(40000, 40000, {}), scratch / "h.bmp");
  EXPECT_EQ(huge.failure().call, "WriteBmp24");
  EXPECT_TRUE(scratch.Contents() == before);
  // A picture that changes, is cut short or goes while it is read: the reading says so, and the
  // earlier file stays as it was, with nothing left beside it.
  const std::vector<std::uint32_t> grey(60000, 0x123456);
  const std::string file = BmpFile(Bitmap{300, 200, grey});
  for (const std::string& now :
       {file.substr(0, 40000), BmpFile(Bitmap{200, 300, grey}), std::string()}) {
    WriteBytes(scratch / "source.bmp", file);
    const PicturePtr source = win32::LoadBitmapFile(scratch / "source.bmp").value();
    fs::remove(scratch / "source.bmp");
    if (!now.empty()) WriteBytes(scratch / "source.bmp", now);
    const Result<void> saved = win32::SaveBitmapFile(*source, scratch / "resized.bmp");
    EXPECT_EQ(saved.failure().cause, Cause::kSource) << saved.failure().call;
    fs::remove(scratch / "source.bmp");
    EXPECT_TRUE(scratch.Contents() == before);
  }

  // A save cut short (a killed program) leaves its temporary file under the one name each save
  // uses: the next save takes it over, replaces the earlier file and touches nothing else.
  WriteBytes(scratch / "resized.bmp.tmp", std::string(100000, 'x'));
  WriteBytes(scratch / "plr1a2b.tmp", "another program's file");
  ASSERT_TRUE(win32::SaveBitmapFile(picture, scratch / "resized.bmp"));
  const auto after = scratch.Contents();
  EXPECT_EQ(after.size(), before.size() + 1) << "the leftover is gone, the other file kept";
  EXPECT_EQ(after.at(L"plr1a2b.tmp"), "another program's file");
  EXPECT_EQ(after.at(L"resized.bmp").size(), 54u + 30 * 120) << "the new picture";
}

TEST(AnsiSafePath, GivesThePathOrItsShortFormThatTheAnsiCodePageHolds) {
  ScratchFolder scratch;
  Win32Platform platform;
  EXPECT_EQ(platform.AnsiSafePath(Utf8(scratch / "plain.bmp")), Utf8(scratch / "plain.bmp"));
  if (::GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page is UTF-8: it holds every path";
  // Cyrillic and Chinese: no code page has both.
  const std::wstring foreign = L"\x0416\x4E2D-fond.bmp";
  WriteBytes(scratch / foreign, "x");
  const std::optional<std::string> safe = platform.AnsiSafePath(Utf8(scratch / foreign));
  ASSERT_TRUE(safe.has_value());
  EXPECT_TRUE(win32::FitsCodePage(win32::Utf8ToWide(*safe), CP_ACP)) << *safe;
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

}  // namespace
}  // namespace plumeroll::testing
