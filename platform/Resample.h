// Resampling of 32-bit pictures to an exact size, each axis by its own factor (the aspect ratio
// is not kept). Along an axis that shrinks, each target pixel averages the source pixels it
// covers; along one that grows, the pixels are interpolated smoothly.
#pragma once

#include "platform/Image.h"
#include "platform/Result.h"

namespace plumeroll {

// The whole of source stretched to width x height. Fails for an empty picture or size, and for
// pictures larger than the resampler can address or memory can hold.
Result<Image32> Stretch(const Image32& source, int width, int height);

}  // namespace plumeroll
