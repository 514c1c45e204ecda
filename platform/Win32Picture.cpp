#include "platform/Win32Picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
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

// Room for a band of rows_per_band rows of stride bytes, or why there is none.
Result<std::vector<std::uint8_t>> BandBuffer(std::uint64_t stride, int rows_per_band) {
  try {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(stride * rows_per_band));
  } catch (const std::bad_alloc&) {
    return Failure{"operator new", ERROR_NOT_ENOUGH_MEMORY};
  }
}

// A bitmap the system's loader made, read through GetDIBits as 24-bit rows.
class LoadedBitmap final : public Win32Picture {
 public:
  LoadedBitmap(UniqueHbitmap bitmap, int width, int height)
      : Win32Picture(width, height), bitmap_(std::move(bitmap)) {}

 private:
  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    const std::uint64_t stride = BmpRowStride(width(), 3);
    Result<std::vector<std::uint8_t>> bytes = BandBuffer(stride, rows_per_band);
    if (!bytes) return bytes.failure();
    UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return LastError("CreateCompatibleDC");
    BITMAPINFO info = TopDown32BitInfo(width(), height());
    info.bmiHeader.biHeight = height();  // bottom-up, where scan lines are counted from the bottom
    info.bmiHeader.biBitCount = 24;
    for (int top = 0; top < height(); top += rows_per_band) {
      const int rows = std::min(rows_per_band, height() - top);
      if (::GetDIBits(dc.get(), bitmap_.get(), static_cast<UINT>(height() - top - rows),
                      static_cast<UINT>(rows), bytes.value().data(), &info,
                      DIB_RGB_COLORS) != rows) {
        return LastError("GetDIBits");
      }
      use(Band{top, rows, bytes.value().data(), 3, static_cast<std::size_t>(stride)});
    }
    return {};
  }

  UniqueHbitmap bitmap_;
};

// A plain bitmap file, its rows read from the file each time the picture is read: nothing of
// it is held in memory. Its rows are bottom-up, each padded to 4 bytes, from offset on.
class PlainBitmapFile final : public Win32Picture {
 public:
  PlainBitmapFile(std::wstring path, int width, int height, int bytes_per_pixel,
                  std::uint32_t offset)
      : Win32Picture(width, height),
        path_(std::move(path)),
        bytes_per_pixel_(bytes_per_pixel),
        offset_(offset),
        stride_(BmpRowStride(width, bytes_per_pixel)) {}

 private:
  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    Result<std::vector<std::uint8_t>> bytes = BandBuffer(stride_, rows_per_band);
    if (!bytes) return bytes.failure();
    UniqueFile file(::CreateFileW(path_.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError("CreateFileW");
    for (int top = 0; top < height(); top += rows_per_band) {
      const int rows = std::min(rows_per_band, height() - top);
      LARGE_INTEGER at{};
      at.QuadPart = static_cast<LONGLONG>(offset_ + stride_ * (height() - top - rows));
      const auto size = static_cast<DWORD>(stride_ * rows);
      DWORD read = 0;
      if (!::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) {
        return LastError("SetFilePointerEx");
      }
      if (!::ReadFile(file.get(), bytes.value().data(), size, &read, nullptr)) {
        return LastError("ReadFile");
      }
      if (read != size) return Failure{"ReadFile", ERROR_HANDLE_EOF};  // cut short since loaded
      use(Band{top, rows, bytes.value().data(), bytes_per_pixel_,
               static_cast<std::size_t>(stride_)});
    }
    return {};
  }

  std::wstring path_;
  int bytes_per_pixel_;
  std::uint32_t offset_;
  std::uint64_t stride_;
};

}  // namespace

Result<Image32> Win32Picture::Pixels() const {
  constexpr int kRowsPerBand = 64;
  Image32 image{width_, height_, {}};
  try {
    image.pixels.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
  } catch (const std::bad_alloc&) {
    return Failure{"operator new", ERROR_NOT_ENOUGH_MEMORY};
  }
  Result<void> read = ForEachBand(kRowsPerBand, [&](const Band& band) {
    for (int row = 0; row < band.rows; ++row) {
      const std::uint8_t* from = band.bytes + band.stride * (band.rows - 1 - row);
      std::uint32_t* to = &image.pixels[static_cast<std::size_t>(band.top + row) * width_];
      for (int x = 0; x < width_; ++x, from += band.bytes_per_pixel) {
        to[x] = kOpaque | std::uint32_t{from[2]} << 16 | std::uint32_t{from[1]} << 8 | from[0];
      }
    }
  });
  if (!read) return read.failure();
  return image;
}

