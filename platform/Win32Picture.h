// Pictures from the system's bitmap loader, and bitmap files written beside their final name.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Platform.h"
#include "platform/Win32Handles.h"

namespace plumeroll::win32 {

class Win32Picture final : public Picture {
 public:
  Win32Picture(UniqueHbitmap bitmap, int width, int height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}

  Result<Image32> Pixels() const override;

  // For drawing; the picture keeps ownership.
  HBITMAP Bitmap() const { return bitmap_.get(); }
  int Width() const { return width_; }    // pixels
  int Height() const { return height_; }  // pixels

 private:
  UniqueHbitmap bitmap_;
  int width_;
  int height_;
};

// The layout in which Image32 holds pixels, for GetDIBits and DIB sections: 32 bits a pixel,
// top row first, no padding.
BITMAPINFO TopDown32BitInfo(int width, int height);

Result<PicturePtr> LoadBitmapFile(const std::wstring& path);
Result<void> SaveBitmapFile(const Image32& image, const std::wstring& path);

}  // namespace plumeroll::win32
