// Pictures: in memory (Image32), and read a band of rows at a time (BandedPicture), which is how
// a picture too large to hold whole is stretched and saved.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Result.h"

namespace plumeroll {

// A picture in memory: 32-bit pixels, 0xAARRGGBB in memory order B, G, R, A, top row first.
struct Image32 {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height, row after row from the top
};

// A band of consecutive rows of a picture, as a bitmap file holds them: the blue, green and red
// bytes of each pixel (then a fourth byte, ignored, when bytes_per_pixel is 4).
struct Band {
  int rows;                   // how many
  const std::uint8_t* bytes;  // the first row given (the lowest of the band)
  std::ptrdiff_t stride;      // from one row to the next one up (may be negative)
  int bytes_per_pixel;        // 3 or 4
};
using BandUse = std::function<Result<void>(const Band&)>;

// A picture read a band of rows at a time, the bottom row first.
class BandedPicture {
 public:
  virtual ~BandedPicture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Gives use() every row, the bottom one first, in bands of at most rows_per_band rows; stops
  // at the first failure (the picture's own or use's) and returns it.
  virtual Result<void> ForEachBand(int rows_per_band, const BandUse& use) const = 0;
};

// An Image32 read in bands, straight from its pixels: for the whole-picture entry points.
class Image32Bands final : public BandedPicture {
 public:
  explicit Image32Bands(const Image32& image) : image_(image) {}
  int Width() const override { return image_.width; }
  int Height() const override { return image_.height; }
  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    if (rows_per_band < 1 || image_.pixels.size() != static_cast<std::size_t>(image_.width) *
                                                         static_cast<std::size_t>(image_.height)) {
      return Failure{"Image32Bands", EINVAL};
    }
    const std::ptrdiff_t stride = -std::ptrdiff_t{4} * image_.width;  // the bottom row is last
    for (int given = 0; given < image_.height; given += rows_per_band) {
      const std::size_t lowest = static_cast<std::size_t>(image_.height - 1 - given) * image_.width;
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(image_.pixels.data() + lowest);
      const int rows = std::min(rows_per_band, image_.height - given);
      if (Result<void> used = use(Band{rows, bytes, stride, 4}); !used) return used;
    }
    return {};
  }

 private:
  const Image32& image_;
};

}  // namespace plumeroll
