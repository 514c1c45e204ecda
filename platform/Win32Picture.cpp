#include "platform/Win32Picture.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/Bmp.h"
#include "platform/Win32Handles.h"

namespace plumeroll::win32 {
namespace {

// Bytes of rows read from a picture at a time, whatever its reader asks, or one row when a
// row is longer.
constexpr std::uint64_t kBandBytes = 4 << 20;

Failure LastError(const char* call, Cause cause = Cause::kOther) {
  return Failure{call, ::GetLastError(), cause};
}

// A file being written under a temporary name, deleted when it goes unless it was moved
// over its target. Every failure of it is the target's.
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
    if (!file_) return LastError("CreateFileW", Cause::kTarget);
    owned_ = true;
    return {};
  }
  Result<void> Write(const void* bytes, std::size_t size) override {
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes, static_cast<DWORD>(size), &written, nullptr)) {
      return LastError("WriteFile", Cause::kTarget);
    }
    if (written != size) return Failure{"WriteFile", ERROR_HANDLE_DISK_FULL, Cause::kTarget};
    return {};
  }
  // Closes the file and moves it over target, which it then is.
  Result<void> MoveOver(const std::wstring& target) {
    if (!::CloseHandle(file_.release())) return LastError("CloseHandle", Cause::kTarget);
    if (!::MoveFileExW(path_.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return LastError("MoveFileExW", Cause::kTarget);
    }
    owned_ = false;
    return {};
  }

 private:
  std::wstring path_;
  UniqueFile file_;
  bool owned_ = false;  // the file under path_ is ours to delete
};

// How many rows of stride bytes a band holds: those asked for, within kBandBytes.
int BandRows(std::uint64_t stride, int asked, int height) {
  const auto most = static_cast<int>(std::clamp<std::uint64_t>(kBandBytes / stride, 1, height));
  return std::clamp(asked, 1, most);
}

// Room for rows of stride bytes, or why there is none.
Result<std::vector<std::uint8_t>> BandBuffer(std::uint64_t stride, int rows) {
  try {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(stride * rows));
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
}

// A bitmap the system's loader made, read through GetDIBits as 24-bit rows.
class LoadedBitmap final : public Picture {
 public:
  LoadedBitmap(UniqueHbitmap bitmap, int width, int height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }

  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    const std::uint64_t stride = BmpRowStride(width_, 3);
    const int band_rows = BandRows(stride, rows_per_band, height_);
    Result<std::vector<std::uint8_t>> bytes = BandBuffer(stride, band_rows);
    if (!bytes) return bytes.failure();
    UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return LastError("CreateCompatibleDC");
    BITMAPINFO info = BottomUp24BitInfo(width_, height_);
    for (int given = 0; given < height_; given += band_rows) {
      const int rows = std::min(band_rows, height_ - given);
      if (::GetDIBits(dc.get(), bitmap_.get(), static_cast<UINT>(given), static_cast<UINT>(rows),
                      bytes.value().data(), &info, DIB_RGB_COLORS) != rows) {
        return LastError("GetDIBits", Cause::kSource);
      }
      const Band band{rows, bytes.value().data(), static_cast<std::ptrdiff_t>(stride), 3};
      if (Result<void> used = use(band); !used) return used;
    }
    return {};
  }

 private:
  UniqueHbitmap bitmap_;
  int width_;
  int height_;
};

// The headers at the start of a bitmap file: the bytes read, and what they say.
struct Headers {
  std::array<std::uint8_t, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)> bytes{};
  BITMAPFILEHEADER file{};  // 14 bytes, packed
  BITMAPINFOHEADER info{};  // or the start of a V4 or V5 header, which begin alike
};

