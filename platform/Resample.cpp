// Stretching with stb_image_resize (v1): 8-bit channels, the four bytes of a pixel handled
// alike (the pictures are opaque, so nothing is premultiplied), linear colour space, edges
// clamped so that the border pixels are not darkened.
//
// The filter is chosen for each axis:
// - shrinking: box, i.e. each target pixel is the average of the source area it covers, the
//   partly covered source pixels weighted by the part covered. Nothing is skipped, so fine
//   patterns turn into their mean colour instead of aliasing (a one-pixel checkerboard halved is
//   uniform grey);
// - growing: Catmull-Rom, an interpolating cubic: it goes through the source colours and keeps
//   edges sharper than bilinear (TRIANGLE) or Mitchell, which blur; its slight overshoot at hard
//   edges is clamped to 0..255;
// - same size: box, which is then an exact copy.
//
// Memory: stb keeps a few float rows of the target (a ring buffer) beside the source and the
// target. When the height shrinks a lot that ring holds about source height / target height
// rows, which for a wide target can outgrow both pictures; the target is then filled in bands
// of columns, each with its own small ring, and the result is the same.
#include "platform/Resample.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
#pragma GCC diagnostic pop

namespace plumeroll {
namespace {

constexpr int kChannels = 4;
constexpr std::uint64_t kBytesPerPixel = 4;
// stb works out byte offsets in int.
constexpr std::uint64_t kMaxStbBytes = std::numeric_limits<int>::max();
// Above this, stb's working rows are split into bands of columns.
constexpr std::uint64_t kWorkingBudget = 32u << 20;

Failure OutOfMemory(const char* call) {
  return {call, ENOMEM};
}

stbir_filter FilterFor(int from, int to) {
  return to > from ? STBIR_FILTER_CATMULLROM : STBIR_FILTER_BOX;
}

// stb's working memory for one target column, a little over-estimated: the rows of its ring
// buffer plus one row of its horizontal or encoding buffer, 4 floats a pixel.
std::uint64_t WorkingBytesPerColumn(int source_height, int height) {
  const std::uint64_t rows =
      height < source_height
          ? (static_cast<std::uint64_t>(source_height) + height - 1) / height + 3  // box
          : 5;                                                                     // cubic
  return (rows + 1) * kChannels * sizeof(float);
}

// Resamples the whole source to width x height at out, whose rows are out_stride bytes apart.
bool Resample(const Image32& source, std::uint8_t* out, int width, int height, int out_stride) {
  const stbir_filter horizontal = FilterFor(source.Width, width);
  const stbir_filter vertical = FilterFor(source.Height, height);
  // The same scale for every band, as stb itself would work it out for the whole target.
  const float x_scale = static_cast<float>(width) / static_cast<float>(source.Width);
  const float y_scale = static_cast<float>(height) / static_cast<float>(source.Height);
  const std::uint64_t per_column = WorkingBytesPerColumn(source.Height, height);
  const int band = static_cast<int>(
      std::clamp<std::uint64_t>(kWorkingBudget / per_column, 1, static_cast<std::uint64_t>(width)));
  for (int left = 0; left < width; left += band) {
    const int band_width = std::min(band, width - left);
    // The band's offset is given in target pixels: its column 0 is the target's column left.
    if (!stbir_resize_subpixel(source.Pixels.data(), source.Width, source.Height,
                               source.Width * kChannels, out + std::size_t{kBytesPerPixel} * left,
                               band_width, height, out_stride, STBIR_TYPE_UINT8, kChannels,
                               STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                               horizontal, vertical, STBIR_COLORSPACE_LINEAR, nullptr, x_scale,
                               y_scale, static_cast<float>(left), 0.0f)) {
      return false;
    }
  }
  return true;
}

// Whether stb can address rows rows of row_bytes, out_stride apart.
bool FitsStb(std::uint64_t rows, std::uint64_t row_bytes, std::uint64_t stride) {
  return rows * stride <= kMaxStbBytes && row_bytes <= stride;
}

}  // namespace

Result<void> StretchInto(const Image32& source, Image32& target, int x, int y, int width,
                         int height) {
  if (source.Pixels.size() != static_cast<std::size_t>(source.Width) * source.Height ||
      target.Pixels.size() != static_cast<std::size_t>(target.Width) * target.Height) {
    return Failure{"StretchInto", EINVAL};
  }
  if (source.Width <= 0 || source.Height <= 0 || width <= 0 || height <= 0) return {};
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, target.Width);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + height, target.Height);
  if (left >= right || top >= bottom) return {};
  if (static_cast<std::uint64_t>(source.Width) * source.Height * kBytesPerPixel > kMaxStbBytes)
    return OutOfMemory("stbir_resize");

  const std::uint64_t row_bytes = static_cast<std::uint64_t>(width) * kBytesPerPixel;
  const bool clipped = left != x || top != y || right - x != width || bottom - y != height;
  if (!clipped) {
    // Straight into the target.
    const std::uint64_t stride = static_cast<std::uint64_t>(target.Width) * kBytesPerPixel;
    if (!FitsStb(static_cast<std::uint64_t>(height), row_bytes, stride))
      return OutOfMemory("stbir_resize");
    auto* out = reinterpret_cast<std::uint8_t*>(
        &target.Pixels[static_cast<std::size_t>(y) * target.Width + x]);
    if (!Resample(source, out, width, height, static_cast<int>(stride)))
      return OutOfMemory("stbir_resize");
    return {};
  }

  // Partly outside the target: stretch the whole picture aside, then copy the visible part.
  if (!FitsStb(static_cast<std::uint64_t>(height), row_bytes, row_bytes))
    return OutOfMemory("stbir_resize");
  std::vector<std::uint32_t> stretched;
  try {
    stretched.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    return OutOfMemory("operator new");
  }
  if (!Resample(source, reinterpret_cast<std::uint8_t*>(stretched.data()), width, height,
                static_cast<int>(row_bytes))) {
    return OutOfMemory("stbir_resize");
  }
  const auto visible = static_cast<std::size_t>(right - left);
  for (std::int64_t row = top; row < bottom; ++row) {
    const auto from = static_cast<std::size_t>((row - y) * width + (left - x));
    const auto to = static_cast<std::size_t>(row * target.Width + left);
    std::memcpy(&target.Pixels[to], &stretched[from], visible * sizeof(std::uint32_t));
  }
  return {};
}

}  // namespace plumeroll
