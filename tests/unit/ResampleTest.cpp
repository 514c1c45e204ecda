// Stretching a picture to an exact size, and the hidden drawing surface that the resize draws
// on: what ends up in the pixels that "resized.bmp" is saved from.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
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
int Blue(std::uint32_t pixel) {
  return static_cast<int>(pixel & 0xFF);
}
int Red(std::uint32_t pixel) {
  return static_cast<int>((pixel >> 16) & 0xFF);
}
int Alpha(std::uint32_t pixel) {
  return static_cast<int>(pixel >> 24);
}

Image32 Filled(int width, int height, std::uint32_t colour) {
  return Image32{width, height,
                 std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

template <class Colour>
Image32 Made(int width, int height, Colour colour) {
  Image32 image = Filled(width, height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.At(x, y) = colour(x, y);
  return image;
}

Image32 Noise(int width, int height, std::uint32_t seed) {
  return Made(width, height, [&](int, int) {
    seed = seed * 1664525u + 1013904223u;
    return 0xFF000000u | seed >> 8;
  });
}

std::string Size(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// Stretches source to a fresh width x height target filled with the sentinel.
Image32 Stretched(const Image32& source, int width, int height) {
  Image32 target = Filled(width, height, kSentinel);
  EXPECT_TRUE(StretchInto(source, target, 0, 0, width, height));
  return target;
}

// A loaded picture backed by an image, or one whose pixels cannot be had.
class ImagePicture : public Picture {
 public:
  explicit ImagePicture(Image32 image) : image_(std::move(image)) {}
  int Width() const override { return image_.Width; }
  int Height() const override { return image_.Height; }
  Result<Image32> Pixels() const override {
    if (image_.Pixels.empty()) return Failure{"GetDIBits", 8};
    return image_;
  }

 private:
  Image32 image_;
};

TEST(StretchInto, FillsEveryPixelOfTheExactSizeAndKeepsUniformColoursUniform) {
  // Clamped edges: a uniform picture stays uniform to the very border, whatever the factors.
  // (Pairs that cost over a million pixel steps, source height times target width, are left
  // out to keep the run short under the sanitizers.)
  const std::uint32_t colour = 0xFF3C82C8u;
  const int sources[][2] = {{1, 1}, {3, 2}, {40, 30}, {9999, 2}, {2, 9999}};
  const int targets[][2] = {{1, 1},    {2, 3},    {1, 9999},   {9999, 1}, {9999, 3},
                            {3, 9999}, {37, 511}, {1024, 150}, {640, 1},  {40, 30}};
  for (const auto& [source_width, source_height] : sources) {
    const Image32 source = Filled(source_width, source_height, colour);
    for (const auto& [width, height] : targets) {
      if (static_cast<long>(source_height) * width > 1'000'000) continue;
      SCOPED_TRACE(Size(source_width, source_height) + " to " + Size(width, height));
      const Image32 target = Stretched(source, width, height);
      std::set<std::uint32_t> found(target.Pixels.begin(), target.Pixels.end());
      EXPECT_EQ(found, std::set<std::uint32_t>{colour});
    }
  }
}

TEST(StretchInto, ShrinkingAveragesTheAreaEachPixelCovers) {
  SCOPED_TRACE("one-pixel checkerboard halved");
  const Image32 checkerboard = Made(64, 48, [](int x, int y) { return Grey((x + y) % 2 * 255); });
  for (const auto& [width, height] : {std::pair{32, 24}, std::pair{16, 12}, std::pair{1, 1}}) {
    SCOPED_TRACE("to " + Size(width, height));
    for (std::uint32_t pixel : Stretched(checkerboard, width, height).Pixels) {
      ASSERT_TRUE(pixel == Grey(127) || pixel == Grey(128)) << std::hex << pixel;
    }
  }

  // Three pixels 0, 90, 180 into one: their mean; into two: each covers one pixel and a half.
  const Image32 row = Made(3, 1, [](int x, int) { return Grey(90 * x); });
  const Image32 column = Made(1, 3, [](int, int y) { return Grey(90 * y); });
  const struct {
    const char* name;
    Image32 result;
    std::vector<int> levels;
  } cases[] = {
      {"row into one", Stretched(row, 1, 1), {90}},
      {"row into two", Stretched(row, 2, 1), {30, 150}},
      {"column into two", Stretched(column, 1, 2), {30, 150}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.result.Pixels.size(), c.levels.size());
    for (std::size_t i = 0; i < c.levels.size(); ++i) {
      EXPECT_NEAR(Red(c.result.Pixels[i]), c.levels[i], 1);
      EXPECT_EQ(Red(c.result.Pixels[i]), Blue(c.result.Pixels[i]));
    }
  }
}

TEST(StretchInto, KeepsTheChannelsApartAndOpaque) {
  // Red, green and blue bands of four pixels each, shrunk four times and grown.
  const std::uint32_t bands[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  const Image32 source = Made(12, 2, [&](int x, int) { return bands[x / 4]; });
  const Image32 shrunk = Stretched(source, 3, 1);
  EXPECT_EQ(shrunk.Pixels, std::vector<std::uint32_t>(std::begin(bands), std::end(bands)));

  const Image32 grown = Stretched(Noise(5, 4, 3), 23, 17);
  for (std::uint32_t pixel : grown.Pixels) ASSERT_EQ(Alpha(pixel), 255);
}

TEST(StretchInto, GrowingInterpolatesSmoothly) {
  SCOPED_TRACE("one pixel enlarged");
  const Image32 one = Filled(1, 1, 0xFF102030u);
  EXPECT_EQ(Stretched(one, 7, 5).Pixels, Filled(7, 5, 0xFF102030u).Pixels);

  // Black beside white, grown ten times: a ramp from black to white, never back, with the
  // in-between greys that a blocky enlargement would not have, and symmetric.
  const Image32 row = Made(2, 1, [](int x, int) { return Grey(255 * x); });
  const Image32 column = Made(1, 2, [](int, int y) { return Grey(255 * y); });
  for (const auto& [name, ramp] :
       {std::pair{"across", Stretched(row, 20, 1)}, std::pair{"down", Stretched(column, 1, 20)}}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint32_t>& p = ramp.Pixels;
    EXPECT_EQ(p.front(), Grey(0));
    EXPECT_EQ(p.back(), Grey(255));
    std::set<int> levels;
    for (std::size_t i = 0; i < p.size(); ++i) {
      levels.insert(Red(p[i]));
      EXPECT_EQ(p[i], Grey(Red(p[i])));
      if (i > 0) {
        EXPECT_GE(Red(p[i]), Red(p[i - 1]));
      }
      EXPECT_NEAR(Red(p[i]) + Red(p[p.size() - 1 - i]), 255, 1);
    }
    EXPECT_GE(levels.size(), 6u);
  }
}

TEST(StretchInto, SameSizeIsAnExactCopy) {
  const Image32 source = Noise(13, 7, 11);
  EXPECT_EQ(Stretched(source, 13, 7).Pixels, source.Pixels);
}

// Regression: shrinking a tall picture to one row of a wide target fills it in bands of
// columns (three here); the bands must join without a seam.
TEST(StretchInto, StrongVerticalShrinkOfAWideTargetHasNoSeams) {
  // Column x is 10 x, odd rows 20 brighter: each column averages 10 x + 10. Growing across,
  // the interpolation keeps that straight line away from the edges.
  const Image32 source = Made(20, 2000, [](int x, int y) { return Grey(10 * x + 20 * (y % 2)); });
  const Image32 target = Stretched(source, 3000, 1);
  for (int i = 0; i < target.Width; ++i) {
    SCOPED_TRACE("column " + std::to_string(i));
    const double u = (i + 0.5) * source.Width / target.Width - 0.5;  // where it samples
    if (u >= 1 && u <= source.Width - 2) {
      ASSERT_NEAR(Red(target.At(i, 0)), 10 * u + 10, 1);
    }
    if (i > 0) {
      ASSERT_LE(std::abs(Red(target.At(i, 0)) - Red(target.At(i - 1, 0))), 1);
    }
  }
}

TEST(StretchInto, ClipsRectanglesPartlyOutsideTheTarget) {
  const Image32 source = Noise(5, 4, 5);
  const struct {
    int x, y, width, height;
  } rectangles[] = {
      {-3, 2, 8, 5}, {6, -2, 8, 5}, {4, 5, 8, 5},   {-2, -2, 14, 12},  // partly outside
      {2, 2, 5, 3},                                                    // inside
      {10, 0, 3, 3}, {0, 8, 3, 3},  {-5, -5, 5, 5}, {-9, 3, 9, 2},     // wholly outside
  };
  for (const auto& r : rectangles) {
    SCOPED_TRACE("at " + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " +
                 Size(r.width, r.height));
    const Image32 whole = Stretched(source, r.width, r.height);
    Image32 target = Filled(10, 8, kSentinel);
    ASSERT_TRUE(StretchInto(source, target, r.x, r.y, r.width, r.height));
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 10; ++x) {
        const bool inside = x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
        ASSERT_EQ(target.At(x, y), inside ? whole.At(x - r.x, y - r.y) : kSentinel)
            << "pixel " << x << ", " << y;
      }
    }
  }
}

TEST(StretchInto, DrawsNothingForAnEmptyRectangleOrPicture) {
  const struct {
    const char* name;
    Image32 source;
    int width, height;
  } cases[] = {
      {"zero width", Noise(3, 3, 1), 0, 4},
      {"zero height", Noise(3, 3, 1), 4, 0},
      {"negative size", Noise(3, 3, 1), -4, -4},
      {"empty picture", Image32{}, 4, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Image32 target = Filled(6, 6, kSentinel);
    EXPECT_TRUE(StretchInto(c.source, target, 1, 1, c.width, c.height));
    EXPECT_EQ(target.Pixels, Filled(6, 6, kSentinel).Pixels);
  }
}

TEST(DrawingSurface, ImageIsExactlyTheSizeSetAndStartsWhite) {
  const int sizes[][2] = {{1, 1}, {1024, 150}, {9999, 1}, {1, 9999}, {0, 5}, {5, 0}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(Size(width, height));
    DrawingSurface surface;
    surface.SetWidth(width);
    surface.SetHeight(height);
    const Image32& image = surface.Image();
    EXPECT_EQ(image.Width, width);
    EXPECT_EQ(image.Height, height);
    EXPECT_EQ(image.Pixels, Filled(width, height, kWhite).Pixels);
  }
  SCOPED_TRACE("negative sizes");
  DrawingSurface surface;
  surface.SetWidth(-3);
  surface.SetHeight(-1);
  EXPECT_EQ(surface.Width(), 0);
  EXPECT_EQ(surface.Image().Width, 0);
  EXPECT_EQ(surface.Image().Height, 0);
}

TEST(DrawingSurface, PaintPictureReplacesWhatIsUnderTheRectangle) {
  DrawingSurface surface;
  surface.SetWidth(8);
  surface.SetHeight(6);
  const ImagePicture red(Filled(3, 3, 0xFFFF0000u));
  const ImagePicture blue(Filled(1, 1, 0xFF0000FFu));
  ASSERT_TRUE(surface.PaintPicture(red, 0, 0, 8, 6));
  EXPECT_EQ(surface.Image().Pixels, Filled(8, 6, 0xFFFF0000u).Pixels);
  ASSERT_TRUE(surface.PaintPicture(blue, 2, 1, 3, 2));
  const Image32 expected = Made(8, 6, [](int x, int y) {
    return x >= 2 && x < 5 && y >= 1 && y < 3 ? 0xFF0000FFu : 0xFFFF0000u;
  });
  EXPECT_EQ(surface.Image().Pixels, expected.Pixels);
}

// The resize handler's sequence, twice: each saved image has its own size and holds the
// whole picture, whatever the surface held before.
TEST(DrawingSurface, EachResizeStartsAfreshAtItsOwnSize) {
  const Image32 chosen = Noise(40, 30, 9);
  const ImagePicture picture(chosen);
  DrawingSurface surface;
  for (const auto& [width, height] : {std::pair{1024, 150}, std::pair{20, 300}, std::pair{7, 7}}) {
    SCOPED_TRACE(Size(width, height));
    surface.SetWidth(width);
    surface.SetHeight(height);
    surface.SetPicture(nullptr);
    ASSERT_TRUE(surface.PaintPicture(picture, 0, 0, width, height));
    const Image32& image = surface.Image();
    EXPECT_EQ(image.Width, width);
    EXPECT_EQ(image.Height, height);
    EXPECT_EQ(image.Pixels, Stretched(chosen, width, height).Pixels);
  }
}

TEST(DrawingSurface, BackgroundPictureAndResizingKeepTheirPlace) {
  const Image32 small = Noise(3, 2, 4);
  DrawingSurface surface;
  surface.SetWidth(5);
  surface.SetHeight(4);
  {
    SCOPED_TRACE("picture at its natural size in the corner");
    surface.SetPicture(std::make_shared<ImagePicture>(small));
    const Image32 expected =
        Made(5, 4, [&](int x, int y) { return x < 3 && y < 2 ? small.At(x, y) : kWhite; });
    EXPECT_EQ(surface.Image().Pixels, expected.Pixels);
  }
  {
    SCOPED_TRACE("drawing kept where the old and new areas overlap");
    ASSERT_TRUE(surface.PaintPicture(ImagePicture(Filled(1, 1, Grey(9))), 4, 3, 1, 1));
    surface.SetWidth(6);
    surface.SetHeight(3);
    const Image32 expected = Made(6, 3, [&](int x, int y) {
      return x < 3 && y < 2 ? small.At(x, y) : kWhite;  // the grey corner is cut off
    });
    EXPECT_EQ(surface.Image().Pixels, expected.Pixels);
    surface.SetHeight(4);
    EXPECT_EQ(surface.Image().At(4, 3), kWhite);
  }
  {
    SCOPED_TRACE("cleared");
    surface.SetPicture(nullptr);
    EXPECT_EQ(surface.Image().Pixels, Filled(6, 4, kWhite).Pixels);
  }
}

TEST(DrawingSurface, ReportsFailuresInsteadOfCrashing) {
  const ImagePicture picture(Noise(4, 4, 2));
  DrawingSurface surface;
  {
    SCOPED_TRACE("larger than memory allows");
    surface.SetWidth(50000);
    surface.SetHeight(50000);
    Result<void> painted = surface.PaintPicture(picture, 0, 0, 50000, 50000);
    ASSERT_FALSE(painted);
    EXPECT_EQ(painted.failure().Status, static_cast<std::uint32_t>(ENOMEM));
    EXPECT_TRUE(surface.Image().Pixels.empty());
  }
  {
    SCOPED_TRACE("picture that cannot be read");
    surface.SetWidth(4);
    surface.SetHeight(4);
    Result<void> painted = surface.PaintPicture(ImagePicture(Image32{}), 0, 0, 4, 4);
    ASSERT_FALSE(painted);
    EXPECT_EQ(painted.failure().Call, "GetDIBits");
    EXPECT_EQ(surface.Image().Pixels, Filled(4, 4, kWhite).Pixels);
  }
  {
    SCOPED_TRACE("a later resize works");
    ASSERT_TRUE(surface.PaintPicture(picture, 0, 0, 4, 4));
    EXPECT_EQ(surface.Image().Pixels, Stretched(Noise(4, 4, 2), 4, 4).Pixels);
  }
}

}  // namespace
}  // namespace plumeroll
