// The windows of plumeroll.exe as the tests see them: controls found by class and text, the
// places of the layout in twips, and the checks that several tests share.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/Automation.h"

namespace plumeroll::e2e {

inline constexpr wchar_t kQueDalle[] = L"QUE DALLE";
inline constexpr wchar_t kRemoved[] = L"Ouwm ? =(";
inline constexpr wchar_t kNotice[] = L"Attention : IE n'accepte que le .bmp pour fond...";

// The main window and its controls; a control that cannot be found is null.
struct MainWindow {
  explicit MainWindow(HWND main);

  HWND window = nullptr;
  HWND label1 = nullptr;
  HWND lbl_none = nullptr;
  HWND cmd_change = nullptr;
  HWND cmd_fuck = nullptr;
  HWND cmd_about = nullptr;
  HWND label2 = nullptr;
  HWND label3_width = nullptr;
  HWND label3_height = nullptr;
  HWND txt_width = nullptr;
  HWND txt_height = nullptr;
  HWND cmd_size = nullptr;
  HWND cmd_file = nullptr;

  int OuterHeight() const;
  int ClientWidth() const;
  // The box of the image on the screen, from its place in the layout.
  RECT ImageBoxOnScreen() const;
  // Brings the window to the front, lets it repaint and captures it, title bar included.
  Pixels Capture() const;
};

// How far what the screen shows in `box` is from `picture` stretched to fill it: the largest
// difference of one colour channel between the means of matching blocks of a 4 x 4 grid.
double PictureDistance(const Pixels& shown, const Pixels& picture);
// True when the image box shows the picture, stretched to fill it exactly.
bool ShowsPicture(const MainWindow& main, const Pixels& picture);

// The selection of a text box: [start, end).
struct Selection {
  int start = 0;
  int end = 0;
  bool operator==(const Selection&) const = default;
};
Selection SelectionOf(HWND edit);

// The About window and its controls.
struct AboutWindow {
  explicit AboutWindow(HWND about);

  HWND window = nullptr;
  HWND label1 = nullptr;     // notice, credit and rights
  HWND mail_link = nullptr;  // the label that shows an e-mail address
  HWND web_link = nullptr;   // the label that shows a web address
  HWND cmd_unload = nullptr;
};

}  // namespace plumeroll::e2e
