// What ends up in resized.bmp: the picture stretched a band of rows at a time, and what the
// bitmap file's writer refuses.
#include <gtest/gtest.h>

#include <set>

#include "platform/Bmp.h"
#include "platform/Resample.h"
#include "tests/unit/Fakes.h"

namespace plumeroll::testing {
namespace {

constexpr std::uint32_t kGrey = 0x010101, kWhite = 0xFFFFFF;

// The picture stretched to width x height, as it gives its rows in bands of `rows`.
std::optional<Colours> Stretch(const FakePicture& source, int width, int height, int rows = 7) {
  return ColoursOf(Stretched(source, width, height), rows);
}

TEST(StretchedTest, ShrinkingAveragesGrowingInterpolatesEdgesKeepTheirColourInAnyBands) {
  // 0, 90, 180 into two, across and down. (The same size, unchanged: the journey's resize.)
  const Colours ramp = {0, 90 * kGrey, 180 * kGrey}, halves = {30 * kGrey, 150 * kGrey};
  EXPECT_EQ(Stretch({3, 1, ramp}, 2, 1), halves);
  EXPECT_EQ(Stretch({1, 3, ramp}, 1, 2), halves);
  // Black over white grown: Catmull-Rom puts 43/512 and 177/512 on white 3/8 and 1/8 of a
  // pixel off black's centre, and its overshoot is clamped.
  EXPECT_EQ(Stretch({1, 2, {0, kWhite}}, 1, 8),
            (Colours{0, 0, 21 * kGrey, 88 * kGrey, 167 * kGrey, 234 * kGrey, kWhite, kWhite}));
  // A uniform picture stays uniform, to the very border, whatever the factors and the bands.
  for (const auto& [width, height] : {std::pair{1, 1}, {9999, 1}, {1, 9999}, {37, 511}}) {
    const Colours colours = *Stretch({3, 3, Colours(9, 0x3C82C8)}, width, height, 64);
    EXPECT_EQ(std::set(colours.begin(), colours.end()), std::set{0x3C82C8u});
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

// A picture of 32-bit pixels, whose rows the writer makes into the file's own. (A stretched
// picture's rows are the file's already: the journey compares those in resized.bmp.)
TEST(WriteBmp24Test, WritesABottomUpFileOfPaddedRowsOrStopsAtAWriteRefused) {
  // "BM", the file's size, the pixels at 54; a BITMAPINFOHEADER: 40 bytes, 2 by 2 (bottom-up),
  // one plane, 24 bits, uncompressed, 16 bytes of pixels, no resolution, no colour table. Then
  // the bottom row first, each pixel blue, green, red, each row padded to 4 bytes.
  const FakePicture source(2, 2, {0x010203, 0x040506, 0x070809, 0x0A0B0C});
  const int header[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0,  0, 0, 2,
                        0,   0,   0,  2, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  16, 0, 0, 0},
            pixels[] = {9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0};
  StringSink sink;
  ASSERT_TRUE(WriteBmp24(source, sink));
  EXPECT_EQ(sink.bytes, std::string(std::begin(header), std::end(header)) + std::string(16, '\0') +
                            std::string(std::begin(pixels), std::end(pixels)));
  StringSink full;
  full.room = 60;
  EXPECT_EQ(WriteBmp24(source, full).failure().call, "WriteFile");
}

}  // namespace
}  // namespace plumeroll::testing
