// The 24-bit bitmap writer and the reader: the bytes of the file that "resized.bmp" becomes,
// and a reader that reads or refuses any file without crashing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <streambuf>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Bmp.h"

namespace plumeroll {
namespace {

// Little-endian header fields.
std::uint32_t Get(const std::string& file, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(file[at + i]);
  return value;
}
void Put(std::string& file, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
}

Image32 Pattern(int width, int height, std::uint32_t seed) {
  Image32 image{width, height, {}};
  for (int i = 0; i < width * height; ++i)
    image.Pixels.push_back(0xFF000000u | (seed = seed * 1664525u + 1013904223u) >> 8);
  return image;
}

std::string Written(const Image32& image) {
  std::ostringstream out;
  EXPECT_TRUE(WriteBmp24(image, out));
  return out.str();
}

Result<Image32> Read(const std::string& bytes) {
  std::istringstream in(bytes);
  return ReadBmp(in);
}

// A stream that cannot seek, as a pipe would be.
struct OneWayBuffer : std::streambuf {
  explicit OneWayBuffer(std::string& bytes) {
    setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
  }
};

struct Header {
  std::int32_t width = 2, height = 2;
  std::uint32_t bits = 24, compression = 0, planes = 1, info_size = 40;
  std::uint32_t gap = 0;  // bytes between the headers and the pixels (a colour table)
};

// A hand-made file with the given header and rows of bytes 0, 1, 2, ... (padded to 4 bytes).
std::string MakeFile(const Header& h, int rows = -1) {
  const std::uint32_t offset = 14 + h.info_size + h.gap;
  std::string file(offset, '\0');
  Put(file, 0, 'B' | 'M' << 8, 2);
  Put(file, 10, offset, 4);
  Put(file, 14, h.info_size, 4);
  Put(file, 18, static_cast<std::uint32_t>(h.width), 4);
  Put(file, 22, static_cast<std::uint32_t>(h.height), 4);
  Put(file, 26, h.planes, 2);
  Put(file, 28, h.bits, 2);
  Put(file, 30, h.compression, 4);
  if (rows < 0) rows = h.height < 0 ? -h.height : h.height;
  const std::size_t stride = (std::max(h.width, 0) * h.bits / 8 + 3) / 4 * 4;
  for (std::size_t i = 0; i < stride * rows; ++i) file += static_cast<char>(i);
  Put(file, 2, static_cast<std::uint32_t>(file.size()), 4);
  return file;
}

TEST(WriteBmp24, WritesABottomUp24BitFileWithPaddedRowsThatReadsBack) {
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
        ASSERT_EQ(Get(file, start + 3 * x, 3), image.At(x, y) & 0xFFFFFF) << x << ", " << y;
      for (std::size_t pad = start + 3 * width; pad < start + stride; ++pad)
        ASSERT_EQ(file[pad], '\0') << "padding of row " << row;
    }
    Result<Image32> read = Read(file);
    ASSERT_TRUE(read) << read.failure().Call;
    EXPECT_EQ(read.value().Width, width);
    EXPECT_EQ(read.value().Height, height);
    EXPECT_EQ(read.value().Pixels, image.Pixels);
  }
}

TEST(WriteBmp24, RefusesWhatCannotBeABitmapOrCannotBeWritten) {
  Image32 inconsistent = Pattern(3, 3, 1);
  inconsistent.Pixels.pop_back();
  for (const Image32& image : {Image32{}, Image32{0, 4, {}}, Image32{4, 0, {}}, inconsistent}) {
    std::ostringstream out;
    EXPECT_FALSE(WriteBmp24(image, out)) << image.Width << " x " << image.Height;
    EXPECT_TRUE(out.str().empty());
  }
  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  EXPECT_FALSE(WriteBmp24(Pattern(2, 2, 1), broken));
}

TEST(ReadBmp, ReadsTopDown32BitAndLaterHeaderFiles) {
  // 2 x 2 files of bytes 0, 1, 2, ...; 24-bit rows {00..05}, {08..0d}, 32-bit ones {00..07},
  // {08..0f}. Bottom-up, the second row is the top one; the fourth byte of 32 bits is unused.
  const struct {
    const char* name;
    Header header;
    std::uint32_t top_left, bottom_right;
  } cases[] = {
      {"top-down 24-bit", Header{.height = -2}, 0xFF020100u, 0xFF0D0C0Bu},
      {"bottom-up 32-bit", Header{.bits = 32}, 0xFF0A0908u, 0xFF060504u},
      {"top-down 32-bit", Header{.height = -2, .bits = 32}, 0xFF020100u, 0xFF0E0D0Cu},
      {"V5 header", Header{.info_size = 124}, 0xFF0A0908u, 0xFF050403u},
      {"colour table before the pixels", Header{.gap = 1024}, 0xFF0A0908u, 0xFF050403u},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Result<Image32> read = Read(MakeFile(c.header));
    ASSERT_TRUE(read) << read.failure().Call << " " << read.failure().Status;
    ASSERT_EQ(read.value().Width, 2);
    ASSERT_EQ(read.value().Height, 2);
    EXPECT_EQ(read.value().At(0, 0), c.top_left);
    EXPECT_EQ(read.value().At(1, 1), c.bottom_right);
  }
}

