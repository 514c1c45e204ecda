// How long the main window's image box takes to paint a 4000 x 3000 picture: the first paint,
// then repaints of the same picture at the same size (the window uncovered or dragged).
//
//   plumeroll_paint_bench REPAINTS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/win32/Clock.h"
#include "bench/win32/LargePicture.h"
#include "platform/Win32Platform.h"

namespace {

using namespace plumeroll;

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

// Paints the whole window now and returns how long it took, in milliseconds.
double TimePaint(HWND window) {
  const double start = Now();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const int repaints = argc == 2 ? std::atoi(argv[1]) : 0;
  if (repaints < 1) {
    std::fprintf(stderr, "usage: %s REPAINTS\n", argv[0]);
    return 2;
  }
  if (!WriteLargePicture(L"large.bmp")) return 1;
  Win32Platform platform;
  NoEvents events;
  const std::unique_ptr<Form> form = platform.CreateForm(kLayout, events);
  form->Show();
  const HWND window = reinterpret_cast<HWND>(form->hWnd());
  TimePaint(window);  // the empty box
  Result<PicturePtr> picture = platform.LoadPicture("large.bmp");
  if (!picture) return 1;
  (*form)("imgCurrent").SetPicture(picture.value());
  const double first = TimePaint(window);
  std::vector<double> times;
  for (int i = 0; i < repaints; ++i) times.push_back(TimePaint(window));
  std::sort(times.begin(), times.end());
  std::printf("paint of a 4000 x 3000 picture in the image box (4455 x 735 twips)\n");
  std::printf("first paint %9.2f ms\nrepaint     %9.2f ms median, %.2f min, %.2f max (%d runs)\n",
              first, times[times.size() / 2], times.front(), times.back(), repaints);
  DeleteFileW(L"large.bmp");
  return 0;
}
