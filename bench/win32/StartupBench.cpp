// Start-up time of plumeroll.exe against the empty window, under the same system in the same run:
// from process creation until its window with the expected caption is visible and the program
// waits for input. Runs alternate between the two programs after one warm-up run of each, first
// with no background registered, then with a 4000 x 3000 picture (written next to the
// benchmark) registered as BackBitmap.
//
//   plumeroll_startup_bench RUNS PLUMEROLL_EXE EMPTY_WINDOW_EXE
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/Clock.h"
#include "bench/win32/EmptyWindow.h"
#include "bench/win32/LargePicture.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle = nullptr) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

struct Target {
  const char* name;
  std::wstring exe;
  std::wstring caption;
  std::vector<double> times_ms;
};

struct WindowSearch {
  DWORD process_id;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK MatchShownWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id || !IsWindowVisible(window)) return TRUE;
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  if (*search->caption != text) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindShownWindow(DWORD process_id, const std::wstring& caption) {
  WindowSearch search{process_id, &caption, nullptr};
  EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// One start: the time until the window is shown and idle, in milliseconds; negative on failure.
double TimeOneStart(const Target& target) {
  std::wstring directory = target.exe.substr(0, target.exe.find_last_of(L"\\/"));
  std::wstring command_line = L"\"" + target.exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};

  const double start = Now();
  if (!CreateProcessW(target.exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.c_str(), &startup, &info)) {
    return -1;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  WaitForInputIdle(process.get(), kStartTimeoutMs);
  HWND window = nullptr;
  while ((window = FindShownWindow(info.dwProcessId, target.caption)) == nullptr) {
    if (Now() - start > kStartTimeoutMs || WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
      TerminateProcess(process.get(), 1);
      return -1;
    }
    Sleep(1);
  }
  const double elapsed = Now() - start;

  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 5000);
  }
  return elapsed;
}

// Sets BackBitmap in the toolbar key, or deletes it when path is empty.
bool RegisterBackground(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Toolbar", &key)) {
    return false;
  }
  const LONG status = path.empty()
                          ? RegDeleteValueW(key, L"BackBitmap")
                          : RegSetValueExW(key, L"BackBitmap", 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(path.c_str()),
                                           static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS || (path.empty() && status == ERROR_FILE_NOT_FOUND);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::wstring Widen(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring result(static_cast<std::size_t>(std::max(length, 1)) - 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, result.data(), length);
  return result;
}

// Times both programs, interleaved, and prints the table and the ratios.
bool Compare(const char* what, int runs, Target& plumeroll, Target& empty) {
  plumeroll.times_ms.clear();
  empty.times_ms.clear();
  // The first start of each loads files from disk and fills Wine's caches: not counted.
  for (int run = -1; run < runs; ++run) {
    for (Target* target : {&empty, &plumeroll}) {
      const double ms = TimeOneStart(*target);
      if (ms < 0) {
        std::fprintf(stderr, "%s did not show its window\n", target->name);
        return false;
      }
      if (run >= 0) target->times_ms.push_back(ms);
    }
  }
  std::printf("%s\n%-14s %6s %9s %9s %9s\n", what, "start-up", "runs", "min ms", "median ms",
              "max ms");
  for (const Target* target : {&empty, &plumeroll}) {
    const auto [lowest, highest] =
        std::minmax_element(target->times_ms.begin(), target->times_ms.end());
    std::printf("%-14s %6d %9.1f %9.1f %9.1f\n", target->name, runs, *lowest,
                Median(target->times_ms), *highest);
  }
  const double min_ratio = *std::min_element(plumeroll.times_ms.begin(), plumeroll.times_ms.end()) /
                           *std::min_element(empty.times_ms.begin(), empty.times_ms.end());
  const double median_ratio = Median(plumeroll.times_ms) / Median(empty.times_ms);
  std::printf("ratio plumeroll.exe / empty window: min %.2f, median %.2f\n\n", min_ratio,
              median_ratio);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: %s RUNS PLUMEROLL_EXE EMPTY_WINDOW_EXE\n", argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  Target plumeroll{"plumeroll.exe", Widen(argv[2]), L"Qel : Plumeroll", {}};
  Target empty{"empty window", Widen(argv[3]), kEmptyWindowCaption, {}};
  const std::wstring picture = empty.exe.substr(0, empty.exe.find_last_of(L"\\/")) + L"\\large.bmp";
  if (!plumeroll::WriteLargePicture(picture)) {
    std::fprintf(stderr, "cannot write the 4000 x 3000 picture\n");
    return 1;
  }
  const bool measured = RegisterBackground(L"") &&
                        Compare("== no background registered", runs, plumeroll, empty) &&
                        RegisterBackground(picture) &&
                        Compare("== a 4000 x 3000 picture registered", runs, plumeroll, empty);
  RegisterBackground(L"");
  DeleteFileW(picture.c_str());
  return measured ? 0 : 1;
}
