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
  FileDialog,   // common file dialog: no visible part; its caption is its title
};

enum class TextAlign { Left, Centre };
enum class BorderStyle { FixedSingle, FixedDialog };

// A font other than the window's default one; a face the system lacks is replaced by the
// nearest one it has.
struct Font {
  std::string_view face;
  int points;
  int weight;
  int charset;
};

inline constexpr std::uint32_t kDefaultColour = 0xFFFFFFFFu;
inline constexpr int kNoIndex = -1;   // not part of a control array
inline constexpr int kNoTab = -1;     // not in the tab order

struct ControlRow {
  std::string_view name;
  int index;  // control-array index, or kNoIndex
  ControlKind kind;
  std::string_view caption;        // caption, text or dialog title (UTF-8)
  int left, top, width, height;    // twips, relative to the client area
  int tab_index;                   // or kNoTab
  bool enabled;
  bool visible;
  TextAlign align = TextAlign::Left;
  int max_length = 0;                          // text boxes: 0 means no limit
  const Font* font = nullptr;                  // null: the window's default font
  std::uint32_t fore_colour = kDefaultColour;  // 0x00BBGGRR, or kDefaultColour
};

struct FormLayout {
  std::string_view name;
  std::string_view caption;
  BorderStyle border;
  int client_width, client_height;  // twips
  int icon_id;                      // resource id of the window's icon
  std::span<const ControlRow> controls;
};

// Twips to pixels at the given dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

}  // namespace plumeroll
