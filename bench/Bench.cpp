// Benchmarks of the picture pipeline, natively, driven by tools/bench.sh.
//
//   plumeroll_bench make-input OUT [WIDTH HEIGHT]
//       writes a 24-bit test picture (default 4000 x 3000), a band of rows at a time: smooth
//       gradients plus noise.
//   plumeroll_bench resize IN WIDTH HEIGHT OUT
//       the resize as the program does it, streamed: the picture read a band of rows at a time
//       (BmpFile), stretched (Stretched), the 24-bit file written as the rows come (WriteBmp24);
//       prints the milliseconds spent reading, stretching and writing.
//   plumeroll_bench floor IN WIDTH HEIGHT OUT
//       the same reading and writing with nothing stretched: the picture read, then a file of
//       the target's size written. What no resize can beat.
//   plumeroll_bench compare IN WIDTH HEIGHT RUNS WORKDIR [alone]
//       runs "resize", "floor" and (unless alone) ImageMagick (convert IN -resize WxH! OUT),
//       libvips (vips thumbnail IN OUT W --height H --size force) and Pillow
//       (Image.open(IN).resize((W, H)).save(OUT)) RUNS times each, interleaved, each run a child
//       process, and prints wall time, CPU time and peak memory (the child's maximum resident
//       set, from wait4), our phases, the ratios ours / theirs, and how far each output, and
//       stb_image_resize's (the program's stretch before its own resampler), is from ours.
//   plumeroll_bench agree IN WIDTHxHEIGHT...
//       how far our stretch of IN is from stb_image_resize's, for each size.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/Blank.h"
#include "bench/BmpReader.h"
#include "bench/StbReference.h"
#include "platform/Bmp.h"
#include "platform/Resample.h"

extern char** environ;

namespace plumeroll {
namespace {

using Clock = std::chrono::steady_clock;

int Usage() {
  std::fputs(
      "usage: plumeroll_bench make-input OUT [WIDTH HEIGHT]\n"
      "       plumeroll_bench resize IN WIDTH HEIGHT OUT\n"
      "       plumeroll_bench floor IN WIDTH HEIGHT OUT\n"
      "       plumeroll_bench compare IN WIDTH HEIGHT RUNS WORKDIR [alone]\n"
      "       plumeroll_bench agree IN WIDTHxHEIGHT...\n",
      stderr);
  return 2;
}

bool ParseSize(const char* text, int& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || parsed < 1 || parsed > 100000) return false;
  value = static_cast<int>(parsed);
  return true;
}

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// The bytes of a file being written; counts the time spent writing.
struct FileSink : ByteSink {
  explicit FileSink(const std::string& path) : out(path, std::ios::binary | std::ios::trunc) {}
  Result<void> Write(const void* bytes, std::size_t size) override {
    const auto start = Clock::now();
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    ms += Milliseconds(start);
    if (!out) return Failure{"ofstream::write", static_cast<std::uint32_t>(errno)};
    return {};
  }
  std::ofstream out;
  double ms = 0;
};

Result<void> WriteFile(const Picture& picture, const std::string& path, double* ms = nullptr) {
  FileSink sink(path);
  if (Result<void> written = WriteBmp24(picture, sink); !written) return written;
  const auto start = Clock::now();
  if (!sink.out.flush()) return Failure{"ofstream::flush", static_cast<std::uint32_t>(errno)};
  if (ms) *ms = sink.ms + Milliseconds(start);
  return {};
}

// The benchmark's input: smooth gradients plus noise, made a band at a time.
class TestPicture final : public Picture {
 public:
  TestPicture(int width, int height) : width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    std::uint32_t seed = 12345;
    auto noisy = [&seed](double level) {
      seed ^= seed << 13;
      seed ^= seed >> 17;
      seed ^= seed << 5;
      const double value = level + static_cast<int>(seed % 49) - 24;
      return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
    };
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width_) * 3 * rows_per_band);
    for (int done = 0; done < height_; done += rows_per_band) {
      const int rows = std::min(rows_per_band, height_ - done);
      std::uint8_t* byte = bytes.data();
      for (int y = height_ - 1 - done; y > height_ - 1 - done - rows; --y) {
        for (int x = 0; x < width_; ++x) {
          const double u = static_cast<double>(x) / width_;
          const double v = static_cast<double>(y) / height_;
          *byte++ = noisy(127.5 + 127.5 * std::sin(6.0 * u + 4.0 * v));  // blue
          *byte++ = noisy(255 * v);                                      // green
          *byte++ = noisy(255 * u);                                      // red
        }
      }
      if (Result<void> used = use(Band{rows, bytes.data(), width_ * 3, 3}); !used) return used;
    }
    return {};
  }

 private:
  int width_;
  int height_;
};

