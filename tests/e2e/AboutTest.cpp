// The About window: opened by "?", modal over the main window, closed by "Ouwm" or its close
// button, the same text at every opening.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/Automation.h"
#include "tests/e2e/PlumerollWindows.h"

namespace plumeroll::e2e {
namespace {

// The lines of a label's text; a line break is CR LF or LF CR (one break either way), or a
// lone CR or LF.
std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c != L'\r' && c != L'\n') {
      lines.back() += c;
      continue;
    }
    if (i + 1 < text.size() && (text[i + 1] == L'\r' || text[i + 1] == L'\n') && text[i + 1] != c) {
      ++i;
    }
    lines.emplace_back();
  }
  return lines;
}

// Lines of text drawn in a label: bands of rows holding dark pixels, split by blank rows.
int TextBands(const Pixels& pixels) {
  int bands = 0;
  bool in_band = false;
  for (int y = 0; y < pixels.height; ++y) {
    bool ink = false;
    for (int x = 0; x < pixels.width && !ink; ++x) {
      const COLORREF c = pixels.At(x, y);
      ink = GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100;
    }
    if (ink && !in_band) ++bands;
    in_band = ink;
  }
  return bands;
}

// Pixels of pure blue text, as the link labels are drawn.
int BluePixels(const Pixels& pixels) {
  int count = 0;
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      const COLORREF c = pixels.At(x, y);
      if (GetBValue(c) >= 200 && GetRValue(c) <= 60 && GetGValue(c) <= 60) ++count;
    }
  }
  return count;
}

// The lines that Label1's text takes at the label's width once nothing clips it: the other
// controls are hidden and the label stretched to the bottom of the window for the count, then
// everything is put back.
int LinesWithoutClipping(const AboutWindow& about) {
  const RECT label = WindowRect(about.label1);
  const RECT client = ClientRectOnScreen(about.window);
  const std::vector<HWND> others{about.mail_link, about.web_link, about.cmd_unload};
  for (HWND other : others) ShowWindow(other, SW_HIDE);
  SetWindowPos(about.label1, HWND_TOP, 0, 0, label.right - label.left, client.bottom - label.top,
               SWP_NOMOVE | SWP_NOACTIVATE);
  RedrawWindow(about.window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle(about.window, 300ms);
  RECT stretched = WindowRect(about.label1);
  const int lines = TextBands(CaptureScreen(stretched));
  SetWindowPos(about.label1, nullptr, 0, 0, label.right - label.left, label.bottom - label.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND other : others) ShowWindow(other, SW_SHOWNA);
  RedrawWindow(about.window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return lines;
}

class AboutTest : public testing::Test {
 protected:
  void SetUp() override {
    main_ = std::make_unique<MainWindow>(program_.WaitForMainWindow());
    ASSERT_NE(main_->window, nullptr);
    ASSERT_NE(main_->cmd_about, nullptr);
  }

  // "?": the About window, or null.
  HWND OpenAbout() {
    Click(main_->cmd_about);
    HWND about = WaitForTopLevel(program_.Id(), L"", kAboutCaption);
    if (about != nullptr) WaitForInputReady(about);
    return about;
  }

  bool WaitClosed(HWND about) {
    return WaitUntil([about] { return !IsWindow(about) || !IsWindowVisible(about); }, 5s);
  }

  Program program_;
  std::unique_ptr<MainWindow> main_;
};

TEST_F(AboutTest, ShowsNoticeCreditRightsAndTwoLinksModally) {
  HWND window = OpenAbout();
  ASSERT_NE(window, nullptr) << "no window \"A propos...\" after \"?\"";
  const AboutWindow about(window);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(main_->window); }, 3s))
      << "the main window takes input while \"A propos...\" is open";

  ASSERT_NE(about.label1, nullptr) << "no label beginning with the notice";
  const std::wstring text = TextOf(about.label1);
  const auto lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 3u) << "Label1: \"" << Utf8(text) << "\"";
  EXPECT_EQ(Utf8(lines[0]), Utf8(kNotice));
  for (const std::wstring& line : lines) EXPECT_FALSE(line.empty()) << "an empty line";

  const RECT client = ClientRectOnScreen(about.window);
  for (HWND link : {about.mail_link, about.web_link}) {
    ASSERT_NE(link, nullptr) << "a link label is missing";
    SCOPED_TRACE(Utf8(TextOf(link)));
    EXPECT_TRUE(IsWindowVisible(link));
    EXPECT_TRUE(Contains(client, WindowRect(link)));
  }
  ASSERT_NE(about.cmd_unload, nullptr) << "no button \"Ouwm\"";
  EXPECT_TRUE(Contains(client, WindowRect(about.label1)));
  EXPECT_TRUE(Contains(client, WindowRect(about.cmd_unload)));

  // Escape does nothing: no button is the cancel button.
  ASSERT_TRUE(BringToFront(about.window));
  PressKey(VK_ESCAPE);
  Settle(about.window);
  EXPECT_TRUE(IsWindow(about.window) && IsWindowVisible(about.window)) << "Escape closed it";

  RECT both{};
  const RECT main_rect = WindowRect(main_->window);
  const RECT about_rect = WindowRect(about.window);
  UnionRect(&both, &main_rect, &about_rect);
  RedrawWindow(about.window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle(about.window, 300ms);
  SaveScreenshot(CaptureScreen(both), L"about-over-main");
  for (HWND link : {about.mail_link, about.web_link}) {
    SCOPED_TRACE(Utf8(TextOf(link)));
    EXPECT_GE(BluePixels(CaptureScreen(WindowRect(link))), 10) << "the link is not drawn in blue";
  }
  const Pixels label1 = CaptureScreen(WindowRect(about.label1));
  EXPECT_EQ(BluePixels(label1), 0) << "the notice is blue";
  const int shown = TextBands(label1);
  const int needed = LinesWithoutClipping(about);
  EXPECT_TRUE(shown == 3 && needed == 3)
      << "Label1 shows " << shown << " lines of text; its text takes " << needed
      << " lines at its width of "
      << (WindowRect(about.label1).right - WindowRect(about.label1).left) << " px";

  Click(about.cmd_unload);
  EXPECT_TRUE(WaitClosed(about.window)) << "\"Ouwm\" left it open";
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_->window) != FALSE; }, 3s))
      << "the main window stays disabled";
  EXPECT_TRUE(program_.Running());
}

