#include "platform/DrawingSurface.h"

#include <cerrno>

namespace plumeroll {

Result<void> DrawingSurface::PaintPicture(PicturePtr picture, int x, int y, int width, int height) {
  if (!picture || x != 0 || y != 0 || width != width_ || height != height_) {
    return Failure{"PaintPicture", EINVAL};
  }
  drawing_.emplace(*picture, width, height);
  picture_ = std::move(picture);
  return {};
}

}  // namespace plumeroll
