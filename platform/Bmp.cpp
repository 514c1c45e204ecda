// The 24-bit bitmap writer that saves the drawing surface.
//
// The header is written field by field, little-endian, so the file is the same whatever the
// byte order of the machine. The resolution fields are 0 ("not given"): the picture has no
// physical size, and readers then use their own default (usually 96 or 72 dpi).
#include "platform/Bmp.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <new>
#include <vector>

namespace plumeroll {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;  // BITMAPFILEHEADER
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::uint32_t kBiRgb = 0;            // uncompressed
constexpr std::uint64_t kBandBytes = 2 << 20;  // asked of the picture at a time

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}

}  // namespace

Result<void> WriteBmp24(const Picture& image, ByteSink& out) {
  const int width = image.Width();
  const int height = image.Height();
  const std::uint64_t stride = BmpRowStride(width, 3);
  const std::uint64_t pixels_size = stride * static_cast<std::uint64_t>(height);
  const std::uint64_t file_size = kFileHeaderSize + kInfoHeaderSize + pixels_size;
  // The file size is a 32-bit field.
  if (width <= 0 || height <= 0 || file_size > std::numeric_limits<std::uint32_t>::max()) {
    return Failure{"WriteBmp24", EINVAL};
  }
  std::vector<std::uint8_t> row;  // for rows that are not 24-bit rows padded; its padding stays 0
  try {
    row.resize(static_cast<std::size_t>(stride));
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
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

  int rows_written = 0;
  const auto rows_per_band =
      static_cast<int>(std::clamp<std::uint64_t>(kBandBytes / stride, 1, height));
  Result<void> written = image.ForEachBand(rows_per_band, [&](const Band& band) -> Result<void> {
    if (band.rows > height - rows_written) return Failure{"WriteBmp24", EIO};
    rows_written += band.rows;
    if (band.bytes_per_pixel == 3 && band.stride == static_cast<std::ptrdiff_t>(stride)) {
      return out.Write(band.bytes, static_cast<std::size_t>(stride) * band.rows);
    }
    for (int r = 0; r < band.rows; ++r) {
      const std::uint8_t* pixel = band.bytes + r * band.stride;
      for (std::uint8_t* byte = row.data(); byte < row.data() + 3 * width; byte += 3) {
        std::copy(pixel, pixel + 3, byte);  // blue, green, red
        pixel += band.bytes_per_pixel;
      }
      if (Result<void> put = out.Write(row.data(), row.size()); !put) return put;
    }
    return {};
  });
  if (!written) return written;
  if (rows_written != height) return Failure{"WriteBmp24", EIO};
  return {};
}

}  // namespace plumeroll
