// The 24-bit bitmap writer that saves the drawing surface.
//
// The header is written field by field, little-endian, so the file is the same whatever the
// byte order of the machine. The resolution fields are 0 ("not given"): the picture has no
// physical size, and readers then use their own default (usually 96 or 72 dpi).
#include "platform/Bmp.h"

#include <array>
#include <cerrno>
#include <limits>
#include <vector>

namespace plumeroll {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;  // BITMAPFILEHEADER
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::uint32_t kBiRgb = 0;            // uncompressed

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}

}  // namespace

Result<void> WriteBmp24(const Image32& image, ByteSink& out) {
  const int width = image.width;
  const int height = image.height;
  const std::uint64_t stride = BmpRowStride(width, 3);
  const std::uint64_t pixels_size = stride * static_cast<std::uint64_t>(height);
  const std::uint64_t file_size = kFileHeaderSize + kInfoHeaderSize + pixels_size;
  // The file size is a 32-bit field.
  if (width <= 0 || height <= 0 || file_size > std::numeric_limits<std::uint32_t>::max() ||
      image.pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return Failure{"WriteBmp24", EINVAL};
  }

  std::array<std::uint8_t, kFileHeaderSize + kInfoHeaderSize> header{};
  std::uint8_t* const file = header.data();
  file[0] = 'B';
  file[1] = 'M';
  Put32(file + 2, static_cast<std::uint32_t>(file_size));
  Put32(file + 10, kFileHeaderSize + kInfoHeaderSize);  // bfOffBits
  std::uint8_t* const info = file + kFileHeaderSize;
  Put32(info + 0, kInfoHeaderSize);
  Put32(info + 4, static_cast<std::uint32_t>(width));
  Put32(info + 8, static_cast<std::uint32_t>(height));  // positive: bottom-up
  Put16(info + 12, 1);                                  // planes
  Put16(info + 14, 24);                                 // bits per pixel
  Put32(info + 16, kBiRgb);
  Put32(info + 20, static_cast<std::uint32_t>(pixels_size));
  // biXPelsPerMeter, biYPelsPerMeter, biClrUsed, biClrImportant stay 0.
  if (Result<void> written = out.Write(header.data(), header.size()); !written) return written;

  // One row at a time, bottom row first; the padding bytes stay 0.
  std::vector<std::uint8_t> row(static_cast<std::size_t>(stride), 0);
  for (int y = height - 1; y >= 0; --y) {
    const std::uint32_t* pixel = &image.pixels[static_cast<std::size_t>(y) * width];
    std::uint8_t* byte = row.data();
    for (int x = 0; x < width; ++x, ++pixel) {
      *byte++ = static_cast<std::uint8_t>(*pixel);        // blue
      *byte++ = static_cast<std::uint8_t>(*pixel >> 8);   // green
      *byte++ = static_cast<std::uint8_t>(*pixel >> 16);  // red
    }
    if (Result<void> written = out.Write(row.data(), row.size()); !written) return written;
  }
  return {};
}

}  // namespace plumeroll
