// Helpers shared by the win32 tests: the corpus, a scratch folder per test, file bytes, the
// events a form reports, and a control's window found by its place.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Layout.h"
#include "platform/Platform.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Text.h"

namespace plumeroll::testing {

namespace fs = std::filesystem;

inline std::string Utf8(const fs::path& path) { return win32::WideToUtf8(path.wstring()); }

// The BMP corpus; PLUMEROLL_BMPSUITE in the environment overrides the built-in place.
inline fs::path CorpusFolder() {
  const wchar_t* from_environment = _wgetenv(L"PLUMEROLL_BMPSUITE");
  return from_environment ? fs::path(from_environment)
                          : fs::path(win32::Utf8ToWide(PLUMEROLL_BMPSUITE));
}

inline std::vector<fs::path> CorpusFiles(std::initializer_list<const char*> subfolders) {
  std::vector<fs::path> files;
  for (const char* subfolder : subfolders) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(CorpusFolder() / subfolder, error)) {
      if (entry.path().extension() == L".bmp") files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh, empty folder for the running test, removed when the test ends.
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

  // Every file and folder inside, with a file's bytes: what a failed save must leave alone.
  std::map<std::wstring, std::string> Contents() const {
    std::map<std::wstring, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(path_)) {
      contents[entry.path().lexically_relative(path_).wstring()] =
          entry.is_directory() ? "(folder)" : ReadBytes(entry.path());
    }
    return contents;
  }

 private:
  fs::path path_;
};

// What a form told its owner, in order: "Click name index" or "GotFocus name index".
struct RecordingEvents : FormEvents {
  void Click(std::string_view control, int index) override {
    log.push_back("Click " + std::string(control) + " " + std::to_string(index));
    if (on_click) on_click(control);
  }
  void GotFocus(std::string_view control, int index) override {
    log.push_back("GotFocus " + std::string(control) + " " + std::to_string(index));
  }

  std::vector<std::string> log;
  std::function<void(std::string_view)> on_click;
};

// LOGPIXELSX or LOGPIXELSY of the screen.
inline int ScreenDpi(int axis) {
  const win32::WindowDc screen(nullptr);
  return ::GetDeviceCaps(screen.get(), axis);
}

inline HWND FormWindow(const Form& form) { return reinterpret_cast<HWND>(form.hWnd()); }

// The child window of the form that lies exactly where the row says, or null.
inline HWND ChildAt(const Form& form, const ControlRow& row) {
  const int dpi_x = ScreenDpi(LOGPIXELSX);
  const int dpi_y = ScreenDpi(LOGPIXELSY);
  const int left = TwipsToPixels(row.left, dpi_x);
  const int top = TwipsToPixels(row.top, dpi_y);
  const RECT wanted{left, top, left + TwipsToPixels(row.width, dpi_x),
                    top + TwipsToPixels(row.height, dpi_y)};
  const HWND parent = FormWindow(form);
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT place{};
    ::GetWindowRect(child, &place);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    if (::EqualRect(&place, &wanted)) return child;
  }
  return nullptr;
}

inline const ControlRow& RowOf(const FormLayout& layout, std::string_view name,
                               int index = kNoIndex) {
  for (const ControlRow& row : layout.controls) {
    if (row.name == name && row.index == index) return row;
  }
  throw std::out_of_range(std::string(name));
}

inline std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

// A text box's selection as (start, length).
inline std::pair<int, int> SelectionOf(HWND edit) {
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<int>(start), static_cast<int>(end - start)};
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
