#include "tests/e2e/Automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "platform/Bmp.h"
#include "platform/Win32Picture.h"

namespace plumeroll::e2e {
namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

// Runs a command line, waits for it and returns its exit code and what it wrote.
std::pair<DWORD, std::wstring> RunAndCapture(std::wstring command_line) {
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  HANDLE pipe_read = nullptr;
  HANDLE pipe_write = nullptr;
  if (!CreatePipe(&pipe_read, &pipe_write, &inheritable, 0)) return {1, {}};
  win32::UniqueFile read_end(pipe_read);
  win32::UniqueFile write_end(pipe_write);
  SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write_end.get();
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &info)) {
    return {1, {}};
  }
  const win32::UniqueFile process(info.hProcess);
  const win32::UniqueFile thread(info.hThread);
  write_end.reset();
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(read_end.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  WaitForSingleObject(process.get(), INFINITE);
  DWORD exit_code = 1;
  GetExitCodeProcess(process.get(), &exit_code);
  // reg.exe writes in the console's code page when its output is not a console.
  std::wstring text(bytes.size(), L'\0');
  text.resize(static_cast<std::size_t>(MultiByteToWideChar(
      CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
      static_cast<int>(text.size()))));
  return {exit_code, text};
}

std::pair<DWORD, std::wstring> Reg(std::wstring_view verb, std::wstring_view name,
                                   std::wstring_view more = L"") {
  return RunAndCapture(L"reg.exe " + std::wstring(verb) +
                       L" \"HKCU\\Software\\Microsoft\\Internet Explorer\\Toolbar\" /v \"" +
                       std::wstring(name) + L"\"" + std::wstring(more));
}

BOOL CALLBACK Collect(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

int Dpi(int axis) {
  const win32::WindowDc screen(nullptr);
  return GetDeviceCaps(screen.get(), axis);
}

// The mean red, green and blue of block (col, row) when the picture is cut into 4 x 4 blocks.
std::array<double, 3> BlockMean(const Image32& image, int col, int row) {
  std::array<double, 3> sum{};
  const int x0 = col * image.width / 4, x1 = (col + 1) * image.width / 4;
  const int y0 = row * image.height / 4, y1 = (row + 1) * image.height / 4;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      for (int channel = 0; channel < 3; ++channel) {
        sum[channel] += (image.pixels[static_cast<std::size_t>(y) * image.width + x] >> (16 - 8 * channel)) & 0xFF;
      }
    }
  }
  for (double& channel : sum) channel /= std::max(1, (x1 - x0) * (y1 - y0));
  return sum;
}

std::vector<HWND> TopLevelWindows(DWORD process_id) {
  std::vector<HWND> all;
  std::vector<HWND> found;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
  for (HWND window : all) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process_id && IsWindowVisible(window)) found.push_back(window);
  }
  return found;
}

HWND FindTopLevel(DWORD process_id, std::wstring_view caption) {
  for (HWND window : TopLevelWindows(process_id)) {
    if (TextOf(window) == caption) return window;
  }
  return nullptr;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindChild(HWND parent, const wchar_t* class_name, std::wstring_view text) {
  for (HWND child : Descendants(parent)) {
    if (IsClass(child, class_name) && TextOf(child) == text) return child;
  }
  return nullptr;
}

}  // namespace

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

Settings& TheSettings() {
  static Settings settings;
  return settings;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, kAnswerTimeoutMs, nullptr);
  return text;
}

bool IsClass(HWND window, const wchar_t* class_name) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return _wcsicmp(name, class_name) == 0;
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
  RECT both{};
  UnionRect(&both, &outer, &inner);
  return EqualRect(&both, &outer) != FALSE;
}

std::string Describe(const RECT& rect) {
  std::ostringstream out;
  out << "(" << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom << ")";
  return out.str();
}

