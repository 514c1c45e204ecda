// Windows bitmap files, written by our own code so that the saved file is the same on every
// system: 24 bits per pixel, BITMAPINFOHEADER, rows bottom-up, each padded to 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Image.h"
#include "platform/Result.h"

namespace plumeroll {

// Where the bytes of a file go. A refusal names the call that failed.
class ByteSink {
 public:
  virtual Result<void> Write(const void* bytes, std::size_t size) = 0;

 protected:
  ~ByteSink() = default;
};

// Bytes of one row of a bitmap file, rounded up to a multiple of 4.
constexpr std::uint64_t BmpRowStride(int width, int bytes_per_pixel) {
  return (static_cast<std::uint64_t>(width) * bytes_per_pixel + 3) & ~std::uint64_t{3};
}

// Writes the whole file: the headers, then the rows as the picture gives them, bottom row first
// (a band of 24-bit rows already padded is written as it is). Fails, naming WriteBmp24, for a
// picture that no bitmap file can hold (empty, or over 4 GiB) or that gives fewer rows than
// its height, and with the first failure of the picture or the sink as it came.
Result<void> WriteBmp24(const Picture& image, ByteSink& out);

}  // namespace plumeroll
