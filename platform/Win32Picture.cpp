#include "platform/Win32Picture.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>

#include "platform/Bmp.h"

namespace plumeroll::win32 {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// The folder that holds path, in a form GetTempFileNameW takes ("." for a bare file name,
// "C:\" rather than "C:" for a drive's root).
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  std::wstring folder = path.substr(0, slash);
  if (folder.empty() || folder.back() == L':') folder = path.substr(0, slash + 1);
  return folder;
}

// A temporary file that is deleted on leaving unless it was kept.
class TempFile {
 public:
  explicit TempFile(std::wstring path) : path_(std::move(path)) {}
  ~TempFile() {
    if (!kept_) ::DeleteFileW(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::wstring& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::wstring path_;
  bool kept_ = false;
};

Failure CallFailed(const char* call) { return Failure{call, ::GetLastError()}; }

Failure StreamFailed(const char* call) {
  return Failure{call, static_cast<std::uint32_t>(errno ? errno : EIO)};
}

}  // namespace

Result<Image32> Win32Picture::Pixels() const {
  const Failure out_of_memory{"GetDIBits", ERROR_NOT_ENOUGH_MEMORY};
  if (static_cast<long long>(width_) * height_ > kMaxPicturePixels) return out_of_memory;
  Image32 image;
  try {
    image.Pixels.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
  } catch (const std::bad_alloc&) {
    return out_of_memory;
  }
  image.Width = width_;
  image.Height = height_;

  BITMAPINFO info = TopDown32BitInfo(width_, height_);

  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!dc) return CallFailed("CreateCompatibleDC");
  const int lines = ::GetDIBits(dc.get(), bitmap_.get(), 0, static_cast<UINT>(height_),
                                image.Pixels.data(), &info, DIB_RGB_COLORS);
  if (lines != height_) return CallFailed("GetDIBits");
  // GDI leaves the fourth byte at zero; the pictures it loads are opaque.
  for (std::uint32_t& pixel : image.Pixels) pixel |= kOpaque;
  return image;
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
  UniqueHbitmap bitmap(static_cast<HBITMAP>(::LoadImageW(
      nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  if (!bitmap) {
    const DWORD error = ::GetLastError();
    return Failure{"LoadImageW", error ? error : static_cast<std::uint32_t>(ERROR_INVALID_DATA)};
  }
  BITMAP facts{};
  if (::GetObjectW(bitmap.get(), sizeof facts, &facts) == 0) return CallFailed("GetObjectW");
  const int width = facts.bmWidth;
  const int height = std::abs(facts.bmHeight);
  if (width <= 0 || height <= 0) return Failure{"LoadImageW", ERROR_INVALID_DATA};
  try {
    return PicturePtr(std::make_shared<const Win32Picture>(std::move(bitmap), width, height));
  } catch (const std::bad_alloc&) {
    return Failure{"LoadImageW", ERROR_NOT_ENOUGH_MEMORY};
  }
}

Result<void> SaveBitmapFile(const Image32& image, const std::wstring& path) {
  if (image.Width <= 0 || image.Height <= 0 ||
      image.Pixels.size() !=
          static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height)) {
    return Failure{"WriteBmp24", ERROR_INVALID_PARAMETER};
  }
  // Windows refuses to replace a read-only file; so do we, before writing anything, whatever
  // the file system underneath does.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return Failure{"MoveFileExW", ERROR_ACCESS_DENIED};
  }
  // A new, uniquely named file in the target's own folder, so that the final move is a rename
  // on the same volume.
  wchar_t temp_name[MAX_PATH] = {};
  if (!::GetTempFileNameW(FolderOf(path).c_str(), L"plr", 0, temp_name)) {
    return CallFailed("GetTempFileNameW");
  }
  TempFile temp(temp_name);
  {
    errno = 0;
    std::ofstream out(std::filesystem::path(temp.path()), std::ios::binary | std::ios::trunc);
    if (!out) return StreamFailed("ofstream");
    if (!WriteBmp24(image, out)) return StreamFailed("WriteBmp24");
    out.close();
    if (out.fail()) return StreamFailed("ofstream::close");
  }
  if (!::MoveFileExW(temp.path().c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return CallFailed("MoveFileExW");
  }
  temp.Keep();
  return {};
}

}  // namespace plumeroll::win32
