#include "bench/StbReference.h"

#include <cerrno>
#include <cstddef>

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

Result<Image32> StbStretch(const Image32& source, int width, int height) {
  const auto filter = [](int from, int to) {
    return to > from ? STBIR_FILTER_CATMULLROM : STBIR_FILTER_BOX;
  };
  Image32 target{width, height,
                 std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  if (!stbir_resize(source.pixels.data(), source.width, source.height, source.width * 4,
                    target.pixels.data(), width, height, width * 4, STBIR_TYPE_UINT8, 4,
                    STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                    filter(source.width, width), filter(source.height, height),
                    STBIR_COLORSPACE_LINEAR, nullptr)) {
    return Failure{"stbir_resize", ENOMEM};
  }
  return target;
}

}  // namespace plumeroll
