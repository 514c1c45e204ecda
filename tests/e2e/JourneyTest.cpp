// One user's journey through the real plumeroll.exe, with the pointer and the keyboard: start
// with nothing registered, expand, try a missing file and cancel in the real Open dialog, choose
// two pictures and answer the question about Internet Explorer 5 and 6, type letters then a size
// and resize, remove the background, open the About window and click its links, close it and the
// program. What the program did is read back where it arrives, through the system alone: the
// screen, the files, the registry, what the shell was asked to open, the exit code. run-e2e.sh
// gives the places in E2E_PROGRAM (the program, in a folder of its own), E2E_SHOTS and E2E_LINKS.
#include <process.h>

#include <algorithm>
#include <span>

#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

std::wstring Env(const wchar_t* name) {
  return _wgetenv(name) ? _wgetenv(name) : L"";
}

// The control that has the keyboard focus in the window's program.
HWND Focused(HWND window) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &thread);
  return thread.hwndFocus;
}
// Makes a window the active one and waits until it takes input and its keyboard focus is inside
// it, so that keys pressed from then on reach it.
void Activate(HWND top) {
  ::SetForegroundWindow(top);
  WaitFor([&] {
    const HWND focus = Focused(top);
    return ::GetForegroundWindow() == top && ::IsWindowEnabled(top) &&
           (focus == top || ::IsChild(top, focus));
  });
}
// Clicks the middle of a control with the pointer, once its window is the active one and
// nothing covers it. Each event says where it happens: the display's late reports of where the
// pointer was may move it meanwhile.
void Click(HWND control) {
  Activate(::GetAncestor(control, GA_ROOT));
  POINT middle{};
  WaitFor([&] {  // where the control is by then: a window may still be moving into its place
    const RECT place = Place(control);
    middle = {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    const HWND under = ::WindowFromPoint(middle);
    return under == control || ::IsChild(control, under);
  });
  INPUT input[3] = {};
  const DWORD buttons[] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    input[i].type = INPUT_MOUSE;
    input[i].mi.dx = (middle.x * 65536 + 32768) / ::GetSystemMetrics(SM_CXSCREEN);
    input[i].mi.dy = (middle.y * 65536 + 32768) / ::GetSystemMetrics(SM_CYSCREEN);
    input[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons[i];
  }
  ::SendInput(3, input, sizeof(INPUT));
}
// A key pressed and released: a virtual key, or the characters of a text typed.
void Key(WORD key, const std::wstring& text = L"") {
  for (std::size_t i = 0; i < std::max<std::size_t>(text.size(), 1); ++i) {
    INPUT press[2] = {};
    const wchar_t character = text.empty() ? 0 : text[i];
    press[0].type = press[1].type = INPUT_KEYBOARD;
    press[0].ki = {key, character, static_cast<DWORD>(character ? KEYEVENTF_UNICODE : 0), 0, 0};
    press[1].ki = {key, character, press[0].ki.dwFlags | KEYEVENTF_KEYUP, 0, 0};
    ::SendInput(2, press, sizeof(INPUT));
  }
}

// A visible top-level window with this caption, once it comes. The journey has the desktop to
// itself: no other program's window can answer.
HWND Window(const wchar_t* caption) {
  return WaitFor([&] {
    const HWND window = ::FindWindowW(nullptr, caption);
    return ::IsWindowVisible(window) ? window : HWND{};
  });
}
// Whether a message box with this title came, showing an icon, and went when its button
// `pressed` was clicked.
bool Message(const wchar_t* title, int pressed = IDOK) {
  const HWND box = Window(title);
  bool icon = false;
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    icon = icon || (::IsWindowVisible(child) && ::SendMessageW(child, STM_GETICON, 0, 0));
  EXPECT_TRUE(icon) << "no icon in the message box";
  Click(::GetDlgItem(box, pressed));
  return box && WaitFor([&] { return !::IsWindow(box); });
}
HWND Child(HWND parent, const wchar_t* window_class, const wchar_t* text) {
  return ::FindWindowExW(parent, nullptr, window_class, text);
}
void Shot(HWND window, const wchar_t* name) {
  std::this_thread::sleep_for(300ms);
  WriteBytes(Env(L"E2E_SHOTS") + L"\\" + name + L".bmp", BmpFile(Screen(Place(window))));
}
// Whether the window's title bar shows the yellow face (or the blue one), once it is drawn: the
// middle of its icon as the screen shows it.
bool WearsFace(HWND window, bool yellow) {
  return WaitFor([&] {
    POINT client{};
    ::ClientToScreen(window, &client);
    const RECT place = Place(window);
    const LONG border = client.x - place.left, x = client.x + ::GetSystemMetrics(SM_CXSMICON) / 2,
               y = place.top + border + (client.y - place.top - border) / 2;
    const std::uint32_t rgb = Screen({x, y, x + 1, y + 1}).rgb.at(0);
    const std::uint32_t red = rgb >> 16, green = rgb >> 8 & 0xFF, blue = rgb & 0xFF;
    return yellow ? red > 200 && green > 150 && blue < 100 : blue > 200 && red < 150;
  });
}

// A picture whose every row and column differs from the others, the top from the bottom and the
// left from the right.
Bitmap Pattern(int width, int height, std::uint32_t seed) {
  Bitmap picture{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t red = x * 255 / (width - 1), green = y * 255 / (height - 1);
      picture.rgb.push_back(red << 16 | green << 8 | ((x * 7 + y * 13 + seed) & 0xFF));
    }
  }
  return picture;
}

