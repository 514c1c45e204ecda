// Stretching a picture to an exact size, and the hidden drawing surface that the resize draws
// on: what ends up in the pixels that "resized.bmp" is saved from.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "platform/DrawingSurface.h"
#include "platform/Resample.h"

namespace plumeroll {
namespace {

constexpr std::uint32_t kSentinel = 0xDEADBEEFu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

std::uint32_t Grey(int level) {
  const auto v = static_cast<std::uint32_t>(level);
  return 0xFF000000u | v << 16 | v << 8 | v;
}
int Red(std::uint32_t pixel) {
  return static_cast<int>((pixel >> 16) & 0xFF);
}
// Each channel within one step of the other's: the rounding of the computation.
bool Near(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(static_cast<int>((a >> shift & 0xFF) - (b >> shift & 0xFF))) > 1) return false;
  return true;
}

template <class Colour>
Image32 Made(int width, int height, Colour colour) {
  Image32 image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.pixels.push_back(colour(x, y));
  return image;
}
Image32 Filled(int width, int height, std::uint32_t colour) {
  return Made(width, height, [=](int, int) { return colour; });
}
Image32 Noise(int width, int height, std::uint32_t seed) {
  return Made(width, height,
              [&](int, int) { return 0xFF000000u | (seed = seed * 1664525u + 1013904223u) >> 8; });
}
std::string Size(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

Image32 Stretched(const Image32& source, int width, int height) {
  Result<Image32> stretched = Stretch(source, width, height);
  EXPECT_TRUE(stretched);
  return stretched ? stretched.value() : Image32{};
}

// A loaded picture backed by an image, or one whose pixels cannot be had.
struct ImagePicture : Picture {
  explicit ImagePicture(Image32 pixels) : image(std::move(pixels)) {}
  Result<Image32> Pixels() const override {
    if (image.pixels.empty()) return Failure{"GetDIBits", 8};
    return image;
  }
  Image32 image;
};

TEST(Stretch, FillsEveryPixelOfTheExactSizeAndKeepsUniformColoursUniform) {
  // Edges are clamped: a uniform picture stays uniform to the very border, whatever the factors
  // (but pairs costing over a million pixel steps, to keep the run short under the sanitizers).
  const std::uint32_t colour = 0xFF3C82C8u;
  const int sources[][2] = {{1, 1}, {3, 2}, {9999, 2}, {2, 9999}};
  const int targets[][2] = {{1, 1}, {2, 3}, {1, 9999}, {9999, 1}, {3, 9999}, {37, 511}};
  for (const auto& [source_width, source_height] : sources) {
    for (const auto& [width, height] : targets) {
      if (static_cast<long>(source_height) * width > 1'000'000) continue;
      SCOPED_TRACE(Size(source_width, source_height) + " to " + Size(width, height));
      const Image32 target = Stretched(Filled(source_width, source_height, colour), width, height);
      EXPECT_EQ(std::set<std::uint32_t>(target.pixels.begin(), target.pixels.end()),
                std::set<std::uint32_t>{colour});
    }
  }
}

TEST(Stretch, ShrinkingAveragesTheAreaEachPixelCoversChannelByChannel) {
  const Image32 checkerboard = Made(64, 48, [](int x, int y) { return Grey((x + y) % 2 * 255); });
  // Three pixels 0, 90, 180 into one: their mean; into two: each covers one pixel and a half.
  const Image32 row = Made(3, 1, [](int x, int) { return Grey(90 * x); });
  const Image32 column = Made(1, 3, [](int, int y) { return Grey(90 * y); });
  const std::uint32_t bands[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  const struct {
    const char* name;
    Image32 result;
    std::vector<std::uint32_t> expected;
  } cases[] = {
      {"one-pixel checkerboard halved: uniform grey", Stretched(checkerboard, 32, 24),
       std::vector<std::uint32_t>(32 * 24, Grey(127))},
      {"row into one", Stretched(row, 1, 1), {Grey(90)}},
      {"row into two", Stretched(row, 2, 1), {Grey(30), Grey(150)}},
      {"column into two", Stretched(column, 1, 2), {Grey(30), Grey(150)}},
      {"red, green and blue bands shrunk four times",
       Stretched(Made(12, 2, [&](int x, int) { return bands[x / 4]; }), 3, 1),
       {bands[0], bands[1], bands[2]}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.result.pixels.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      ASSERT_TRUE(Near(c.result.pixels[i], c.expected[i]))
          << i << ": " << std::hex << c.result.pixels[i];
  }
}

TEST(Stretch, GrowingInterpolatesSmoothly) {
  // Black beside white, grown ten times: a symmetric ramp from black to white, never back, with
  // the in-between levels that a blocky enlargement would not have.
  const Image32 row = Made(2, 1, [](int x, int) { return Grey(255 * x); });
  const Image32 column = Made(1, 2, [](int, int y) { return Grey(255 * y); });
  for (const auto& [name, ramp] :
       {std::pair{"across", Stretched(row, 20, 1)}, std::pair{"down", Stretched(column, 1, 20)}}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint32_t>& p = ramp.pixels;
    EXPECT_EQ(p.front(), Grey(0));
    EXPECT_EQ(p.back(), Grey(255));
    std::set<int> levels;
    for (std::size_t i = 0; i < p.size(); ++i) {
      levels.insert(Red(p[i]));
      EXPECT_GE(Red(p[i]), Red(p[i > 0 ? i - 1 : 0]));
      EXPECT_NEAR(Red(p[i]) + Red(p[p.size() - 1 - i]), 255, 1);
    }
    EXPECT_GE(levels.size(), 6u);
  }
}

// Shrinking a tall picture to one row of a wide target is done in bands of columns, to bound
// the working memory; the result must be the one a single pass gives (to the rounding).
TEST(Stretch, StrongVerticalShrinkOfAWideTargetEqualsASinglePass) {
  // Columns of uneven levels, odd rows 20 brighter: each column averages its level + 10.
  const auto level = [](int x) { return x * 37 % 200; };
  const Image32 tall = Made(1000, 2000, [&](int x, int y) { return Grey(level(x) + y % 2 * 20); });
  const Image32 averaged = Made(1000, 1, [&](int x, int) { return Grey(level(x) + 10); });
  const Image32 banded = Stretched(tall, 3000, 1), single = Stretched(averaged, 3000, 1);
  for (int x = 0; x < 3000; ++x)
    ASSERT_TRUE(Near(banded.pixels[x], single.pixels[x])) << "column " << x;
}

// The resize handler's sequence, repeated: each time a white image of exactly the size set,
// whatever the surface held before, then the whole picture stretched over it.
TEST(DrawingSurface, EachResizeStartsWhiteAtItsOwnSizeAndHoldsTheWholePicture) {
  const ImagePicture picture(Noise(40, 30, 9));
  DrawingSurface surface;
  const int sizes[][2] = {{1024, 150}, {9999, 1}, {1, 9999}, {1, 1}, {8, 6}, {8, 6}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(Size(width, height));
    surface.SetWidth(width);
    surface.SetHeight(height);
    surface.SetPicture(nullptr);
    ASSERT_TRUE(surface.PaintPicture(picture, 0, 0, width, height));
    EXPECT_EQ(surface.Image().width, width);
    EXPECT_EQ(surface.Image().height, height);
    EXPECT_EQ(surface.Image().pixels, Stretched(picture.image, width, height).pixels);
  }
}

TEST(DrawingSurface, ReportsFailuresInsteadOfCrashing) {
  const ImagePicture picture(Noise(4, 4, 2));
  DrawingSurface surface;
  surface.SetWidth(50000);
  surface.SetHeight(50000);
  Result<void> painted = surface.PaintPicture(picture, 0, 0, 50000, 50000);
  ASSERT_FALSE(painted) << "larger than memory allows";
  EXPECT_EQ(painted.failure().status, static_cast<std::uint32_t>(ENOMEM));

  surface.SetWidth(4);
  surface.SetHeight(4);
  painted = surface.PaintPicture(ImagePicture(Image32{}), 0, 0, 4, 4);
  ASSERT_FALSE(painted) << "picture that cannot be read";
  EXPECT_EQ(painted.failure().call, "GetDIBits");

  ASSERT_TRUE(surface.PaintPicture(picture, 0, 0, 4, 4)) << "a later resize works";
  EXPECT_EQ(surface.Image().pixels, picture.image.pixels);  // same size: an exact copy
}

}  // namespace
}  // namespace plumeroll
