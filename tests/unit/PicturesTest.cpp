// What ends up in resized.bmp: the sizes typed (the numeric rule), the picture stretched to
// them, and the bytes of the 24-bit bitmap file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

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

std::uint32_t Grey(int level) {
  return 0x010101u * static_cast<std::uint32_t>(level);
}
constexpr std::uint32_t kWhite = 0xFFFFFF;
// A picture of 0xRRGGBB colours, top row first, given as 32-bit rows in bands of at most `most`
// rows; it fails after giving `fail_after` rows, and counts those it gave.
struct Source final : Picture {
  Source(int w, int h, std::vector<std::uint32_t> colours)
      : width(w), height(h), rgb(std::move(colours)) {}
  int Width() const override { return width; }
  int Height() const override { return height; }
  Result<void> ForEachBand(int rows, const BandUse& use) const override {
    for (given = 0; given < height;) {
      if (given >= fail_after) return Failure{"ReadFile", 5};
      const int band = std::min({rows, most, height - given});
      std::vector<std::uint32_t> bytes;
      for (int y = height - 1 - given; y > height - 1 - given - band; --y)
        bytes.insert(bytes.end(), rgb.begin() + y * width, rgb.begin() + (y + 1) * width);
      given += band;
      const Result<void> used =
          use(Band{band, reinterpret_cast<const std::uint8_t*>(bytes.data()), 4 * width, 4});
      if (!used) return used;
    }
    return {};
  }
  int width, height;
  std::vector<std::uint32_t> rgb;
  int most = 1 << 30, fail_after = 1 << 30;
  mutable int given = 0;
};
// A picture's colours, top row first, taken from its bands of rows_per_band rows.
std::vector<std::uint32_t> Colours(const Picture& picture, int rows_per_band = 5) {
  std::vector<std::uint32_t> colours;
  EXPECT_TRUE(picture.ForEachBand(rows_per_band, [&](const Band& band) {
    for (int r = 0; r < band.rows; ++r) {
      for (int x = picture.Width() - 1; x >= 0; --x) {  // the colours are reversed at the end
        const std::uint8_t* pixel = band.bytes + r * band.stride + x * 3;
        colours.push_back(pixel[0] | pixel[1] << 8 | pixel[2] << 16);
      }
    }
    return Result<void>{};
  }));
  return {colours.rbegin(), colours.rend()};
}

TEST(StretchedTest, ShrinkingAveragesTheAreaCoveredGrowingInterpolatesSameSizeCopies) {
  const std::vector<std::uint32_t> four = {0x010203, 0x040506, 0x070809, 0x0A0B0C};
  const struct {
    Source source;
    int width, height;
    std::vector<std::uint32_t> expected;
  } cases[] = {
      // 0, 90, 180 into two, across and down; a checkerboard halved; the same size.
      {{3, 1, {0, Grey(90), Grey(180)}}, 2, 1, {Grey(30), Grey(150)}},
      {{1, 3, {0, Grey(90), Grey(180)}}, 1, 2, {Grey(30), Grey(150)}},
      {{4, 2, {0, kWhite, 0, kWhite, kWhite, 0, kWhite, 0}}, 2, 1, {Grey(128), Grey(128)}},
      {{2, 2, four}, 2, 2, four},
      // Black over white grown: Catmull-Rom puts 43/512 and 177/512 on white 3/8 and 1/8 of a
      // pixel off black's centre, and its overshoot is clamped.
      {{1, 2, {0, kWhite}}, 1, 8, {0, 0, Grey(21), Grey(88), Grey(167), Grey(234), kWhite, kWhite}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.source.width << "x" << c.source.height << " to "
                                      << c.width << "x" << c.height);
    EXPECT_EQ(Colours(Stretched(c.source, c.width, c.height)), c.expected);
  }
  // A uniform picture stays uniform, to the very border, whatever the factors.
  for (const auto& [width, height] : {std::pair{1, 1}, {9999, 1}, {1, 9999}, {37, 511}}) {
    const Source uniform(3, 2, std::vector(6, 0x3C82C8u));
    const std::vector<std::uint32_t> colours = Colours(Stretched(uniform, width, height), 64);
    EXPECT_EQ(std::set(colours.begin(), colours.end()), std::set{0x3C82C8u});
  }
  // Black beside white grown wide, its halves made side by side: a ramp, never back.
  const std::vector<std::uint32_t> ramp = Colours(
      Stretched(Source(8, 1, {0, 0, 0, 0, kWhite, kWhite, kWhite, kWhite}), 999, 1));
  EXPECT_EQ(std::tuple(ramp.front(), ramp.back()), std::tuple(0u, kWhite));
  EXPECT_TRUE(std::is_sorted(ramp.begin(), ramp.end()));
  EXPECT_GT(std::set(ramp.begin(), ramp.end()).size(), 100u) << "with levels in between";
}

