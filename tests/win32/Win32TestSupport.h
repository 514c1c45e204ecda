// What the tests on the real platform share (the win32 layer and the end-to-end journey): files,
// pictures and a scratch folder; windows' texts, styles and places.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <thread>

#include "platform/Win32Handles.h"
#include "platform/Win32Picture.h"
#include "platform/Win32Text.h"

namespace plumeroll::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline std::string Utf8(const fs::path& path) {
  return win32::WideToUtf8(path.wstring());
}

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A picture file as the program loads it: its pixels, or none when they cannot be had.
inline std::optional<Image32> Pixels(const fs::path& path) {
  const Result<PicturePtr> picture = win32::LoadBitmapFile(path.wstring());
  Result<Image32> pixels = picture ? picture.value()->Pixels() : picture.failure();
  return pixels ? std::optional(std::move(pixels.value())) : std::nullopt;
}

// A fresh, empty folder, removed when it goes.
struct ScratchFolder {
  ScratchFolder() {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~ScratchFolder() { fs::remove_all(path); }
  fs::path operator/(const fs::path& name) const { return path / name; }
  // Every file and folder inside, with a file's bytes: what a failed save must leave alone.
  std::map<std::wstring, std::string> Contents() const {
    std::map<std::wstring, std::string> contents;
    for (const auto& entry : fs::directory_iterator(path))
      contents[entry.path().filename()] = entry.is_directory() ? "(folder)" : ReadBytes(entry);
    return contents;
  }
  const fs::path path =
      fs::temp_directory_path() / ("plumeroll-" + std::to_string(::GetCurrentProcessId()));
};

// Asks until the answer holds or 20 seconds pass; gives the last answer.
template <class Probe>
auto WaitFor(Probe probe) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  for (auto answer = probe();; answer = probe()) {
    if (answer || std::chrono::steady_clock::now() > deadline) return answer;
    std::this_thread::sleep_for(50ms);
  }
}

inline int Dpi(int axis) {
  return ::GetDeviceCaps(win32::WindowDc(nullptr).get(), axis);
}
inline RECT Place(HWND window) {
  RECT place{};
  ::GetWindowRect(window, &place);
  return place;
}
inline std::wstring Text(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1024);
  return text;
}

}  // namespace plumeroll::testing
