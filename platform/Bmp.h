// Windows bitmap files, written by our own code so that the saved file is the same on every
// system: 24 bits per pixel, BITMAPINFOHEADER, rows bottom-up, each padded to 4 bytes.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>

#include "platform/Image.h"
#include "platform/Result.h"

namespace plumeroll {

// Bytes of one 24-bit row, rounded up to a multiple of 4.
constexpr std::uint32_t BmpRowStride24(int width) {
  return (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
}

// Writes the whole file, row by row (no copy of the image is made). False when the stream fails.
bool WriteBmp24(const Image32& image, std::ostream& out);

// Reads an uncompressed 24- or 32-bit BMP with a BITMAPINFOHEADER, bottom-up or top-down;
// refuses anything else. Used to read back what WriteBmp24 wrote, and by the benchmarks.
Result<Image32> ReadBmp(std::istream& in);

}  // namespace plumeroll
