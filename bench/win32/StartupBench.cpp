// Start-up time of plumeroll.exe against the empty window, for each architecture, under the
// same system in the same run: from process creation until its window with the expected caption
// is visible and the program waits for input. Runs take turns between all the programs after
// one warm-up run of each, first with no background registered, then with a 4000 x 3000 picture
// (written next to the first empty window) registered as BackBitmap, which both architectures'
// programs read alike: the toolbar key is not one that Windows keeps apart for 32-bit programs.
//
//   plumeroll_startup_bench RUNS ARCH PLUMEROLL_EXE EMPTY_WINDOW_EXE [ARCH PLUMEROLL EMPTY]...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/ChildProcess.h"
#include "bench/win32/EmptyWindow.h"
#include "bench/win32/LargePicture.h"
#include "bench/win32/Measure.h"

namespace plumeroll::bench {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;

struct Target {
  std::string name;
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
  std::wstring command_line = Quoted(target.exe);
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

// One architecture's two programs.
struct Pair {
  std::string name;
  Target empty;
  Target plumeroll;
};

// Times every program, taking turns, and prints the table and the ratios.
bool Compare(const char* what, int runs, std::vector<Pair>& pairs) {
  for (Pair& pair : pairs) {
    pair.empty.times_ms.clear();
    pair.plumeroll.times_ms.clear();
  }
  // The first start of each loads files from disk and fills Wine's caches: not counted.
  for (int run = -1; run < runs; ++run) {
    for (Pair& pair : pairs) {
      for (Target* target : {&pair.empty, &pair.plumeroll}) {
        const double ms = TimeOneStart(*target);
        if (ms < 0) {
          std::fprintf(stderr, "%s did not show its window\n", target->name.c_str());
          return false;
        }
        if (run >= 0) target->times_ms.push_back(ms);
      }
    }
  }
  std::printf("%s\n  %-22s %6s %9s %9s %9s\n", what, "start-up", "runs", "min ms", "median ms",
              "max ms");
  for (const Pair& pair : pairs) {
    for (const Target* target : {&pair.empty, &pair.plumeroll}) {
      std::printf("  %-22s %6d %9.1f %9.1f %9.1f\n", target->name.c_str(), runs,
                  Lowest(target->times_ms), Median(target->times_ms), Highest(target->times_ms));
    }
  }
  for (const Pair& pair : pairs) {
    std::printf("  %s plumeroll.exe / empty window: min %.2f, median %.2f\n", pair.name.c_str(),
                Lowest(pair.plumeroll.times_ms) / Lowest(pair.empty.times_ms),
                Median(pair.plumeroll.times_ms) / Median(pair.empty.times_ms));
  }
  std::printf("\n");
  return true;
}

}  // namespace
}  // namespace plumeroll::bench

int main(int argc, char** argv) {
  using namespace plumeroll::bench;
  if (argc < 5 || (argc - 2) % 3 != 0 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr,
                 "usage: %s RUNS ARCH PLUMEROLL_EXE EMPTY_WINDOW_EXE [ARCH PLUMEROLL EMPTY]...\n",
                 argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<Pair> pairs;
  for (int i = 2; i + 2 < argc; i += 3) {
    const std::string arch = argv[i];
    pairs.push_back({arch,
                     {arch + " empty window", Widen(argv[i + 2]), kEmptyWindowCaption, {}},
                     {arch + " plumeroll.exe", Widen(argv[i + 1]), L"Qel : Plumeroll", {}}});
  }
  const std::wstring& first_empty = pairs.front().empty.exe;
  const std::wstring picture =
      first_empty.substr(0, first_empty.find_last_of(L"\\/")) + L"\\large.bmp";
  if (!WriteLargePicture(picture)) {
    std::fprintf(stderr, "cannot write the 4000 x 3000 picture\n");
    return 1;
  }
  const bool measured =
      RegisterBackground(L"") && Compare("== no background registered", runs, pairs) &&
      RegisterBackground(picture) && Compare("== a 4000 x 3000 picture registered", runs, pairs);
  RegisterBackground(L"");
  DeleteFileW(picture.c_str());
  return measured ? 0 : 1;
}
