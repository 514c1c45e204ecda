// Helpers shared by the win32 tests: the corpus folder, a scratch folder per test, file bytes,
// recorded form events and a way to find a control's window by its place.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/Layout.h"
#include "platform/Platform.h"
#include "platform/Win32Text.h"

namespace plumeroll::testing {

namespace fs = std::filesystem;

inline std::string Utf8(const fs::path& path) { return win32::WideToUtf8(path.wstring()); }

// The BMP corpus; PLUMEROLL_BMPSUITE in the environment overrides the built-in place.
inline fs::path CorpusFolder() {
  if (const wchar_t* from_environment = _wgetenv(L"PLUMEROLL_BMPSUITE")) {
    return fs::path(from_environment);
  }
  return fs::path(win32::Utf8ToWide(PLUMEROLL_BMPSUITE));
}

inline std::vector<fs::path> CorpusFiles(const char* subfolder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(CorpusFolder() / subfolder, error)) {
    if (entry.path().extension() == L".bmp") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A fresh, empty folder under the temporary folder for the test that is running, removed
// when the test ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() /
            (L"plumeroll-win32-" + std::to_wstring(::GetCurrentProcessId())) /
            (std::string(test->test_suite_name()) + "." + test->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    fs::remove(path_.parent_path(), ignored);  // only once it is empty
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(const fs::path& name) const { return path_ / name; }

  // The names in the folder (not recursive).
  std::set<std::wstring> Names() const {
    std::set<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
      names.insert(entry.path().filename().wstring());
    }
    return names;
  }

 private:
  fs::path path_;
};

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What a form told its owner, in order: "Click name index" or "GotFocus name index".
class RecordingEvents : public FormEvents {
 public:
  void Click(std::string_view control, int index) override {
    log.push_back("Click " + std::string(control) + " " + std::to_string(index));
    if (on_click) on_click(control, index);
  }
  void GotFocus(std::string_view control, int index) override {
    log.push_back("GotFocus " + std::string(control) + " " + std::to_string(index));
    if (on_focus) on_focus(control, index);
  }

  std::vector<std::string> log;
  std::function<void(std::string_view, int)> on_click;
  std::function<void(std::string_view, int)> on_focus;
};

inline int ScreenDpiY() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

inline int ScreenDpiX() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

inline HWND FormWindow(const Form& form) { return reinterpret_cast<HWND>(form.hWnd()); }

struct ChildSearch {
  HWND form;
  RECT wanted;
  HWND found;
};

inline BOOL CALLBACK MatchChildPlace(HWND child, LPARAM context) {
  auto* search = reinterpret_cast<ChildSearch*>(context);
  if (::GetParent(child) != search->form) return TRUE;
  RECT place{};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(nullptr, search->form, reinterpret_cast<POINT*>(&place), 2);
  if (!::EqualRect(&place, &search->wanted)) return TRUE;
  search->found = child;
  return FALSE;
}

// The child window of form that lies exactly where the row says, or null.
inline HWND ChildAt(const Form& form, const ControlRow& row) {
  const int dpi_x = ScreenDpiX();
  const int dpi_y = ScreenDpiY();
  const int left = TwipsToPixels(row.Left, dpi_x);
  const int top = TwipsToPixels(row.Top, dpi_y);
  ChildSearch search{FormWindow(form),
                     {left, top, left + TwipsToPixels(row.Width, dpi_x),
                      top + TwipsToPixels(row.Height, dpi_y)},
                     nullptr};
  ::EnumChildWindows(search.form, MatchChildPlace, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

inline DWORD StyleOf(HWND window) {
  return static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
}

// Removes whatever earlier tests left in this thread's message queue, the quit message of a
// destroyed main window included.
inline void DrainMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) ::DispatchMessageW(&msg);
  }
}

}  // namespace plumeroll::testing
