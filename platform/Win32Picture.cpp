#include "platform/Win32Picture.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/Bmp.h"
#include "platform/Resample.h"

namespace plumeroll::win32 {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

Failure LastError(const char* call) {
  return Failure{call, ::GetLastError()};
}

// A file being written under a temporary name, deleted when it goes unless it was moved
// over its target.
class TempFile final : public ByteSink {
 public:
  explicit TempFile(std::wstring path) : path_(std::move(path)) {}
  ~TempFile() {
    if (!owned_) return;
    file_.reset();
    ::DeleteFileW(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Creates the file, or empties the one left under that name.
  Result<void> Open() {
    file_.reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return LastError("CreateFileW");
    owned_ = true;
    return {};
  }
  Result<void> Write(const void* bytes, std::size_t size) override {
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes, static_cast<DWORD>(size), &written, nullptr)) {
      return LastError("WriteFile");
    }
    if (written != size) return Failure{"WriteFile", ERROR_HANDLE_DISK_FULL};
    return {};
  }
  // Closes the file and moves it over target, which it then is.
  Result<void> MoveOver(const std::wstring& target) {
    if (!::CloseHandle(file_.release())) return LastError("CloseHandle");
    if (!::MoveFileExW(path_.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return LastError("MoveFileExW");
    }
    owned_ = false;
    return {};
  }

 private:
  std::wstring path_;
  UniqueFile file_;
  bool owned_ = false;  // the file under path_ is ours to delete
};

}  // namespace

Result<Image32> Win32Picture::Pixels() const {
  Image32 image{width_, height_, {}};
  try {
    image.pixels.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
  } catch (const std::bad_alloc&) {
    return Failure{"operator new", ERROR_NOT_ENOUGH_MEMORY};
  }
  BITMAPINFO info = TopDown32BitInfo(width_, height_);
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!dc) return LastError("CreateCompatibleDC");
  if (::GetDIBits(dc.get(), bitmap_.get(), 0, static_cast<UINT>(height_), image.pixels.data(),
                  &info, DIB_RGB_COLORS) != height_) {
    return LastError("GetDIBits");
  }
  // GDI leaves the fourth byte at zero; the pictures it loads are opaque.
  for (std::uint32_t& pixel : image.pixels) pixel |= kOpaque;
  return image;
}

Result<Image32> Win32Picture::Reduced(int shrink_x, int shrink_y) const {
  const int width = (width_ + shrink_x - 1) / shrink_x;
  const int height = (height_ + shrink_y - 1) / shrink_y;
  Image32 image{width, height, {}};
  std::vector<std::uint32_t> band;  // shrink_y source rows, the lowest first
  std::vector<std::uint32_t> sums;  // blue, green and red of each pixel of a reduced row
  try {
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    band.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(shrink_y));
    sums.resize(static_cast<std::size_t>(width) * 3);
  } catch (const std::bad_alloc&) {
    return Failure{"operator new", ERROR_NOT_ENOUGH_MEMORY};
  }
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!dc) return LastError("CreateCompatibleDC");
  BITMAPINFO info = TopDown32BitInfo(width_, height_);
  info.bmiHeader.biHeight = height_;  // bottom-up, where scan lines are counted from the bottom
  for (int y = 0; y < height; ++y) {
    const int top = y * shrink_y;
    const int rows = std::min(shrink_y, height_ - top);
    if (::GetDIBits(dc.get(), bitmap_.get(), static_cast<UINT>(height_ - top - rows),
                    static_cast<UINT>(rows), band.data(), &info, DIB_RGB_COLORS) != rows) {
      return LastError("GetDIBits");
    }
    std::fill(sums.begin(), sums.end(), 0);
    const std::uint32_t* pixel = band.data();
    for (int row = 0; row < rows; ++row) {
      std::uint32_t* sum = sums.data();
      for (int left = 0; left < width_; left += shrink_x, sum += 3) {
        for (int x = left; x < std::min(left + shrink_x, width_); ++x, ++pixel) {
          sum[0] += *pixel & 0xFF;
          sum[1] += (*pixel >> 8) & 0xFF;
          sum[2] += (*pixel >> 16) & 0xFF;
        }
      }
    }
    std::uint32_t* out = &image.pixels[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      const auto count =
          static_cast<std::uint32_t>(rows * std::min(shrink_x, width_ - x * shrink_x));
      const std::uint32_t* sum = &sums[static_cast<std::size_t>(x) * 3];
      out[x] = kOpaque | (sum[2] + count / 2) / count << 16 | (sum[1] + count / 2) / count << 8 |
               (sum[0] + count / 2) / count;
    }
  }
  return image;
}

Result<Image32> Win32Picture::Scaled(int width, int height) const {
  Result<Image32> reduced =
      Reduced(std::max(1, width_ / (2 * width)), std::max(1, height_ / (2 * height)));
  if (!reduced) return reduced;
  return Stretch(reduced.value(), width, height);
}

BITMAPINFO TopDown32BitInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

Result<PicturePtr> LoadBitmapFile(const std::wstring& path) {
  ::SetLastError(ERROR_SUCCESS);
  UniqueHbitmap bitmap(static_cast<HBITMAP>(::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                         LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  if (!bitmap) {
    // The loader does not always say why: a file that is no bitmap is invalid data.
    const DWORD error = ::GetLastError();
    return Failure{"LoadImageW", error ? error : static_cast<std::uint32_t>(ERROR_INVALID_DATA)};
  }
  BITMAP facts{};
  if (::GetObjectW(bitmap.get(), sizeof facts, &facts) == 0) return LastError("GetObjectW");
  const int width = facts.bmWidth;
  const int height = std::abs(facts.bmHeight);
  return PicturePtr(std::make_shared<const Win32Picture>(std::move(bitmap), width, height));
}

Result<void> SaveBitmapFile(const Image32& image, const std::wstring& path) {
  // Windows refuses to replace a read-only file; so do we, before writing anything, whatever
  // the file system underneath does (Wine replaces it).
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return Failure{"FILE_ATTRIBUTE_READONLY", ERROR_ACCESS_DENIED};
  }
  // Beside the target, so that the final move is a rename on the same volume; under one name
  // that says whose it is, so that a write cut short (a killed program, a power cut) leaves at
  // most that one file, which the next save replaces.
  TempFile temp(path + L".tmp");
  if (Result<void> opened = temp.Open(); !opened) return opened;
  if (Result<void> written = WriteBmp24(image, temp); !written) return written;
  return temp.MoveOver(path);
}

}  // namespace plumeroll::win32
