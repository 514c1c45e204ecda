#include "bench/win32/LargePicture.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/Win32Picture.h"

namespace plumeroll::bench {
namespace {

// Red across, green down, blue along the diagonals, made a band at a time.
class Gradients final : public Picture {
 public:
  int Width() const override { return 4000; }
  int Height() const override { return 3000; }

  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    const int width = Width();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * 3 * rows_per_band);
    for (int given = 0; given < Height(); given += rows_per_band) {
      const int rows = std::min(rows_per_band, Height() - given);
      std::uint8_t* byte = bytes.data();
      const int lowest = Height() - 1 - given;  // rows counted from the top
      for (int y = lowest; y > lowest - rows; --y) {
        for (int x = 0; x < width; ++x) {
          *byte++ = static_cast<std::uint8_t>(x + y);           // blue
          *byte++ = static_cast<std::uint8_t>(y * 255 / 2999);  // green
          *byte++ = static_cast<std::uint8_t>(x * 255 / 3999);  // red
        }
      }
      if (Result<void> used = use(Band{rows, bytes.data(), width * 3, 3}); !used) return used;
    }
    return {};
  }
};

}  // namespace

bool WriteLargePicture(const std::wstring& path) {
  return static_cast<bool>(win32::SaveBitmapFile(Gradients(), path));
}

}  // namespace plumeroll::bench
