// A hidden drawing surface that keeps what is drawn on it: its drawing area is exactly
// Width x Height pixels, and its persistent image (Image) holds the drawing.
#pragma once

#include "platform/Image.h"
#include "platform/Platform.h"
#include "platform/Result.h"

namespace plumeroll {

class DrawingSurface {
 public:
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int pixels);
  void SetHeight(int pixels);
  // Replaces the background picture; null removes it and clears the drawing.
  void SetPicture(PicturePtr picture);
  // Draws the whole picture stretched into the rectangle (x, y, width, height), as SRCCOPY:
  // the picture replaces what was there. Fails for lack of memory or an unreadable picture.
  Result<void> PaintPicture(const Picture& picture, int x, int y, int width, int height);
  // The persistent image, exactly Width x Height pixels; empty (0 x 0) when it cannot be
  // allocated, a failure that PaintPicture reports.
  const Image32& Image();

 private:
  Result<void> Allocate();

  int width_ = 0;
  int height_ = 0;
  PicturePtr picture_;  // drawn when the image is next allocated
  Image32 image_;
};

}  // namespace plumeroll
