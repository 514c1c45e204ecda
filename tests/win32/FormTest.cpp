// The program's windows built from their layout tables by the real window system: where each
// control stands and what it shows, the Tab key, the links' colour, and the event loop.
#include <algorithm>

#include "about/frmAbout.h"
#include "mainwindow/frmIE_layout.h"
#include "platform/Win32Form.h"
#include "platform/Win32Platform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

struct Events : FormEvents {
  void Click(std::string_view, int) override { on_click(); }
  void GotFocus(std::string_view, int) override {}
  std::function<void()> on_click = [] {};
};

HWND Window(const Form& form) {
  return reinterpret_cast<HWND>(form.hWnd());
}

// The child of the form that stands exactly where the row says, or null.
HWND ChildAt(const Form& form, const ControlRow& row) {
  const int x = Dpi(LOGPIXELSX), y = Dpi(LOGPIXELSY);
  const RECT wanted{TwipsToPixels(row.left, x), TwipsToPixels(row.top, y),
                    TwipsToPixels(row.left, x) + TwipsToPixels(row.width, x),
                    TwipsToPixels(row.top, y) + TwipsToPixels(row.height, y)};
  for (HWND child = ::GetWindow(Window(form), GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT place = Place(child);
    ::MapWindowPoints(nullptr, Window(form), reinterpret_cast<POINT*>(&place), 2);
    if (::EqualRect(&place, &wanted)) return child;
  }
  return nullptr;
}

struct FormTest : ::testing::Test {
  HWND Child(std::string_view name) {
    return ChildAt(*main, *std::ranges::find(kfrmIELayout.controls, name, &ControlRow::name));
  }
  Win32Platform platform;
  Events events;
  std::unique_ptr<Form> main = platform.CreateForm(kfrmIELayout, events);
};

TEST_F(FormTest, EachControlStandsWhereTheTableSaysWithItsTextStateLimitAndColour) {
  const std::unique_ptr<Form> about = platform.CreateForm(kfrmAboutLayout, events);
  for (const auto& [form, layout] :
       {std::pair{main.get(), &kfrmIELayout}, {about.get(), &kfrmAboutLayout}}) {
    for (const ControlRow& row : layout->controls) {
      SCOPED_TRACE(std::string(row.name));
      const HWND control = ChildAt(*form, row);
      if (row.kind == ControlKind::PictureBox || row.kind == ControlKind::FileDialog) continue;
      ASSERT_TRUE(control);
      EXPECT_EQ(::IsWindowEnabled(control) != FALSE, row.enabled);
      EXPECT_EQ((::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0, row.visible);
      EXPECT_EQ(Text(control), win32::Utf8ToWide(row.caption));
      EXPECT_EQ(::SendMessageW(control, EM_GETLIMITTEXT, 0, 0),
                row.kind == ControlKind::TextBox ? 4 : 0);
      const win32::UniqueHdc dc(::CreateCompatibleDC(nullptr));
      ::SendMessageW(Window(*form), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(control));
      const COLORREF colour =
          row.fore_colour == kDefaultColour ? ::GetSysColor(COLOR_BTNTEXT) : row.fore_colour;
      EXPECT_TRUE(row.kind != ControlKind::Label || ::GetTextColor(dc.get()) == colour);
    }
  }
  main->SetHeight(5000);  // the outer height
  EXPECT_EQ(Place(Window(*main)).bottom - Place(Window(*main)).top,
            TwipsToPixels(5000, Dpi(LOGPIXELSY)));
  (*main)("Label1").SetText("a\n\rb\n\rc");  // each LF CR pair is one line break
  EXPECT_EQ(Text(Child("Label1")), L"a\r\nb\r\nc");
}

TEST_F(FormTest, TheTabKeyFollowsTheTableAndTheFocusLeavesWhatCannotTakeIt) {
  main->Show();
  const auto serve = [&] {  // runs what was posted through the program's own message loop
    ::PostQuitMessage(0);
    win32::RunMessagesUntilGone(Window(*main));
    MSG quit;
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  };
  const auto tabs = [&](int presses) {  // where the focus goes at each press of Tab
    std::vector<HWND> focus;
    for (int i = 0; i < presses; ++i) {
      ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_TAB, 1);
      serve();
      focus.push_back(::GetFocus());
    }
    return focus;
  };
  EXPECT_EQ(::GetFocus(), Child("cmdChange"));
  for (const char* name : {"txtWidth", "txtHeight", "cmdFile", "cmdSize"})
    (*main)(name).SetEnabled(true);
  EXPECT_EQ(tabs(7),
            (std::vector{Child("txtWidth"), Child("txtHeight"), Child("cmdFile"), Child("cmdAbout"),
                         Child("cmdFuck"), Child("cmdSize"), Child("cmdChange")}));
  (*main)("cmdChange").SetEnabled(false);  // it has the focus, which goes to the next one
  serve();
  EXPECT_EQ(::GetFocus(), Child("txtWidth"));
}

// The event loop runs until the main window goes; an exception that a handler lets out leaves
// it, for the program to report, rather than being lost inside the window procedure.
TEST_F(FormTest, TheEventLoopEndsWithTheMainWindowOrTheExceptionOfAHandler) {
  events.on_click = [] { throw std::runtime_error("from a handler"); };
  ::PostMessageW(Child("cmdAbout"), BM_CLICK, 0, 0);
  ::PostMessageW(Window(*main), WM_CLOSE, 0, 0);  // waits for the loop that comes next
  EXPECT_THROW(platform.RunEventLoop(*main), std::runtime_error);
  platform.RunEventLoop(*main);
  EXPECT_EQ(main->hWnd(), 0);
}

}  // namespace
}  // namespace plumeroll::testing
