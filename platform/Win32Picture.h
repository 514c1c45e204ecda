// Pictures from the system's bitmap loader, and bitmap files written beside their final name.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Platform.h"
#include "platform/Win32Handles.h"

namespace plumeroll::win32 {

// Pictures larger than this many pixels are refused when their pixels are asked for.
inline constexpr long long kMaxPicturePixels = 1LL << 28;

class Win32Picture final : public Picture {
 public:
  Win32Picture(UniqueHbitmap bitmap, int width, int height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Result<Image32> Pixels() const override;

  // For drawing; the picture keeps ownership.
  HBITMAP Bitmap() const { return bitmap_.get(); }

 private:
  UniqueHbitmap bitmap_;
  int width_;
  int height_;
};

// The layout in which Image32 holds pixels, for GetDIBits, StretchDIBits and DIB sections:
// 32 bits a pixel, top row first, no padding.
BITMAPINFO TopDown32BitInfo(int width, int height);

Result<PicturePtr> LoadBitmapFile(const std::wstring& path);
Result<void> SaveBitmapFile(const Image32& image, const std::wstring& path);

}  // namespace plumeroll::win32
