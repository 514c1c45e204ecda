// The benchmarks' reader of plain uncompressed 24- and 32-bit BMP files with a BITMAPINFOHEADER
// (or a later header), bottom-up or top-down; anything else is refused.
#include "bench/BmpReader.h"

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <vector>

namespace plumeroll {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;  // BITMAPFILEHEADER
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::uint32_t kBiRgb = 0;            // uncompressed

std::uint32_t Get16(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8;
}

std::uint32_t Get32(const std::uint8_t* at) {
  return Get16(at) | Get16(at + 2) << 16;
}

std::int32_t GetSigned32(const std::uint8_t* at) {
  const std::uint32_t value = Get32(at);
  return value <= 0x7FFFFFFFu ? static_cast<std::int32_t>(value)
                              : -static_cast<std::int32_t>(~value) - 1;
}

bool ReadExactly(std::istream& in, void* buffer, std::size_t size) {
  in.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(in.gcount()) == size;
}

bool Skip(std::istream& in, std::uint64_t size) {
  constexpr std::uint64_t kMaxStep = std::numeric_limits<std::streamsize>::max();
  while (size > 0) {
    const auto step = static_cast<std::streamsize>(size < kMaxStep ? size : kMaxStep);
    in.ignore(step);
    if (in.gcount() != step) return false;
    size -= static_cast<std::uint64_t>(step);
  }
  return true;
}

// Bytes left in a stream that can tell its position; nothing for one that cannot.
std::optional<std::uint64_t> BytesLeft(std::istream& in) {
  const std::istream::pos_type here = in.tellg();
  if (here == std::istream::pos_type(-1)) return std::nullopt;
  in.seekg(0, std::ios::end);
  const std::istream::pos_type end = in.tellg();
  in.seekg(here);
  if (end == std::istream::pos_type(-1) || !in) {
    in.clear();
    in.seekg(here);
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(end - here);
}

Failure NotSupported() {
  return {"ReadBmp", EINVAL};
}
Failure Truncated() {
  return {"ReadBmp", EIO};
}
Failure OutOfMemory() {
  return {"ReadBmp", ENOMEM};
}

}  // namespace

Result<Image32> ReadBmp(std::istream& in) {
  std::array<std::uint8_t, kFileHeaderSize + kInfoHeaderSize> header{};
  std::uint8_t* const file = header.data();
  std::uint8_t* const info = file + kFileHeaderSize;
  // The file header and the info header's size first: an older, smaller header is refused
  // as unsupported rather than as truncated.
  if (!ReadExactly(in, file, kFileHeaderSize + 4)) return Truncated();
  if (file[0] != 'B' || file[1] != 'M') return NotSupported();
  const std::uint32_t pixels_offset = Get32(file + 10);
  const std::uint32_t info_size = Get32(info);
  if (info_size < kInfoHeaderSize) return NotSupported();
  if (!ReadExactly(in, info + 4, kInfoHeaderSize - 4)) return Truncated();

  const std::int32_t width = GetSigned32(info + 4);
  const std::int32_t signed_height = GetSigned32(info + 8);
  const std::uint32_t planes = Get16(info + 12);
  const std::uint32_t bits = Get16(info + 14);
  const std::uint32_t compression = Get32(info + 16);
  // Later headers (V4, V5) only add fields after these; the pixels start at pixels_offset.
  if (planes != 1 || (bits != 24 && bits != 32) || compression != kBiRgb) return NotSupported();
  if (width <= 0 || signed_height == 0 || signed_height == std::numeric_limits<std::int32_t>::min())
    return NotSupported();
  const std::uint64_t headers_end = std::uint64_t{kFileHeaderSize} + info_size;
  if (pixels_offset < headers_end) return NotSupported();
  if (!Skip(in, pixels_offset - (kFileHeaderSize + kInfoHeaderSize))) return Truncated();

  const bool top_down = signed_height < 0;
  const int height = top_down ? -signed_height : signed_height;
  const std::uint32_t bytes_per_pixel = bits / 8;
  const std::uint64_t stride = (std::uint64_t{bytes_per_pixel} * width + 3) & ~std::uint64_t{3};
  // Refuse a file that is too short before allocating what its header claims.
  if (const auto left = BytesLeft(in); left && *left < stride * static_cast<std::uint64_t>(height))
    return Truncated();

  const std::uint64_t count =
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  Image32 image;
  std::vector<std::uint8_t> row;
  try {
    if (count > image.pixels.max_size()) return OutOfMemory();
    image.pixels.resize(static_cast<std::size_t>(count));
    row.resize(static_cast<std::size_t>(stride));
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
  image.width = width;
  image.height = height;
  for (int r = 0; r < height; ++r) {
    if (!ReadExactly(in, row.data(), row.size())) return Truncated();
    const int y = top_down ? r : height - 1 - r;
    std::uint32_t* pixel = &image.pixels[static_cast<std::size_t>(y) * width];
    const std::uint8_t* byte = row.data();
    // The fourth byte of a 32-bit BI_RGB pixel is unused: every pixel read is opaque.
    for (int x = 0; x < width; ++x, byte += bytes_per_pixel) {
      *pixel++ = 0xFF000000u | std::uint32_t{byte[2]} << 16 | std::uint32_t{byte[1]} << 8 | byte[0];
    }
  }
  return image;
}

}  // namespace plumeroll
