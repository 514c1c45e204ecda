// What of the program's windows only the program itself can see, in its own process: the font
// that the placeholder asks for, and the event loop.
#include "mainwindow/frmIE_layout.h"
#include "platform/Win32Form.h"
#include "platform/Win32Platform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

struct Events : FormEvents {
  void Click(std::string_view, int) override { throw std::runtime_error("from a handler"); }
  void GotFocus(std::string_view, int) override {}
};

struct FormTest : ::testing::Test {
  HWND Window() { return reinterpret_cast<HWND>(main->hWnd()); }
  HWND Child(const wchar_t* text) { return ::FindWindowExW(Window(), nullptr, nullptr, text); }
  Win32Platform platform;
  Events events;
  std::unique_ptr<Form> main = platform.CreateForm(kfrmIELayout, events);
};

// MS Sans Serif (or the face the system puts in its place), 18 points, bold.
TEST_F(FormTest, QueDalleIsInBoldMsSansSerifOf18Points) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Child(L"QUE DALLE"), WM_GETFONT, 0, 0)),
               sizeof font, &font);
  EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Sans Serif");
  EXPECT_EQ(Size(font.lfHeight, font.lfWeight), Size(-Pixels(18 * 20, LOGPIXELSY), 700));
}

// The event loop runs until the main window goes; an exception that a handler lets out leaves
// it, for the program to report, rather than being lost inside the window procedure.
TEST_F(FormTest, TheEventLoopEndsWithTheMainWindowOrTheExceptionOfAHandler) {
  ::PostMessageW(Child(L"?"), BM_CLICK, 0, 0);
  ::PostMessageW(Window(), WM_CLOSE, 0, 0);  // waits for the loop that comes next
  EXPECT_THROW(platform.RunEventLoop(*main), std::runtime_error);
  platform.RunEventLoop(*main);
  EXPECT_EQ(main->hWnd(), 0);
}

}  // namespace
}  // namespace plumeroll::testing