UniqueFile OpenToRead(const std::wstring& path) {
  return UniqueFile(::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool ReadHeaders(HANDLE file, Headers& headers) {
  DWORD read = 0;
  if (!::ReadFile(file, headers.bytes.data(), headers.bytes.size(), &read, nullptr) ||
      read != headers.bytes.size()) {
    return false;
  }
  std::memcpy(&headers.file, headers.bytes.data(), sizeof headers.file);
  std::memcpy(&headers.info, headers.bytes.data() + sizeof headers.file, sizeof headers.info);
  return true;
}

// A plain bitmap file, its rows read from the file, bottom row first, each time the picture is
// read: nothing of it is held in memory. The file is read anew each time, so it may have been
// changed, cut short or removed since it was loaded: each of these ends the reading.
class PlainBitmapFile final : public Picture {
 public:
  PlainBitmapFile(std::wstring path, const Headers& headers)
      : path_(std::move(path)),
        headers_(headers),
        bytes_per_pixel_(headers.info.biBitCount / 8),
        stride_(BmpRowStride(Width(), bytes_per_pixel_)) {}
  int Width() const override { return headers_.info.biWidth; }
  int Height() const override { return headers_.info.biHeight; }

  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    const int band_rows = BandRows(stride_, rows_per_band, Height());
    Result<std::vector<std::uint8_t>> bytes = BandBuffer(stride_, band_rows);
    if (!bytes) return bytes.failure();
    const UniqueFile file = OpenToRead(path_);
    if (!file) return LastError("CreateFileW", Cause::kSource);
    Headers now;
    if (!ReadHeaders(file.get(), now) || now.bytes != headers_.bytes) {
      return Failure{"ReadFile", ERROR_INVALID_DATA, Cause::kSource};  // another picture now
    }
    LARGE_INTEGER at{};
    at.QuadPart = headers_.file.bfOffBits;
    if (!::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) {
      return LastError("SetFilePointerEx", Cause::kSource);
    }
    for (int given = 0; given < Height(); given += band_rows) {
      const int rows = std::min(band_rows, Height() - given);
      const auto size = static_cast<DWORD>(stride_ * rows);
      DWORD read = 0;
      if (!::ReadFile(file.get(), bytes.value().data(), size, &read, nullptr)) {
        return LastError("ReadFile", Cause::kSource);
      }
      if (read != size) return Failure{"ReadFile", ERROR_HANDLE_EOF, Cause::kSource};
      const Band band{rows, bytes.value().data(), static_cast<std::ptrdiff_t>(stride_),
                      bytes_per_pixel_};
      if (Result<void> used = use(band); !used) return used;
    }
    return {};
  }

 private:
  std::wstring path_;
  Headers headers_;
  int bytes_per_pixel_;
  std::uint64_t stride_;
};

}  // namespace

BITMAPINFO BottomUp24BitInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

PicturePtr OpenPlainBitmapFile(const std::wstring& path) {
  const UniqueFile file = OpenToRead(path);
  Headers headers;
  LARGE_INTEGER file_size{};
  if (!file || !ReadHeaders(file.get(), headers) || !::GetFileSizeEx(file.get(), &file_size)) {
    return nullptr;
  }
  const BITMAPINFOHEADER& info = headers.info;
  const bool plain = headers.file.bfType == 0x4D42 /* "BM" */ &&
                     (info.biSize == sizeof info || info.biSize == sizeof(BITMAPV4HEADER) ||
                      info.biSize == sizeof(BITMAPV5HEADER)) &&
                     headers.file.bfOffBits == sizeof headers.file + info.biSize &&
                     info.biWidth > 0 && info.biHeight > 0 && info.biPlanes == 1 &&
                     (info.biBitCount == 24 || info.biBitCount == 32) &&
                     info.biCompression == BI_RGB && info.biClrUsed == 0;
  if (!plain) return nullptr;
  const std::uint64_t pixels_size =
      BmpRowStride(info.biWidth, info.biBitCount / 8) * static_cast<std::uint64_t>(info.biHeight);
  // A file cut short is the system loader's to judge; so is one of over 2 GB of pixels, more
  // than one read of a row may have to take.
  if (pixels_size > 0x7FFFFFFF ||
      static_cast<std::uint64_t>(file_size.QuadPart) < headers.file.bfOffBits + pixels_size) {
    return nullptr;
  }
  return std::make_shared<const PlainBitmapFile>(path, headers);
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
  if (PicturePtr plain = OpenPlainBitmapFile(path)) return plain;
  return LoadWithSystemLoader(path);
}

Result<void> SaveBitmapFile(const Picture& image, const std::wstring& path) {
  // Windows refuses to replace a read-only file; so do we, before writing anything, whatever
  // the file system underneath does (Wine replaces it).
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return Failure{"FILE_ATTRIBUTE_READONLY", ERROR_ACCESS_DENIED, Cause::kTarget};
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
