#include "tests/e2e/Automation.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <sstream>
#include <thread>

namespace plumeroll::e2e {
namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

// Owners of the GDI handles that a screen capture needs.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class MemoryDc {
 public:
  explicit MemoryDc(HDC compatible_with) : dc_(CreateCompatibleDC(compatible_with)) {}
  ~MemoryDc() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object) : object_(object) {}
  ~GdiObject() {
    if (object_ != nullptr) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ get() const { return object_; }

 private:
  HGDIOBJ object_;
};

// Selects an object into a DC and puts the previous one back.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectGuard() { SelectObject(dc_, previous_); }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

BITMAPINFOHEADER TopDown24(int width, int height) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = -height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  return header;
}

int Stride24(int width) {
  return (width * 3 + 3) & ~3;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

struct ProcessOutput {
  DWORD exit_code = 1;
  std::wstring text;
};

// Runs a command line, waits for it and returns what it wrote on its standard output.
ProcessOutput RunAndCapture(std::wstring command_line) {
  ProcessOutput result;
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  UniqueHandle read_end;
  UniqueHandle write_end;
  if (!CreatePipe(read_end.put(), write_end.put(), &inheritable, 0)) return result;
  SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end.get();
  startup.hStdError = write_end.get();
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &info)) {
    return result;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  write_end.reset();

  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(read_end.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  WaitForSingleObject(process.get(), INFINITE);
  GetExitCodeProcess(process.get(), &result.exit_code);

  // reg.exe writes in the console's code page when its output is not a console.
  const int length =
      MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  result.text.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), result.text.data(),
                      length);
  return result;
}

std::wstring RegCommand(std::wstring_view verb, std::wstring_view name) {
  std::wstring command = L"reg.exe ";
  command += verb;
  command += L" \"";
  command += kToolbarKey;
  command += L"\" /v \"";
  command += name;
  command += L"\"";
  return command;
}

struct WindowSearch {
  DWORD process_id;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleWindowOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process_id && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

BoxIcon ClassifyIcon(const Pixels& pixels) {
  int red = 0;
  int blue = 0;
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      const COLORREF c = pixels.At(x, y);
      const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      if (r > 150 && g < 100 && b < 100) ++red;
      if (b > 150 && r < 120 && b > g + 40) ++blue;
    }
  }
  const int total = std::max(1, pixels.width * pixels.height);
  if (red * 20 < total && blue * 20 < total) return BoxIcon::kOther;
  return red > blue ? BoxIcon::kCritical : BoxIcon::kInformation;
}

}  // namespace

Settings& TheSettings() {
  static Settings settings;
  return settings;
}

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

HANDLE UniqueHandle::release() {
  HANDLE handle = handle_;
  handle_ = nullptr;
  return handle;
}

void UniqueHandle::reset(HANDLE handle) {
  if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = handle;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(25);
  }
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length,
                      nullptr, nullptr);
  return result;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                           &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
    return {};
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<std::size_t>(std::max(0, length)));
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT ClientRectOnScreen(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Intersect(const RECT& a, const RECT& b) {
  RECT common{};
  return IntersectRect(&common, &a, &b) != FALSE;
}

std::string Describe(const RECT& rect) {
  std::ostringstream out;
  out << "(" << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom << ") "
      << (rect.right - rect.left) << " x " << (rect.bottom - rect.top);
  return out.str();
}

int DpiX() {
  ScreenDc screen;
  return GetDeviceCaps(screen.get(), LOGPIXELSX);
}

int DpiY() {
  ScreenDc screen;
  return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

int TwipsToPixelsX(int twips) {
  return MulDiv(twips, DpiX(), 1440);
}
int TwipsToPixelsY(int twips) {
  return MulDiv(twips, DpiY(), 1440);
}

std::vector<HWND> TopLevelWindows(DWORD process_id) {
  WindowSearch search{process_id, {}};
  EnumWindows(CollectVisibleWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTopLevel(DWORD process_id, std::wstring_view class_name, std::wstring_view caption) {
  for (HWND window : TopLevelWindows(process_id)) {
    if (!class_name.empty() && !EqualsNoCase(ClassOf(window), class_name)) continue;
    if (TextOf(window) == caption) return window;
  }
  return nullptr;
}

HWND WaitForTopLevel(DWORD process_id, std::wstring_view class_name, std::wstring_view caption,
                     std::chrono::milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(process_id, class_name, caption)) != nullptr; },
            timeout);
  return found;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindChild(HWND parent, std::wstring_view class_name, std::wstring_view text) {
  for (HWND child : Descendants(parent)) {
    if (EqualsNoCase(ClassOf(child), class_name) && TextOf(child) == text) return child;
  }
  return nullptr;
}

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

Program::Program() {
  const Settings& settings = TheSettings();
  std::wstring command_line = L"\"" + settings.program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (CreateProcessW(settings.program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                     nullptr, settings.program_dir.c_str(), &startup, &info)) {
    process_.reset(info.hProcess);
    CloseHandle(info.hThread);
    id_ = info.dwProcessId;
  }
}

Program::~Program() {
  if (!Running()) return;
  // A polite close when nothing modal is open; anything else is ended outright.
  HWND main = FindTopLevel(id_, L"", kMainCaption);
  if (main != nullptr && IsWindowEnabled(main) && TopLevelWindows(id_).size() == 1) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForExit(5s)) return;
  }
  TerminateProcess(process_.get(), 1);
  WaitForExit(5s);
}

