// What the end-to-end tests use to drive plumeroll.exe as a user would: find its windows, read
// what they show, send real mouse and keyboard input, read the registry with Wine's own reg.exe
// and take screenshots. What the program did is read back through the system (its bitmap
// loader, reg.exe, the screen); from the program's own library come only handle owners, text
// conversion and the writer of the screenshot files.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Image.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Text.h"

namespace plumeroll::e2e {

using namespace std::chrono_literals;

// Given by the runner on the command line (Windows paths).
struct Settings {
  std::wstring program;          // plumeroll.exe, alone in a scratch folder
  std::wstring program_dir;      // that folder, where the program writes resized.bmp
  std::wstring good_picture;     // a readable bitmap copied beside the program
  std::wstring broken_picture;   // a file with a .bmp name that holds no usable picture
  std::wstring screenshots_dir;  // where screenshots go, as .bmp files
};
Settings& TheSettings();

inline constexpr wchar_t kMainCaption[] = L"Qel : Plumeroll";
inline constexpr wchar_t kAboutCaption[] = L"A propos...";
inline constexpr wchar_t kOpenDialogCaption[] = L"Choisissez le fond pour la Toolbar =)";
inline constexpr wchar_t kQueDalle[] = L"QUE DALLE";
inline constexpr wchar_t kRemoved[] = L"Ouwm ? =(";
inline constexpr wchar_t kNotice[] = L"Attention : IE n'accepte que le .bmp pour fond...";

// Asks `probe` until its answer holds (true, a window, a value) or the time is up; returns the
// last answer. The default time lets Wine start slowly the first time.
template <class Probe>
auto WaitFor(Probe probe, std::chrono::milliseconds timeout = 20s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto answer = probe();
    if (answer || std::chrono::steady_clock::now() >= deadline) return answer;
    ::Sleep(25);
  }
}

inline std::string Utf8(std::wstring_view text) { return win32::WideToUtf8(text); }
std::wstring Lower(std::wstring text);

// --- Windows and what they show ---

std::wstring TextOf(HWND window);  // WM_GETTEXT, so that controls of other processes answer
bool IsClass(HWND window, const wchar_t* class_name);  // in any letter case
RECT WindowRect(HWND window);
RECT ClientRectOnScreen(HWND window);
bool Contains(const RECT& outer, const RECT& inner);
std::string Describe(const RECT& rect);
// Twips at the display's real DPI; 1440 twips make an inch.
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

// The window that has the keyboard focus in the thread that owns `window`.
HWND FocusedWindow(HWND window);
// A text box's selection as [start, end).
std::pair<int, int> SelectionOf(HWND edit);
bool Gone(HWND window);  // destroyed or hidden

// --- The program under test ---

// One run of plumeroll.exe, started in its own folder. The destructor ends it: a polite close
// when it can take one, otherwise termination, so that no test leaves it behind.
class Program {
 public:
  Program();
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return static_cast<bool>(process_); }
  DWORD Id() const { return id_; }
  bool Running() const;
  bool WaitForExit(std::chrono::milliseconds timeout = 20s) const;  // false on time-out
  HWND WaitForMainWindow() const { return WaitForWindow(kMainCaption); }
  // A visible top-level window of the program, waited for; null if none comes.
  HWND WaitForWindow(std::wstring_view caption) const;

 private:
  win32::UniqueFile process_;  // closed with CloseHandle, as any kernel handle
  DWORD id_ = 0;
};

// --- Input: real mouse and keyboard through SendInput ---

// Makes the top-level window that holds `window` the foreground window; false if it would not.
bool BringToFront(HWND window);
// Brings the window to the front and clicks with the left button in its middle.
void Click(HWND window);
// Presses and releases a key, with a modifier (VK_SHIFT) held if one is given.
void PressKey(WORD virtual_key, WORD modifier = 0);
void TypeText(std::wstring_view text);
// Waits for a window that has just appeared to be in front, with the focus inside, and done
// with what it does on its first show; a click before that may be lost.
void WaitForInputReady(HWND window);
// Gives the window's thread time to handle what it was sent, and makes sure it answers.
void Settle(HWND window, std::chrono::milliseconds time = 1s);

// --- Message boxes ---

struct MessageBoxView {
  HWND window = nullptr;
  std::wstring title;
  std::wstring prompt;
  int buttons = 0;  // visible push buttons
};

// A visible message box of the process (a system dialog with the box's prompt), read; nothing
// if none.
std::optional<MessageBoxView> FindMessageBox(DWORD process_id);
// Presses the box's OK button and waits for the box to go; false if it stayed.
bool PressOk(HWND box);

// --- The toolbar key, through Wine's own reg.exe ---

// The text of a value, or nothing when `reg query` fails (no such value).
std::optional<std::wstring> QueryToolbarValue(std::wstring_view name);
bool SetToolbarValue(std::wstring_view name, std::wstring_view data);
// Deletes BackBitmap and BackBitmapOriginal.
void ForgetBackground();

// --- Pictures and files ---

// What the screen shows in `rect` (screen coordinates).
Image32 CaptureScreen(const RECT& rect);
// A picture file as the system's loader reads it.
std::optional<Image32> LoadPictureFile(const std::wstring& path);
// Saves a screenshot as <screenshots_dir>\<name>.bmp.
void SaveScreenshot(const Image32& pixels, std::wstring_view name);
// How far two pictures are apart, stretched to one size: the largest difference of one colour
// channel between the means of matching blocks of a 4 x 4 grid.
double PictureDistance(const Image32& a, const Image32& b);
// A file's bytes; nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// --- The windows of plumeroll.exe, their controls found by class and text ---

struct MainWindow {
  explicit MainWindow(HWND main);

  HWND window = nullptr;
  HWND lbl_none = nullptr;  // "QUE DALLE" or "Ouwm ? =("
  HWND cmd_change = nullptr;
  HWND cmd_fuck = nullptr;
  HWND cmd_about = nullptr;
  HWND label2 = nullptr;
  HWND label3_width = nullptr;
  HWND label3_height = nullptr;
  HWND txt_width = nullptr;
  HWND txt_height = nullptr;
  HWND cmd_size = nullptr;
  HWND cmd_file = nullptr;

  int OuterHeight() const;
  // The image box on the screen, from its place in the layout.
  RECT ImageBoxOnScreen() const;
  // True when the image box shows the picture stretched to fill it; resampling differs from
  // one system to the next, but block means hardly move.
  bool ShowsPicture(const Image32& picture) const;
  // Brings the window to the front, lets it repaint and captures it, title bar included.
  Image32 Capture() const;
};

// What the image box shows: with a placeholder, that text over an empty box; without (null),
// the picture stretched to fill the box and no placeholder.
void ExpectImageBox(const MainWindow& main, const Image32& picture, const wchar_t* placeholder);

struct AboutWindow {
  explicit AboutWindow(HWND about);

  HWND window = nullptr;
  HWND label1 = nullptr;     // notice, credit and rights
  HWND mail_link = nullptr;  // the label that shows an e-mail address
  HWND web_link = nullptr;   // the label that shows a web address
  HWND cmd_unload = nullptr;
};

}  // namespace plumeroll::e2e