const wchar_t kToolbar[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";
std::wstring ToolbarValue(const wchar_t* name) {
  return KeyValue(kToolbar, name).value_or(L"(none)");
}

// A control as the user must see it: its kind, text and place in twips; whether it takes input,
// its text centred, in pure blue.
struct Shown {
  const wchar_t *kind, *text;
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
    {L"Static",
     L"Attention : IE n'accepte que le .bmp pour fond...\r\nD\u00E9velopp\u00E9 par Qel\r\n"
     L"\u00A9 2026 Qel. Tous droits r\u00E9serv\u00E9s.",
     120, 120, 3495, 615},
    {L"Static", L"qel@plumeroll.example", 600, 840, 2535, 255, true, true, true},
    {L"Static", L"http://plumeroll.example/", 720, 1080, 2280, 255, true, true, true},
    {L"Button", L"Ouwm", 1260, 1440, 1215, 495},
};

// Every control of the window where the documentation places it, as it says, and no other; the
// window's client area (its height, when given) and its frame: the minimise and maximise buttons
// and the sizing border that it has, and whether it has a dialog frame and a taskbar button.
// Texts and colours are looked at on the screen.
using Frame = std::pair<LONG_PTR, LONG_PTR>;
void ExpectLayout(HWND window, std::span<const Shown> controls, int width, int height,
                  Frame frame) {
  const auto bits = [&](int which, LONG_PTR of) { return ::GetWindowLongPtrW(window, which) & of; };
  EXPECT_EQ(Frame(bits(GWL_STYLE, WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
                  bits(GWL_EXSTYLE, WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW)),
            frame);
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, Pixels(width, LOGPIXELSX));
  EXPECT_EQ(height ? client.bottom : 0, height ? Pixels(height, LOGPIXELSY) : 0);
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  EXPECT_EQ(children.size(), controls.size()) << "no other control";
  for (const Shown& shown : controls) {
    SCOPED_TRACE(shown.text);
    const auto found = std::ranges::find_if(children, [&](HWND child) {
      wchar_t kind[64] = {};
      ::GetClassNameW(child, kind, 64);
      return Text(child) == shown.text && _wcsicmp(kind, shown.kind) == 0;
    });
    ASSERT_NE(found, children.end());
    RECT place = Place(*found);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(Box(place.left, place.top, place.right - place.left, place.bottom - place.top),
              Box(Pixels(shown.left, LOGPIXELSX), Pixels(shown.top, LOGPIXELSY),
                  Pixels(shown.width, LOGPIXELSX), Pixels(shown.height, LOGPIXELSY)));
    EXPECT_EQ(::IsWindowEnabled(*found) != FALSE, shown.enabled);
    EXPECT_EQ(::SendMessageW(*found, EM_GETLIMITTEXT, 0, 0),
              shown.kind == std::wstring(L"Edit") ? 4 : 0);
    const auto style = ::GetWindowLongPtrW(*found, GWL_STYLE);
    EXPECT_EQ((style & SS_TYPEMASK) == SS_CENTER && shown.kind == std::wstring(L"Static"),
              shown.centred);
    // On the screen: a text inside the window is seen (nothing covers it), in blue or not.
    const std::vector<std::uint32_t> seen = Screen(Place(*found)).rgb;
    if (*shown.text && place.bottom <= client.bottom) {
      EXPECT_LT(std::ranges::count(seen, seen[0]), std::ssize(seen)) << "its text is not seen";
    }
    EXPECT_EQ(std::ranges::count(seen, 0x0000FFu) > 0, shown.blue);
  }
}

// Where the focus goes on each of `presses` presses of Tab (Shift+Tab when back), moved by the
// program's own code: Windows asks the window with WM_NEXTDLGCTL, where Wine's dialog manager
// would move the focus itself.
std::vector<std::wstring> Tabs(HWND window, int presses, bool back = false) {
  std::vector<std::wstring> focus;
  for (int i = 0; i < presses; ++i) {
    ::SendMessageW(window, WM_NEXTDLGCTL, back, 0);
    focus.push_back(Text(Focused(window)));
  }
  return focus;
}

// The running program, ended when the journey ends, whatever happened.
struct Program {
  ~Program() {
    ::TerminateProcess(process, 1);
    ::CloseHandle(process);
  }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::WaitForSingleObject(process, 10000);
    ::GetExitCodeProcess(process, &code);
    return code;
  }
  const std::wstring path = Env(L"E2E_PROGRAM");
  const HANDLE process =
      reinterpret_cast<HANDLE>(::_wspawnl(_P_NOWAIT, path.c_str(), path.c_str(), nullptr));
};