TEST(ReadBmp, RefusesTruncatedAndUnsupportedFilesCleanly) {
  std::string wrong_signature = MakeFile(Header{}), os2_header = wrong_signature,
              pixels_inside_header = wrong_signature;
  wrong_signature[1] = 'A';
  Put(os2_header, 14, 12, 4);
  Put(pixels_inside_header, 10, 40, 4);
  std::vector<std::tuple<std::string, std::string, int>> cases = {
      {"signature BA", wrong_signature, EINVAL},
      {"OS/2 core header", os2_header, EINVAL},
      {"pixels inside the header", pixels_inside_header, EINVAL},
      {"8-bit", MakeFile(Header{.bits = 8, .gap = 1024}), EINVAL},
      {"RLE8", MakeFile(Header{.bits = 8, .compression = 1}), EINVAL},
      {"bit fields", MakeFile(Header{.bits = 32, .compression = 3, .gap = 12}), EINVAL},
      {"two planes", MakeFile(Header{.planes = 2}), EINVAL},
      {"negative width", MakeFile(Header{.width = -2}), EINVAL},
      {"zero height", MakeFile(Header{.height = 0}), EINVAL},
      {"most negative height",
       MakeFile(Header{.height = std::numeric_limits<std::int32_t>::min()}, 0), EINVAL},
  };
  // Cut short: empty, in the file header, in the info header, before the pixels, in a row, by
  // the last byte.
  const std::string whole = Written(Pattern(5, 3, 7));  // 54 bytes of headers, rows of 16
  for (std::size_t length : {0, 1, 17, 30, 54, 60, 101})
    cases.emplace_back("first " + std::to_string(length) + " bytes", whole.substr(0, length), EIO);
  for (auto& [name, bytes, status] : cases) {
    SCOPED_TRACE(name);
    OneWayBuffer buffer(bytes);
    std::istream one_way(&buffer);
    for (Result<Image32> read : {Read(bytes), ReadBmp(one_way)}) {
      ASSERT_FALSE(read);
      EXPECT_EQ(read.failure().Call, "ReadBmp");
      EXPECT_EQ(read.failure().Status, static_cast<std::uint32_t>(status));
    }
  }
  // A header that claims a huge picture over a few bytes is refused before any allocation.
  Result<Image32> huge = Read(MakeFile(Header{.width = 30000, .height = 30000}, 1));
  ASSERT_FALSE(huge);
  EXPECT_EQ(huge.failure().Status, static_cast<std::uint32_t>(EIO));
}

// The shared BMP Suite corpus: every file is either read or refused, never a crash (the
// sanitizers watch the reads); the formats we read give the same picture.
TEST(ReadBmp, ReadsOrRefusesEveryCorpusFile) {
  namespace fs = std::filesystem;
  const fs::path corpus = fs::path(__FILE__).parent_path() / "../../../shared/bmpsuite";
  if (!fs::is_directory(corpus / "g")) GTEST_SKIP() << "no corpus at " << corpus;
  const auto read_file = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return ReadBmp(in);
  };
  int files = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.path().extension() != ".bmp") continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    Result<Image32> read = read_file(entry.path());
    if (read) {
      EXPECT_GT(read.value().Width, 0);
      EXPECT_EQ(read.value().Pixels.size(),
                static_cast<std::size_t>(read.value().Width) * read.value().Height);
    } else {
      EXPECT_EQ(read.failure().Call, "ReadBmp");
    }
  }
  EXPECT_GT(files, 50);

  Result<Image32> reference = read_file(corpus / "g/rgb24.bmp");
  ASSERT_TRUE(reference);
  EXPECT_EQ(reference.value().Width, 127);
  EXPECT_EQ(reference.value().Height, 64);
  for (const char* same : {"g/rgb32.bmp", "g/rgb24pal.bmp"}) {
    Result<Image32> read = read_file(corpus / same);
    ASSERT_TRUE(read) << same;
    EXPECT_EQ(read.value().Pixels, reference.value().Pixels) << same;
  }
}

}  // namespace
}  // namespace plumeroll
