// A picture in memory: 32-bit pixels, 0xAARRGGBB in memory order B, G, R, A, top row first.
#pragma once

#include <cstdint>
#include <vector>

namespace plumeroll {

struct Image32 {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;  // Width * Height, row after row from the top

  std::uint32_t& At(int x, int y) { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
  std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

}  // namespace plumeroll
