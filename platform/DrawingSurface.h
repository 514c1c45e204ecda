// A hidden drawing surface that keeps what is drawn on it: its drawing area is exactly
// Width x Height pixels, and its persistent image (Image) holds the drawing.
#pragma once

#include <cstddef>

#include "platform/Image.h"
#include "platform/Platform.h"
#include "platform/Result.h"

namespace plumeroll {

class DrawingSurface {
 public:
  void SetWidth(int pixels) { width_ = pixels; }
  void SetHeight(int pixels) { height_ = pixels; }
  // The empty picture, the only one the surface is given: the drawing goes.
  void SetPicture(std::nullptr_t) { image_ = Image32{}; }
  // Draws the whole picture stretched into the rectangle (x, y, width, height), as SRCCOPY: the
  // picture replaces what was there. The rectangle is the whole drawing area, the only one the
  // surface is given. Fails, with nothing drawn, for another rectangle, for lack of memory or
  // for an unreadable picture.
  Result<void> PaintPicture(const Picture& picture, int x, int y, int width, int height);
  // The drawing, once a picture has been painted.
  const Image32& Image() const { return image_; }

 private:
  int width_ = 0;
  int height_ = 0;
  Image32 image_;
};

}  // namespace plumeroll
