// One user's journey through the real plumeroll.exe, with keyboard input and button clicks: start
// with nothing registered, expand, choose pictures in the real Open dialog, resize, try letters
// as a size, remove the background, open and close the About window; then start again with a
// registered path that names no file. What the program did is read back through the system:
// its windows, the registry and the screen. run-e2e.sh gives the places in E2E_PROGRAM,
// E2E_PICTURE and E2E_OTHER (two pictures beside the program) and E2E_SHOTS.
#include <process.h>

#include "mainwindow/frmIE.h"
#include "platform/Resample.h"
#include "registry/Win32Registry.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// A key pressed and released on the keyboard: a virtual key, or a character typed.
void Key(WORD key, wchar_t character = 0) {
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_KEYBOARD;
  press[0].ki = {key, character, static_cast<DWORD>(character ? KEYEVENTF_UNICODE : 0), 0, 0};
  press[1].ki = {key, character, press[0].ki.dwFlags | KEYEVENTF_KEYUP, 0, 0};
  ::SendInput(2, press, sizeof(INPUT));
}
// Clicks a button as accessibility tools do, once its window is the active one.
void Click(HWND button) {
  const HWND top = ::GetAncestor(button, GA_ROOT);
  ::SetForegroundWindow(top);
  WaitFor([&] { return ::GetForegroundWindow() == top; });
  ::PostMessageW(button, BM_CLICK, 0, 0);
}

// What the screen shows in `place`.
Image32 Screen(const RECT& place) {
  const int width = place.right - place.left, height = place.bottom - place.top;
  const win32::WindowDc screen(nullptr);
  const win32::UniqueHdc memory(::CreateCompatibleDC(screen.get()));
  win32::UniqueHbitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
  {
    const win32::SelectGuard selected(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), place.left, place.top, SRCCOPY);
  }
  Image32 image{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
  BITMAPINFO info = win32::TopDown32BitInfo(width, height);
  ::GetDIBits(memory.get(), bitmap.get(), 0, height, image.pixels.data(), &info, DIB_RGB_COLORS);
  return image;
}

void Shot(HWND window, const char* name) {
  std::this_thread::sleep_for(300ms);
  win32::SaveBitmapFile(
      Screen(Place(window)),
      win32::Utf8ToWide(std::getenv("E2E_SHOTS") + ("\\" + std::string(name)) + ".bmp"));
}
// Whether two pictures look alike: their mean colours, channel by channel, within 20 levels.
bool LooksAlike(const Image32& a, const Image32& b) {
  const Result<Image32> mean_a = Stretch(a, 1, 1), mean_b = Stretch(b, 1, 1);  // box filters
  if (!mean_a || !mean_b) return false;
  const std::uint32_t one = mean_a.value().pixels[0], other = mean_b.value().pixels[0];
  for (const int shift : {0, 8, 16})
    if (std::abs(int(one >> shift & 0xFF) - int(other >> shift & 0xFF)) > 20) return false;
  return true;
}

// What the screen shows where the window's title bar has its icon.
Image32 TitleIcon(HWND window) {
  POINT client{};
  ::ClientToScreen(window, &client);
  const RECT place = Place(window);
  return Screen({place.left + client.x - place.left, place.top + client.x - place.left,
                 client.x + ::GetSystemMetrics(SM_CXSMICON) + 2, client.y});
}

// A visible top-level window with this caption, once it comes. The journey has the desktop to
// itself: no other program's window can answer.
HWND Window(const wchar_t* caption) {
  return WaitFor([&] {
    const HWND window = ::FindWindowW(nullptr, caption);
    return ::IsWindowVisible(window) ? window : HWND{};
  });
}
// Whether a message box with this title came and went once its OK button was clicked.
bool Message(const wchar_t* title) {
  const HWND box = Window(title);
  Click(::GetDlgItem(box, IDOK));
  return box && WaitFor([&] { return !::IsWindow(box); });
}

// The running program, ended when the journey ends, whatever happened.
struct Program {
  ~Program() {
    ::TerminateProcess(process, 1);
    ::CloseHandle(process);
  }
  const std::wstring path = win32::Utf8ToWide(std::getenv("E2E_PROGRAM"));
  const HANDLE process =
      reinterpret_cast<HANDLE>(::_wspawnl(_P_NOWAIT, path.c_str(), path.c_str(), nullptr));
};