TEST(StretchedTest, TheSameRowsWhateverTheBandsHandedOnAsMadeUntilAFailure) {
  Source source(37, 211, {});
  for (std::uint32_t i = 0; i < 37 * 211; ++i) source.rgb.push_back(i * 2654435761u >> 8);
  for (const auto& [width, height] : {std::pair{23, 97}, {61, 300}, {90, 50}}) {
    const std::vector<std::uint32_t> expected = Colours(Stretched(source, width, height), 1000);
    for (const auto& [most, rows] : {std::pair{1, 1}, {6, 7}, {1000, 3}}) {
      SCOPED_TRACE(::testing::Message() << width << "x" << height << ", bands of " << most);
      source.most = most;
      EXPECT_EQ(Colours(Stretched(source, width, height), rows), expected);
    }
  }
  // 8 rows of 150 made from 211 take 11.25 rows: the second band of 10.
  source.most = 10;
  int given_before = 0;
  const Result<void> refused = Stretched(source, 3, 150).ForEachBand(8, [&](const Band&) {
    given_before = source.given;
    return Result<void>(Failure{"WriteFile", 112});
  });
  EXPECT_EQ(
      std::tuple(refused.failure().call, refused.failure().status, given_before, source.given),
      std::tuple("WriteFile", 112u, 20, 20))
      << "the first rows went on before the source's last came; then nothing more was read";
  source.fail_after = 100;
  const auto ok = [](const Band&) { return Result<void>{}; };
  const Result<void> unread = Stretched(source, 3, 150).ForEachBand(8, ok);
  EXPECT_EQ(std::tuple(unread.failure().call, unread.failure().status), std::tuple("ReadFile", 5u));
  for (const auto& [width, height, source_width] : {std::tuple{0, 5, 3}, {5, 0, 3}, {5, 5, 0}}) {
    const Source empty(source_width, 1, std::vector<std::uint32_t>(source_width));
    EXPECT_EQ(Stretched(empty, width, height).ForEachBand(8, ok).failure().call, "Stretched");
  }
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
  // the bottom row first, each pixel blue, green, red, each row padded to 4 bytes: the same
  // from a picture's 32-bit pixels as from the padded rows of its copy.
  const Source source(2, 2, {0x010203, 0x040506, 0x070809, 0x0A0B0C});
  const Stretched copy(source, 2, 2);
  for (const Picture* picture : std::array<const Picture*, 2>{&source, &copy}) {
    StringSink sink;
    ASSERT_TRUE(WriteBmp24(*picture, sink));
    EXPECT_EQ(sink.bytes, Bytes({'B', 'M', 70, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0,
                                 0,   0,   2,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 16, 0, 0, 0}) +
                              std::string(16, '\0') +
                              Bytes({9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0}));
  }
  StringSink refused;
  EXPECT_EQ(WriteBmp24(Source(0, 4, {}), refused).failure().call, "WriteBmp24");
  refused.room = 60;
  EXPECT_EQ(WriteBmp24(source, refused).failure().call, "WriteFile");
}

}  // namespace
}  // namespace plumeroll
