// The 24-bit bitmap writer and the reader: the bytes of the file that "resized.bmp" becomes,
// and a reader that reads or refuses any file without crashing.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "platform/Bmp.h"

namespace plumeroll {
namespace {

std::uint32_t U16(const std::string& file, std::size_t at) {
  return static_cast<std::uint8_t>(file[at]) | static_cast<std::uint8_t>(file[at + 1]) << 8;
}
std::uint32_t U32(const std::string& file, std::size_t at) {
  return U16(file, at) | U16(file, at + 2) << 16;
}

Image32 Pattern(int width, int height, std::uint32_t seed) {
  Image32 image{width, height, {}};
  for (int i = 0; i < width * height; ++i) {
    seed = seed * 1664525u + 1013904223u;
    image.Pixels.push_back(0xFF000000u | (seed >> 8));
  }
  return image;
}

std::string Written(const Image32& image) {
  std::ostringstream out;
  EXPECT_TRUE(WriteBmp24(image, out));
  return out.str();
}

// A stream that cannot seek, as a pipe would be.
class OneWayBuffer : public std::streambuf {
 public:
  explicit OneWayBuffer(std::string bytes) : bytes_(std::move(bytes)) {
    setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
  }

 private:
  std::string bytes_;
};

// Little-endian header fields for hand-made files.
void Put(std::string& file, std::size_t at, std::uint32_t value, int bytes) {
  if (file.size() < at + bytes) file.resize(at + bytes, '\0');
  for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
}

struct Header {
  std::int32_t width = 2;
  std::int32_t height = 2;
  std::uint32_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t planes = 1;
  std::uint32_t info_size = 40;
  std::uint32_t gap = 0;  // bytes between the headers and the pixels (a colour table)
};

// A file with the given header and rows of bytes 0, 1, 2, ... (each row padded to 4 bytes).
std::string MakeFile(const Header& h, int rows_to_write = -1) {
  std::string file;
  const std::uint32_t offset = 14 + h.info_size + h.gap;
  Put(file, 0, 'B' | 'M' << 8, 2);
  Put(file, 10, offset, 4);
  Put(file, 14, h.info_size, 4);
  Put(file, 18, static_cast<std::uint32_t>(h.width), 4);
  Put(file, 22, static_cast<std::uint32_t>(h.height), 4);
  Put(file, 26, h.planes, 2);
  Put(file, 28, h.bits, 2);
  Put(file, 30, h.compression, 4);
  file.resize(offset, '\x55');
  const int rows = rows_to_write >= 0 ? rows_to_write : (h.height < 0 ? -h.height : h.height);
  const std::size_t width = h.width > 0 ? static_cast<std::size_t>(h.width) : 0;
  const std::size_t stride = (width * h.bits / 8 + 3) / 4 * 4;
  for (std::size_t i = 0; i < stride * rows; ++i) file += static_cast<char>(i);
  Put(file, 2, static_cast<std::uint32_t>(file.size()), 4);
  return file;
}

Result<Image32> Read(const std::string& bytes) {
  std::istringstream in(bytes);
  return ReadBmp(in);
}

TEST(WriteBmp24, HeaderDescribesABottomUp24BitFile) {
  // width, stride: rows are 3 bytes a pixel rounded up to 4.
  const int cases[][2] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {1024, 3072}};
  for (const auto& [width, stride] : cases) {
    SCOPED_TRACE("width " + std::to_string(width));
    const int height = 3;
    const std::string file = Written(Pattern(width, height, 1));
    const std::uint32_t pixels_size = static_cast<std::uint32_t>(stride * height);
    ASSERT_EQ(file.size(), 54u + pixels_size);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(U32(file, 2), file.size());  // bfSize
    EXPECT_EQ(U32(file, 6), 0u);           // bfReserved1, bfReserved2
    EXPECT_EQ(U32(file, 10), 54u);         // bfOffBits
    EXPECT_EQ(U32(file, 14), 40u);         // biSize: BITMAPINFOHEADER
    EXPECT_EQ(U32(file, 18), static_cast<std::uint32_t>(width));
    EXPECT_EQ(U32(file, 22), 3u);           // positive height: bottom-up
    EXPECT_EQ(U16(file, 26), 1u);           // biPlanes
    EXPECT_EQ(U16(file, 28), 24u);          // biBitCount
    EXPECT_EQ(U32(file, 30), 0u);           // BI_RGB
    EXPECT_EQ(U32(file, 34), pixels_size);  // biSizeImage
    EXPECT_EQ(U32(file, 38), 0u);           // no resolution given
    EXPECT_EQ(U32(file, 42), 0u);
    EXPECT_EQ(U32(file, 46), 0u);  // biClrUsed: no colour table
    EXPECT_EQ(U32(file, 50), 0u);
  }
}

TEST(WriteBmp24, RowsAreBottomUpBlueGreenRedAndZeroPadded) {
  for (int width = 1; width <= 5; ++width) {
    SCOPED_TRACE("width " + std::to_string(width));
    const Image32 image = Pattern(width, 2, static_cast<std::uint32_t>(width));
    const std::string file = Written(image);
    const std::size_t stride = (file.size() - 54) / 2;
    for (int row = 0; row < 2; ++row) {
      const int y = 1 - row;  // the bottom row comes first
      const std::size_t start = 54 + row * stride;
      for (int x = 0; x < width; ++x) {
        const std::uint32_t pixel = image.At(x, y);
        EXPECT_EQ(static_cast<std::uint8_t>(file[start + 3 * x]), pixel & 0xFF);
        EXPECT_EQ(static_cast<std::uint8_t>(file[start + 3 * x + 1]), (pixel >> 8) & 0xFF);
        EXPECT_EQ(static_cast<std::uint8_t>(file[start + 3 * x + 2]), (pixel >> 16) & 0xFF);
      }
      for (std::size_t pad = start + 3 * width; pad < start + stride; ++pad)
        EXPECT_EQ(file[pad], '\0') << "padding byte " << pad - start;
    }
  }
}

TEST(WriteBmp24, RefusesWhatCannotBeABitmapOrCannotBeWritten) {
  Image32 inconsistent = Pattern(3, 3, 1);
  inconsistent.Pixels.pop_back();
  const Image32 cases[] = {Image32{}, Image32{0, 4, {}}, Image32{4, 0, {}}, inconsistent};
  for (const Image32& image : cases) {
    SCOPED_TRACE(std::to_string(image.Width) + " x " + std::to_string(image.Height));
    std::ostringstream out;
    EXPECT_FALSE(WriteBmp24(image, out));
    EXPECT_TRUE(out.str().empty());
  }
  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  EXPECT_FALSE(WriteBmp24(Pattern(2, 2, 1), broken));
}

TEST(ReadBmp, ReadsBackWhatWriteBmp24Wrote) {
  const int sizes[][2] = {{1, 1}, {1, 5}, {5, 1}, {2, 3}, {3, 2}, {4, 4}, {7, 5}, {33, 17}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const Image32 image = Pattern(width, height, static_cast<std::uint32_t>(width * 31 + height));
    Result<Image32> read = Read(Written(image));
    ASSERT_TRUE(read) << read.failure().Call;
    EXPECT_EQ(read.value().Width, width);
    EXPECT_EQ(read.value().Height, height);
    EXPECT_EQ(read.value().Pixels, image.Pixels);
  }
}

TEST(ReadBmp, ReadsTopDown32BitAndLaterHeaderFiles) {
  // Rows of bytes 0, 1, 2, ...: the first row in the file holds bytes 0..stride-1.
  struct Case {
    const char* name;
    Header header;
    std::uint32_t top_left, bottom_right;
  };
  const Case cases[] = {
      // 2 x 2, 24-bit, stride 8: file rows {00..05}, {08..0d}; bottom-up, so row 1 comes first.
      {"bottom-up 24-bit", Header{}, 0xFF0A0908u, 0xFF050403u},
      {"top-down 24-bit", Header{.height = -2}, 0xFF020100u, 0xFF0D0C0Bu},
      // 32-bit: the fourth byte is unused, pixels read opaque.
      {"bottom-up 32-bit", Header{.bits = 32}, 0xFF0A0908u, 0xFF060504u},
      {"top-down 32-bit", Header{.height = -2, .bits = 32}, 0xFF020100u, 0xFF0E0D0Cu},
      {"V5 header", Header{.info_size = 124}, 0xFF0A0908u, 0xFF050403u},
      {"colour table before the pixels", Header{.gap = 1024}, 0xFF0A0908u, 0xFF050403u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Result<Image32> read = Read(MakeFile(c.header));
    ASSERT_TRUE(read) << read.failure().Call << " " << read.failure().Status;
    ASSERT_EQ(read.value().Width, 2);
    ASSERT_EQ(read.value().Height, 2);
    EXPECT_EQ(read.value().At(0, 0), c.top_left);
    EXPECT_EQ(read.value().At(1, 1), c.bottom_right);
  }
}

TEST(ReadBmp, RefusesTruncatedFilesWhateverTheCut) {
  const std::string whole = Written(Pattern(5, 3, 7));
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE("first " + std::to_string(length) + " bytes");
    const std::string cut = whole.substr(0, length);
    Result<Image32> seekable = Read(cut);
    ASSERT_FALSE(seekable);
    EXPECT_EQ(seekable.failure().Call, "ReadBmp");
    EXPECT_EQ(seekable.failure().Status, static_cast<std::uint32_t>(EIO));
    OneWayBuffer buffer(cut);
    std::istream one_way(&buffer);
    Result<Image32> streamed = ReadBmp(one_way);
    ASSERT_FALSE(streamed);
    EXPECT_EQ(streamed.failure().Status, static_cast<std::uint32_t>(EIO));
  }
  // A header that claims a huge picture over a few bytes is refused before any allocation.
  Result<Image32> huge = Read(MakeFile(Header{.width = 30000, .height = 30000}, 1));
  ASSERT_FALSE(huge);
  EXPECT_EQ(huge.failure().Status, static_cast<std::uint32_t>(EIO));
}

TEST(ReadBmp, RefusesFormatsItDoesNotRead) {
  std::string wrong_signature = MakeFile(Header{});
  wrong_signature[1] = 'A';
  std::string os2_header = MakeFile(Header{});
  Put(os2_header, 14, 12, 4);
  std::string pixels_inside_header = MakeFile(Header{});
  Put(pixels_inside_header, 10, 40, 4);
  const std::pair<const char*, std::string> cases[] = {
      {"signature BA", wrong_signature},
      {"OS/2 core header", os2_header},
      {"pixels inside the header", pixels_inside_header},
      {"8-bit", MakeFile(Header{.bits = 8, .gap = 1024})},
      {"16-bit", MakeFile(Header{.bits = 16})},
      {"1-bit", MakeFile(Header{.bits = 1, .gap = 8})},
      {"RLE8", MakeFile(Header{.bits = 8, .compression = 1})},
      {"bit fields", MakeFile(Header{.bits = 32, .compression = 3, .gap = 12})},
      {"two planes", MakeFile(Header{.planes = 2})},
      {"zero width", MakeFile(Header{.width = 0})},
      {"negative width", MakeFile(Header{.width = -2})},
      {"zero height", MakeFile(Header{.height = 0})},
      {"most negative height",
       MakeFile(Header{.height = std::numeric_limits<std::int32_t>::min()}, 0)},
      {"text", std::string(100, 'x')},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    Result<Image32> read = Read(bytes);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.failure().Call, "ReadBmp");
    EXPECT_EQ(read.failure().Status, static_cast<std::uint32_t>(EINVAL));
  }
}

