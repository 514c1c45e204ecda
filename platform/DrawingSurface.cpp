#include "platform/DrawingSurface.h"

#include <cerrno>

#include "platform/Resample.h"

namespace plumeroll {

Result<void> DrawingSurface::PaintPicture(const Picture& picture, int x, int y, int width,
                                          int height) {
  if (x != 0 || y != 0 || width != width_ || height != height_) {
    return Failure{"PaintPicture", EINVAL};
  }
  Result<Image32> pixels = picture.Pixels();
  if (!pixels) return pixels.failure();
  Result<Image32> stretched = Stretch(pixels.value(), width, height);
  if (!stretched) return stretched.failure();
  image_ = std::move(stretched.value());
  return {};
}

}  // namespace plumeroll
