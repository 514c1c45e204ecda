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
#include <limits>
#include <new>

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
  const stbir_filter horizontal = FilterFor(source.width, width);
  const stbir_filter vertical = FilterFor(source.height, height);
  // The same scale for every band, as stb itself would work it out for the whole target.
  const float x_scale = static_cast<float>(width) / static_cast<float>(source.width);
  const float y_scale = static_cast<float>(height) / static_cast<float>(source.height);
  const std::uint64_t per_column = WorkingBytesPerColumn(source.height, height);
  const int band = static_cast<int>(
      std::clamp<std::uint64_t>(kWorkingBudget / per_column, 1, static_cast<std::uint64_t>(width)));
  for (int left = 0; left < width; left += band) {
    const int band_width = std::min(band, width - left);
    // The band's offset is given in target pixels: its column 0 is the target's column left.
    if (!stbir_resize_subpixel(source.pixels.data(), source.width, source.height,
                               source.width * kChannels, out + std::size_t{kBytesPerPixel} * left,
                               band_width, height, out_stride, STBIR_TYPE_UINT8, kChannels,
                               STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                               horizontal, vertical, STBIR_COLORSPACE_LINEAR, nullptr, x_scale,
                               y_scale, static_cast<float>(left), 0.0f)) {
      return false;
    }
  }
  return true;
}

}  // namespace

Result<Image32> Stretch(const Image32& source, int width, int height) {
  if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) {
    return Failure{"Stretch", EINVAL};
  }
  // stb works out byte offsets in int: both pictures must be addressable that way.
  const std::uint64_t stride = static_cast<std::uint64_t>(width) * kBytesPerPixel;
  if (static_cast<std::uint64_t>(source.width) * source.height * kBytesPerPixel > kMaxStbBytes ||
      static_cast<std::uint64_t>(height) * stride > kMaxStbBytes) {
    return Failure{"Stretch", ENOMEM};
  }
  Image32 target{width, height, {}};
  try {
    target.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    return Failure{"operator new", ENOMEM};
  }
  if (!Resample(source, reinterpret_cast<std::uint8_t*>(target.pixels.data()), width, height,
                static_cast<int>(stride))) {
    return Failure{"stbir_resize_subpixel", ENOMEM};
  }
  return target;
}

}  // namespace plumeroll