int TwipsToPixelsX(int twips) { return MulDiv(twips, Dpi(LOGPIXELSX), 1440); }
int TwipsToPixelsY(int twips) { return MulDiv(twips, Dpi(LOGPIXELSY), 1440); }

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::pair<int, int> SelectionOf(HWND edit) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer);
  return {LOWORD(answer), HIWORD(answer)};
}

bool Gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

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
  const HWND main = FindTopLevel(id_, kMainCaption);
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

HWND Program::WaitForWindow(std::wstring_view caption) const {
  return WaitFor([&] { return FindTopLevel(id_, caption); });
}

bool BringToFront(HWND window) {
  const HWND top = GetAncestor(window, GA_ROOT);
  if (GetForegroundWindow() != top) SetForegroundWindow(top);
  return WaitFor([top] { return GetForegroundWindow() == top; }, 3s);
}

void Click(HWND window) {
  BringToFront(window);
  const RECT rect = WindowRect(window);
  const POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  // Every event carries the position: a pointer motion that the window system delivers late
  // must not move the press elsewhere.
  const LONG x = MulDiv(point.x, 65535, std::max(2, GetSystemMetrics(SM_CXSCREEN)) - 1);
  const LONG y = MulDiv(point.y, 65535, std::max(2, GetSystemMetrics(SM_CYSCREEN)) - 1);
  SetCursorPos(point.x, point.y);
  INPUT inputs[3] = {};
  const DWORD flags[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dx = x;
    inputs[i].mi.dy = y;
    inputs[i].mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(1, &inputs[0], sizeof(INPUT));
  WaitFor(
      [point] {
        POINT cursor{};
        GetCursorPos(&cursor);
        return cursor.x == point.x && cursor.y == point.y;
      },
      1s);
  SendInput(2, &inputs[1], sizeof(INPUT));
}

// A key going down or (KEYEVENTF_KEYUP) up: a virtual key, or a character when one is given.
INPUT Key(WORD virtual_key, DWORD flags, wchar_t character = 0) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtual_key;
  input.ki.wScan = character ? character : static_cast<WORD>(MapVirtualKeyW(virtual_key, 0));
  input.ki.dwFlags = flags | (character ? KEYEVENTF_UNICODE : 0);
  return input;
}

void PressKey(WORD virtual_key, WORD modifier) {
  std::vector<INPUT> inputs{Key(virtual_key, 0), Key(virtual_key, KEYEVENTF_KEYUP)};
  if (modifier != 0) {
    inputs.insert(inputs.begin(), Key(modifier, 0));
    inputs.push_back(Key(modifier, KEYEVENTF_KEYUP));
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (const wchar_t c : text) {
    inputs.push_back(Key(0, 0, c));
    inputs.push_back(Key(0, KEYEVENTF_KEYUP, c));
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void WaitForInputReady(HWND window) {
  WaitFor(
      [window] {
        const HWND focus = FocusedWindow(window);
        return GetForegroundWindow() == window && (focus == window || IsChild(window, focus));
      },
      5s);
  Settle(window, 300ms);
}

void Settle(HWND window, std::chrono::milliseconds time) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored);
  std::this_thread::sleep_for(time);
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored);
}

