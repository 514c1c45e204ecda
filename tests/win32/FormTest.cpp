// Windows and controls built from layout tables: sizes in twips at the screen's DPI, borders,
// texts, states, fonts, text boxes, labels and the image box.
#include <cstring>

#include "platform/Win32Picture.h"
#include "platform/Win32Platform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

using enum ControlKind;

constexpr Font kBigBold{"MS Sans Serif", 18, 700, 0};

constexpr ControlRow kRows[] = {
    {"Label1", kNoIndex, Label, "Fond actuel de la barre :", 120, 120, 4455, 255, 1, true, true},
    {"imgCurrent", kNoIndex, ImageBox, "", 120, 480, 4455, 735, kNoTab, true, true},
    {"lblNone", kNoIndex, Label, "QUE DALLE", 1080, 600, 2415, 375, 8, true, true,
     TextAlign::Centre, 0, &kBigBold},
    {"cmdChange", kNoIndex, Button, "Changer le fond", 428, 1560, 1455, 495, 0, true, true},
    {"cmdOff", kNoIndex, Button, "\xC3\x89teint", 2108, 1560, 1455, 495, 10, false, true},
    {"Label3", 0, Label, "Largeur :", 195, 3120, 735, 255, 3, true, true},
    {"txtWidth", kNoIndex, TextBox, "1024", 960, 3120, 1095, 285, 4, false, true,
     TextAlign::Left, 4},
    {"Label3", 1, Label, "Hauteur :", 2520, 3120, 735, 255, 5, true, false},
    {"txtHeight", kNoIndex, TextBox, "150", 3308, 3120, 1095, 285, 6, true, true,
     TextAlign::Left, 4},
    {"picSize", kNoIndex, PictureBox, "", 5160, 600, 2175, 3015, 12, true, false},
    {"cdgFile", kNoIndex, FileDialog, "Choisissez", 0, 0, 0, 0, kNoTab, true, false},
};
constexpr FormLayout kMainLayout{
    "frmMain", "Qel : Plumeroll \xC3\xA9", BorderStyle::FixedSingle, 4710, 4575, 0, kRows};

constexpr ControlRow kDialogRows[] = {
    {"cmdUnload", kNoIndex, Button, "Ouwm", 1260, 1440, 1215, 495, 1, true, true},
};
constexpr FormLayout kDialogLayout{
    "frmDialog", "A propos...", BorderStyle::FixedDialog, 3735, 2070, 0, kDialogRows};

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override { DrainMessages(); }
  void TearDown() override { DrainMessages(); }

  HWND Child(std::string_view name, int index = kNoIndex) {
    return ChildAt(*form_, RowOf(kMainLayout, name, index));
  }

  Win32Platform platform_;
  RecordingEvents events_;
  std::unique_ptr<Form> form_ = platform_.CreateForm(kMainLayout, events_);
};

TEST(TwipsToPixels, ConvertsAtTheUsualScreenDensities) {
  struct Case {
    int twips, dpi, pixels;
  };
  const Case cases[] = {
      {1440, 96, 96},   {15, 96, 1},      {4710, 96, 314},  {2600, 96, 173},  {5000, 96, 333},
      {1440, 120, 120}, {12, 120, 1},     {4710, 120, 393}, {2600, 120, 217}, {5000, 120, 417},
      {0, 120, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.twips) + " twips at " + std::to_string(c.dpi) + " dpi");
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels);
  }
}

TEST_F(FormTest, WindowsHaveTheirLayoutsClientSizeCaptionAndBorder) {
  form_->Show();  // a dialog belongs to the window that is active when it is made
  std::unique_ptr<Form> dialog = platform_.CreateForm(kDialogLayout, events_);
  struct Case {
    const Form& form;
    const FormLayout& layout;
    bool minimize_box;
    HWND owner;  // an owned window is not in the taskbar
  };
  for (const Case& c : {Case{*form_, kMainLayout, true, nullptr},
                        Case{*dialog, kDialogLayout, false, FormWindow(*form_)}}) {
    SCOPED_TRACE(c.layout.name);
    const HWND window = FormWindow(c.form);
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_EQ(::IsWindowVisible(window) != FALSE, &c.form == form_.get()) << "created hidden";
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, TwipsToPixels(c.layout.client_width, ScreenDpi(LOGPIXELSX)));
    EXPECT_EQ(client.bottom, TwipsToPixels(c.layout.client_height, ScreenDpi(LOGPIXELSY)));
    EXPECT_EQ(WindowText(window), win32::Utf8ToWide(c.layout.caption));
    const DWORD style = StyleOf(window);
    EXPECT_TRUE((style & WS_CAPTION) && (style & WS_SYSMENU));
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) << "not resizable";
    EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, c.minimize_box);
    EXPECT_EQ(::GetWindow(window, GW_OWNER), c.owner);
  }
}

