// Pictures read a band of rows at a time, which is how a picture too large to hold whole is
// shown, stretched and saved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/Result.h"

namespace plumeroll {

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
class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Gives use() every row, the bottom one first, in bands of at most rows_per_band rows; stops
  // at the first failure (the picture's own or use's) and returns it.
  virtual Result<void> ForEachBand(int rows_per_band, const BandUse& use) const = 0;
};

}  // namespace plumeroll
