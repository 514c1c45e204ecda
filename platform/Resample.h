// Resampling of pictures to an exact size, each axis by its own factor (the aspect ratio is not
// kept), a band of rows at a time. Along an axis that shrinks, each target pixel is the average
// of the source area it covers; along one that grows, the pixels are interpolated smoothly
// (Catmull-Rom); along one that keeps its size, they are copied. In integer arithmetic only, so
// that every build on every processor makes the same bytes.
#pragma once

#include "platform/Image.h"
#include "platform/Result.h"

namespace plumeroll {

// The largest width or height a picture is stretched to: the exact weights of a larger one
// would not fit 64-bit integers.
inline constexpr int kMaxStretch = 16383;

// The rows a stretch asks its source for at a time: about 1 MiB of 32-bit pixels.
int SourceBandRows(const Picture& source);

// A picture stretched to width x height. Its bands are 24-bit rows, each padded to a multiple of
// 4 bytes, the bottom row first, handed on as soon as they are made, so that they can go to a
// bitmap file as they come. Working memory is a few rows of the source's and the target's
// widths, whatever the heights.
class Stretched final : public Picture {
 public:
  // Keeps a reference to source, which must outlive it.
  Stretched(const Picture& source, int width, int height)
      : source_(source), width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // Reads the source once. Fails, naming Stretched, for an empty picture or size or one over
  // kMaxStretch; with operator new's ENOMEM for lack of memory; with the first failure of the
  // source or of use, as it came.
  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override;

 private:
  const Picture& source_;
  int width_;
  int height_;
};

}  // namespace plumeroll
