#include "bench/win32/LargePicture.h"

#include <windows.h>

#include "platform/Bmp.h"
#include "platform/Win32Handles.h"

namespace plumeroll {

bool WriteLargePicture(const std::wstring& path) {
  struct FileSink : ByteSink {
    Result<void> Write(const void* bytes, std::size_t size) override {
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes, static_cast<DWORD>(size), &written, nullptr)) {
        return Failure{"WriteFile", GetLastError()};
      }
      return {};
    }
    win32::UniqueFile file;
  } sink;
  sink.file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!sink.file) return false;
  Image32 picture{4000, 3000, {}};
  picture.pixels.reserve(4000u * 3000u);
  for (std::uint32_t y = 0; y < 3000; ++y) {
    for (std::uint32_t x = 0; x < 4000; ++x) {
      picture.pixels.push_back((x * 255 / 3999) << 16 | (y * 255 / 2999) << 8 | ((x + y) & 0xFF));
    }
  }
  return static_cast<bool>(WriteBmp24(picture, sink));
}

}  // namespace plumeroll