// A picture whose reading is timed: the time spent in it, between the bands it gives.
class Timed final : public Picture {
 public:
  explicit Timed(const Picture& picture) : picture_(picture) {}
  int Width() const override { return picture_.Width(); }
  int Height() const override { return picture_.Height(); }
  Result<void> ForEachBand(int rows_per_band, const BandUse& use) const override {
    auto since = Clock::now();
    Result<void> read = picture_.ForEachBand(rows_per_band, [&](const Band& band) {
      ms += Milliseconds(since);
      Result<void> used = use(band);
      since = Clock::now();
      return used;
    });
    ms += Milliseconds(since);
    return read;
  }
  mutable double ms = 0;

 private:
  const Picture& picture_;
};

int Fail(const char* what, const Failure& failure) {
  std::fprintf(stderr, "%s: %s\n", what, Describe(failure).c_str());
  return 1;
}

int MakeInput(const std::string& path, int width, int height) {
  Result<void> written = WriteFile(TestPicture(width, height), path);
  return written ? 0 : Fail("cannot write", written.failure());
}

int Resize(const std::string& in, int width, int height, const std::string& out) {
  const auto start = Clock::now();
  Result<BmpFile> file = BmpFile::Open(in);
  if (!file) return Fail("cannot read", file.failure());
  const Timed source(file.value());
  double write = 0;
  Result<void> done = WriteFile(Stretched(source, width, height), out, &write);
  if (!done) return Fail("cannot resize", done.failure());
  const double whole = Milliseconds(start);
  std::printf("%.1f %.1f %.1f\n", source.ms, whole - source.ms - write, write);
  return 0;
}

int Floor(const std::string& in, int width, int height, const std::string& out) {
  Result<BmpFile> file = BmpFile::Open(in);
  if (!file) return Fail("cannot read", file.failure());
  // In bands as the resampler reads them.
  Result<void> read = file.value().ForEachBand(SourceBandRows(file.value()),
                                               [](const Band&) { return Result<void>{}; });
  if (!read) return Fail("cannot read", read.failure());
  Result<void> written = WriteFile(Blank(width, height), out);
  return written ? 0 : Fail("cannot write", written.failure());
}

struct Run {
  double wall = 0;  // seconds
  double cpu = 0;   // user + system seconds
  long peak_kib = 0;
};

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

// Runs the command as a child process, its output going to `output`; false if it fails.
bool Measure(const std::vector<std::string>& command, const std::string& output, Run& run) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const auto start = Clock::now();
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return false;
  run.wall = Milliseconds(start) / 1000;
  run.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  run.peak_kib = usage.ru_maxrss;  // KiB on Linux
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Tool {
  std::string name;
  std::vector<std::string> command;
  std::string output;  // the picture it writes
  std::vector<Run> runs;
  std::vector<double> phases[3];  // ours only: read, stretch, write, in milliseconds

  double MinWall() const {
    double best = runs.front().wall;
    for (const Run& run : runs) best = std::min(best, run.wall);
    return best;
  }
  double MedianWall() const {
    std::vector<double> walls;
    for (const Run& run : runs) walls.push_back(run.wall);
    return Median(walls);
  }
  double MedianCpu() const {
    std::vector<double> cpus;
    for (const Run& run : runs) cpus.push_back(run.cpu);
    return Median(cpus);
  }
  double PeakMib() const {
    long peak = 0;
    for (const Run& run : runs) peak = std::max(peak, run.peak_kib);
    return peak / 1024.0;
  }
};

// How far a result is from ours: the mean and the largest difference of a colour channel, and
// how many channels differ at all.
std::string Difference(const Result<Image32>& ours, const Result<Image32>& theirs) {
  if (!ours || !theirs || ours.value().pixels.size() != theirs.value().pixels.size()) {
    return "not compared (not read back)";
  }
  double total = 0;
  std::size_t differing = 0;
  int largest = 0;
  const auto& a = ours.value().pixels;
  const auto& b = theirs.value().pixels;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int difference = std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                                      static_cast<int>((b[i] >> shift) & 0xFF));
      total += difference;
      differing += difference != 0;
      largest = std::max(largest, difference);
    }
  }
  const double channels = 3.0 * static_cast<double>(a.size());
  char text[96];
  std::snprintf(text, sizeof text, "%.4f levels on average, %d at most, %.3f%% of channels differ",
                total / channels, largest, 100.0 * static_cast<double>(differing) / channels);
  return text;
}

// How far stb_image_resize's stretch of the source is from ours.
std::string StbDifference(const Result<Image32>& source, const Result<Image32>& ours, int width,
                          int height) {
  if (!source) return "not compared (" + Describe(source.failure()) + ")";
  return Difference(ours, StbStretch(source.value(), width, height));
}