TEST_F(FormTest, EachRowWithAWindowGetsAControlInItsPlaceWithItsTextStateAndFont) {
  const int dpi = ScreenDpi(LOGPIXELSY);
  int windows = 0;
  for (const ControlRow& row : kRows) {
    SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.index));
    const HWND window = ChildAt(*form_, row);
    if (row.kind == PictureBox || row.kind == FileDialog) {
      EXPECT_EQ(window, nullptr);
      continue;
    }
    Control& control = (*form_)(row.name, row.index);
    if (row.kind != Label) {
      EXPECT_EQ(control.Text(), row.caption);
    }
    ASSERT_NE(window, nullptr) << "no window in the row's place";
    ++windows;
    EXPECT_EQ(::IsWindowEnabled(window) != FALSE, row.enabled);
    EXPECT_EQ((StyleOf(window) & WS_VISIBLE) != 0, row.visible);
    if (row.kind == ImageBox) continue;
    EXPECT_EQ(WindowText(window), win32::Utf8ToWide(row.caption));
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    EXPECT_EQ(font.lfHeight, -::MulDiv(row.font ? row.font->points : 8, dpi, 72));
    if (row.font) {
      EXPECT_EQ(font.lfWeight, row.font->weight);
    }
    if (row.kind == TextBox) {
      EXPECT_EQ(control.MaxLength(), row.max_length);
    } else if (row.kind == Button) {
      EXPECT_EQ(StyleOf(window) & 0xF, static_cast<DWORD>(BS_PUSHBUTTON)) << "never a default";
    } else {
      EXPECT_EQ(StyleOf(window) & SS_TYPEMASK,
                static_cast<DWORD>(row.align == TextAlign::Centre ? SS_CENTER : SS_LEFT));
    }
  }
  EXPECT_EQ(windows, 9);
  EXPECT_THROW((*form_)("cmdNothing"), std::out_of_range);
  EXPECT_THROW((*form_)("Label3", 2), std::out_of_range);
}

TEST_F(FormTest, StatesAndTextsChangeAtOnce) {
  const std::string text = "\xC3\x87" "a change \xE2\x82\xAC";  // "Ça change €"
  for (const auto& [name, index] : {std::pair<const char*, int>{"cmdChange", kNoIndex},
                                    {"txtWidth", kNoIndex}, {"Label3", 1},
                                    {"imgCurrent", kNoIndex}}) {
    SCOPED_TRACE(name);
    Control& control = (*form_)(name, index);
    const HWND window = Child(name, index);
    for (const bool state : {true, false, true}) {
      control.SetEnabled(state);
      control.SetVisible(state);
      EXPECT_EQ(::IsWindowEnabled(window) != FALSE, state);
      EXPECT_EQ((StyleOf(window) & WS_VISIBLE) != 0, state) << "the control's own visibility";
    }
    if (name == std::string_view("imgCurrent")) continue;
    control.SetText(text);
    EXPECT_EQ(control.Text(), text);
    EXPECT_EQ(WindowText(window), win32::Utf8ToWide(text));
  }
}

TEST_F(FormTest, SetHeightChangesTheOuterHeightOnly) {
  const int dpi = ScreenDpi(LOGPIXELSY);
  const HWND window = FormWindow(*form_);
  RECT before{};
  ::GetWindowRect(window, &before);
  for (const int twips : {2600, 5000, 2600}) {
    SCOPED_TRACE(std::to_string(twips) + " twips");
    form_->SetHeight(twips);
    RECT after{};
    ::GetWindowRect(window, &after);
    EXPECT_EQ(after.bottom - after.top, TwipsToPixels(twips, dpi));
    after.bottom = before.bottom;
    EXPECT_TRUE(::EqualRect(&after, &before)) << "moved or widened";
  }
}

TEST_F(FormTest, TextBoxTakesNoMoreThanMaxLengthCharactersTypedOrPasted) {
  Control& box = (*form_)("txtHeight");
  const HWND edit = Child("txtHeight");
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(::OpenClipboard(FormWindow(*form_)));
  ::EmptyClipboard();
  const wchar_t pasted[] = L"98765";
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
  std::memcpy(::GlobalLock(memory), pasted, sizeof pasted);
  ::GlobalUnlock(memory);
  if (!::SetClipboardData(CF_UNICODETEXT, memory)) ::GlobalFree(memory);  // else the system's
  ::CloseClipboard();
  struct Case {
    const char* what;
    const char* before;
    const wchar_t* typed;  // null: a paste
    const char* after;
  };
  for (const Case& c : {Case{"typed", "", L"123456", "1234"},
                        Case{"pasted into an empty box", "", nullptr, "9876"},
                        Case{"pasted after two characters", "12", nullptr, "1298"}}) {
    SCOPED_TRACE(c.what);
    box.SetText(c.before);
    box.SetSelStart(static_cast<int>(std::strlen(c.before)));
    if (c.typed) {
      for (const wchar_t* key = c.typed; *key; ++key) ::SendMessageW(edit, WM_CHAR, *key, 1);
    } else {
      ::SendMessageW(edit, WM_PASTE, 0, 0);
    }
    EXPECT_EQ(box.Text(), c.after);
  }
}