Result<Image32> Win32Picture::Reduced(int shrink_x, int shrink_y) const {
  const int width = (width_ + shrink_x - 1) / shrink_x;
  const int height = (height_ + shrink_y - 1) / shrink_y;
  Image32 image{width, height, {}};
  std::vector<std::uint32_t> sums;  // blue, green and red of each pixel of a reduced row
  try {
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    sums.resize(static_cast<std::size_t>(width) * 3);
  } catch (const std::bad_alloc&) {
    return Failure{"operator new", ERROR_NOT_ENOUGH_MEMORY};
  }
  Result<void> read = ForEachBand(shrink_y, [&](const Band& band) {
    std::fill(sums.begin(), sums.end(), 0);
    for (int row = 0; row < band.rows; ++row) {
      const std::uint8_t* pixel = band.bytes + band.stride * row;
      std::uint32_t* sum = sums.data();
      for (int left = 0; left < width_; left += shrink_x, sum += 3) {
        for (int x = left; x < std::min(left + shrink_x, width_); ++x) {
          sum[0] += pixel[0];
          sum[1] += pixel[1];
          sum[2] += pixel[2];
          pixel += band.bytes_per_pixel;
        }
      }
    }
    std::uint32_t* out = &image.pixels[static_cast<std::size_t>(band.top / shrink_y) * width];
    for (int x = 0; x < width; ++x) {
      const auto count =
          static_cast<std::uint32_t>(band.rows * std::min(shrink_x, width_ - x * shrink_x));
      const std::uint32_t* sum = &sums[static_cast<std::size_t>(x) * 3];
      out[x] = kOpaque | (sum[2] + count / 2) / count << 16 | (sum[1] + count / 2) / count << 8 |
               (sum[0] + count / 2) / count;
    }
  });
  if (!read) return read.failure();
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

std::shared_ptr<const Win32Picture> OpenPlainBitmapFile(const std::wstring& path) {
  BITMAPFILEHEADER file_header{};  // 14 bytes, packed
  BITMAPINFOHEADER info{};         // or the start of a V4 or V5 header, which begin alike
  std::uint8_t header[sizeof file_header + sizeof info] = {};
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD read = 0;
  LARGE_INTEGER file_size{};
  if (!file || !::ReadFile(file.get(), header, sizeof header, &read, nullptr) ||
      read != sizeof header || !::GetFileSizeEx(file.get(), &file_size)) {
    return nullptr;
  }
  std::memcpy(&file_header, header, sizeof file_header);
  std::memcpy(&info, header + sizeof file_header, sizeof info);
  const bool plain = file_header.bfType == 0x4D42 /* "BM" */ &&
                     (info.biSize == sizeof info || info.biSize == sizeof(BITMAPV4HEADER) ||
                      info.biSize == sizeof(BITMAPV5HEADER)) &&
                     file_header.bfOffBits == sizeof file_header + info.biSize &&
                     info.biWidth > 0 && info.biHeight > 0 && info.biPlanes == 1 &&
                     (info.biBitCount == 24 || info.biBitCount == 32) &&
                     info.biCompression == BI_RGB && info.biClrUsed == 0;
  if (!plain) return nullptr;
  const int bytes_per_pixel = info.biBitCount / 8;
  const std::uint64_t pixels_size =
      BmpRowStride(info.biWidth, bytes_per_pixel) * static_cast<std::uint64_t>(info.biHeight);
  // A file cut short is the system loader's to judge; so is one of over 2 GB of pixels, more
  // than one read of a band may have to take.
  if (pixels_size > 0x7FFFFFFF ||
      static_cast<std::uint64_t>(file_size.QuadPart) < file_header.bfOffBits + pixels_size) {
    return nullptr;
  }
  return std::make_shared<const PlainBitmapFile>(path, info.biWidth, info.biHeight, bytes_per_pixel,
                                                 file_header.bfOffBits);
}

Result<PicturePtr> LoadWithSystemLoader(const std::wstring& path) {
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
  return PicturePtr(std::make_shared<const LoadedBitmap>(std::move(bitmap), width, height));
}

Result<PicturePtr> LoadBitmapFile(const std::wstring& path) {
  if (std::shared_ptr<const Win32Picture> plain = OpenPlainBitmapFile(path))
    return PicturePtr(plain);
  return LoadWithSystemLoader(path);
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
