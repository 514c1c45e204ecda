// What the end-to-end tests use to drive plumeroll.exe as a user would: find its windows, read
// what they show, send real mouse and keyboard input, read the registry with Wine's own reg.exe
// and take screenshots. Nothing here shares code with the program under test, so that a fault
// in the program cannot hide behind the same fault in the checker.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// How long a window may take to appear (Wine starts slowly the first time), and how long a
// window that must not appear is given before we conclude it did not.
inline constexpr std::chrono::milliseconds kWindowTimeout = 20s;
inline constexpr std::chrono::milliseconds kSettleTime = 1s;

inline constexpr wchar_t kMainCaption[] = L"Qel : Plumeroll";
inline constexpr wchar_t kAboutCaption[] = L"A propos...";
inline constexpr wchar_t kOpenDialogCaption[] = L"Choisissez le fond pour la Toolbar =)";
inline constexpr wchar_t kDialogClass[] = L"#32770";

// Owns a kernel handle.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept;
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return handle_; }
  HANDLE* put() {
    reset();
    return &handle_;
  }
  HANDLE release();
  void reset(HANDLE handle = nullptr);
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_ = nullptr;
};

// Polls `done` until it holds or `timeout` runs out; returns its last answer.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = kWindowTimeout);

std::string Utf8(std::wstring_view text);

// --- Windows and what they show ---

std::wstring TextOf(HWND window);  // WM_GETTEXT, so that controls of other processes answer
std::wstring ClassOf(HWND window);
RECT WindowRect(HWND window);
RECT ClientRectOnScreen(HWND window);
bool Contains(const RECT& outer, const RECT& inner);
bool Intersect(const RECT& a, const RECT& b);
std::string Describe(const RECT& rect);

// Twips of the display's real DPI; 1440 twips make an inch.
int DpiX();
int DpiY();
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

// Visible top-level windows of a process, optionally of one class and caption.
std::vector<HWND> TopLevelWindows(DWORD process_id);
HWND FindTopLevel(DWORD process_id, std::wstring_view class_name, std::wstring_view caption);
HWND WaitForTopLevel(DWORD process_id, std::wstring_view class_name, std::wstring_view caption,
                     std::chrono::milliseconds timeout = kWindowTimeout);

// Every descendant of `parent`; the first of a class (case-insensitive) with exactly this text.
std::vector<HWND> Descendants(HWND parent);
HWND FindChild(HWND parent, std::wstring_view class_name, std::wstring_view text);

// The window that has the keyboard focus in the thread that owns `window`.
HWND FocusedWindow(HWND window);

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
  // Waits for the process to end; false on time-out.
  bool WaitForExit(std::chrono::milliseconds timeout = kWindowTimeout) const;
  // The visible main window, waited for.
  HWND WaitForMainWindow() const;

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

// --- Input: real mouse and keyboard through SendInput ---

// Makes the top-level window that holds `window` the foreground window; false if it would not.
bool BringToFront(HWND window);
// Clicks with the left button in the middle of `window` (brought to the front first).
void Click(HWND window);
// Clicks with the left button at a point of the screen, whatever window is there.
void ClickAt(POINT point);
// Presses and releases a key, with a modifier (VK_SHIFT, VK_CONTROL) held if one is given.
void PressKey(WORD virtual_key, WORD modifier = 0);
// Types text as Unicode characters.
void TypeText(std::wstring_view text);
// Puts text on the clipboard, for pasting.
bool SetClipboardText(std::wstring_view text);
// Waits for a window that has just appeared to be in front, with the focus inside, and done
// with what it does on its first show; a click before that may be lost.
void WaitForInputReady(HWND window);
// Gives the window's thread time to handle what it was sent, and makes sure it answers.
void Settle(HWND window, std::chrono::milliseconds time = kSettleTime);

// --- Message boxes ---

enum class BoxIcon { kNone, kInformation, kCritical, kOther };
const char* ToString(BoxIcon icon);

struct MessageBoxView {
  HWND window = nullptr;
  std::wstring title;
  std::wstring prompt;
  BoxIcon icon = BoxIcon::kNone;
  int buttons = 0;  // push buttons in the box
  std::wstring first_button;
};

// A visible message box of the process: a dialog with a text and push buttons, but no fields.
std::vector<HWND> MessageBoxes(DWORD process_id);
std::optional<MessageBoxView> WaitForMessageBox(DWORD process_id,
                                                std::chrono::milliseconds timeout = kWindowTimeout);
MessageBoxView ReadMessageBox(HWND box);
// Presses OK and waits for the box to go; false if it stayed.
bool PressOk(HWND box);

// --- The toolbar key, through Wine's own reg.exe ---

inline constexpr wchar_t kToolbarKey[] = L"HKCU\\Software\\Microsoft\\Internet Explorer\\Toolbar";

// The text of a value, or nothing when `reg query` fails (no such value).
std::optional<std::wstring> QueryToolbarValue(std::wstring_view name);
bool SetToolbarValue(std::wstring_view name, std::wstring_view data);
void DeleteToolbarValue(std::wstring_view name);

// --- Pictures ---

struct Rgb {
  double r = 0, g = 0, b = 0;
};

// 24-bit pixels, top row first, three bytes a pixel (blue, green, red), rows not padded.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;

  COLORREF At(int x, int y) const;
  // Mean colour of the rectangle [x0, x1) x [y0, y1).
  Rgb Mean(int x0, int y0, int x1, int y1) const;
  // Mean colour of block (col, row) when the picture is cut into cols x rows blocks.
  Rgb BlockMean(int col, int row, int cols, int rows) const;
};

// What the screen shows in `rect` (screen coordinates).
Pixels CaptureScreen(const RECT& rect);
// A picture file as the system's loader reads it.
std::optional<Pixels> LoadPictureFile(const std::wstring& path);
// Saves a screenshot as <screenshots_dir>\<name>.bmp; false if it cannot.
bool SaveScreenshot(const Pixels& pixels, std::wstring_view name);

// Width and height from a bitmap file's header.
struct BmpHeader {
  int width = 0;
  int height = 0;  // as stored: negative for top-down rows
  int bits_per_pixel = 0;
};
std::optional<BmpHeader> ReadBmpHeader(const std::wstring& path);
bool FileExists(const std::wstring& path);
std::optional<std::vector<char>> ReadFileBytes(const std::wstring& path);

}  // namespace plumeroll::e2e