std::optional<MessageBoxView> FindMessageBox(DWORD process_id) {
  for (HWND window : TopLevelWindows(process_id)) {
    if (!IsClass(window, L"#32770") || TextOf(window) == kOpenDialogCaption) continue;
    MessageBoxView view{window, TextOf(window), {}, 0};
    bool has_prompt = false;
    for (HWND child : Descendants(window)) {
      if (IsClass(child, L"Static") && (GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) {
        view.prompt = TextOf(child);
        has_prompt = true;
      } else if (IsClass(child, L"Button") && IsWindowVisible(child)) {
        ++view.buttons;
      }
    }
    if (has_prompt) return view;
  }
  return std::nullopt;
}

bool PressOk(HWND box) {
  const HWND ok = GetDlgItem(box, IDOK);
  if (ok == nullptr) return false;
  Click(ok);
  return WaitFor([box] { return Gone(box); }, 5s);
}

std::optional<std::wstring> QueryToolbarValue(std::wstring_view name) {
  const auto [exit_code, output] = Reg(L"query", name);
  // The value's line reads: <4 blanks><name><4 blanks>REG_SZ<4 blanks><data>
  const std::wstring marker = Lower(std::wstring(name) + L"    REG_SZ");
  const std::size_t at = Lower(output).find(marker);
  if (exit_code != 0 || at == std::wstring::npos) return std::nullopt;
  const std::wstring line = output.substr(at + marker.size(),
                                         output.find_first_of(L"\r\n", at) - at - marker.size());
  return line.size() > 4 ? line.substr(4) : std::wstring();
}

bool SetToolbarValue(std::wstring_view name, std::wstring_view data) {
  return Reg(L"add", name, L" /t REG_SZ /d \"" + std::wstring(data) + L"\" /f").first == 0;
}

void ForgetBackground() {
  for (const wchar_t* name : {L"BackBitmap", L"BackBitmapOriginal"}) Reg(L"delete", name, L" /f");
}

Image32 CaptureScreen(const RECT& rect) {
  Image32 image{std::max(0, static_cast<int>(rect.right - rect.left)),
                std::max(0, static_cast<int>(rect.bottom - rect.top)), {}};
  const win32::WindowDc screen(nullptr);
  const win32::UniqueHdc memory(CreateCompatibleDC(screen.get()));
  const BITMAPINFO info = win32::TopDown32BitInfo(image.width, image.height);
  void* bits = nullptr;
  const win32::UniqueHbitmap bitmap(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return {};
  {
    const win32::SelectGuard select(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, image.width, image.height, screen.get(), rect.left, rect.top,
           SRCCOPY);
    GdiFlush();
  }
  const auto* first = static_cast<const std::uint32_t*>(bits);
  image.pixels.assign(first, first + static_cast<std::size_t>(image.width) * image.height);
  return image;
}

std::optional<Image32> LoadPictureFile(const std::wstring& path) {
  const win32::UniqueHbitmap bitmap(static_cast<HBITMAP>(
      LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  BITMAP description{};
  if (!bitmap || !GetObjectW(bitmap.get(), sizeof(description), &description)) return std::nullopt;
  Image32 image{description.bmWidth, description.bmHeight,
                std::vector<std::uint32_t>(static_cast<std::size_t>(description.bmWidth) *
                                           description.bmHeight)};
  BITMAPINFO info = win32::TopDown32BitInfo(image.width, image.height);
  const win32::WindowDc screen(nullptr);
  if (GetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(image.height),
                image.pixels.data(), &info, DIB_RGB_COLORS) != image.height) {
    return std::nullopt;
  }
  return image;
}

void SaveScreenshot(const Image32& pixels, std::wstring_view name) {
  struct FileSink : ByteSink {
    Result<void> Write(const void* bytes, std::size_t size) override {
      out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
      return {};
    }
    std::ofstream out;
  } sink;
  sink.out.open((TheSettings().screenshots_dir + L"\\" + std::wstring(name) + L".bmp").c_str(),
                std::ios::binary);
  WriteBmp24(pixels, sink);
}

double PictureDistance(const Image32& a, const Image32& b) {
  double worst = 0;
  for (int block = 0; block < 16; ++block) {
    const auto mean_a = BlockMean(a, block % 4, block / 4);
    const auto mean_b = BlockMean(b, block % 4, block / 4);
    for (int channel = 0; channel < 3; ++channel) {
      worst = std::max(worst, std::abs(mean_a[channel] - mean_b[channel]));
    }
  }
  return worst;
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

MainWindow::MainWindow(HWND main) : window(main) {
  if (main == nullptr) return;
  lbl_none = FindChild(main, L"Static", kQueDalle);
  if (lbl_none == nullptr) lbl_none = FindChild(main, L"Static", kRemoved);
  cmd_change = FindChild(main, L"Button", L"Changer le fond");
  cmd_fuck = FindChild(main, L"Button", L"Niquer le fond");
  cmd_about = FindChild(main, L"Button", L"?");
  label2 = FindChild(main, L"Static",
                     L"Veuillez préciser la taille approximative de la barre d'outils de votre "
                     L"Internet Explorer :");
  label3_width = FindChild(main, L"Static", L"Largeur :");
  label3_height = FindChild(main, L"Static", L"Hauteur :");
  cmd_size = FindChild(main, L"Button", L"Changer la taille");
  cmd_file = FindChild(main, L"Button", L"Charger l'image");
  // The two size boxes: width on the left, height on the right.
  std::vector<HWND> edits;
  for (HWND child : Descendants(main)) {
    if (IsClass(child, L"Edit")) edits.push_back(child);
  }
  std::sort(edits.begin(), edits.end(),
            [](HWND a, HWND b) { return WindowRect(a).left < WindowRect(b).left; });
  if (edits.size() == 2) {
    txt_width = edits[0];
    txt_height = edits[1];
  }
}

int MainWindow::OuterHeight() const {
  const RECT rect = WindowRect(window);
  return rect.bottom - rect.top;
}

RECT MainWindow::ImageBoxOnScreen() const {
  const RECT client = ClientRectOnScreen(window);
  const LONG left = client.left + TwipsToPixelsX(120);
  const LONG top = client.top + TwipsToPixelsY(480);
  return RECT{left, top, left + TwipsToPixelsX(4455), top + TwipsToPixelsY(735)};
}

bool MainWindow::ShowsPicture(const Image32& picture) const {
  return PictureDistance(CaptureScreen(ImageBoxOnScreen()), picture) <= 40;
}

Image32 MainWindow::Capture() const {
  BringToFront(window);
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle(window, 300ms);
  return CaptureScreen(WindowRect(window));
}

void ExpectImageBox(const MainWindow& main, const Image32& picture, const wchar_t* placeholder) {
  ASSERT_NE(main.lbl_none, nullptr) << "no placeholder label";
  if (placeholder == nullptr) {
    EXPECT_FALSE(IsWindowVisible(main.lbl_none))
        << "\"" << Utf8(TextOf(main.lbl_none)) << "\" shows over the picture";
    EXPECT_TRUE(WaitFor([&] { return main.ShowsPicture(picture); }, 5s))
        << "the image box at " << Describe(main.ImageBoxOnScreen())
        << " does not show the picture stretched to fill it";
    return;
  }
  EXPECT_TRUE(WaitFor([&] { return TextOf(main.lbl_none) == placeholder; }, 5s))
      << "the placeholder reads \"" << Utf8(TextOf(main.lbl_none)) << "\"";
  EXPECT_TRUE(IsWindowVisible(main.lbl_none));
  EXPECT_TRUE(Contains(main.ImageBoxOnScreen(), WindowRect(main.lbl_none)))
      << "the placeholder at " << Describe(WindowRect(main.lbl_none))
      << " is outside the image box " << Describe(main.ImageBoxOnScreen());
  EXPECT_FALSE(main.ShowsPicture(picture)) << "the image box shows the picture";
}

AboutWindow::AboutWindow(HWND about) : window(about) {
  if (about == nullptr) return;
  cmd_unload = FindChild(about, L"Button", L"Ouwm");
  for (HWND child : Descendants(about)) {
    if (!IsClass(child, L"Static")) continue;
    const std::wstring text = TextOf(child);
    if (text.starts_with(kNotice)) {
      label1 = child;
    } else if (text.find(L'@') != std::wstring::npos) {
      mail_link = child;
    } else if (text.find(L'.') != std::wstring::npos && text.find(L' ') == std::wstring::npos) {
      web_link = child;  // an address: a dotted name without blanks
    }
  }
}

}  // namespace plumeroll::e2e
