// One user's journey through the real plumeroll.exe, with the pointer and the keyboard: start
// with nothing registered, expand, try a missing file and cancel in the real Open dialog, choose
// two pictures, type letters then a size and resize, remove the background, open the About
// window and click its links, close it and the program; then start again with a registered
// path that names no file. What the program did is read back where it arrives, through the
// system alone: the screen, the files, the registry, what the shell was asked to open, the exit
// code. run-e2e.sh gives the places in E2E_PROGRAM (the program, in a folder of its own),
// E2E_SHOTS and E2E_LINKS.
#include <process.h>

#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

std::wstring Env(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value ? value : L"";
}

// The pointer moved to a point of the screen, then the left button pressed and released there.
// Each event says where it happens: the pointer may be moved meanwhile by the display's own
// late reports of where it was.
void ClickAt(POINT point) {
  const auto normalised = [](LONG at, int metric) {
    return static_cast<LONG>((at * 65536 + 32768) / ::GetSystemMetrics(metric));
  };
  INPUT input[3] = {};
  for (const DWORD button : {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
    INPUT& event = input[button == 0 ? 0 : button == MOUSEEVENTF_LEFTDOWN ? 1 : 2];
    event.type = INPUT_MOUSE;
    event.mi.dx = normalised(point.x, SM_CXSCREEN);
    event.mi.dy = normalised(point.y, SM_CYSCREEN);
    event.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
  }
  ::SendInput(3, input, sizeof(INPUT));
}
// Makes a window the active one and waits until it takes input and its keyboard focus is inside
// it, so that keys pressed from then on reach it.
void Activate(HWND top) {
  ::SetForegroundWindow(top);
  WaitFor([&] {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    return ::GetForegroundWindow() == top && ::IsWindowEnabled(top) &&
           ::GetGUIThreadInfo(::GetWindowThreadProcessId(top, nullptr), &thread) &&
           (thread.hwndFocus == top || ::IsChild(top, thread.hwndFocus));
  });
}
// Clicks the middle of a control once its window is the active one and nothing covers it.
void Click(HWND control) {
  Activate(::GetAncestor(control, GA_ROOT));
  const RECT place = Place(control);
  const POINT middle{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
  WaitFor([&] {
    const HWND under = ::WindowFromPoint(middle);
    return under == control || ::IsChild(control, under);
  });
  ClickAt(middle);
}
// A key pressed and released: a virtual key, or a character typed.
void Key(WORD key, wchar_t character = 0) {
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_KEYBOARD;
  press[0].ki = {key, character, static_cast<DWORD>(character ? KEYEVENTF_UNICODE : 0), 0, 0};
  press[1].ki = {key, character, press[0].ki.dwFlags | KEYEVENTF_KEYUP, 0, 0};
  ::SendInput(2, press, sizeof(INPUT));
}
void Type(const std::wstring& text) {
  for (const wchar_t c : text) Key(0, c);
}

// A visible top-level window with this caption, once it comes. The journey has the desktop to
// itself: no other program's window can answer.
HWND Window(const wchar_t* caption) {
  return WaitFor([&] {
    const HWND window = ::FindWindowW(nullptr, caption);
    return ::IsWindowVisible(window) ? window : HWND{};
  });
}
// Whether a message box with this title came, and went when its OK button was clicked.
bool Message(const wchar_t* title) {
  const HWND box = Window(title);
  Click(::GetDlgItem(box, IDOK));
  return box && WaitFor([&] { return !::IsWindow(box); });
}
HWND Child(HWND parent, const wchar_t* window_class, const wchar_t* text) {
  return ::FindWindowExW(parent, nullptr, window_class, text);
}
void Shot(HWND window, const wchar_t* name) {
  std::this_thread::sleep_for(300ms);
  WriteBytes(Env(L"E2E_SHOTS") + L"\\" + name + L".bmp", BmpFile(Screen(Place(window))));
}
// The middle of the window's title-bar icon, as the screen shows it.
std::uint32_t TitleIconColour(HWND window) {
  POINT client{};
  ::ClientToScreen(window, &client);
  const RECT place = Place(window);
  const int border = client.x - place.left, size = ::GetSystemMetrics(SM_CXSMICON);
  const LONG x = client.x + size / 2, y = place.top + border + (client.y - place.top - border) / 2;
  return Screen({x, y, x + 1, y + 1}).rgb.at(0);
}
// Whether a colour is mostly yellow (red and green high, blue low) or mostly blue.
bool Yellowish(std::uint32_t rgb) {
  return (rgb >> 16 & 0xFF) > 200 && (rgb >> 8 & 0xFF) > 150 && (rgb & 0xFF) < 100;
}
bool Bluish(std::uint32_t rgb) {
  return (rgb & 0xFF) > 200 && (rgb >> 16 & 0xFF) < 150;
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

std::wstring ToolbarValue(const wchar_t* name) {
  return UserValue(ToolbarKeyGuard::kKey, name).value_or(L"(none)");
}

// The running program, ended when the journey ends, whatever happened.
struct Program {
  ~Program() {
    ::TerminateProcess(process, 1);
    ::CloseHandle(process);
  }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    return ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0 &&
                   ::GetExitCodeProcess(process, &code)
               ? code
               : STILL_ACTIVE;
  }
  const std::wstring path = Env(L"E2E_PROGRAM");
  const HANDLE process =
      reinterpret_cast<HANDLE>(::_wspawnl(_P_NOWAIT, path.c_str(), path.c_str(), nullptr));
};

// Under Wine, the links open through the classes of mailto and http, for which a command that
// writes what it was given to E2E_LINKS stands in while the journey runs. On Windows, where this
// would replace the user's own mail program and browser, the links are not clicked.
struct LinkRecorder {
  LinkRecorder() {
    for (const wchar_t* scheme : {L"mailto", L"http"}) {
      if (!active) break;
      saved.push_back(ClassCommand(scheme));
      SetClassCommand(scheme, L"cmd.exe /c echo %1>>" + Env(L"E2E_LINKS"));
    }
  }
  ~LinkRecorder() {
    for (const wchar_t* scheme : {L"mailto", L"http"}) {
      if (saved.empty()) break;
      SetClassCommand(scheme, saved.front());
      saved.erase(saved.begin());
    }
  }
  static std::wstring Key(const wchar_t* scheme) {
    return std::wstring(scheme) + L"\\shell\\open\\command";
  }
  static std::wstring ClassCommand(const wchar_t* scheme) {
    wchar_t command[1024] = {};
    LONG size = sizeof command;
    ::RegQueryValueW(HKEY_CLASSES_ROOT, Key(scheme).c_str(), command, &size);
    return command;
  }
  static void SetClassCommand(const wchar_t* scheme, const std::wstring& command) {
    ::RegSetValueW(HKEY_CLASSES_ROOT, Key(scheme).c_str(), REG_SZ, command.c_str(),
                   static_cast<DWORD>(command.size() * sizeof(wchar_t)));
  }
  const bool active = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
  std::vector<std::wstring> saved;
};

TEST(Journey, FromNothingToAPictureResizedAndRemovedThenABrokenStart) {
  const ToolbarKeyGuard toolbar;
  for (const wchar_t* name : {L"BackBitmap", L"BackBitmapOriginal", L"BackBitmapIE5"})
    DeleteUserValue(ToolbarKeyGuard::kKey, name);
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
  EXPECT_TRUE(WaitFor([&] { return Yellowish(TitleIconColour(main)); }))
      << "the main window wears the yellow face";

  Click(button(L"Changer le fond"));
  Shot(main, L"expanded-placeholder");
  // A name that does not exist is refused by the dialog itself; then cancelled, which says
  // nothing; then two pictures, named as the dialog's folder, the program's, holds them.
  for (const wchar_t* name : {L"missing.bmp", L"", L"second.bmp", L"first.bmp"}) {
    Click(button(L"Charger l'image"));
    const HWND open = Window(L"Choisissez le fond pour la Toolbar =)");
    EXPECT_TRUE(WaitFor([&] { return Text(::GetDlgItem(open, 0x470)) == L"Image bitmap (*.bmp)"; }))
        << "the file types shown";
    const bool missing = std::wstring(name) == L"missing.bmp";
    if (*name) {
      Click(::GetDlgItem(open, 0x47C));  // the file name
      Type(name);
      Click(::GetDlgItem(open, IDOK));
    }
    if (missing) {
      const HWND refusal = WaitFor([&] {
        const HWND active = ::GetForegroundWindow();
        return active != open && ::GetWindow(active, GW_OWNER) == open ? active : HWND{};
      });
      EXPECT_TRUE(refusal) << "the dialog took a file that does not exist";
      Click(::GetDlgItem(refusal, IDOK));
      EXPECT_TRUE(WaitFor([&] { return !::IsWindow(refusal); }));
    }
    if (!*name || missing) Click(::GetDlgItem(open, IDCANCEL));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(open); }));
    if (std::wstring(name) != L"second.bmp" && std::wstring(name) != L"first.bmp") continue;
    EXPECT_TRUE(Message(L"Mouuuw"));
    EXPECT_EQ(ToolbarValue(L"BackBitmap"), (folder / name).wstring());
    const Bitmap& chosen = std::wstring(name) == L"first.bmp" ? first : second;
    EXPECT_TRUE(WaitFor([&] {
      RECT box{};
      ::GetClientRect(image, &box);
      ::MapWindowPoints(image, nullptr, reinterpret_cast<POINT*>(&box), 2);
      return Screen(box) == chosen;
    })) << "the image box does not show each pixel of the picture where it belongs";
  }
  Shot(main, L"expanded-picture");

  // Letters, then the picture's own size: resized.bmp beside the program is the picture itself.
  const HWND width_box = Child(main, L"Edit", nullptr);
  Click(width_box);
  Type(L"x");
  EXPECT_TRUE(WaitFor([&] { return Text(width_box) == L"x"; }))
      << "the click did not select the whole text: " << Text(width_box);
  Click(button(L"Changer la taille"));
  EXPECT_TRUE(Message(L"Grompf"));
  Click(width_box);
  Type(std::to_wstring(width));
  Key(VK_TAB);
  Type(std::to_wstring(height));
  Click(button(L"Changer la taille"));
  EXPECT_TRUE(Message(L"Yup"));
  EXPECT_EQ(ToolbarValue(L"BackBitmap"), (folder / "resized.bmp").wstring());
  EXPECT_EQ(ReadBmp(folder / "resized.bmp"), first);

  Click(button(L"Niquer le fond"));
  Shot(main, L"expanded-removed");

  Click(button(L"?"));
  const HWND about = Window(L"A propos...");
  EXPECT_EQ(::GetWindow(about, GW_OWNER), main) << "owned, with no taskbar button of its own";
  EXPECT_FALSE(::IsWindowEnabled(main));
  EXPECT_TRUE(WaitFor([&] { return Bluish(TitleIconColour(about)); }))
      << "the About window wears the blue face";
  Key(VK_ESCAPE);
  Shot(main, L"about-over-main");
  EXPECT_TRUE(::IsWindow(about)) << "Escape closed it";
  {
    const LinkRecorder links;
    if (links.active) {
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
  }
  Click(Child(about, L"Button", L"Ouwm"));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about) && ::IsWindowEnabled(main); }));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0u);

  // A registered path of 348 characters that names no file: said first, in a box that fits
  // the screen, then the window.
  std::wstring lost = L"C:\\Documents and Settings\\Qel";
  for (int i = 0; i < 19; ++i) lost += L"\\dossier-profond";
  lost += L"\\fond-perdu.bmp";
  SetUserValue(ToolbarKeyGuard::kKey, L"BackBitmap", lost);
  Program again;
  const RECT box = Place(Window(L"Fond illisible"));
  EXPECT_TRUE(box.right - box.left <= ::GetSystemMetrics(SM_CXSCREEN) &&
              box.bottom - box.top <= ::GetSystemMetrics(SM_CYSCREEN));  // the box fits
  Shot(Window(L"Fond illisible"), L"startup-long-path-message");
  EXPECT_TRUE(Message(L"Fond illisible"));
  EXPECT_TRUE(Window(L"Qel : Plumeroll"));
}

}  // namespace
}  // namespace plumeroll::testing