TEST(Journey, FromNothingToAPictureResizedAndRemoved) {
  const SavedValues toolbar{{{HKEY_CURRENT_USER, kToolbar, L"BackBitmap"},
                             {HKEY_CURRENT_USER, kToolbar, L"BackBitmapOriginal"},
                             {HKEY_CURRENT_USER, kToolbar, L"BackBitmapIE5"}}};
  for (const auto& value : toolbar.values) SetKeyValue(kToolbar, value.name, {});
  SetKeyValue(kToolbar, L"BackBitmapIE5", L"C:\\ie5.bmp");  // for Internet Explorer 5 and 6
  const fs::path folder = fs::path(Env(L"E2E_PROGRAM")).parent_path();
  // Two pictures of exactly the image box's size, which then shows each pixel as it is.
  const int width = Pixels(4455, LOGPIXELSX), height = Pixels(735, LOGPIXELSY);
  const Bitmap first = Pattern(width, height, 0), second = Pattern(width, height, 128);
  WriteBytes(folder / "first.bmp", BmpFile(first));
  WriteBytes(folder / "second.bmp", BmpFile(second));

  Program program;
  const HWND main = Window(L"Qel : Plumeroll");
  ASSERT_TRUE(main);
  const auto button = [&](const wchar_t* text) { return Child(main, L"Button", text); };
  const HWND image = Child(main, L"PlumerollImageBox", nullptr);
  Shot(main, L"startup-placeholder");
  ExpectLayout(main, kMainControls, 4710, 0, {WS_MINIMIZEBOX, WS_EX_APPWINDOW});
  using Order = std::vector<std::wstring>;
  EXPECT_EQ(Place(main).bottom - Place(main).top, Pixels(2600, LOGPIXELSY)) << "collapsed";
  EXPECT_EQ(Text(Focused(main)), L"Changer le fond");
  EXPECT_EQ(Tabs(main, 3), (Order{L"?", L"Niquer le fond", L"Changer le fond"}));
  EXPECT_TRUE(WearsFace(main, true)) << "the main window wears the yellow face";

  Click(button(L"Changer le fond"));
  Shot(main, L"expanded-placeholder");
  EXPECT_EQ(Place(main).bottom - Place(main).top, Pixels(5000, LOGPIXELSY)) << "expanded";
  EXPECT_TRUE(WaitFor([&] { return Text(Focused(main)) == L"1024"; })) << "off the disabled button";
  EXPECT_EQ(Tabs(main, 6), (Order{L"150", L"Charger l'image", L"?", L"Niquer le fond",
                                  L"Changer la taille", L"1024"}));
  EXPECT_EQ(Tabs(main, 2, true), (Order{L"Changer la taille", L"Niquer le fond"}));
  EXPECT_EQ(Tabs(main, 3).back(), L"150");
  const HWND width_box = Child(main, L"Edit", nullptr);
  const HWND height_box = ::FindWindowExW(main, width_box, L"Edit", nullptr);
  EXPECT_EQ(::SendMessageW(height_box, EM_GETSEL, 0, 0), MAKELONG(0, 3)) << "tabbed into: selected";
  // A name that does not exist is refused by the dialog itself, which is then cancelled: the
  // program says nothing. Then two pictures, named as the dialog's folder, the program's, holds
  // them. The first time Internet Explorer 5 and 6 are left to BackBitmapIE5, the second not.
  for (const std::wstring name : {L"missing.bmp", L"second.bmp", L"first.bmp"}) {
    Click(button(L"Charger l'image"));
    const HWND open = Window(L"Choisissez le fond pour la Toolbar =)");
    EXPECT_TRUE(WaitFor([&] { return Text(::GetDlgItem(open, 0x470)) == L"Image bitmap (*.bmp)"; }))
        << "the file types shown";
    Click(::GetDlgItem(open, 0x47C));  // the file name
    Key(0, name);
    Click(::GetDlgItem(open, IDOK));
    if (name == L"missing.bmp") {
      const HWND refusal = WaitFor([&] {
        const HWND active = ::GetForegroundWindow();
        return ::GetWindow(active, GW_OWNER) == open ? active : HWND{};
      });
      EXPECT_TRUE(refusal) << "the dialog took a file that does not exist";
      Click(::GetDlgItem(refusal, IDOK));
      WaitFor([&] { return !::IsWindow(refusal); });
      Click(::GetDlgItem(open, IDCANCEL));
    }
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(open); }));
    if (name == L"missing.bmp") continue;
    EXPECT_TRUE(Message(L"Mouuuw"));
    EXPECT_TRUE(Message(L"Et IE 5 et 6 ?", name == L"first.bmp" ? IDYES : IDNO));
    EXPECT_EQ(ToolbarValue(L"BackBitmapIE5"), name == L"first.bmp" ? L"(none)" : L"C:\\ie5.bmp");
    EXPECT_EQ(ToolbarValue(L"BackBitmap"), (folder / name).wstring());
    EXPECT_TRUE(WaitFor([&] {
      RECT box{};
      ::GetClientRect(image, &box);
      ::MapWindowPoints(image, nullptr, reinterpret_cast<POINT*>(&box), 2);
      return Screen(box) == (name == L"first.bmp" ? first : second);
    })) << "the image box does not show each pixel of the picture where it belongs";
  }
  Shot(main, L"expanded-picture");

  // Letters, then the picture's own size: resized.bmp beside the program is the picture itself,
  // byte for byte the bitmap file that this test writes of it.
  // A message box takes the focus away; it comes back where it was.
  Click(width_box);
  Key(0, L"x");
  EXPECT_TRUE(WaitFor([&] { return Text(width_box) == L"x"; }))
      << "the click did not select the whole text: " << Text(width_box);
  Click(button(L"Changer la taille"));
  EXPECT_TRUE(Message(L"Grompf"));
  EXPECT_TRUE(WaitFor([&] { return Text(Focused(main)) == L"Changer la taille"; }));
  Click(width_box);
  Key(0, std::to_wstring(width));
  Key(VK_TAB);
  Key(0, std::to_wstring(height));
  Click(button(L"Changer la taille"));
  EXPECT_TRUE(Message(L"Yup"));
  EXPECT_EQ(ToolbarValue(L"BackBitmap"), (folder / "resized.bmp").wstring());
  EXPECT_TRUE(ReadBytes(folder / "resized.bmp") == BmpFile(first)) << "not the picture's own file";

  Click(button(L"Niquer le fond"));
  Shot(main, L"expanded-removed");

  Click(button(L"?"));
  const HWND about = Window(L"A propos...");
  EXPECT_EQ(::GetWindow(about, GW_OWNER), main) << "owned, with no taskbar button of its own";
  EXPECT_FALSE(::IsWindowEnabled(main));
  EXPECT_TRUE(WearsFace(about, false)) << "the About window wears the blue face";
  Key(VK_ESCAPE);
  Shot(main, L"about-over-main");
  EXPECT_TRUE(::IsWindow(about)) << "Escape closed it";
  ExpectLayout(about, kAboutControls, 3735, 2070, {0, WS_EX_DLGMODALFRAME});
  // Under Wine, a command that writes what it was given to E2E_LINKS stands in for the programs
  // of mailto and http, then they are put back. On Windows, where this would replace the user's
  // own mail program and browser, the links are not clicked.
  if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
    const SavedValues commands{{{HKEY_CLASSES_ROOT, L"mailto\\shell\\open\\command", nullptr},
                                {HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", nullptr}}};
    for (const auto& [root, key, name, saved] : commands.values)
      SetKeyValue(key, name, L"cmd.exe /c echo %1>>" + Env(L"E2E_LINKS"), root);
    std::string opened;
    for (const auto& [label, target] :
         {std::pair{L"qel@plumeroll.example", "mailto:qel@plumeroll.example"},
          {L"http://plumeroll.example/", "http://plumeroll.example/"}}) {
      Click(Child(about, L"Static", label));
      opened += std::string(target) + "\r\n";
      EXPECT_TRUE(WaitFor([&] { return ReadBytes(Env(L"E2E_LINKS")) == opened; }))
          << ReadBytes(Env(L"E2E_LINKS"));
    }
  }
  Click(Child(about, L"Button", L"Ouwm"));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about) && ::IsWindowEnabled(main); }));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace
}  // namespace plumeroll::testing
