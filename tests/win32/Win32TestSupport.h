// What the tests on the real platform share (the win32 layer and the end-to-end journey), written
// with the system's own functions only, so that what they read is not read by the program's
// code: files, pictures and a scratch folder; windows' texts and places; the screen; values of
// the current user's keys, and the toolbar key put back as it was.
#pragma once

#include <gtest/gtest.h>
// shlwapi.h needs windows.h first.
// clang-format off
#include <windows.h>
#include <shlwapi.h>
// clang-format on

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace plumeroll::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Box = std::tuple<int, int, int, int>;

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
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

// Twips as pixels of the screen along an axis (LOGPIXELSX or LOGPIXELSY), to the nearest one.
inline int Pixels(int twips, int axis) {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, axis);
  ::ReleaseDC(nullptr, screen);
  return (twips * dpi + 720) / 1440;
}
inline RECT Place(HWND window) {
  RECT place{};
  ::GetWindowRect(window, &place);
  return place;
}
// Asked of the window itself, as another program's control knows its text and the system not.
inline std::wstring Text(HWND window) {
  wchar_t text[1024] = {};
  ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

// A picture as 0xRRGGBB colours, top row first.
struct Bitmap {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;
  bool operator==(const Bitmap&) const = default;
};

// A 24-bit bottom-up bitmap file, as every reader takes it: the size of its pixels given, no
// resolution, no colour table.
inline std::string BmpFile(const Bitmap& picture) {
  const DWORD stride = (picture.width * 3 + 3) / 4 * 4, pixels = stride * picture.height;
  const BITMAPFILEHEADER file{0x4D42, 54 + pixels, 0, 0, 54};
  const BITMAPINFOHEADER info{40, picture.width, picture.height, 1, 24, BI_RGB, pixels, 0, 0, 0, 0};
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x)
      bytes.append(reinterpret_cast<const char*>(&picture.rgb[y * picture.width + x]), 3);
    bytes.append(stride - picture.width * 3, '\0');
  }
  return bytes;
}

// What the screen shows in `place`.
inline Bitmap Screen(const RECT& place) {
  Bitmap shown{place.right - place.left, place.bottom - place.top, {}};
  shown.rgb.resize(static_cast<std::size_t>(shown.width) * shown.height);
  const HDC screen = ::GetDC(nullptr), memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, shown.width, shown.height);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, shown.width, shown.height, screen, place.left, place.top, SRCCOPY);
  ::SelectObject(memory, previous);
  BITMAPINFO info{};
  info.bmiHeader = {
      sizeof info.bmiHeader, shown.width, -shown.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  ::GetDIBits(memory, bitmap, 0, shown.height, shown.rgb.data(), &info, DIB_RGB_COLORS);
  for (std::uint32_t& pixel : shown.rgb) pixel &= 0xFFFFFF;
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return shown;
}

// A text value of a key (of the current user's unless said), or nothing; and the same written or
// deleted.
inline std::optional<std::wstring> KeyValue(const std::wstring& key, const wchar_t* name,
                                            HKEY root = HKEY_CURRENT_USER) {
  wchar_t value[2048] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (::SHGetValueW(root, key.c_str(), name, nullptr, value, &size)) return {};
  return value;
}
inline void SetKeyValue(const std::wstring& key, const wchar_t* name,
                        const std::optional<std::wstring>& value, HKEY root = HKEY_CURRENT_USER) {
  value ? ::SHSetValueW(root, key.c_str(), name, REG_SZ, value->c_str(),
                        static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)))
        : ::SHDeleteValueW(root, key.c_str(), name);
}

// Values of keys, each put back as it was when the guard goes, whatever the test did meanwhile:
// the tests run on the machine of whoever runs them.
struct SavedValues {
  struct Value {
    HKEY root;
    std::wstring key;
    const wchar_t* name;  // null: the key's default value
    std::optional<std::wstring> saved = KeyValue(key, name, root);
  };
  ~SavedValues() {
    for (const Value& value : values) SetKeyValue(value.key, value.name, value.saved, value.root);
  }
  std::vector<Value> values;
};

}  // namespace plumeroll::testing