bool Program::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(std::chrono::milliseconds timeout) const {
  return !process_ ||
         WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

HWND Program::WaitForMainWindow() const {
  return WaitForTopLevel(id_, L"", kMainCaption);
}

bool BringToFront(HWND window) {
  HWND top = GetAncestor(window, GA_ROOT);
  if (GetForegroundWindow() == top) return true;
  SetForegroundWindow(top);
  return WaitUntil([top] { return GetForegroundWindow() == top; }, 3s);
}

void Click(HWND window) {
  BringToFront(window);
  const RECT rect = WindowRect(window);
  ClickAt(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void ClickAt(POINT point) {
  // Every event carries the position: a pointer motion that the window system delivers late
  // must not move the press elsewhere.
  const int width = std::max(2, GetSystemMetrics(SM_CXSCREEN));
  const int height = std::max(2, GetSystemMetrics(SM_CYSCREEN));
  const LONG x = MulDiv(point.x, 65535, width - 1);
  const LONG y = MulDiv(point.y, 65535, height - 1);
  SetCursorPos(point.x, point.y);
  INPUT inputs[3] = {};
  const DWORD flags[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dx = x;
    inputs[i].mi.dy = y;
    inputs[i].mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(1, &inputs[0], sizeof(INPUT));
  WaitUntil(
      [point] {
        POINT cursor{};
        GetCursorPos(&cursor);
        return cursor.x == point.x && cursor.y == point.y;
      },
      1s);
  SendInput(2, &inputs[1], sizeof(INPUT));
}

void PressKey(WORD virtual_key, WORD modifier) {
  std::vector<INPUT> inputs;
  auto key = [&inputs](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, 0));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (modifier != 0) key(modifier, false);
  key(virtual_key, false);
  key(virtual_key, true);
  if (modifier != 0) key(modifier, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(input);
    }
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void WaitForInputReady(HWND window) {
  WaitUntil(
      [window] {
        HWND focus = FocusedWindow(window);
        return GetForegroundWindow() == window && (focus == window || IsChild(window, focus));
      },
      5s);
  Settle(window, 300ms);
}

bool SetClipboardText(std::wstring_view text) {
  if (!OpenClipboard(nullptr)) return false;
  bool done = false;
  if (EmptyClipboard()) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory != nullptr) {
      if (void* data = GlobalLock(memory)) {
        std::memset(data, 0, bytes);
        std::memcpy(data, text.data(), text.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;  // the system owns it now
      }
      if (!done) GlobalFree(memory);
    }
  }
  CloseClipboard();
  return done;
}

void Settle(HWND window, std::chrono::milliseconds time) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored);
  std::this_thread::sleep_for(time);
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored);
}

const char* ToString(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kNone:
      return "no icon";
    case BoxIcon::kInformation:
      return "information";
    case BoxIcon::kCritical:
      return "critical";
    case BoxIcon::kOther:
      return "another icon";
  }
  return "?";
}

