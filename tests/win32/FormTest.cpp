// The program's two windows as the real window system builds them: each control where the
// windows' documentation places it (in twips), with its text, state, limit, alignment, font and
// colour; the outer heights; the Tab key and the focus, moved by the program's own code; and
// the event loop.
#include <span>

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

// A control as the user must see it: its kind, text and place in twips; whether it can be used,
// its text centred, in pure blue.
struct Shown {
  const wchar_t* kind;
  const wchar_t* text;
  int left, top, width, height;
  bool enabled = true, centred = false, blue = false;
};

const Shown kMainControls[] = {
    {L"Static", L"Fond actuel de la barre d'outils Internet Explorer :", 120, 120, 4455, 255},
    {L"PlumerollImageBox", L"", 120, 480, 4455, 735},
    {L"Static", L"QUE DALLE", 1080, 600, 2415, 375, true, true},
    {L"Button", L"Changer le fond", 428, 1560, 1455, 495},
    {L"Button", L"Niquer le fond", 2108, 1560, 1455, 495},
    {L"Button", L"?", 3788, 1560, 495, 495},
    {L"Static",
     L"Veuillez pr\u00E9ciser la taille approximative de la barre d'outils de votre Internet "
     L"Explorer :",
     120, 2520, 4455, 375},
    {L"Static", L"Largeur :", 195, 3120, 735, 255},
    {L"Edit", L"1024", 960, 3120, 1095, 285, false},
    {L"Static", L"Hauteur :", 2520, 3120, 735, 255},
    {L"Edit", L"150", 3308, 3120, 1095, 285, false},
    {L"Button", L"Changer la taille", 548, 3720, 1695, 495, false},
    {L"Button", L"Charger l'image", 2468, 3720, 1695, 495, false},
};
const Shown kAboutControls[] = {
    {L"Static", L"Attention : IE n'accepte que le .bmp pour fond...", 120, 120, 3495, 615},
    {L"Static", L"qel@plumeroll.example", 600, 840, 2535, 255, true, true, true},
    {L"Static", L"http://plumeroll.example/", 720, 1080, 2280, 255, true, true, true},
    {L"Button", L"Ouwm", 1260, 1440, 1215, 495},
};

std::vector<HWND> Children(const Form& form) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(Window(form), GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

// The control of this kind (any, when null) that shows this text, or null.
HWND Find(const Form& form, const wchar_t* text, const wchar_t* kind = nullptr) {
  for (const HWND child : Children(form)) {
    wchar_t name[64] = {};
    ::GetClassNameW(child, name, 64);
    if (Text(child) == text && (!kind || _wcsicmp(name, kind) == 0)) return child;
  }
  return nullptr;
}

struct FormTest : ::testing::Test {
  HWND Child(const wchar_t* text) { return Find(*main, text); }
  Win32Platform platform;
  Events events;
  std::unique_ptr<Form> main = platform.CreateForm(kfrmIELayout, events);
};

TEST_F(FormTest, EachControlStandsWhereTheDocumentationSaysWithItsTextStateAndLooks) {
  const std::unique_ptr<Form> about = platform.CreateForm(kfrmAboutLayout, events);
  for (const auto& [form, controls, caption, width, height] :
       {std::tuple{main.get(), std::span<const Shown>(kMainControls), L"Qel : Plumeroll", 4710, 4575},
        {about.get(), std::span(kAboutControls), L"A propos...", 3735, 2070}}) {
    SCOPED_TRACE(Text(Window(*form)));
    EXPECT_EQ(Text(Window(*form)), caption);
    RECT client{};
    ::GetClientRect(Window(*form), &client);
    EXPECT_EQ(Size(client.right, client.bottom),
              Size(Pixels(width, LOGPIXELSX), Pixels(height, LOGPIXELSY)));
    EXPECT_EQ(Children(*form).size(), controls.size()) << "no other control";
    for (const Shown& shown : controls) {
      SCOPED_TRACE(shown.text);
      const HWND control = Find(*form, shown.text, shown.kind);
      ASSERT_TRUE(control);
      RECT place = Place(control);
      ::MapWindowPoints(nullptr, Window(*form), reinterpret_cast<POINT*>(&place), 2);
      EXPECT_EQ(Box(place.left, place.top, place.right - place.left,
                                               place.bottom - place.top),
                Box(Pixels(shown.left, LOGPIXELSX), Pixels(shown.top, LOGPIXELSY),
                           Pixels(shown.width, LOGPIXELSX), Pixels(shown.height, LOGPIXELSY)));
      EXPECT_EQ(::IsWindowEnabled(control) != FALSE, shown.enabled);
      EXPECT_TRUE(::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE);
      const bool edit = std::wstring_view(shown.kind) == L"Edit";
      EXPECT_EQ(::SendMessageW(control, EM_GETLIMITTEXT, 0, 0), edit ? 4 : 0);
      if (std::wstring_view(shown.kind) != L"Static") continue;
      EXPECT_EQ((::GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER, shown.centred);
      const HDC dc = ::CreateCompatibleDC(nullptr);
      ::SendMessageW(Window(*form), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(control));
      EXPECT_EQ(::GetTextColor(dc), shown.blue ? RGB(0, 0, 255) : ::GetSysColor(COLOR_BTNTEXT));
      ::DeleteDC(dc);
    }
  }
  // QUE DALLE: MS Sans Serif (or the face the system puts in its place), 18 points, bold.
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Child(L"QUE DALLE"), WM_GETFONT, 0, 0)),
               sizeof font, &font);
  EXPECT_EQ(std::tuple(std::wstring(font.lfFaceName), font.lfHeight, font.lfWeight),
            std::tuple(std::wstring(L"MS Sans Serif"), -Pixels(18 * 20, LOGPIXELSY), 700));
  for (const int height : {2600, 5000}) {  // the outer height; the width does not change
    main->SetHeight(height);
    const RECT outer = Place(Window(*main));
    RECT client{};
    ::GetClientRect(Window(*main), &client);
    EXPECT_EQ(Size(outer.bottom - outer.top, client.right),
              Size(Pixels(height, LOGPIXELSY), Pixels(4710, LOGPIXELSX)));
  }
  (*main)("Label1").SetText("a\n\rb\n\rc");  // each LF CR pair is one line break
  EXPECT_EQ(Text(Child(L"a\r\nb\r\nc")), L"a\r\nb\r\nc");
}

