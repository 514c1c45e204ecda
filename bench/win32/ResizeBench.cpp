// The resize as the program does it, under Windows: the picture loaded as the program loads it
// (a plain bitmap file is read straight from the file), painted on the hidden drawing surface,
// saved as the program saves resized.bmp. Reading, stretching and writing interleave, a band of
// rows at a time, so only the whole is timed.
//
//   plumeroll_resize_bench resize IN WIDTH HEIGHT OUT
//   plumeroll_resize_bench floor IN WIDTH HEIGHT OUT
//       one run, in this process: the resize, or the I/O floor (the picture read through, then
//       a file of the target's size written, nothing stretched). Prints the wall and CPU
//       milliseconds of the work and the process's peak working set in MiB.
//   plumeroll_resize_bench compare IN WIDTH HEIGHT RUNS WORKDIR ARCH EXE [ARCH EXE]...
//       runs "resize" and "floor" of each EXE (this benchmark built for ARCH) RUNS times,
//       interleaved, each run its own process writing into WORKDIR\ARCH, and prints the table:
//       wall time (min, median), CPU time (median), peak working set (the most of any run),
//       and whether the architectures' results are the same bytes.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/Blank.h"
#include "bench/win32/ChildProcess.h"
#include "bench/win32/Measure.h"
#include "platform/Bmp.h"
#include "platform/DrawingSurface.h"
#include "platform/Resample.h"
#include "platform/Win32Picture.h"
#include "platform/Win32Platform.h"

namespace plumeroll::bench {
namespace {

int Usage() {
  std::fputs(
      "usage: plumeroll_resize_bench resize|floor IN WIDTH HEIGHT OUT\n"
      "       plumeroll_resize_bench compare IN WIDTH HEIGHT RUNS WORKDIR ARCH EXE [ARCH EXE]...\n",
      stderr);
  return 2;
}

int Fail(const char* what, const Failure& failure) {
  std::fprintf(stderr, "%s: %s\n", what, Describe(failure).c_str());
  return 1;
}

// frmIE::SaveResized's work, without its messages.
Result<void> Resize(Platform& platform, const std::string& in, int width, int height,
                    const std::string& out) {
  DrawingSurface surface;
  surface.SetWidth(width);
  surface.SetHeight(height);
  surface.SetPicture(nullptr);
  Result<PicturePtr> picture = platform.LoadPicture(in);
  if (!picture) return picture.failure();
  if (Result<void> painted = surface.PaintPicture(picture.value(), 0, 0, width, height); !painted) {
    return painted;
  }
  return platform.SavePicture(surface.Image(), out);
}

Result<void> Floor(Platform& platform, const std::string& in, int width, int height,
                   const std::string& out) {
  Result<PicturePtr> picture = platform.LoadPicture(in);
  if (!picture) return picture.failure();
  // In bands as the resampler asks for them.
  Result<void> read = picture.value()->ForEachBand(SourceBandRows(*picture.value()),
                                                   [](const Band&) { return Result<void>{}; });
  if (!read) return read;
  return platform.SavePicture(Blank(width, height), out);
}

// One run in this process; prints "wall cpu peak".
int RunOnce(bool floor, const std::string& in, int width, int height, const std::string& out) {
  Win32Platform platform;
  const double start = Now();
  const double cpu = CpuTime();
  const Result<void> done =
      floor ? Floor(platform, in, width, height, out) : Resize(platform, in, width, height, out);
  if (!done) return Fail(floor ? "I/O floor" : "resize", done.failure());
  std::printf("%.3f %.3f %.3f\n", Now() - start, CpuTime() - cpu, PeakWorkingSetMib());
  return 0;
}

// The runs of one program doing one thing: the command line, and the figures of each run.
struct Series {
  std::string name;
  std::wstring command_line;
  std::vector<double> wall = {}, cpu = {}, peak = {};

