// A picture held whole in memory, as the benchmarks compare results: the program itself never
// holds one.
#pragma once

#include <cstdint>
#include <vector>

namespace plumeroll {

// 32-bit pixels, 0xAARRGGBB in memory order B, G, R, A, top row first.
struct Image32 {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height, row after row from the top
};

}  // namespace plumeroll