TEST(Journey, FromNothingToAPictureResizedAndRemovedThenABrokenStart) {
  const std::unique_ptr<modRegistry> api = MakeWin32Registry();
  RegistryOperations registry(*api);
  const std::string first = std::getenv("E2E_PICTURE"), second = std::getenv("E2E_OTHER");
  for (const char* name : {"BackBitmap", "BackBitmapOriginal"})
    registry.DeleteKey(kToolbarKey, name);
  Program program;
  const HWND main = Window(L"Qel : Plumeroll");
  ASSERT_TRUE(main);
  const auto button = [&](const wchar_t* text) {
    return ::FindWindowExW(main, 0, L"Button", text);
  };
  const HWND image = ::FindWindowExW(main, nullptr, L"PlumerollImageBox", nullptr);
  Shot(main, "startup-placeholder");

  Click(button(L"Changer le fond"));
  Shot(main, "expanded-placeholder");
  // Cancelled first, which says nothing; then two pictures, the box showing the latest.
  for (const std::string& picture : {std::string(), second, first}) {
    Click(button(L"Charger l'image"));
    const HWND open = Window(L"Choisissez le fond pour la Toolbar =)");
    WaitFor([&] { return ::GetForegroundWindow() == open; });
    for (const wchar_t c : win32::Utf8ToWide(picture)) Key(0, c);
    Key(picture.empty() ? VK_ESCAPE : VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(open); }));
    if (picture.empty()) continue;
    EXPECT_TRUE(Message(L"Mouuuw"));
    EXPECT_TRUE(WaitFor([&] {
      return LooksAlike(Screen(Place(image)),
                        Pixels(win32::Utf8ToWide(picture)).value_or(Image32{}));
    })) << "not shown";
  }
  Shot(main, "expanded-picture");
  const Image32 main_icon = TitleIcon(main);

  Click(button(L"Changer la taille"));
  EXPECT_TRUE(Message(L"Yup"));
  const std::string resized = first.substr(0, first.rfind('\\')) + "\\resized.bmp";
  EXPECT_EQ(registry.ReadKeyValue(kToolbarKey, "BackBitmap"), resized);  // beside the program

  ::SendMessageW(::FindWindowExW(main, nullptr, L"Edit", nullptr), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"x"));  // the width
  Click(button(L"Changer la taille"));
  EXPECT_TRUE(Message(L"Grompf"));

  Click(button(L"Niquer le fond"));
  Shot(main, "expanded-removed");

  Click(button(L"?"));
  const HWND about = Window(L"A propos...");
  EXPECT_EQ(::GetWindow(about, GW_OWNER), main) << "owned, with no taskbar button of its own";
  EXPECT_FALSE(::IsWindowEnabled(main));
  Key(VK_ESCAPE);
  Shot(main, "about-over-main");
  EXPECT_TRUE(::IsWindow(about)) << "Escape closed it";
  EXPECT_FALSE(LooksAlike(TitleIcon(about), main_icon)) << "each window wears its own icon";
  Click(::FindWindowExW(about, nullptr, L"Button", L"Ouwm"));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about) && ::IsWindowEnabled(main); }));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(program.process, 10000), WAIT_OBJECT_0);

  // A registered path of 348 characters that names no file: said first, in a box that fits
  // the screen, then the window.
  std::string lost = "C:\\Documents and Settings\\Qel";
  for (int folder = 0; folder < 19; ++folder) lost += "\\dossier-profond";
  registry.WriteKeyValue(kToolbarKey, "BackBitmap", lost + "\\fond-perdu.bmp");
  Program again;
  const RECT box = Place(Window(L"Fond illisible"));
  EXPECT_TRUE(box.right - box.left <= ::GetSystemMetrics(SM_CXSCREEN) &&
              box.bottom - box.top <= ::GetSystemMetrics(SM_CYSCREEN));  // the box fits
  Shot(Window(L"Fond illisible"), "startup-long-path-message");
  EXPECT_TRUE(Message(L"Fond illisible"));
  EXPECT_TRUE(Window(L"Qel : Plumeroll"));
  registry.DeleteKey(kToolbarKey, "BackBitmap");  // tools/run.sh starts in this prefix too
}

}  // namespace
}  // namespace plumeroll::testing
