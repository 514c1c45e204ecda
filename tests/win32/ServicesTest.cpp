// The platform's services on the real system: pictures through its bitmap loader or read
// straight from a plain file, saves that never cost the earlier file nor leave one behind, even
// when the picture changes while it is read, and the one conversion between the program's UTF-8
// and a code page. And of the main window, what only the program itself can see, in its own
// process: the font that the placeholder asks for, and the event loop.
#include "mainwindow/frmIE_layout.h"
#include "platform/Win32Form.h"
#include "platform/Win32Picture.h"
#include "platform/Win32Platform.h"
#include "platform/Win32Text.h"
#include "tests/unit/Fakes.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

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
      EXPECT_TRUE(FileColours(entry) || folder != kCorpus / "g") << "refused: " << entry.path();
      const PicturePtr plain = win32::OpenPlainBitmapFile(entry.path());
      if (!plain) continue;
      ++plain_files;
      const Result<PicturePtr> loaded = win32::LoadWithSystemLoader(entry.path());
      ASSERT_TRUE(loaded) << entry.path();
      EXPECT_EQ(ColoursOf(*plain), ColoursOf(*loaded.value())) << entry.path();
      const std::string bytes = ReadBytes(entry);
      WriteBytes(scratch / "cut.bmp", bytes.substr(0, bytes.size() - 1));
      const Result<PicturePtr> cut = win32::LoadWithSystemLoader(scratch / "cut.bmp");
      EXPECT_EQ(FileColours(scratch / "cut.bmp"), cut ? ColoursOf(*cut.value()) : std::nullopt);
    }
  }
  EXPECT_GE(plain_files, 6);
  EXPECT_FALSE(FileColours(kCorpus / "missing.bmp"));
}

TEST(SavePicture, AFailedSaveChangesNothingAndASaveTakesOverTheLeftoverOfACutOne) {
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
  // A save replaces the earlier file, and takes over what a save cut short (a killed program)
  // left under the one temporary name that each save uses.
  WriteBytes(scratch / "resized.bmp.tmp", "a leftover");
  ASSERT_TRUE(win32::SaveBitmapFile(picture, scratch / "resized.bmp"));
  EXPECT_EQ(scratch.Contents().size(), before.size()) << "the leftover is gone";
  EXPECT_EQ(ReadBytes(scratch / "resized.bmp").size(), 54u + 30 * 120) << "the new picture";
}

// The code pages are given explicitly: the system's ANSI code page may be single-byte,
// double-byte or UTF-8, whatever the machine that runs the tests uses.
TEST(CodePageConversion, GivesTheCodePagesOwnBytesAndNeverALookAlike) {
  // The code page, a UTF-8 text, its bytes in the code page, whether the code page holds it.
  const std::tuple<UINT, const char*, std::string, bool> cases[] = {
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

// The main window asks for its placeholder in bold MS Sans Serif of 18 points (or the face the
// system puts in its place). Its event loop runs until the window goes; an exception that a
// handler lets out leaves it, for the program to report, rather than being lost inside the window
// procedure.
TEST(MainWindow, HasItsPlaceholdersFontAndEndsItsEventLoopWithItselfOrAHandlersException) {
  struct : FormEvents {
    void Click(std::string_view, int) override { throw std::runtime_error("from a handler"); }
    void GotFocus(std::string_view, int) override {}
  } events;
  Win32Platform platform;
  const std::unique_ptr<Form> main = platform.CreateForm(kfrmIELayout, events);
  const HWND window = reinterpret_cast<HWND>(main->hWnd());
  const HWND placeholder = ::FindWindowExW(window, nullptr, nullptr, L"QUE DALLE");
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(placeholder, WM_GETFONT, 0, 0)), sizeof font,
               &font);
  EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Sans Serif");
  EXPECT_EQ(std::pair(font.lfHeight, font.lfWeight),
            std::pair(LONG{-Pixels(18 * 20, LOGPIXELSY)}, 700L));
  ::PostMessageW(::FindWindowExW(window, nullptr, nullptr, L"?"), BM_CLICK, 0, 0);
  ::PostMessageW(window, WM_CLOSE, 0, 0);  // waits for the loop that comes next
  EXPECT_THROW(platform.RunEventLoop(*main), std::runtime_error);
  platform.RunEventLoop(*main);
  EXPECT_EQ(main->hWnd(), 0);
}

}  // namespace
}  // namespace plumeroll::testing
