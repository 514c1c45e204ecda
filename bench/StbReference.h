// The stretch as the program made it before its own resampler: stb_image_resize (v1) in
// floating point, kept here as the reference the new one is compared with.
#pragma once

#include "bench/Image32.h"
#include "platform/Result.h"

namespace plumeroll {

// The whole of source stretched to width x height: box when an axis shrinks, Catmull-Rom when
// it grows, edges clamped, linear colour space.
Result<Image32> StbStretch(const Image32& source, int width, int height);

}  // namespace plumeroll