int Compare(const std::string& in, int width, int height, int runs, const std::string& workdir,
            bool alone) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string w = std::to_string(width), h = std::to_string(height);
  const std::string size = w + "x" + h;
  const auto out = [&](const char* name) { return workdir + "/" + name + "-" + size + ".bmp"; };
  std::vector<Tool> tools = {
      {"plumeroll", {self, "resize", in, w, h, out("plumeroll")}, out("plumeroll"), {}, {}},
      {"I/O floor", {self, "floor", in, w, h, out("floor")}, out("floor"), {}, {}},
  };
  if (!alone) {
    tools.push_back({"ImageMagick",
                     {"convert", in, "-resize", size + "!", out("imagemagick")},
                     out("imagemagick"),
                     {},
                     {}});
    tools.push_back({"libvips",
                     {"vips", "thumbnail", in, out("libvips"), w, "--height", h, "--size", "force"},
                     out("libvips"),
                     {},
                     {}});
    tools.push_back({"Pillow",
                     {"/usr/bin/python3", "-c",
                      "import sys\nfrom PIL import Image\n"
                      "Image.open(sys.argv[1]).resize((int(sys.argv[2]), "
                      "int(sys.argv[3]))).save(sys.argv[4])",
                      in, w, h, out("pillow")},
                     out("pillow"),
                     {},
                     {}});
  }
  const std::string phases_file = workdir + "/phases.txt";
  for (int i = 0; i < runs; ++i) {  // interleaved, so that all see the same machine
    for (Tool& tool : tools) {
      Run run;
      if (!Measure(tool.command, phases_file, run)) {
        std::fprintf(stderr, "%s failed\n", tool.name.c_str());
        return 1;
      }
      tool.runs.push_back(run);
      if (&tool != &tools.front()) continue;
      std::ifstream phases(phases_file);
      for (auto& phase : tool.phases) {
        double ms = 0;
        phases >> ms;
        phase.push_back(ms);
      }
    }
  }
  Result<BmpFile> source = BmpFile::Open(in);
  if (!source) return 1;
  const Tool& ours = tools.front();
  std::printf("resize %dx%d -> %s, %d runs each, interleaved (wall: min / median; cpu: median)\n",
              source.value().Width(), source.value().Height(), size.c_str(), runs);
  std::printf("  %-12s %9s %9s %9s %11s   %s\n", "", "min wall", "median", "cpu", "peak RSS",
              "ours / theirs (median wall, cpu, peak)");
  for (const Tool& tool : tools) {
    std::printf("  %-12s %8.3fs %8.3fs %8.3fs %7.1f MiB", tool.name.c_str(), tool.MinWall(),
                tool.MedianWall(), tool.MedianCpu(), tool.PeakMib());
    if (&tool != &ours) {
      std::printf("   %.2fx, %.2fx, %.2fx", ours.MedianWall() / tool.MedianWall(),
                  ours.MedianCpu() / tool.MedianCpu(), ours.PeakMib() / tool.PeakMib());
    }
    std::printf("\n");
  }
  std::printf("  plumeroll's phases (median): read %.0f ms, stretch %.0f ms, write %.0f ms\n",
              Median(ours.phases[0]), Median(ours.phases[1]), Median(ours.phases[2]));
  const Result<Image32> ours_result = ReadBmp(ours.output);
  for (const Tool& tool : tools) {
    if (&tool == &ours || tool.name == "I/O floor") continue;
    std::printf("  %s's result against ours: %s\n", tool.name.c_str(),
                Difference(ours_result, ReadBmp(tool.output)).c_str());
  }
  std::printf("  stb_image_resize's result against ours: %s\n",
              StbDifference(ReadBmp(in), ours_result, width, height).c_str());
  return 0;
}

int Agree(const std::string& in, const std::vector<std::string>& sizes) {
  Result<BmpFile> file = BmpFile::Open(in);
  if (!file) return Fail("cannot read", file.failure());
  const Result<Image32> source = Whole(file.value());
  for (const std::string& size : sizes) {
    int width = 0, height = 0;
    if (std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2) return Usage();
    std::printf("  %s %dx%d -> %dx%d, stb_image_resize against ours: %s\n",
                std::filesystem::path(in).filename().c_str(), file.value().Width(),
                file.value().Height(), width, height,
                StbDifference(source, Whole(Stretched(file.value(), width, height)), width, height)
                    .c_str());
  }
  return 0;
}

}  // namespace
}  // namespace plumeroll

int main(int argc, char** argv) {
  using namespace plumeroll;
  const std::vector<std::string> args(argv + 1, argv + argc);
  int width = 4000, height = 3000, runs = 0;
  if (args.size() == 2 && args[0] == "make-input") return MakeInput(args[1], width, height);
  if (args.size() == 4 && args[0] == "make-input" && ParseSize(argv[3], width) &&
      ParseSize(argv[4], height)) {
    return MakeInput(args[1], width, height);
  }
  if (args.size() == 5 && (args[0] == "resize" || args[0] == "floor") &&
      ParseSize(argv[3], width) && ParseSize(argv[4], height)) {
    return args[0] == "resize" ? Resize(args[1], width, height, args[4])
                               : Floor(args[1], width, height, args[4]);
  }
  if ((args.size() == 6 || (args.size() == 7 && args[6] == "alone")) && args[0] == "compare" &&
      ParseSize(argv[3], width) && ParseSize(argv[4], height) && ParseSize(argv[5], runs)) {
    return Compare(args[1], width, height, runs, args[5], args.size() == 7);
  }
  if (args.size() >= 3 && args[0] == "agree") {
    return Agree(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
  }
  return Usage();
}
