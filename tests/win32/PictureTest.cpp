// Pictures through the system's bitmap loader, saving that never costs the earlier file,
// resizing to 1024 x 150 as the program does, and ANSI-safe paths.
#include <cstring>
#include <map>
#include <set>

#include "platform/DrawingSurface.h"
#include "platform/Win32Platform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// The size a bitmap file declares: 16-bit fields in the old 12-byte OS/2 header, 32-bit ones
// in the others, where a negative height means rows stored top first.
SIZE DeclaredSize(const fs::path& file) {
  const std::string bytes = ReadBytes(file) + std::string(26, '\0');
  std::uint32_t header_size = 0;
  std::memcpy(&header_size, bytes.data() + 14, 4);
  if (header_size == 12) {
    std::uint16_t size[2] = {};
    std::memcpy(size, bytes.data() + 18, 4);
    return {size[0], size[1]};
  }
  std::int32_t size[2] = {};
  std::memcpy(size, bytes.data() + 18, 8);
  return {size[0], std::abs(size[1])};
}

// The size the system's loader reads from a file, without the platform's code.
SIZE SystemLoaderSize(const fs::path& file) {
  const win32::UniqueHbitmap bitmap(static_cast<HBITMAP>(
      ::LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  BITMAP description{};
  if (bitmap) ::GetObjectW(bitmap.get(), sizeof description, &description);
  return {description.bmWidth, description.bmHeight};
}

Image32 LoadPixels(Win32Platform& platform, const fs::path& file) {
  Result<PicturePtr> picture = platform.LoadPicture(Utf8(file));
  if (!picture) {
    ADD_FAILURE() << Utf8(file) << ": " << Describe(picture.failure());
    return {};
  }
  Result<Image32> pixels = picture.value()->Pixels();
  if (!pixels) ADD_FAILURE() << Utf8(file) << ": " << Describe(pixels.failure());
  return pixels ? pixels.value() : Image32{};
}

// Every pixel differs from its neighbours, and odd widths need row padding in a 24-bit file.
Image32 Pattern(int width, int height) {
  Image32 image{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.pixels.push_back(0xFF000000u | (((x * 37 + 11) & 0xFF) << 16) |
                             (((y * 53 + 7) & 0xFF) << 8) | ((x * 5 + y * 3) & 0xFF));
    }
  }
  return image;
}

// "Changer la taille" as the program does it: the picture loaded, stretched over a drawing
// surface of 1024 x 150 and saved from there.
Result<void> ResizeTo1024x150(Win32Platform& platform, const fs::path& source,
                              const fs::path& target) {
  Result<PicturePtr> picture = platform.LoadPicture(Utf8(source));
  if (!picture) return picture.failure();
  DrawingSurface surface;
  surface.SetWidth(1024);
  surface.SetHeight(150);
  if (Result<void> painted = surface.PaintPicture(*picture.value(), 0, 0, 1024, 150); !painted) {
    return painted;
  }
  return platform.SavePicture(surface.Image(), Utf8(target));
}

// Resizes into target, which the system's loader must then read at 1024 x 150; a refusal
// must say which call failed and write nothing.
void ExpectResizedOrRefused(Win32Platform& platform, const fs::path& source,
                            const fs::path& target, bool must_resize) {
  Result<void> resized = ResizeTo1024x150(platform, source, target);
  if (resized || must_resize) {
    ASSERT_TRUE(resized) << "resizing: " << Describe(resized.failure());
    const SIZE read_back = SystemLoaderSize(target);
    EXPECT_EQ(read_back.cx, 1024);
    EXPECT_EQ(read_back.cy, 150);
  } else {
    EXPECT_FALSE(resized.failure().call.empty());
    EXPECT_FALSE(fs::exists(target)) << "a refused resize wrote the file";
  }
  fs::remove(target);
}

TEST(LoadPicture, EveryGoodFileLoadsWithItsSizeAndAllItsPixelsAndResizes) {
  ScratchFolder scratch;
  Win32Platform platform;
  const std::vector<fs::path> files = CorpusFiles({"g"});
  ASSERT_GE(files.size(), 20u) << "corpus not found at " << Utf8(CorpusFolder());
  for (const fs::path& file : files) {
    SCOPED_TRACE(Utf8(file.filename()));
    const SIZE declared = DeclaredSize(file);
    Result<PicturePtr> picture = platform.LoadPicture(Utf8(file));
    ASSERT_TRUE(picture) << Describe(picture.failure());
    ASSERT_TRUE(picture.value());
    Result<Image32> pixels = picture.value()->Pixels();
    ASSERT_TRUE(pixels) << Describe(pixels.failure());
    EXPECT_EQ(pixels.value().width, declared.cx);
    EXPECT_EQ(pixels.value().height, declared.cy);
    EXPECT_EQ(pixels.value().pixels.size(), static_cast<std::size_t>(declared.cx * declared.cy));
    ExpectResizedOrRefused(platform, file, scratch / "resized.bmp", true);
  }
}

bool RunningUnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Files that Wine's bitmap loader (Wine 8) reads wrongly where Windows reads them right: rows
// stored top row first come out black, and one colour of an OS/2 palette is off.
const std::set<std::string> kWineMisreads = {"pal8topdown.bmp", "pal8os2.bmp"};

TEST(LoadPicture, EncodingsOfOnePictureGiveTheSamePixels) {
  // Each file on the left holds the same picture as the files on the right, stored another
  // way: top-down rows, run-length encoding, other header versions, bit fields, a palette.
  const std::map<std::string, std::vector<std::string>> same_picture = {
      {"pal1.bmp", {"pal1wb.bmp"}},
      {"pal4.bmp", {"pal4rle.bmp"}},
      {"pal8.bmp",
       {"pal8-0.bmp", "pal8os2.bmp", "pal8rle.bmp", "pal8topdown.bmp", "pal8v4.bmp",
        "pal8v5.bmp"}},
      {"rgb16.bmp", {"rgb16bfdef.bmp"}},
      {"rgb16-565.bmp", {"rgb16-565pal.bmp"}},
      {"rgb24.bmp", {"rgb24pal.bmp", "rgb32.bmp", "rgb32bf.bmp", "rgb32bfdef.bmp"}},
  };
  Win32Platform platform;
  for (const auto& [reference_name, variants] : same_picture) {
    const Image32 reference = LoadPixels(platform, CorpusFolder() / "g" / reference_name);
    ASSERT_FALSE(reference.pixels.empty()) << reference_name;
    for (const std::string& variant_name : variants) {
      SCOPED_TRACE(variant_name + " against " + reference_name);
      const Image32 variant = LoadPixels(platform, CorpusFolder() / "g" / variant_name);
      ASSERT_EQ(variant.width, reference.width);
      ASSERT_EQ(variant.height, reference.height);
      if (RunningUnderWine() && kWineMisreads.count(variant_name)) {
        EXPECT_FALSE(variant.pixels == reference.pixels)
            << "Wine reads this file right now: take it off kWineMisreads";
      } else {
        EXPECT_TRUE(variant.pixels == reference.pixels);
      }
    }
  }
}

TEST(LoadPicture, OddOrBrokenFilesLoadAndResizeOrAreRefusedCleanly) {
  ScratchFolder scratch;
  WriteBytes(scratch / "text.bmp", "Ceci n'est pas une image.\r\n");
  WriteBytes(scratch / "empty.bmp", "");
  std::vector<fs::path> files = CorpusFiles({"q", "b", "x"});
  ASSERT_GE(files.size(), 50u) << "corpus not found at " << Utf8(CorpusFolder());
  const std::vector<fs::path> must_fail = {scratch / "missing.bmp", scratch / "text.bmp",
                                           scratch / "empty.bmp", scratch.path()};
  files.insert(files.end(), must_fail.begin(), must_fail.end());

  Win32Platform platform;
  for (const fs::path& file : files) {
    SCOPED_TRACE(Utf8(file));
    Result<PicturePtr> picture = platform.LoadPicture(Utf8(file));
    if (!picture) {
      EXPECT_FALSE(picture.failure().call.empty());
      continue;
    }
    EXPECT_EQ(std::find(must_fail.begin(), must_fail.end(), file), must_fail.end());
    ASSERT_TRUE(picture.value());
    Result<Image32> pixels = picture.value()->Pixels();
    if (pixels) {
      EXPECT_GT(pixels.value().width, 0);
      EXPECT_GT(pixels.value().height, 0);
    }
    ExpectResizedOrRefused(platform, file, scratch / "resized.bmp", false);
  }
}

TEST(SavePicture, ReadsBackWithTheSameSizeAndPixelsAndReplacesAnEarlierFile) {
  struct Case {
    const char* name;  // UTF-8
    int width, height;
  };
  const Case cases[] = {
      {"odd.bmp", 13, 7},  // over a file that is no picture
      {"single.bmp", 1, 1},
      {"wide.bmp", 64, 3},
      {"\xC3\xA9t\xC3\xA9 \xD0\x96\xE4\xB8\xAD.bmp", 5, 4},  // "été Ж中.bmp"
      {"odd.bmp", 3, 11},  // over our own file
  };
  ScratchFolder scratch;
  WriteBytes(scratch / "odd.bmp", std::string(5000, 'x'));
  Win32Platform platform;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Image32 image = Pattern(c.width, c.height);
    const std::string path = Utf8(scratch.path()) + "\\" + c.name;
    Result<void> saved = platform.SavePicture(image, path);
    ASSERT_TRUE(saved) << Describe(saved.failure());
    const Image32 back = LoadPixels(platform, fs::path(win32::Utf8ToWide(path)));
    EXPECT_EQ(back.width, c.width);
    EXPECT_EQ(back.height, c.height);
    EXPECT_EQ(back.pixels, image.pixels);
  }
  EXPECT_EQ(scratch.Contents().size(), 4u) << "no other file is left behind";
}

