// One user's journey through the real plumeroll.exe, with keyboard input and button clicks: start
// with nothing registered, expand, choose pictures in the real Open dialog, resize, try letters
// as a size, remove the background, open and close the About window; then start again with a
// registered path that names no file. What the program did is read back through the system:
// its windows, the registry, the file it wrote and the screen. run-e2e.sh gives the places in
// E2E_PROGRAM, E2E_PICTURES (two pictures beside the program) and E2E_SHOTS.
#include "mainwindow/frmIE.h"
#include "registry/Win32Registry.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

std::string Setting(const char* name) {
  return std::getenv(name) ? std::getenv(name) : "";
}

// A key pressed and released on the keyboard: a virtual key, or a character typed.
void Key(WORD key, wchar_t character = 0) {
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_KEYBOARD;
  press[0].ki = {key, character, static_cast<DWORD>(character ? KEYEVENTF_UNICODE : 0), 0, 0};
  press[1].ki = {key, character, press[0].ki.dwFlags | KEYEVENTF_KEYUP, 0, 0};
  ::SendInput(2, press, sizeof(INPUT));
  std::this_thread::sleep_for(100ms);
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
  return win32::Win32Picture(std::move(bitmap), width, height).Pixels().value();
}

void Shot(HWND window, const char* name) {
  std::this_thread::sleep_for(300ms);
  win32::SaveBitmapFile(Screen(Place(window)),
                        win32::Utf8ToWide(Setting("E2E_SHOTS") + "\\" + name + ".bmp"));
}
// Whether two pictures look alike: their mean colours, channel by channel, within 20 levels.
bool LooksAlike(const Image32& a, const Image32& b) {
  const auto mean = [](const Image32& image, int channel) {
    double sum = 0;
    for (const std::uint32_t pixel : image.pixels) sum += pixel >> 8 * channel & 0xFF;
    return sum / static_cast<double>(image.pixels.size());
  };
  for (int c = 0; c < 3; ++c)
    if (!(std::abs(mean(a, c) - mean(b, c)) <= 20)) return false;  // no pixels: no mean
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
// Whether a message box with this title came and went: Enter presses its button.
bool Message(const wchar_t* title) {
  const HWND box = Window(title);
  ::SetForegroundWindow(box);
  Key(VK_RETURN);
  return box && WaitFor([&] { return !::IsWindow(box); });
}

// The running program, ended when the journey ends, whatever happened.
struct Program {
  Program() {
    std::wstring command = L"\"" + win32::Utf8ToWide(Setting("E2E_PROGRAM")) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info);
    process.reset(info.hProcess);
    ::CloseHandle(info.hThread);
  }
  ~Program() { ::TerminateProcess(process.get(), 1); }
  win32::UniqueFile process;
};

TEST(Journey, FromNothingToAPictureResizedAndRemovedThenABrokenStart) {
  const std::unique_ptr<modRegistry> api = MakeWin32Registry();
  RegistryOperations registry(*api);
  const std::string pictures = Setting("E2E_PICTURES");
  const std::string first = pictures.substr(0, pictures.find(';')),
                    second = pictures.substr(pictures.find(';') + 1);
  for (const char* name : {"BackBitmap", "BackBitmapOriginal"})
    registry.DeleteKey(kToolbarKey, name);
  Program program;
  const HWND main = Window(L"Qel : Plumeroll");
  ASSERT_TRUE(main);
  const auto child = [&](const wchar_t* kind, const wchar_t* text) {
    return ::FindWindowExW(main, nullptr, kind, text);
  };
  const auto height = [&](int twips) {
    return std::abs(Place(main).bottom - Place(main).top -
                    ::MulDiv(twips, Dpi(LOGPIXELSY), 1440)) <= 1;
  };
  const HWND placeholder = child(L"Static", L"QUE DALLE"),
             image = child(L"PlumerollImageBox", nullptr);
  EXPECT_TRUE(::IsWindowVisible(placeholder) && height(2600));
  Shot(main, "startup-placeholder");

  Click(child(L"Button", L"Changer le fond"));
  EXPECT_TRUE(WaitFor([&] { return height(5000); }));
  Shot(main, "expanded-placeholder");
  for (const std::string& picture : {second, first}) {  // the box shows the latest one
    Click(child(L"Button", L"Charger l'image"));
    const HWND open = Window(L"Choisissez le fond pour la Toolbar =)");
    ASSERT_TRUE(open) << "no Open dialog";
    WaitFor([&] { return ::GetForegroundWindow() == open; });
    for (const wchar_t c : win32::Utf8ToWide(picture)) Key(0, c);
    Key(VK_RETURN);
    EXPECT_TRUE(Message(L"Mouuuw"));
    EXPECT_TRUE(WaitFor([&] {
      return LooksAlike(Screen(Place(image)),
                        Pixels(win32::Utf8ToWide(picture)).value_or(Image32{}));
    })) << "not shown";
  }
  EXPECT_FALSE(::IsWindowVisible(placeholder));
  Shot(main, "expanded-picture");
  const Image32 main_icon = TitleIcon(main);

  Click(child(L"Button", L"Changer la taille"));
  EXPECT_TRUE(Message(L"Yup"));
  EXPECT_EQ(registry.ReadKeyValue(kToolbarKey, "BackBitmap"),
            first.substr(0, first.rfind('\\')) + "\\resized.bmp");  // beside the program

  ::SendMessageW(::FindWindowExW(main, nullptr, L"Edit", nullptr), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"x"));  // the width
  Click(child(L"Button", L"Changer la taille"));
  EXPECT_TRUE(Message(L"Grompf"));

  Click(child(L"Button", L"Niquer le fond"));
  EXPECT_TRUE(
      WaitFor([&] { return Text(placeholder) == L"Ouwm ? =(" && !::IsWindowVisible(image); }));
  Shot(main, "expanded-removed");

  Click(child(L"Button", L"?"));
  const HWND about = Window(L"A propos...");
  ASSERT_TRUE(about);
  EXPECT_EQ(::GetWindow(about, GW_OWNER), main) << "owned, with no taskbar button of its own";
  EXPECT_FALSE(::IsWindowEnabled(main));
  EXPECT_TRUE(WaitFor([&] { return !LooksAlike(TitleIcon(about), main_icon); }))
      << "each window wears its own icon";
  Key(VK_ESCAPE);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(::IsWindow(about)) << "Escape closed it";
  Shot(main, "about-over-main");
  Click(::FindWindowExW(about, nullptr, L"Button", L"Ouwm"));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about) && ::IsWindowEnabled(main); }));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(program.process.get(), 10000), WAIT_OBJECT_0);

  // A registered path of 348 characters that names no file: said first, in a box that fits
  // the screen, then the window.
  std::string lost = "C:\\Documents and Settings\\Qel";
  for (int folder = 0; folder < 19; ++folder) lost += "\\dossier-profond";
  registry.WriteKeyValue(kToolbarKey, "BackBitmap", lost + "\\fond-perdu.bmp");
  Program again;
  const RECT box = Place(Window(L"Fond illisible"));
  EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= ::GetSystemMetrics(SM_CXSCREEN) &&
              box.bottom <= ::GetSystemMetrics(SM_CYSCREEN))
      << "the message leaves the screen";
  Shot(Window(L"Fond illisible"), "startup-long-path-message");
  EXPECT_TRUE(Message(L"Fond illisible"));
  EXPECT_TRUE(Window(L"Qel : Plumeroll"));
}

}  // namespace
}  // namespace plumeroll::testing
