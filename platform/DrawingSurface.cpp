// The hidden drawing surface. Its image is allocated only when it is needed (a drawing, or a
// look at Image), so that setting the width and then the height allocates once, at the final
// size. Like a picture box that redraws itself from memory:
// - a new surface, or one whose picture was just replaced, is opaque white, with its background
//   picture (if any) at its natural size in the top-left corner;
// - resizing keeps the drawing where the old and new areas overlap; the rest is white, or the
//   background picture where it reaches;
// - negative sizes count as 0, an empty surface.
// The image is limited to 2 GiB (536 million pixels, e.g. 23170 x 23170): anything larger fails
// as lack of memory.
#include "platform/DrawingSurface.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "platform/Resample.h"

namespace plumeroll {
namespace {

constexpr std::uint32_t kBackground = 0xFFFFFFFFu;  // opaque white
constexpr std::uint64_t kMaxImageBytes = std::numeric_limits<int>::max();

Failure OutOfMemory() {
  return {"operator new", ENOMEM};
}

// Copies from into to with both top-left corners together, clipped to both.
void CopyAtOrigin(const Image32& from, Image32& to) {
  const int width = std::min(from.Width, to.Width);
  const int height = std::min(from.Height, to.Height);
  if (width <= 0 || from.Pixels.size() != static_cast<std::size_t>(from.Width) * from.Height)
    return;
  for (int y = 0; y < height; ++y) {
    std::memcpy(&to.Pixels[static_cast<std::size_t>(y) * to.Width],
                &from.Pixels[static_cast<std::size_t>(y) * from.Width],
                static_cast<std::size_t>(width) * sizeof(std::uint32_t));
  }
}

}  // namespace

void DrawingSurface::SetWidth(int pixels) {
  width_ = std::max(pixels, 0);
}

void DrawingSurface::SetHeight(int pixels) {
  height_ = std::max(pixels, 0);
}

void DrawingSurface::SetPicture(PicturePtr picture) {
  picture_ = std::move(picture);
  image_ = Image32{};  // the drawing is gone; the next allocation starts afresh
}

Result<void> DrawingSurface::PaintPicture(const Picture& picture, int x, int y, int width,
                                          int height) {
  if (Result<void> allocated = Allocate(); !allocated) return allocated;
  Result<Image32> pixels = picture.Pixels();
  if (!pixels) return pixels.failure();
  return StretchInto(pixels.value(), image_, x, y, width, height);
}

const Image32& DrawingSurface::Image() {
  // On failure image_ is left empty, which callers can tell from the surface's size.
  static_cast<void>(Allocate());
  return image_;
}

Result<void> DrawingSurface::Allocate() {
  if (image_.Width == width_ && image_.Height == height_) return {};
  const std::uint64_t count =
      static_cast<std::uint64_t>(width_) * static_cast<std::uint64_t>(height_);
  Image32 next;
  try {
    if (count * sizeof(std::uint32_t) > kMaxImageBytes) throw std::bad_alloc();
    next.Pixels.assign(static_cast<std::size_t>(count), kBackground);
  } catch (const std::bad_alloc&) {
    image_ = Image32{};
    return OutOfMemory();
  }
  next.Width = width_;
  next.Height = height_;
  if (picture_) {
    Result<Image32> pixels = picture_->Pixels();
    if (!pixels) {
      image_ = Image32{};
      return pixels.failure();
    }
    CopyAtOrigin(pixels.value(), next);
  }
  CopyAtOrigin(image_, next);
  image_ = std::move(next);
  return {};
}

}  // namespace plumeroll
