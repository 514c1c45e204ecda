// The benchmarks' reader of plain bitmap files: uncompressed 24- or 32-bit pixels (BI_RGB, or
// BI_BITFIELDS with 8-bit masks) after a BITMAPINFOHEADER or a later header, bottom-up or
// top-down; anything else is refused.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "bench/Image32.h"
#include "platform/Image.h"
#include "platform/Result.h"

namespace plumeroll {

// A plain bitmap file read a band of rows at a time, bottom row first, straight from the file:
// a bottom-up file is read from start to end, and nothing of it is held but the band.
class BmpFile final : public Picture {
 public:
  static Result<BmpFile> Open(const std::string& path);
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override;

 private:
  std::string path_;
  int width_ = 0;
  int height_ = 0;
  int bytes_per_pixel_ = 0;
  bool top_down_ = false;
  std::uint64_t offset_ = 0;  // of the pixels
  std::uint64_t stride_ = 0;
  // Where blue, green and red are in a 32-bit pixel, in bits; the bytes of a pixel are put back
  // in that order when the masks say another.
  std::array<int, 3> shifts_ = {0, 8, 16};
};

// The whole picture in memory (for comparing results).
Result<Image32> Whole(const Picture& picture);
Result<Image32> ReadBmp(const std::string& path);

}  // namespace plumeroll