// The shared BMP Suite corpus: every file is either read or refused, never a crash (the
// sanitizers watch the reads); the formats we read give the same picture.
TEST(ReadBmp, ReadsOrRefusesEveryCorpusFile) {
  namespace fs = std::filesystem;
  const fs::path corpus = fs::path(__FILE__).parent_path() / "../../../shared/bmpsuite";
  if (!fs::is_directory(corpus / "g")) GTEST_SKIP() << "no corpus at " << corpus;
  auto read_file = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return ReadBmp(in);
  };
  int files = 0;
  for (const char* folder : {"g", "q", "b", "x"}) {
    if (!fs::is_directory(corpus / folder)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / folder)) {
      if (entry.path().extension() != ".bmp") continue;
      SCOPED_TRACE(entry.path().string());
      ++files;
      Result<Image32> read = read_file(entry.path());
      if (read) {
        EXPECT_GT(read.value().Width, 0);
        EXPECT_GT(read.value().Height, 0);
        EXPECT_EQ(read.value().Pixels.size(),
                  static_cast<std::size_t>(read.value().Width) * read.value().Height);
      } else {
        EXPECT_EQ(read.failure().Call, "ReadBmp");
      }
    }
  }
  EXPECT_GT(files, 50);

  Result<Image32> reference = read_file(corpus / "g/rgb24.bmp");
  ASSERT_TRUE(reference);
  EXPECT_EQ(reference.value().Width, 127);
  EXPECT_EQ(reference.value().Height, 64);
  for (const char* same : {"g/rgb32.bmp", "g/rgb24pal.bmp"}) {
    SCOPED_TRACE(same);
    Result<Image32> read = read_file(corpus / same);
    ASSERT_TRUE(read);
    EXPECT_EQ(read.value().Pixels, reference.value().Pixels);
  }
}

}  // namespace
}  // namespace plumeroll
