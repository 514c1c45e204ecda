// The 24-bit bitmap writer: the bytes of the file that "resized.bmp" becomes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/Bmp.h"

namespace plumeroll {
namespace {

// Little-endian header fields.
std::uint32_t Get(const std::string& file, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(file[at + i]);
  return value;
}

Image32 Pattern(int width, int height, std::uint32_t seed) {
  Image32 image{width, height, {}};
  for (int i = 0; i < width * height; ++i)
    image.pixels.push_back(0xFF000000u | (seed = seed * 1664525u + 1013904223u) >> 8);
  return image;
}

// The bytes written, in memory; it refuses them once `room` bytes are taken.
struct StringSink : ByteSink {
  Result<void> Write(const void* data, std::size_t size) override {
    if (bytes.size() + size > room) return Failure{"WriteFile", 112};
    bytes.append(static_cast<const char*>(data), size);
    return {};
  }
  std::string bytes;
  std::size_t room = std::string::npos;
};

std::string Written(const Image32& image) {
  StringSink out;
  EXPECT_TRUE(WriteBmp24(image, out));
  return out.bytes;
}

TEST(WriteBmp24, WritesABottomUp24BitFileWithPaddedRows) {
  const struct {
    int width, height;
    std::uint32_t stride;  // 3 bytes a pixel, rounded up to 4
  } cases[] = {{1, 3, 4}, {2, 2, 8}, {3, 1, 12}, {4, 2, 12}, {5, 3, 16}, {33, 17, 100}};
  for (const auto& [width, height, stride] : cases) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const Image32 image = Pattern(width, height, static_cast<std::uint32_t>(width));
    const std::string file = Written(image);
    const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
    const std::uint32_t pixels = stride * h, file_size = 54 + pixels;
    ASSERT_EQ(file.size(), file_size);
    // "BM", file size, reserved, pixels offset; BITMAPINFOHEADER: its size, width, height
    // (positive: bottom-up), planes, bits, BI_RGB, pixels size, no resolution, no colour table.
    const std::uint32_t fields[][3] = {
        {0, 2, 0x4D42},  {2, 4, file_size}, {6, 4, 0},  {10, 4, 54}, {14, 4, 40},
        {18, 4, w},      {22, 4, h},        {26, 2, 1}, {28, 2, 24}, {30, 4, 0},
        {34, 4, pixels}, {38, 4, 0},        {42, 4, 0}, {46, 4, 0},  {50, 4, 0}};
    for (const auto& [at, bytes, value] : fields)
      EXPECT_EQ(Get(file, at, static_cast<int>(bytes)), value) << "at " << at;

    for (int row = 0; row < height; ++row) {
      const std::size_t start = 54 + row * stride;
      const int y = height - 1 - row;  // the bottom row comes first
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(Get(file, start + 3 * x, 3), image.pixels[y * width + x] & 0xFFFFFF) << x << ", " << y;
      for (std::size_t pad = start + 3 * width; pad < start + stride; ++pad)
        ASSERT_EQ(file[pad], '\0') << "padding of row " << row;
    }
  }
}

TEST(WriteBmp24, RefusesWhatCannotBeABitmapOrCannotBeWritten) {
  Image32 inconsistent = Pattern(3, 3, 1);
  inconsistent.pixels.pop_back();
  for (const Image32& image : {Image32{}, Image32{0, 4, {}}, Image32{4, 0, {}}, inconsistent}) {
    StringSink out;
    Result<void> written = WriteBmp24(image, out);
    ASSERT_FALSE(written) << image.width << " x " << image.height;
    EXPECT_EQ(written.failure().call, "WriteBmp24");
    EXPECT_TRUE(out.bytes.empty());
  }
  StringSink full;
  full.room = 60;
  Result<void> written = WriteBmp24(Pattern(2, 2, 1), full);
  ASSERT_FALSE(written);
  EXPECT_EQ(written.failure().call, "WriteFile") << "the sink's own failure";
}

}  // namespace
}  // namespace plumeroll