std::vector<HWND> MessageBoxes(DWORD process_id) {
  std::vector<HWND> boxes;
  for (HWND window : TopLevelWindows(process_id)) {
    if (!EqualsNoCase(ClassOf(window), kDialogClass)) continue;
    const std::wstring caption = TextOf(window);
    if (caption == kOpenDialogCaption || caption == kAboutCaption) continue;
    bool has_text = false;
    bool has_field = false;
    for (HWND child : Descendants(window)) {
      const std::wstring kind = ClassOf(child);
      if (EqualsNoCase(kind, L"Static") && (GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF)
        has_text = true;
      if (EqualsNoCase(kind, L"Edit") || EqualsNoCase(kind, L"ComboBox") ||
          EqualsNoCase(kind, L"SysListView32")) {
        has_field = true;
      }
    }
    if (has_text && !has_field) boxes.push_back(window);
  }
  return boxes;
}

std::optional<MessageBoxView> WaitForMessageBox(DWORD process_id,
                                                std::chrono::milliseconds timeout) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        const auto boxes = MessageBoxes(process_id);
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
      },
      timeout);
  if (box == nullptr) return std::nullopt;
  // Let it take the focus and finish painting before its icon is looked at.
  WaitForInputReady(box);
  return ReadMessageBox(box);
}

MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view;
  view.window = box;
  view.title = TextOf(box);
  for (HWND child : Descendants(box)) {
    const std::wstring kind = ClassOf(child);
    if (EqualsNoCase(kind, L"Static")) {
      const LONG style = GetWindowLongW(child, GWL_STYLE);
      if ((style & SS_TYPEMASK) == SS_ICON) {
        view.icon = IsWindowVisible(child) ? ClassifyIcon(CaptureScreen(WindowRect(child)))
                                           : BoxIcon::kNone;
      } else if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) {
        view.prompt = TextOf(child);
      }
    } else if (EqualsNoCase(kind, L"Button") && IsWindowVisible(child)) {
      if (view.buttons++ == 0) view.first_button = TextOf(child);
    }
  }
  return view;
}

bool PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (ok == nullptr) {
    for (HWND child : Descendants(box)) {
      if (EqualsNoCase(ClassOf(child), L"Button") && IsWindowVisible(child)) {
        ok = child;
        break;
      }
    }
  }
  if (ok == nullptr) return false;
  Click(ok);
  return WaitUntil([box] { return !IsWindow(box) || !IsWindowVisible(box); }, 5s);
}

std::optional<std::wstring> QueryToolbarValue(std::wstring_view name) {
  const ProcessOutput output = RunAndCapture(RegCommand(L"query", name));
  if (output.exit_code != 0) return std::nullopt;
  // A line reads: <4 blanks><name><4 blanks>REG_SZ<4 blanks><data>
  std::wistringstream lines(output.text);
  std::wstring line;
  const std::wstring marker = L"    REG_SZ    ";
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const std::size_t start = line.find_first_not_of(L' ');
    if (start == std::wstring::npos) continue;
    const std::wstring_view rest = std::wstring_view(line).substr(start);
    if (rest.size() < name.size() || !EqualsNoCase(rest.substr(0, name.size()), name)) continue;
    const std::wstring_view after = rest.substr(name.size());
    if (after.substr(0, marker.size()) == marker) return std::wstring(after.substr(marker.size()));
    if (after == L"    REG_SZ") return std::wstring();
  }
  return std::nullopt;
}

bool SetToolbarValue(std::wstring_view name, std::wstring_view data) {
  std::wstring command = RegCommand(L"add", name);
  command += L" /t REG_SZ /d \"";
  command += data;
  command += L"\" /f";
  return RunAndCapture(command).exit_code == 0;
}

void DeleteToolbarValue(std::wstring_view name) {
  RunAndCapture(RegCommand(L"delete", name) + L" /f");
}

COLORREF Pixels::At(int x, int y) const {
  const std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
  return RGB(p[2], p[1], p[0]);
}

Rgb Pixels::Mean(int x0, int y0, int x1, int y1) const {
  Rgb sum;
  double count = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const COLORREF c = At(x, y);
      sum.r += GetRValue(c);
      sum.g += GetGValue(c);
      sum.b += GetBValue(c);
      ++count;
    }
  }
  if (count > 0) {
    sum.r /= count;
    sum.g /= count;
    sum.b /= count;
  }
  return sum;
}

Rgb Pixels::BlockMean(int col, int row, int cols, int rows) const {
  return Mean(col * width / cols, row * height / rows, (col + 1) * width / cols,
              (row + 1) * height / rows);
}