// Windows moves the focus on Tab by sending the window WM_NEXTDLGCTL, which the program handles
// itself; Wine's dialog manager moves it in the program's place. Both are tried.
TEST_F(FormTest, TheTabKeyFollowsTheDocumentedOrderAndTheFocusComesBackWhereItWas) {
  main->Show();
  const auto serve = [&] {  // runs what was posted through the program's own message loop
    ::PostQuitMessage(0);
    win32::RunMessagesUntilGone(Window(*main));
    MSG quit;
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  };
  // Where the focus goes, control by control, on each press of Tab (or Shift+Tab).
  const auto tabs = [&](int presses, bool program, bool back = false) {
    std::vector<std::wstring> focus;
    for (int i = 0; i < presses; ++i) {
      if (program) {
        ::SendMessageW(Window(*main), WM_NEXTDLGCTL, back, 0);
      } else {
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        serve();
      }
      focus.push_back(Text(::GetFocus()));
    }
    return focus;
  };
  using Order = std::vector<std::wstring>;
  EXPECT_EQ(Text(::GetFocus()), L"Changer le fond");
  for (const bool program : {true, false}) {
    EXPECT_EQ(tabs(3, program), (Order{L"?", L"Niquer le fond", L"Changer le fond"}));
  }
  for (const char* name : {"txtWidth", "txtHeight", "cmdFile", "cmdSize"})
    (*main)(name).SetEnabled(true);
  (*main)("cmdChange").SetEnabled(false);  // it has the focus, which goes to the next one
  serve();
  EXPECT_EQ(Text(::GetFocus()), L"1024");
  const Order expanded = {L"150", L"Charger l'image", L"?", L"Niquer le fond", L"Changer la taille",
                          L"1024"};
  EXPECT_EQ(tabs(6, true), expanded);
  EXPECT_EQ(tabs(6, false), expanded);
  EXPECT_EQ(tabs(2, true, true), (Order{L"Changer la taille", L"Niquer le fond"}));
  // A size box reached by Tab has its whole text selected.
  tabs(3, true);
  DWORD start = 1, end = 0;
  ::SendMessageW(::GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(std::tuple(Text(::GetFocus()), start, end), std::tuple(std::wstring(L"150"), 0u, 3u));
  // Another window comes and goes: the focus comes back to the box that had it.
  const HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                       nullptr, nullptr, nullptr, nullptr);
  ::SetActiveWindow(other);
  EXPECT_NE(Text(::GetFocus()), L"150");
  ::DestroyWindow(other);
  ::SetActiveWindow(Window(*main));
  EXPECT_EQ(Text(::GetFocus()), L"150");
}

// The event loop runs until the main window goes; an exception that a handler lets out leaves
// it, for the program to report, rather than being lost inside the window procedure.
TEST_F(FormTest, TheEventLoopEndsWithTheMainWindowOrTheExceptionOfAHandler) {
  events.on_click = [] { throw std::runtime_error("from a handler"); };
  ::PostMessageW(Child(L"?"), BM_CLICK, 0, 0);
  ::PostMessageW(Window(*main), WM_CLOSE, 0, 0);  // waits for the loop that comes next
  EXPECT_THROW(platform.RunEventLoop(*main), std::runtime_error);
  platform.RunEventLoop(*main);
  EXPECT_EQ(main->hWnd(), 0);
}

}  // namespace
}  // namespace plumeroll::testing
