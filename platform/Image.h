// A picture in memory: 32-bit pixels, 0xAARRGGBB in memory order B, G, R, A, top row first.
#pragma once

#include <cstdint>
#include <vector>

namespace plumeroll {

struct Image32 {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height, row after row from the top
};

}  // namespace plumeroll
