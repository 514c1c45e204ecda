// Resampling of 32-bit pictures to an exact size, each axis by its own factor (the aspect ratio
// is not kept). Along an axis that shrinks, each target pixel averages the source pixels it
// covers; along one that grows, the pixels are interpolated smoothly.
#pragma once

#include "platform/Image.h"
#include "platform/Result.h"

namespace plumeroll {

// Draws the whole of source, stretched to width x height, at (x, y) into target; the parts of
// the rectangle outside target are clipped. Fails (with nothing drawn) for lack of memory.
Result<void> StretchInto(const Image32& source, Image32& target, int x, int y, int width,
                         int height);

}  // namespace plumeroll
