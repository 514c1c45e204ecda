// Layout tables: each window is described as data, one row per control, lengths in twips
// (1440 per inch). The Win32 side builds the real window and controls from them; the tests
// build fakes from the same rows.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace plumeroll {

enum class ControlKind {
  Label,        // static text; takes no focus
  ImageBox,     // shows its picture stretched to the whole box
  Button,
  TextBox,      // one line
  PictureBox,   // hidden drawing surface: no window of its own
  FileDialog,   // common file dialog: no visible part; Caption is its title
};

enum class TextAlign { Left, Centre };
enum class BorderStyle { FixedSingle, FixedDialog };

struct FontSpec {
  std::string_view Face;
  int Points;
  int Weight;
  int Charset;
};

inline constexpr std::uint32_t kDefaultColour = 0xFFFFFFFFu;
inline constexpr int kNoIndex = -1;   // not part of a control array
inline constexpr int kNoTab = -1;     // not in the tab order

struct ControlRow {
  std::string_view Name;
  int Index;  // control-array index, or kNoIndex
  ControlKind Kind;
  std::string_view Caption;  // caption, text or dialog title (UTF-8)
  int Left, Top, Width, Height;  // twips, relative to the client area
  int TabIndex;                  // or kNoTab
  bool Enabled;
  bool Visible;
  TextAlign Align = TextAlign::Left;
  int MaxLength = 0;                      // text boxes: 0 means no limit
  const FontSpec* Font = nullptr;         // null: the window's default font
  std::uint32_t ForeColour = kDefaultColour;  // 0x00BBGGRR, or kDefaultColour
};

struct FormLayout {
  std::string_view Name;
  std::string_view Caption;
  BorderStyle Border;
  int ClientWidth, ClientHeight;  // twips
  int IconId;                     // resource id of the window's icon
  std::span<const ControlRow> Controls;
};

// Twips to pixels at the given dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}
constexpr int PixelsToTwips(int pixels, int dpi) {
  const long long scaled = static_cast<long long>(pixels) * 1440;
  return static_cast<int>(scaled >= 0 ? (scaled + dpi / 2) / dpi : -((-scaled + dpi / 2) / dpi));
}

}  // namespace plumeroll
