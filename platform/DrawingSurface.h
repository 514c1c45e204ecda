// A hidden drawing surface that keeps what is drawn on it: its drawing area is exactly
// Width x Height pixels, and its persistent image (Image) holds the drawing. The drawing is a
// picture stretched to the drawing area, made a band of rows at a time each time the image is
// read, so that neither the picture nor the drawing is ever held whole.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/Platform.h"
#include "platform/Resample.h"
#include "platform/Result.h"

namespace plumeroll {

class DrawingSurface {
 public:
  void SetWidth(int pixels) { width_ = pixels; }
  void SetHeight(int pixels) { height_ = pixels; }
  // The empty picture, the only one the surface is given: the drawing goes.
  void SetPicture(std::nullptr_t) {
    drawing_.reset();
    picture_.reset();
  }
  // Draws the whole picture stretched into the rectangle (x, y, width, height), as SRCCOPY: the
  // picture replaces what was there. The rectangle is the whole drawing area, the only one the
  // surface is given; another is refused, with nothing drawn.
  Result<void> PaintPicture(PicturePtr picture, int x, int y, int width, int height);
  // The drawing, once a picture has been painted: it keeps the picture.
  const Picture& Image() const { return *drawing_; }

 private:
  int width_ = 0;
  int height_ = 0;
  PicturePtr picture_;
  std::optional<Stretched> drawing_;
};

}  // namespace plumeroll