TEST_F(AboutTest, CloseButtonClosesItAndItOpensAgainWithTheSameText) {
  HWND first = OpenAbout();
  ASSERT_NE(first, nullptr);
  const AboutWindow about(first);
  ASSERT_NE(about.label1, nullptr);
  const std::wstring text = TextOf(about.label1);

  PostMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitClosed(first)) << "the close button left it open";
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_->window) != FALSE; }, 3s))
      << "the main window stays disabled";

  HWND second = OpenAbout();
  ASSERT_NE(second, nullptr) << "\"?\" does not open it a second time";
  const AboutWindow again(second);
  ASSERT_NE(again.label1, nullptr);
  EXPECT_EQ(Utf8(TextOf(again.label1)), Utf8(text));
  ASSERT_NE(again.cmd_unload, nullptr);
  Click(again.cmd_unload);
  EXPECT_TRUE(WaitClosed(second));
}

TEST_F(AboutTest, MainWindowIgnoresClicksWhileItIsOpen) {
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  ASSERT_NE(main_->cmd_change, nullptr);
  // Move it aside, as a user would drag it, so that the click lands on the main window.
  const RECT main_rect = WindowRect(main_->window);
  SetWindowPos(about, nullptr, main_rect.right + 16, main_rect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT button = WindowRect(main_->cmd_change);
  const POINT middle{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  const RECT about_rect = WindowRect(about);
  ASSERT_FALSE(PtInRect(&about_rect, middle)) << "the About window covers the button";

  ClickAt(middle);
  Settle(main_->window);

  EXPECT_LE(std::abs(main_->OuterHeight() - TwipsToPixelsY(2600)), 1)
      << "\"Changer le fond\" worked while \"A propos...\" was open";
  EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about));
  const AboutWindow view(about);
  if (view.cmd_unload != nullptr) Click(view.cmd_unload);
  EXPECT_TRUE(WaitClosed(about));
}

}  // namespace
}  // namespace plumeroll::e2e
