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

  // The picture at exactly width x height pixels, for showing: reduced by whole factors first,
  // each pixel the mean of the block it stands for, then stretched as a resize does, so that
  // every source pixel counts and a large picture is never copied whole.
  Result<Image32> Scaled(int width, int height) const;

 private:
  // The pixels, each the mean of a block of shrink_x x shrink_y source pixels (fewer along the
  // right and bottom edges), read a band of rows at a time.
  Result<Image32> Reduced(int shrink_x, int shrink_y) const;

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
