// Benchmarks of the picture pipeline, natively, driven by tools/bench.sh.
//
//   plumeroll_bench make-input OUT [WIDTH HEIGHT]
//       writes a 24-bit test picture (default 4000 x 3000): smooth gradients plus noise.
//   plumeroll_bench resize IN WIDTH HEIGHT OUT
//       the resize's work with the portable reader: read the picture, stretch it, write the
//       24-bit file; prints the milliseconds of each phase.
//   plumeroll_bench compare IN WIDTH HEIGHT RUNS WORKDIR
//       runs "resize", ImageMagick (convert IN -resize WxH! OUT), libvips (vips thumbnail IN OUT
//       W --height H --size force) and Pillow (Image.open(IN).resize((W, H)).save(OUT)) RUNS
//       times each, interleaved, each run a child process, and prints wall time, CPU time and
//       peak memory (the child's maximum resident set, from wait4), our phases, the ratios
//       ours / theirs, and how far each output is from ours.
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

using Clock = std::chrono::steady_clock;

int Usage() {
  std::fputs(
      "usage: plumeroll_bench make-input OUT [WIDTH HEIGHT]\n"
      "       plumeroll_bench resize IN WIDTH HEIGHT OUT\n"
      "       plumeroll_bench compare IN WIDTH HEIGHT RUNS WORKDIR\n",
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
  const auto start = Clock::now();
  Result<Image32> source = ReadFile(in);
  if (!source) {
    std::fprintf(stderr, "cannot read %s: %s\n", in.c_str(), Describe(source.failure()).c_str());
    return 1;
  }
  const double read = Milliseconds(start);
  Result<Image32> stretched = Stretch(source.value(), width, height);
  if (!stretched) {
    std::fprintf(stderr, "cannot stretch: %s\n", Describe(stretched.failure()).c_str());
    return 1;
  }
  const double stretch = Milliseconds(start) - read;
  if (!WriteFile(stretched.value(), out)) {
    std::fprintf(stderr, "cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("%.1f %.1f %.1f\n", read, stretch, Milliseconds(start) - read - stretch);
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

// How far a result is from ours: the mean and the largest difference of a colour channel.
std::string Difference(const std::string& ours_path, const std::string& theirs_path) {
  Result<Image32> ours = ReadFile(ours_path);
  Result<Image32> theirs = ReadFile(theirs_path);
  if (!ours || !theirs || ours.value().pixels.size() != theirs.value().pixels.size()) {
    return "not compared (not read back)";
  }
  double total = 0;
  int largest = 0;
  const auto& a = ours.value().pixels;
  const auto& b = theirs.value().pixels;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int difference = std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                                      static_cast<int>((b[i] >> shift) & 0xFF));
      total += difference;
      largest = std::max(largest, difference);
    }
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.2f levels on average, %d at most",
                total / (3.0 * static_cast<double>(a.size())), largest);
  return text;
}

int Compare(const std::string& in, int width, int height, int runs, const std::string& workdir) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string w = std::to_string(width), h = std::to_string(height);
  const std::string size = w + "x" + h;
  const auto out = [&](const char* name) { return workdir + "/" + name + "-" + size + ".bmp"; };
  std::vector<Tool> tools = {
      {"plumeroll", {self, "resize", in, w, h, out("plumeroll")}, out("plumeroll"), {}, {}},
      {"ImageMagick", {"convert", in, "-resize", size + "!", out("imagemagick")},
       out("imagemagick"), {}, {}},
      {"libvips",
       {"vips", "thumbnail", in, out("libvips"), w, "--height", h, "--size", "force"},
       out("libvips"), {}, {}},
      {"Pillow",
       {"/usr/bin/python3", "-c",
        "import sys\nfrom PIL import Image\n"
        "Image.open(sys.argv[1]).resize((int(sys.argv[2]), int(sys.argv[3]))).save(sys.argv[4])",
        in, w, h, out("pillow")},
       out("pillow"), {}, {}},
  };
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
  Result<Image32> source = ReadFile(in);
  if (!source) return 1;
  const Tool& ours = tools.front();
  std::printf("resize %dx%d -> %s, %d runs each, interleaved (wall: min / median; cpu: median)\n",
              source.value().width, source.value().height, size.c_str(), runs);
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
  for (const Tool& tool : tools) {
    if (&tool == &ours) continue;
    std::printf("  %s's result against ours: %s\n", tool.name.c_str(),
                Difference(ours.output, tool.output).c_str());
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
  if (args.size() == 6 && args[0] == "compare" && ParseSize(argv[3], width) &&
      ParseSize(argv[4], height) && ParseSize(argv[5], runs)) {
    return Compare(args[1], width, height, runs, args[5]);
  }
  return Usage();
}
