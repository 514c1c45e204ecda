// The one conversion between the program's UTF-8 and a code page, on the real conversion
// functions with the code pages given explicitly: the system's ANSI code page may be
// single-byte, double-byte or UTF-8, whatever the machine that runs the tests uses.
#include "platform/Win32Text.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

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