Pixels CaptureScreen(const RECT& rect) {
  Pixels pixels;
  pixels.width = std::max(0, static_cast<int>(rect.right - rect.left));
  pixels.height = std::max(0, static_cast<int>(rect.bottom - rect.top));
  if (pixels.width == 0 || pixels.height == 0) return pixels;

  ScreenDc screen;
  MemoryDc memory(screen.get());
  BITMAPINFO info{};
  info.bmiHeader = TopDown24(pixels.width, pixels.height);
  void* bits = nullptr;
  GdiObject bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap.get() == nullptr || bits == nullptr) return {};
  {
    SelectGuard select(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, pixels.width, pixels.height, screen.get(), rect.left, rect.top,
           SRCCOPY);
    GdiFlush();
  }
  const int stride = Stride24(pixels.width);
  pixels.bgr.resize(static_cast<std::size_t>(pixels.width) * pixels.height * 3);
  for (int y = 0; y < pixels.height; ++y) {
    std::memcpy(&pixels.bgr[static_cast<std::size_t>(y) * pixels.width * 3],
                static_cast<const std::uint8_t*>(bits) + static_cast<std::size_t>(y) * stride,
                static_cast<std::size_t>(pixels.width) * 3);
  }
  return pixels;
}

std::optional<Pixels> LoadPictureFile(const std::wstring& path) {
  GdiObject bitmap(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (bitmap.get() == nullptr) return std::nullopt;
  BITMAP description{};
  GetObjectW(bitmap.get(), sizeof(description), &description);
  Pixels pixels;
  pixels.width = description.bmWidth;
  pixels.height = description.bmHeight;
  BITMAPINFO info{};
  info.bmiHeader = TopDown24(pixels.width, pixels.height);
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(Stride24(pixels.width)) * pixels.height);
  ScreenDc screen;
  if (GetDIBits(screen.get(), static_cast<HBITMAP>(bitmap.get()), 0,
                static_cast<UINT>(pixels.height), rows.data(), &info, DIB_RGB_COLORS) == 0) {
    return std::nullopt;
  }
  pixels.bgr.resize(static_cast<std::size_t>(pixels.width) * pixels.height * 3);
  for (int y = 0; y < pixels.height; ++y) {
    std::memcpy(&pixels.bgr[static_cast<std::size_t>(y) * pixels.width * 3],
                &rows[static_cast<std::size_t>(y) * Stride24(pixels.width)],
                static_cast<std::size_t>(pixels.width) * 3);
  }
  return pixels;
}

bool SaveScreenshot(const Pixels& pixels, std::wstring_view name) {
  if (pixels.width == 0 || pixels.height == 0) return false;
  const std::wstring path = TheSettings().screenshots_dir + L"\\" + std::wstring(name) + L".bmp";
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;

  const int stride = Stride24(pixels.width);
  BITMAPINFOHEADER info = TopDown24(pixels.width, pixels.height);
  info.biHeight = pixels.height;  // bottom-up, the most common form
  info.biSizeImage = static_cast<DWORD>(stride) * pixels.height;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + info.biSizeImage;

  std::vector<std::uint8_t> data(sizeof(header) + sizeof(info) + info.biSizeImage, 0);
  std::memcpy(data.data(), &header, sizeof(header));
  std::memcpy(data.data() + sizeof(header), &info, sizeof(info));
  for (int y = 0; y < pixels.height; ++y) {
    std::memcpy(data.data() + header.bfOffBits + static_cast<std::size_t>(y) * stride,
                &pixels.bgr[static_cast<std::size_t>(pixels.height - 1 - y) * pixels.width * 3],
                static_cast<std::size_t>(pixels.width) * 3);
  }
  DWORD written = 0;
  return WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size();
}

std::optional<std::vector<char>> ReadFileBytes(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::vector<char> bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    bytes.insert(bytes.end(), buffer, buffer + read);
  }
  return bytes;
}

std::optional<BmpHeader> ReadBmpHeader(const std::wstring& path) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes || bytes->size() < 54 || (*bytes)[0] != 'B' || (*bytes)[1] != 'M') return std::nullopt;
  auto int32_at = [&bytes](std::size_t offset) {
    std::int32_t value = 0;
    std::memcpy(&value, bytes->data() + offset, sizeof(value));
    return value;
  };
  std::uint16_t bits = 0;
  std::memcpy(&bits, bytes->data() + 28, sizeof(bits));
  return BmpHeader{int32_at(18), int32_at(22), bits};
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace plumeroll::e2e
