#include "tests/e2e/PlumerollWindows.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace plumeroll::e2e {
namespace {

bool IsStatic(HWND window) {
  return _wcsicmp(ClassOf(window).c_str(), L"Static") == 0;
}
bool IsEdit(HWND window) {
  return _wcsicmp(ClassOf(window).c_str(), L"Edit") == 0;
}

}  // namespace

MainWindow::MainWindow(HWND main) : window(main) {
  if (main == nullptr) return;
  label1 = FindChild(main, L"Static", L"Fond actuel de la barre d'outils Internet Explorer :");
  lbl_none = FindChild(main, L"Static", kQueDalle);
  if (lbl_none == nullptr) lbl_none = FindChild(main, L"Static", kRemoved);
  cmd_change = FindChild(main, L"Button", L"Changer le fond");
  cmd_fuck = FindChild(main, L"Button", L"Niquer le fond");
  cmd_about = FindChild(main, L"Button", L"?");
  label2 = FindChild(main, L"Static",
                     L"Veuillez préciser la taille approximative de la barre d'outils de votre "
                     L"Internet Explorer :");
  label3_width = FindChild(main, L"Static", L"Largeur :");
  label3_height = FindChild(main, L"Static", L"Hauteur :");
  cmd_size = FindChild(main, L"Button", L"Changer la taille");
  cmd_file = FindChild(main, L"Button", L"Charger l'image");
  // The two size boxes: width on the left, height on the right.
  for (HWND child : Descendants(main)) {
    if (!IsEdit(child)) continue;
    if (txt_width == nullptr) {
      txt_width = child;
    } else if (WindowRect(child).left < WindowRect(txt_width).left) {
      txt_height = txt_width;
      txt_width = child;
    } else {
      txt_height = child;
    }
  }
}

int MainWindow::OuterHeight() const {
  const RECT rect = WindowRect(window);
  return rect.bottom - rect.top;
}

int MainWindow::ClientWidth() const {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect.right - rect.left;
}

RECT MainWindow::ImageBoxOnScreen() const {
  const RECT client = ClientRectOnScreen(window);
  RECT box{};
  box.left = client.left + TwipsToPixelsX(120);
  box.top = client.top + TwipsToPixelsY(480);
  box.right = box.left + TwipsToPixelsX(4455);
  box.bottom = box.top + TwipsToPixelsY(735);
  return box;
}

Pixels MainWindow::Capture() const {
  BringToFront(window);
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle(window, 300ms);
  return CaptureScreen(WindowRect(window));
}

double PictureDistance(const Pixels& shown, const Pixels& picture) {
  constexpr int kBlocks = 4;
  double worst = 0;
  for (int row = 0; row < kBlocks; ++row) {
    for (int col = 0; col < kBlocks; ++col) {
      const Rgb a = shown.BlockMean(col, row, kBlocks, kBlocks);
      const Rgb b = picture.BlockMean(col, row, kBlocks, kBlocks);
      worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
  }
  return worst;
}

bool ShowsPicture(const MainWindow& main, const Pixels& picture) {
  // Resampling may differ from one system to the next; block means hardly move.
  constexpr double kTolerance = 40;
  return PictureDistance(CaptureScreen(main.ImageBoxOnScreen()), picture) <= kTolerance;
}

Selection SelectionOf(HWND edit) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  return Selection{static_cast<int>(LOWORD(answer)), static_cast<int>(HIWORD(answer))};
}

AboutWindow::AboutWindow(HWND about) : window(about) {
  if (about == nullptr) return;
  cmd_unload = FindChild(about, L"Button", L"Ouwm");
  for (HWND child : Descendants(about)) {
    if (!IsStatic(child)) continue;
    const std::wstring text = TextOf(child);
    if (text.rfind(kNotice, 0) == 0) {
      label1 = child;
    } else if (text.find(L'@') != std::wstring::npos) {
      mail_link = child;
    } else if (text.find(L'.') != std::wstring::npos && text.find(L' ') == std::wstring::npos) {
      web_link = child;  // an address: a dotted name without blanks
    }
  }
}

}  // namespace plumeroll::e2e
