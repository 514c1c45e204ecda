// The resize as the program does it, under Windows: the picture's pixels as the program loads
// them (the input, a plain 24-bit file, is read straight from the file), stretched by the resampler, saved as the program saves
// resized.bmp. Prints the phases (read, stretch, write) and the whole of each run, and the
// process's peak working set.
//
//   plumeroll_resize_bench IN WIDTH HEIGHT OUT RUNS
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/win32/Clock.h"
#include "platform/Resample.h"
#include "platform/Win32Platform.h"

namespace {

using namespace plumeroll;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int width = argc == 6 ? std::atoi(argv[2]) : 0;
  const int height = argc == 6 ? std::atoi(argv[3]) : 0;
  const int runs = argc == 6 ? std::atoi(argv[5]) : 0;
  if (width < 1 || height < 1 || runs < 1) {
    std::fprintf(stderr, "usage: %s IN WIDTH HEIGHT OUT RUNS\n", argv[0]);
    return 2;
  }
  Win32Platform platform;
  std::vector<double> phases[4];  // read, stretch, write, whole
  for (int run = 0; run < runs; ++run) {
    const double start = Now();
    Result<PicturePtr> picture = platform.LoadPicture(argv[1]);
    Result<Image32> pixels = picture ? picture.value()->Pixels() : picture.failure();
    const double read = Now();
    Result<Image32> stretched = pixels ? Stretch(pixels.value(), width, height) : pixels;
    const double stretch = Now();
    Result<void> saved =
        stretched ? platform.SavePicture(stretched.value(), argv[4]) : stretched.failure();
    const double write = Now();
    if (!saved) {
      std::fprintf(stderr, "resize failed: %s\n", Describe(saved.failure()).c_str());
      return 1;
    }
    phases[0].push_back(read - start);
    phases[1].push_back(stretch - read);
    phases[2].push_back(write - stretch);
    phases[3].push_back(write - start);
  }
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("resize to %dx%d, %d runs, milliseconds (median, min)\n", width, height, runs);
  const char* names[] = {"read (LoadBitmapFile, Pixels)", "stretch", "write (resized.bmp)",
                         "whole"};
  for (int phase = 0; phase < 4; ++phase) {
    std::printf("  %-30s %8.1f %8.1f\n", names[phase], Median(phases[phase]),
                *std::min_element(phases[phase].begin(), phases[phase].end()));
  }
  std::printf("  peak working set: %.1f MiB\n", memory.PeakWorkingSetSize / 1048576.0);
  return 0;
}
