// Benchmarks of the picture pipeline, driven by tools/bench.sh.
//
//   plumeroll_bench make-input OUT [WIDTH HEIGHT]
//       writes a 24-bit test picture (default 4000 x 3000): smooth gradients plus noise.
//   plumeroll_bench resize IN WIDTH HEIGHT OUT
//       the resize's work on its own: read the picture, stretch it, write the 24-bit file.
//   plumeroll_bench compare IN WIDTH HEIGHT RUNS WORKDIR CONVERT
//       runs "resize" and ImageMagick's "CONVERT IN -resize WIDTHxHEIGHT! OUT" RUNS times each,
//       each run a child process, and prints wall time, CPU time and peak memory (the child's
//       maximum resident set, from wait4), the ratios ours / ImageMagick, and how far apart the
//       two outputs are.
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

#include "bench/BmpReader.h"
#include "platform/Bmp.h"
#include "platform/Resample.h"

extern char** environ;

namespace plumeroll {
namespace {

int Usage() {
  std::fputs(
      "usage: plumeroll_bench make-input OUT [WIDTH HEIGHT]\n"
      "       plumeroll_bench resize IN WIDTH HEIGHT OUT\n"
      "       plumeroll_bench compare IN WIDTH HEIGHT RUNS WORKDIR CONVERT\n",
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

Result<Image32> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Failure{"open " + path, 0};
  return ReadBmp(in);
}

struct FileSink : ByteSink {
  explicit FileSink(const std::string& path) : out(path, std::ios::binary | std::ios::trunc) {}
  Result<void> Write(const void* bytes, std::size_t size) override {
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!out) return Failure{"ofstream::write", static_cast<std::uint32_t>(errno)};
    return {};
  }
  std::ofstream out;
};

bool WriteFile(const Image32& image, const std::string& path) {
  FileSink sink(path);
  return WriteBmp24(image, sink) && sink.out.flush();
}

int MakeInput(const std::string& path, int width, int height) {
  Image32 image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * height);
  std::uint32_t seed = 12345;
  auto noisy = [&seed](double level) {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    const double value = level + static_cast<int>(seed % 49) - 24;
    return static_cast<std::uint32_t>(std::clamp(value, 0.0, 255.0));
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width;
      const double v = static_cast<double>(y) / height;
      const std::uint32_t red = noisy(255 * u);
      const std::uint32_t green = noisy(255 * v);
      const std::uint32_t blue = noisy(127.5 + 127.5 * std::sin(6.0 * u + 4.0 * v));
      image.pixels.push_back(0xFF000000u | red << 16 | green << 8 | blue);
    }
  }
  if (!WriteFile(image, path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}

int Resize(const std::string& in, int width, int height, const std::string& out) {
  Result<Image32> source = ReadFile(in);
  if (!source) {
    std::fprintf(stderr, "cannot read %s: %s %u\n", in.c_str(), source.failure().call.c_str(),
                 source.failure().status);
    return 1;
  }
  Result<Image32> stretched = Stretch(source.value(), width, height);
  if (!stretched) {
    std::fprintf(stderr, "cannot stretch: %s %u\n", stretched.failure().call.c_str(),
                 stretched.failure().status);
    return 1;
  }
  if (!WriteFile(stretched.value(), out)) {
    std::fprintf(stderr, "cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}

struct Run {
  double wall = 0;  // seconds
  double cpu = 0;   // user + system seconds
  long peak_kib = 0;
};

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

// Runs the command as a child process, its output thrown away; false if it fails.
bool Measure(const std::vector<std::string>& command, Run& run) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return false;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  run.peak_kib = usage.ru_maxrss;  // KiB on Linux
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Summary {
  double min_wall, median_wall, median_cpu, peak_mib;
};

Summary Summarise(const std::vector<Run>& runs) {
  std::vector<double> walls, cpus;
  long peak = 0;
  for (const Run& run : runs) {
    walls.push_back(run.wall);
    cpus.push_back(run.cpu);
    peak = std::max(peak, run.peak_kib);
  }
  return {*std::min_element(walls.begin(), walls.end()), Median(walls), Median(cpus),
          peak / 1024.0};
}

int Compare(const std::string& in, int width, int height, int runs, const std::string& workdir,
            const std::string& convert) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const std::string ours_out = workdir + "/plumeroll-" + size + ".bmp";
  const std::string magick_out = workdir + "/imagemagick-" + size + ".bmp";
  const std::vector<std::string> ours = {
      self, "resize", in, std::to_string(width), std::to_string(height), ours_out};
  const std::vector<std::string> magick = {convert, in, "-resize", size + "!", magick_out};

  std::vector<Run> ours_runs(runs), magick_runs(runs);
  for (int i = 0; i < runs; ++i) {  // interleaved, so that both see the same machine
    if (!Measure(ours, ours_runs[i])) {
      std::fprintf(stderr, "plumeroll_bench resize failed\n");
      return 1;
    }
    if (!Measure(magick, magick_runs[i])) {
      std::fprintf(stderr, "%s failed\n", convert.c_str());
      return 1;
    }
  }
  Result<Image32> source = ReadFile(in);
  if (!source) return 1;
  const Summary o = Summarise(ours_runs);
  const Summary m = Summarise(magick_runs);
  std::printf("resize %dx%d -> %s, %d runs each (wall: min / median; cpu: median)\n",
              source.value().width, source.value().height, size.c_str(), runs);
  std::printf("  %-12s %9s %9s %9s %11s\n", "", "min wall", "median", "cpu", "peak RSS");
  std::printf("  %-12s %8.3fs %8.3fs %8.3fs %7.1f MiB\n", "plumeroll", o.min_wall, o.median_wall,
              o.median_cpu, o.peak_mib);
  std::printf("  %-12s %8.3fs %8.3fs %8.3fs %7.1f MiB\n", "ImageMagick", m.min_wall, m.median_wall,
              m.median_cpu, m.peak_mib);
  std::printf("  %-12s %8.2fx %8.2fx %8.2fx %10.2fx\n", "ours/IM", o.min_wall / m.min_wall,
              o.median_wall / m.median_wall, o.median_cpu / m.median_cpu, o.peak_mib / m.peak_mib);
  const double pixels_mib = (static_cast<double>(source.value().width) * source.value().height +
                             static_cast<double>(width) * height) *
                            4 / (1024.0 * 1024.0);
  const double target_mib = pixels_mib * 1.1;
  std::printf("  memory target (input + output pixels, 4 bytes each, + 10%%): %.1f MiB: %s\n",
              target_mib, o.peak_mib <= target_mib ? "PASS" : "MISS");

  // How close the two results are, channel by channel (informational).
  Result<Image32> ours_image = ReadFile(ours_out);
  Result<Image32> magick_image = ReadFile(magick_out);
  if (ours_image && magick_image &&
      ours_image.value().pixels.size() == magick_image.value().pixels.size()) {
    double total = 0;
    int largest = 0;
    const auto& a = ours_image.value().pixels;
    const auto& b = magick_image.value().pixels;
    for (std::size_t i = 0; i < a.size(); ++i) {
      for (int shift = 0; shift < 24; shift += 8) {
        const int difference = std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                                        static_cast<int>((b[i] >> shift) & 0xFF));
        total += difference;
        largest = std::max(largest, difference);
      }
    }
    std::printf("  outputs differ by %.2f levels on average (largest %d) of 255\n",
                total / (3.0 * static_cast<double>(a.size())), largest);
  } else {
    std::printf("  outputs not compared (ImageMagick's file could not be read back)\n");
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
  if (args.size() == 5 && args[0] == "resize" && ParseSize(argv[3], width) &&
      ParseSize(argv[4], height)) {
    return Resize(args[1], width, height, args[4]);
  }
  if (args.size() == 7 && args[0] == "compare" && ParseSize(argv[3], width) &&
      ParseSize(argv[4], height) && ParseSize(argv[5], runs)) {
    return Compare(args[1], width, height, runs, args[5], args[6]);
  }
  return Usage();
}