// A save cut short (the program killed, a power cut) leaves its temporary file behind, under
// the one name that each save uses: the next save takes it over, and touches nothing else.
TEST(SavePicture, ALeftoverOfAnInterruptedSaveIsTakenOverAndNothingElseIsTouched) {
  ScratchFolder scratch;
  WriteBytes(scratch / "resized.bmp", "the earlier picture");
  WriteBytes(scratch / "resized.bmp.tmp", std::string(100000, 'x'));
  WriteBytes(scratch / "plr1a2b.tmp", "another program's file");
  const Image32 image = Pattern(13, 7);
  Win32Platform platform;
  Result<void> saved = platform.SavePicture(image, Utf8(scratch / "resized.bmp"));
  ASSERT_TRUE(saved) << Describe(saved.failure());
  const auto contents = scratch.Contents();
  EXPECT_EQ(contents.size(), 2u) << "the leftover is still there";
  EXPECT_EQ(contents.at(L"plr1a2b.tmp"), "another program's file");
  EXPECT_EQ(LoadPixels(platform, scratch / "resized.bmp").pixels, image.pixels);
}

TEST(SavePicture, AFailedSaveLeavesTheEarlierFileByteForByteAndNoOtherFile) {
  ScratchFolder scratch;
  const std::string earlier = ReadBytes(CorpusFolder() / "g" / "rgb24.bmp");
  ASSERT_FALSE(earlier.empty());
  WriteBytes(scratch / "resized.bmp", earlier);
  WriteBytes(scratch / "readonly.bmp", earlier);
  ASSERT_TRUE(::SetFileAttributesW((scratch / "readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY));
  fs::create_directory(scratch / "folder.bmp");
  WriteBytes(scratch / "folder.bmp" / "inside.txt", "kept");
  Image32 inconsistent = Pattern(8, 8);
  inconsistent.pixels.resize(10);
  struct Case {
    const char* what;
    const char* target;
    Image32 image;
  };
  const Case cases[] = {
      {"in a folder that does not exist", "missing\\resized.bmp", Pattern(8, 8)},
      {"over a folder", "folder.bmp", Pattern(8, 8)},
      {"over a read-only file", "readonly.bmp", Pattern(8, 8)},
      {"pixels that do not match the size", "resized.bmp", inconsistent},
      {"an empty image", "resized.bmp", Image32{}},
  };
  Win32Platform platform;
  const auto before = scratch.Contents();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(platform.SavePicture(c.image, Utf8(scratch / c.target)));
    EXPECT_TRUE(scratch.Contents() == before) << "the folder changed";
  }
  ::SetFileAttributesW((scratch / "readonly.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Whether the ANSI code page holds the text exactly (not with the platform's own helper).
bool AnsiHolds(const std::wstring& text) {
  BOOL used_default = FALSE;
  return ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0,
                               nullptr, &used_default) > 0 &&
         !used_default;
}

TEST(AnsiSafePath, GivesAFormOfThePathThatTheAnsiCodePageHolds) {
  ScratchFolder scratch;
  Win32Platform platform;
  const std::string plain = Utf8(scratch / "resized.bmp");
  EXPECT_EQ(platform.AnsiSafePath(plain), plain) << "a plain path, whether the file exists or not";
  if (::GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page is UTF-8 and holds every path";

  // Cyrillic and CJK letters: no single-byte code page holds both.
  const std::wstring foreign_name = L"\x0416\x4E2D-fond.bmp";
  ASSERT_FALSE(AnsiHolds(foreign_name));
  WriteBytes(scratch / foreign_name, "the same file");
  const std::optional<std::string> safe = platform.AnsiSafePath(Utf8(scratch / foreign_name));
  ASSERT_TRUE(safe.has_value()) << "an existing file: its short form";
  EXPECT_TRUE(AnsiHolds(win32::Utf8ToWide(*safe))) << *safe;
  EXPECT_EQ(ReadBytes(fs::path(win32::Utf8ToWide(*safe))), "the same file");
  EXPECT_EQ(platform.AnsiSafePath(Utf8(scratch / (L"absent-" + foreign_name))), std::nullopt)
      << "a missing file has no short form";
}

}  // namespace
}  // namespace plumeroll::testing
