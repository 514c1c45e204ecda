// How long the main window's image box takes to paint a 4000 x 3000 picture: the first paint,
// which stretches the picture to the box as it reads it from the file, then repaints of the
// same picture at the same size (the window uncovered or dragged), which only copy the
// stretched rows to the screen.
//
//   plumeroll_paint_bench paint PICTURE REPAINTS
//       one round, in this process: prints the first paint's milliseconds, the process's peak
//       working set in MiB, then each repaint's milliseconds.
//   plumeroll_paint_bench compare PICTURE ROUNDS REPAINTS ARCH EXE [ARCH EXE]...
//       writes the 4000 x 3000 PICTURE, runs ROUNDS rounds of each EXE (this benchmark built
//       for ARCH), interleaved, each its own process, and prints the table.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/win32/ChildProcess.h"
#include "bench/win32/LargePicture.h"
#include "bench/win32/Measure.h"
#include "platform/Win32Platform.h"

namespace plumeroll::bench {
namespace {

// The main window's image box, alone on a window.
constexpr ControlRow kRows[] = {
    {"imgCurrent", kNoIndex, ControlKind::ImageBox, "", 120, 480, 4455, 735, kNoTab, true, true},
};
constexpr FormLayout kLayout{
    "frmPaint", "Plumeroll bench: paint", BorderStyle::FixedSingle, 4710, 1500, 0, kRows};

struct NoEvents : FormEvents {
  void Click(std::string_view, int) override {}
  void GotFocus(std::string_view, int) override {}
};

int Usage() {
  std::fputs(
      "usage: plumeroll_paint_bench paint PICTURE REPAINTS\n"
      "       plumeroll_paint_bench compare PICTURE ROUNDS REPAINTS ARCH EXE [ARCH EXE]...\n",
      stderr);
  return 2;
}

// Paints the whole window now and returns how long it took, in milliseconds.
double TimePaint(HWND window) {
  const double start = Now();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  return Now() - start;
}

int PaintRound(const std::string& picture_path, int repaints) {
  Win32Platform platform;
  NoEvents events;
  const std::unique_ptr<Form> form = platform.CreateForm(kLayout, events);
  form->Show();
  const HWND window = reinterpret_cast<HWND>(form->hWnd());
  TimePaint(window);  // the empty box
  Result<PicturePtr> picture = platform.LoadPicture(picture_path);
  if (!picture) {
    std::fprintf(stderr, "cannot load %s: %s\n", picture_path.c_str(),
                 Describe(picture.failure()).c_str());
    return 1;
  }
  (*form)("imgCurrent").SetPicture(picture.value());
  const double first = TimePaint(window);
  std::vector<double> times;
  for (int i = 0; i < repaints; ++i) times.push_back(TimePaint(window));
  std::printf("%.3f %.3f", first, PeakWorkingSetMib());
  for (double ms : times) std::printf(" %.3f", ms);
  std::printf("\n");
  return 0;
}

// The rounds of one architecture's program.
struct Rounds {
  std::string arch;
  std::wstring command_line;
  std::vector<double> first = {}, repaint = {}, peak = {};

  bool RunOnceMore() {
    const std::optional<std::string> output = OutputOf(command_line);
    std::istringstream figures(output.value_or(""));
    double ms = 0, mib = 0;
    if (!(figures >> ms >> mib)) {
      std::fprintf(stderr, "%s did not paint\n", arch.c_str());
      return false;
    }
    first.push_back(ms);
    peak.push_back(mib);
    while (figures >> ms) repaint.push_back(ms);
    return true;
  }
  void Print() const {
    std::printf("  %-8s %9.2f %9.2f   %9.2f %9.2f %9.2f   %7.1f MiB\n", arch.c_str(), Lowest(first),
                Median(first), Lowest(repaint), Median(repaint), Highest(repaint), Highest(peak));
  }
};

// args: PICTURE ROUNDS REPAINTS, then ARCH EXE pairs.
int Compare(const std::vector<std::string>& args, int rounds) {
  const std::wstring picture = Widen(args[0].c_str());
  if (!WriteLargePicture(picture)) {
    std::fprintf(stderr, "cannot write the 4000 x 3000 picture %s\n", args[0].c_str());
    return 1;
  }
  std::vector<Rounds> all;
  for (std::size_t pair = 3; pair + 1 < args.size(); pair += 2) {
    all.push_back({args[pair], Quoted(Widen(args[pair + 1].c_str())) + L" paint " +
                                   Quoted(picture) + L" " + Widen(args[2].c_str())});
  }
  bool painted = true;
  for (int round = 0; round < rounds && painted; ++round) {  // interleaved
    for (Rounds& each : all) painted = painted && each.RunOnceMore();
  }
  DeleteFileW(picture.c_str());
  if (!painted) return 1;
  std::printf(
      "the image box (4455 x 735 twips) painting a 4000 x 3000 picture, %d rounds of each "
      "(a first paint, then %s repaints), interleaved, each round its own process\n",
      rounds, args[2].c_str());
  std::printf("  %-8s %19s   %29s   %11s\n", "", "first paint ms", "repaint ms", "peak memory");
  std::printf("  %-8s %9s %9s   %9s %9s %9s\n", "", "min", "median", "min", "median", "max");
  for (const Rounds& each : all) each.Print();
  return 0;
}

}  // namespace
}  // namespace plumeroll::bench

int main(int argc, char** argv) {
  using namespace plumeroll::bench;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc == 4 && mode == "paint" && std::atoi(argv[3]) >= 1) {
    return PaintRound(argv[2], std::atoi(argv[3]));
  }
  if (argc >= 7 && argc % 2 == 1 && mode == "compare" && std::atoi(argv[3]) >= 1 &&
      std::atoi(argv[4]) >= 1) {
    return Compare(std::vector<std::string>(argv + 2, argv + argc), std::atoi(argv[3]));
  }
  return Usage();
}
