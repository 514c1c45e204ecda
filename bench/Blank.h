// A black picture, as the I/O floor's writing of a file of the target's size takes it: its bands
// padded 24-bit rows, as the resampler gives them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Bmp.h"
#include "platform/Image.h"

namespace plumeroll {

class Blank final : public Picture {
 public:
  Blank(int width, int height) : width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    const auto stride = static_cast<std::ptrdiff_t>(BmpRowStride(width_, 3));
    const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stride) * rows_per_band);
    for (int given = 0; given < height_; given += rows_per_band) {
      const int rows = std::min(rows_per_band, height_ - given);
      if (Result<void> used = use(Band{rows, bytes.data(), stride, 3}); !used) return used;
    }
    return {};
  }

 private:
  int width_;
  int height_;
};

}  // namespace plumeroll