  bool RunOnceMore() {
    const std::optional<std::string> output = OutputOf(command_line);
    double figures[3];
    if (!output ||
        std::sscanf(output->c_str(), "%lf %lf %lf", &figures[0], &figures[1], &figures[2]) != 3) {
      std::fprintf(stderr, "%s did not run\n", name.c_str());
      return false;
    }
    wall.push_back(figures[0]);
    cpu.push_back(figures[1]);
    peak.push_back(figures[2]);
    return true;
  }
  void Print() const {
    std::printf("  %-18s %9.1f %9.1f %9.1f %9.1f MiB\n", name.c_str(), Lowest(wall), Median(wall),
                Median(cpu), Highest(peak));
  }
};

bool SameBytes(const std::wstring& a, const std::wstring& b) {
  std::ifstream first(std::filesystem::path(a), std::ios::binary);
  std::ifstream second(std::filesystem::path(b), std::ios::binary);
  return first && second &&
         std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

// Where an architecture's runs write: WORKDIR\ARCH.
std::wstring Folder(const std::string& workdir, const std::string& arch) {
  return Widen((workdir + "\\" + arch).c_str());
}

// args: IN WIDTH HEIGHT RUNS WORKDIR, then ARCH EXE pairs. For each architecture, the resize
// then its I/O floor.
std::vector<Series> Plan(const std::vector<std::string>& args) {
  const std::wstring tail = L" " + Quoted(Widen(args[0].c_str())) + L" " +
                            Widen((args[1] + " " + args[2]).c_str()) + L" ";
  std::vector<Series> all;
  for (std::size_t pair = 5; pair + 1 < args.size(); pair += 2) {
    const std::wstring folder = Folder(args[4], args[pair]);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring exe = Quoted(Widen(args[pair + 1].c_str()));
    all.push_back(
        {args[pair] + " plumeroll", exe + L" resize" + tail + Quoted(folder + L"\\resized.bmp")});
    all.push_back(
        {args[pair] + " I/O floor", exe + L" floor" + tail + Quoted(folder + L"\\floor.bmp")});
  }
  return all;
}

void Report(const std::vector<std::string>& args, const Picture& source, int runs,
            const std::vector<Series>& all) {
  std::printf("resize %dx%d (%s) -> %sx%s, %d runs of each, interleaved, each its own process\n",
              source.Width(), source.Height(),
              args[0].substr(args[0].find_last_of('\\') + 1).c_str(), args[1].c_str(),
              args[2].c_str(), runs);
  std::printf("  %-18s %9s %9s %9s %13s\n", "", "min ms", "median ms", "cpu ms", "peak memory");
  for (const Series& series : all) series.Print();
  for (std::size_t i = 0; i < all.size(); i += 2) {
    std::printf("  %s / its I/O floor (median wall): %.2fx\n", all[i].name.c_str(),
                Median(all[i].wall) / Median(all[i + 1].wall));
  }
  const std::wstring first = Folder(args[4], args[5]) + L"\\resized.bmp";
  for (std::size_t pair = 7; pair + 1 < args.size(); pair += 2) {
    const bool same = SameBytes(first, Folder(args[4], args[pair]) + L"\\resized.bmp");
    std::printf("  resized.bmp of %s against %s: %s\n", args[pair].c_str(), args[5].c_str(),
                same ? "the same bytes" : "different bytes");
  }
}

int Compare(const std::vector<std::string>& args, int runs) {
  const Result<PicturePtr> source = win32::LoadBitmapFile(Widen(args[0].c_str()));
  if (!source) return Fail(args[0].c_str(), source.failure());
  std::vector<Series> all = Plan(args);
  for (int run = 0; run < runs; ++run) {  // interleaved, so that all see the same machine
    for (Series& series : all) {
      if (!series.RunOnceMore()) return 1;
    }
  }
  Report(args, *source.value(), runs, all);
  return 0;
}

}  // namespace
}  // namespace plumeroll::bench

int main(int argc, char** argv) {
  using namespace plumeroll::bench;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc == 6 && (mode == "resize" || mode == "floor")) {
    const int width = std::atoi(argv[3]);
    const int height = std::atoi(argv[4]);
    if (width < 1 || height < 1) return Usage();
    return RunOnce(mode == "floor", argv[2], width, height, argv[5]);
  }
  if (argc >= 9 && argc % 2 == 1 && mode == "compare" && std::atoi(argv[5]) >= 1) {
    return Compare(std::vector<std::string>(argv + 2, argv + argc), std::atoi(argv[5]));
  }
  return Usage();
}
