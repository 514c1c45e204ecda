#include "bench/BmpReader.h"

#include <bit>
#include <cerrno>
#include <cstddef>
#include <fstream>
#include <limits>
#include <new>
#include <vector>

#include "platform/Bmp.h"

namespace plumeroll {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;  // BITMAPFILEHEADER
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::uint32_t kBiRgb = 0;            // uncompressed
constexpr std::uint32_t kBiBitfields = 3;      // uncompressed, with colour masks

std::uint32_t Get16(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8;
}

std::uint32_t Get32(const std::uint8_t* at) {
  return Get16(at) | Get16(at + 2) << 16;
}

// Where an 8-bit mask starts, in bits; -1 for any other mask.
int MaskShift(std::uint32_t mask) {
  const int shift = std::countr_zero(mask);
  return mask != 0 && mask >> shift == 0xFF ? shift : -1;
}

Failure NotSupported(const std::string& path) {
  return {"ReadBmp " + path, EINVAL};
}

}  // namespace

Result<BmpFile> BmpFile::Open(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::uint8_t header[kFileHeaderSize + kInfoHeaderSize + 12] = {};  // and three masks
  in.read(reinterpret_cast<char*>(header), sizeof header);           // the masks may not be there
  if (in.gcount() < kFileHeaderSize + kInfoHeaderSize) return Failure{"read " + path, EIO};
  in.clear();
  in.seekg(0, std::ios::end);
  const auto file_size = static_cast<std::uint64_t>(in.tellg());
  const std::uint8_t* const info = header + kFileHeaderSize;
  const auto width = static_cast<std::int32_t>(Get32(info + 4));
  const auto height = static_cast<std::int32_t>(Get32(info + 8));
  const std::uint32_t bits = Get32(info + 14) & 0xFFFF;
  const std::uint32_t compression = Get32(info + 16);
  BmpFile file;
  file.path_ = path;
  file.offset_ = Get32(header + 10);
  if (header[0] != 'B' || header[1] != 'M' || Get32(info) < kInfoHeaderSize || width <= 0 ||
      height == 0 || height == std::numeric_limits<std::int32_t>::min() || Get16(info + 12) != 1 ||
      (bits != 24 && bits != 32) || file.offset_ < kFileHeaderSize + Get32(info)) {
    return NotSupported(path);
  }
  if (compression == kBiBitfields && bits == 32) {
    for (int channel = 0; channel < 3; ++channel) {
      file.shifts_[channel] =
          MaskShift(Get32(header + kFileHeaderSize + kInfoHeaderSize + 8 - 4 * channel));
      if (file.shifts_[channel] < 0) return NotSupported(path);
    }
  } else if (compression != kBiRgb) {
    return NotSupported(path);
  }
  file.width_ = width;
  file.top_down_ = height < 0;
  file.height_ = file.top_down_ ? -height : height;
  file.bytes_per_pixel_ = static_cast<int>(bits / 8);
  file.stride_ = BmpRowStride(width, file.bytes_per_pixel_);
  if (file_size < file.offset_ + file.stride_ * static_cast<std::uint64_t>(file.height_)) {
    return Failure{"ReadBmp " + path, EIO};  // cut short
  }
  return file;
}

Result<void> BmpFile::ForEachBand(int rows_per_band, const BandUse& use) const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return Failure{"open " + path_, EIO};
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(stride_) * rows_per_band);
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
  const bool reordered = shifts_ != std::array<int, 3>{0, 8, 16};
  const auto stride = static_cast<std::ptrdiff_t>(stride_);
  for (int done = 0; done < height_; done += rows_per_band) {
    const int rows = std::min(rows_per_band, height_ - done);
    // In a top-down file, the band's rows are the other way round.
    const int first_in_file = top_down_ ? height_ - done - rows : done;
    in.seekg(static_cast<std::streamoff>(offset_ + stride_ * first_in_file));
    in.read(reinterpret_cast<char*>(bytes.data()), stride * rows);
    if (in.gcount() != stride * rows) return Failure{"read " + path_, EIO};
    for (std::uint8_t* pixel = bytes.data(); reordered && pixel < bytes.data() + stride * rows;
         pixel += 4) {
      const std::uint32_t value = Get32(pixel);
      for (int channel = 0; channel < 3; ++channel) {
        pixel[channel] = static_cast<std::uint8_t>(value >> shifts_[channel]);
      }
    }
    const std::uint8_t* lowest = bytes.data() + (top_down_ ? stride * (rows - 1) : 0);
    if (Result<void> used = use(Band{rows, lowest, top_down_ ? -stride : stride, bytes_per_pixel_});
        !used) {
      return used;
    }
  }
  return {};
}

Result<Image32> Whole(const Picture& picture) {
  const int width = picture.Width();
  Image32 image{width, picture.Height(), {}};
  image.pixels.resize(static_cast<std::size_t>(width) * image.height);
  int row = image.height;  // the lowest row read, counted from the top
  Result<void> read = picture.ForEachBand(64, [&](const Band& band) {
    for (int r = 0; r < band.rows; ++r) {
      const std::uint8_t* byte = band.bytes + r * band.stride;
      std::uint32_t* pixel = &image.pixels[static_cast<std::size_t>(--row) * width];
      for (int x = 0; x < width; ++x, byte += band.bytes_per_pixel) {
        pixel[x] =
            0xFF000000u | std::uint32_t{byte[2]} << 16 | std::uint32_t{byte[1]} << 8 | byte[0];
      }
    }
    return Result<void>{};
  });
  if (!read) return read.failure();
  return image;
}

Result<Image32> ReadBmp(const std::string& path) {
  Result<BmpFile> file = BmpFile::Open(path);
  if (!file) return file.failure();
  return Whole(file.value());
}

}  // namespace plumeroll
