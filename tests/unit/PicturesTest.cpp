// What ends up in resized.bmp: the sizes typed (the numeric rule), the picture stretched to
// them, and the bytes of the 24-bit bitmap file.
#include <gtest/gtest.h>

#include <set>

#include "platform/Bmp.h"
#include "platform/Numeric.h"
#include "platform/Resample.h"

namespace plumeroll {
namespace {

TEST(NumericTest, DigitsSignsSeparatorsExponentsAndBlanksMakeNumbersLettersDoNot) {
  const std::pair<const char*, float> numbers[] = {{"1024", 1024}, {" 150 ", 150}, {"-3", -3},
                                                   {"1,5", 1.5f},  {".5", 0.5f},   {"2e3", 2000},
                                                   {"1E+2", 100},  {"5e-1", 0.5f}};
  for (const auto& [text, value] : numbers) {
    EXPECT_TRUE(IsNumeric(text)) << text;
    EXPECT_FLOAT_EQ(CSng(text), value) << text;
  }
  for (const char* text : {"", "  ", "abc", "12a", "1.2.3", "e5", "1e", "+", "0x10", "1 0", "１２"})
    EXPECT_FALSE(IsNumeric(text)) << text;
}

Image32 Made(int width, int height, std::uint32_t (*colour)(int x, int y)) {
  Image32 image{width, height, {}};
  for (int i = 0; i < width * height; ++i) image.pixels.push_back(colour(i % width, i / width));
  return image;
}
std::uint32_t Grey(int level) {
  return 0xFF000000u | 0x010101u * static_cast<std::uint32_t>(level);
}
std::vector<int> Levels(const Image32& source, int width, int height) {
  const Image32 stretched = Stretch(source, width, height).value();
  std::vector<int> levels;
  for (const std::uint32_t pixel : stretched.pixels) levels.push_back(pixel & 0xFF);
  return levels;
}

TEST(StretchTest, ShrinkingAveragesGrowingInterpolatesAndBordersKeepTheirColour) {
  // A uniform picture stays uniform, to the very border, whatever the factors.
  for (const auto& [width, height] : {std::pair{1, 1}, {9999, 1}, {1, 9999}, {37, 511}}) {
    const Image32 result =
        Stretch(Made(3, 2, [](int, int) { return 0xFF3C82C8u; }), width, height).value();
    EXPECT_EQ(std::set(result.pixels.begin(), result.pixels.end()), std::set{0xFF3C82C8u});
  }
  // Shrinking averages what each pixel covers: 0, 90, 180 into two pixels give 30 and 150.
  EXPECT_EQ(Levels(Made(3, 1, [](int x, int) { return Grey(90 * x); }), 2, 1),
            (std::vector{30, 150}));
  // Black over white grown ten times: a ramp from black to white, never back.
  const std::vector<int> ramp = Levels(Made(1, 2, [](int, int y) { return Grey(255 * y); }), 1, 20);
  EXPECT_EQ(std::pair(ramp.front(), ramp.back()), std::pair(0, 255));
  EXPECT_TRUE(std::is_sorted(ramp.begin(), ramp.end()));
  EXPECT_GT(std::set(ramp.begin(), ramp.end()).size(), 6u) << "with levels in between";
  // A wide target shrunk a lot is made in bands of columns: the same as one pass gives.
  EXPECT_EQ(Levels(Made(1000, 2000, [](int x, int y) { return Grey(x * 37 % 200 + y % 2 * 20); }),
                   3000, 1),
            Levels(Made(1000, 1, [](int x, int) { return Grey(x * 37 % 200 + 10); }), 3000, 1));
}

// The bytes written, in memory; refused once `room` bytes are taken.
struct StringSink : ByteSink {
  Result<void> Write(const void* data, std::size_t size) override {
    if (bytes.size() + size > room) return Failure{"WriteFile", 112};
    bytes.append(static_cast<const char*>(data), size);
    return {};
  }
  std::string bytes;
  std::size_t room = std::string::npos;
};

std::string Bytes(std::initializer_list<int> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(WriteBmp24Test, WritesABottomUpFileOfPaddedRowsOrRefusesSayingWhy) {
  // "BM", the file's size, the pixels at 54; a BITMAPINFOHEADER: 40 bytes, 2 by 2 (bottom-up),
  // one plane, 24 bits, uncompressed, 16 bytes of pixels, no resolution, no colour table. Then
  // the bottom row first, each pixel blue, green, red, each row padded to 4 bytes.
  StringSink sink;
  ASSERT_TRUE(
      WriteBmp24(Image32{2, 2, {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu}}, sink));
  EXPECT_EQ(sink.bytes, Bytes({'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0,  0, 0, 2,
                               0,   0,   0,  2, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  16, 0, 0, 0}) +
                            std::string(16, '\0') +
                            Bytes({9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0}));
  StringSink refused;
  EXPECT_EQ(WriteBmp24(Image32{0, 4, {}}, refused).failure().call, "WriteBmp24");
  refused.room = 60;
  EXPECT_EQ(WriteBmp24(Image32{2, 2, {0, 0, 0, 0}}, refused).failure().call, "WriteFile");
}

}  // namespace
}  // namespace plumeroll