TEST_F(FormTest, SelectionLengthPastTheEndSelectsToTheEnd) {
  Control& box = (*form_)("txtHeight");
  const HWND edit = Child("txtHeight");
  ASSERT_EQ(box.Text(), "150");
  struct Case {
    int start, length;
    int want_start, want_length;
  };
  const Case cases[] = {
      {0, 4, 0, 3},  // the size boxes' own handler: MaxLength past a shorter text
      {0, 3, 0, 3}, {1, 1, 1, 1}, {1, 100, 1, 2}, {3, 4, 3, 0}, {7, 2, 3, 0}, {0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("start " + std::to_string(c.start) + ", length " + std::to_string(c.length));
    box.SetSelStart(c.start);
    box.SetSelLength(c.length);
    EXPECT_EQ(SelectionOf(edit), (std::pair{c.want_start, c.want_length}));
    box.SetSelStart(c.want_start);
    EXPECT_EQ(SelectionOf(edit).second, 0) << "setting the start drops the selection";
  }
}

TEST_F(FormTest, LabelShowsEachLineFeedCarriageReturnPairAsOneLineBreak) {
  Control& label = (*form_)("Label1");
  const HWND window = Child("Label1");
  struct Case {
    const char* text;
    const wchar_t* shown;
  };
  const Case cases[] = {
      {"a\n\rb", L"a\r\nb"},
      {"Attention\n\rD\xC3\xA9velopp\xC3\xA9\n\r\xC2\xA9 2026",
       L"Attention\r\nD\xE9velopp\xE9\r\n\xA9 2026"},
      {"a\r\nb", L"a\r\nb"},
      {"a\n\r\n\rb", L"a\r\n\r\nb"},
      {"sans saut", L"sans saut"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    label.SetText(c.text);
    EXPECT_EQ(WindowText(window), c.shown);
  }
}

// What the image box draws (0x00RRGGBB), read back from a 32-bit bitmap of its size.
Image32 PaintedImage(HWND box) {
  RECT client{};
  ::GetClientRect(box, &client);
  Image32 image{client.right, client.bottom, std::vector<std::uint32_t>(client.right * client.bottom)};
  const BITMAPINFO info = win32::TopDown32BitInfo(image.width, image.height);
  void* bits = nullptr;
  const win32::UniqueHdc dc(::CreateCompatibleDC(nullptr));
  const win32::UniqueHbitmap bitmap(
      ::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const win32::SelectGuard select(dc.get(), bitmap.get());
  ::SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  ::GdiFlush();
  std::memcpy(image.pixels.data(), bits, image.pixels.size() * 4);
  for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
  return image;
}

TEST_F(FormTest, ImageBoxStretchesItsPictureToTheWholeBoxOnEachAxis) {
  // Four quarters of 4 x 4 pixels: red, blue / green, white, from the system's loader. Inside
  // each quarter the stretched picture keeps the quarter's colour whatever the smoothing.
  constexpr std::uint32_t kQuarters[2][2] = {{0xFF0000, 0x0000FF}, {0x00FF00, 0xFFFFFF}};
  Image32 quarters{8, 8, {}};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) quarters.pixels.push_back(0xFF000000 | kQuarters[y / 4][x / 4]);
  }
  ScratchFolder scratch;
  const std::string file = Utf8(scratch / "quarters.bmp");
  ASSERT_TRUE(platform_.SavePicture(quarters, file));
  Result<PicturePtr> loaded = platform_.LoadPicture(file);
  ASSERT_TRUE(loaded);

  Control& box = (*form_)("imgCurrent");
  const HWND window = Child("imgCurrent");
  ASSERT_NE(window, nullptr);
  box.SetPicture(loaded.value());
  const Image32 shown = PaintedImage(window);
  const int w = shown.width;
  const int h = shown.height;
  ASSERT_GT(w, 8);
  ASSERT_GT(h, 8);
  // Each quarter's outer corner, and a point an eighth of the box inside it.
  for (const int qy : {0, 1}) {
    for (const int qx : {0, 1}) {
      SCOPED_TRACE("quarter " + std::to_string(qx) + "," + std::to_string(qy));
      const int x = qx ? w - 1 : 0;
      const int y = qy ? h - 1 : 0;
      EXPECT_EQ(shown.pixels[y * w + x], kQuarters[qy][qx]);
      EXPECT_EQ(shown.pixels[(qy ? y - h / 8 : h / 8) * w + (qx ? x - w / 8 : w / 8)], kQuarters[qy][qx]);
    }
  }
}

}  // namespace
}  // namespace plumeroll::testing
