// Pictures from bitmap files, read by the system's loader or straight from a plain file, and
// bitmap files written beside their final name.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/Win32Handles.h"

namespace plumeroll::win32 {

// A picture read a band of rows at a time, from the bitmap the system's loader made or straight
// from a plain bitmap file: a large picture is never copied whole to be shown.
class Win32Picture : public Picture {
 public:
  Win32Picture(int width, int height) : width_(width), height_(height) {}

  Result<Image32> Pixels() const final;

  // The picture at exactly width x height pixels, for showing: reduced by whole factors first,
  // each pixel the mean of the block it stands for, then stretched as a resize does, so that
  // every source pixel counts.
  Result<Image32> Scaled(int width, int height) const;

 protected:
  // Rows of the picture as a bitmap file holds them: the blue, green and red bytes of each
  // pixel (then a fourth, meaningless, when bytes_per_pixel is 4), each row stride bytes long,
  // the lowest row first; top is the band's first row counted from the top of the picture.
  struct Band {
    int top;
    int rows;
    const std::uint8_t* bytes;
    int bytes_per_pixel;
    std::size_t stride;
  };
  using BandUse = std::function<void(const Band& band)>;
  // Gives use() the rows from the top down, rows_per_band at a time (fewer in the last band).
  virtual Result<void> ForEachBand(int rows_per_band, const BandUse& use) const = 0;
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  // The pixels, each the mean of a block of shrink_x x shrink_y source pixels (fewer along the
  // right and bottom edges).
  Result<Image32> Reduced(int shrink_x, int shrink_y) const;

  int width_;
  int height_;
};

// The layout in which Image32 holds pixels, for GetDIBits and DIB sections: 32 bits a pixel,
// top row first, no padding.
BITMAPINFO TopDown32BitInfo(int width, int height);

// A picture file as the program loads it: a plain bitmap file (uncompressed, 24 or 32 bits a
// pixel, rows bottom-up, no palette) is read straight from the file when it is shown; any other
// file is the system's bitmap loader's to read or refuse.
Result<PicturePtr> LoadBitmapFile(const std::wstring& path);
// The two ways LoadBitmapFile takes: null when the file is not plain (or cannot be read), and
// the system's bitmap loader.
std::shared_ptr<const Win32Picture> OpenPlainBitmapFile(const std::wstring& path);
Result<PicturePtr> LoadWithSystemLoader(const std::wstring& path);
Result<void> SaveBitmapFile(const Image32& image, const std::wstring& path);

}  // namespace plumeroll::win32
