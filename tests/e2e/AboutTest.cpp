// The About window: opened by "?", modal over the main window, closed by "Ouwm" or its close
// button, the same text at every opening.
#include <gtest/gtest.h>

#include "tests/e2e/Automation.h"

namespace plumeroll::e2e {
namespace {

int Red(std::uint32_t pixel) { return (pixel >> 16) & 0xFF; }
int Green(std::uint32_t pixel) { return (pixel >> 8) & 0xFF; }
int Blue(std::uint32_t pixel) { return pixel & 0xFF; }

// Lines of text drawn in a label: bands of rows holding dark pixels, split by blank rows.
int TextBands(const Image32& image) {
  int bands = 0;
  bool in_band = false;
  for (int y = 0; y < image.height; ++y) {
    bool ink = false;
    for (int x = 0; x < image.width && !ink; ++x) {
      const std::uint32_t c = image.pixels[static_cast<std::size_t>(y) * image.width + x];
      ink = Red(c) + Green(c) + Blue(c) < 3 * 100;
    }
    bands += ink && !in_band;
    in_band = ink;
  }
  return bands;
}

// Pixels of pure blue text, as the links are drawn.
long BluePixels(const Image32& image) {
  return std::count_if(image.pixels.begin(), image.pixels.end(), [](std::uint32_t c) {
    return Blue(c) >= 200 && Red(c) <= 60 && Green(c) <= 60;
  });
}

void Redraw(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle(window, 300ms);
}

// The lines that Label1's text takes at the label's width once nothing clips it: the other
// controls are hidden and the label stretched to the bottom of the window for the count, then
// everything is put back.
int LinesWithoutClipping(const AboutWindow& about) {
  const RECT label = WindowRect(about.label1);
  const int width = label.right - label.left;
  const HWND others[] = {about.mail_link, about.web_link, about.cmd_unload};
  for (HWND other : others) ShowWindow(other, SW_HIDE);
  SetWindowPos(about.label1, HWND_TOP, 0, 0, width, ClientRectOnScreen(about.window).bottom - label.top,
               SWP_NOMOVE | SWP_NOACTIVATE);
  Redraw(about.window);
  const int lines = TextBands(CaptureScreen(WindowRect(about.label1)));
  SetWindowPos(about.label1, nullptr, 0, 0, width, label.bottom - label.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND other : others) ShowWindow(other, SW_SHOWNA);
  Redraw(about.window);
  return lines;
}

TEST(AboutTest, ShowsNoticeCreditRightsAndTwoLinksModallyAndTheSameTextEveryTime) {
  Program program;
  const MainWindow main(program.WaitForMainWindow());
  ASSERT_NE(main.cmd_about, nullptr);
  // "?": the About window, once it takes input.
  const auto open_about = [&] {
    Click(main.cmd_about);
    const HWND about = program.WaitForWindow(kAboutCaption);
    if (about != nullptr) WaitForInputReady(about);
    return AboutWindow(about);
  };
  // The About window goes, and the main window takes input again.
  const auto expect_closed = [&](HWND about, const char* how) {
    EXPECT_TRUE(WaitFor([about] { return Gone(about); }, 5s)) << how << " left it open";
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main.window) != FALSE; }, 3s))
        << "the main window stays disabled";
    EXPECT_TRUE(program.Running());
  };

  const AboutWindow about = open_about();
  ASSERT_NE(about.window, nullptr) << "no window \"A propos...\" after \"?\"";
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(main.window); }, 3s))
      << "the main window takes input while \"A propos...\" is open";

  ASSERT_NE(about.label1, nullptr) << "no label beginning with the notice";
  const std::wstring text = TextOf(about.label1);
  std::vector<std::wstring> lines;
  for (std::size_t start = 0, end = 0; end != std::wstring::npos; start = end + 2) {
    end = text.find(L"\r\n", start);
    lines.push_back(text.substr(start, end - start));
    EXPECT_TRUE(!lines.back().empty() && lines.back().find_first_of(L"\r\n") == std::wstring::npos)
        << "a line break other than CR LF, or an empty line";
  }
  ASSERT_EQ(lines.size(), 3u) << "Label1: \"" << Utf8(text) << "\"";
  EXPECT_EQ(Utf8(lines[0]), Utf8(kNotice));

  const RECT client = ClientRectOnScreen(about.window);
  for (HWND control : {about.label1, about.mail_link, about.web_link, about.cmd_unload}) {
    ASSERT_NE(control, nullptr) << "a link or the button \"Ouwm\" is missing";
    SCOPED_TRACE(Utf8(TextOf(control)));
    EXPECT_TRUE(IsWindowVisible(control) && Contains(client, WindowRect(control)));
  }

  // Escape does nothing: no button is the cancel button.
  ASSERT_TRUE(BringToFront(about.window));
  PressKey(VK_ESCAPE);
  Settle(about.window);
  EXPECT_FALSE(Gone(about.window)) << "Escape closed it";

  RECT both{};
  const RECT main_rect = WindowRect(main.window);
  const RECT about_rect = WindowRect(about.window);
  UnionRect(&both, &main_rect, &about_rect);
  Redraw(about.window);
  SaveScreenshot(CaptureScreen(both), L"about-over-main");
  for (HWND link : {about.mail_link, about.web_link}) {
    EXPECT_GE(BluePixels(CaptureScreen(WindowRect(link))), 10)
        << Utf8(TextOf(link)) << " is not drawn in blue";
  }
  const Image32 label1 = CaptureScreen(WindowRect(about.label1));
  EXPECT_EQ(BluePixels(label1), 0) << "the notice is blue";
  const int shown = TextBands(label1);
  const int needed = LinesWithoutClipping(about);
  EXPECT_TRUE(shown == 3 && needed == 3)
      << "Label1 shows " << shown << " lines of text; its text takes " << needed
      << " lines at its width";

  Click(about.cmd_unload);
  expect_closed(about.window, "\"Ouwm\"");

  // Opened again: the same text; closed by its close button.
  const AboutWindow again = open_about();
  ASSERT_NE(again.label1, nullptr) << "\"?\" does not open it a second time";
  EXPECT_EQ(Utf8(TextOf(again.label1)), Utf8(text));
  PostMessageW(again.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  expect_closed(again.window, "the close button");
}

}  // namespace
}  // namespace plumeroll::e2e
