// Windows and controls built from layout tables: sizes in twips at the screen's DPI, borders,
// texts, states, fonts, text boxes, labels and the image box.
#include <cstring>
#include <stdexcept>

#include "platform/Win32Picture.h"
#include "platform/Win32Platform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

using enum ControlKind;

constexpr FontSpec kBigBold{"MS Sans Serif", 18, 700, 0};
constexpr std::uint32_t kBlue = 0x00FF0000;  // 0x00BBGGRR

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
    {"Label3", 1, Label, "Hauteur :", 2520, 3120, 735, 255, 5, true, true},
    {"txtHeight", kNoIndex, TextBox, "150", 3308, 3120, 1095, 285, 6, true, true,
     TextAlign::Left, 4},
    {"lblLink", kNoIndex, Label, "http://plumeroll.example/", 720, 3600, 2280, 255, 2, true,
     false, TextAlign::Centre, 0, nullptr, kBlue},
    {"picSize", kNoIndex, PictureBox, "", 5160, 600, 2175, 3015, 12, true, false},
    {"cdgFile", kNoIndex, FileDialog, "Choisissez", 0, 0, 0, 0, kNoTab, true, false},
};
constexpr int kWindowedRows = 10;

constexpr FormLayout kMainLayout{
    "frmMain", "Qel : Plumeroll \xC3\xA9", BorderStyle::FixedSingle, 4710, 4575, 0, kRows};

constexpr ControlRow kDialogRows[] = {
    {"cmdUnload", kNoIndex, Button, "Ouwm", 1260, 1440, 1215, 495, 1, true, true},
};
constexpr FormLayout kDialogLayout{
    "frmDialog", "A propos...", BorderStyle::FixedDialog, 3735, 2070, 0, kDialogRows};

const ControlRow& Row(std::string_view name, int index = kNoIndex) {
  for (const ControlRow& row : kRows) {
    if (row.Name == name && row.Index == index) return row;
  }
  throw std::out_of_range(std::string(name));
}

LOGFONTW FontOf(HWND window) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
  ::GetObjectW(handle, sizeof font, &font);
  return font;
}

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override { DrainMessages(); }
  void TearDown() override { DrainMessages(); }

  Win32Platform platform_;
  RecordingEvents events_;
};

TEST(TwipsToPixels, ConvertsAtTheUsualScreenDensities) {
  struct Case {
    int twips, dpi, pixels;
  };
  const Case cases[] = {
      {1440, 96, 96},  {15, 96, 1},     {4710, 96, 314}, {4575, 96, 305}, {2600, 96, 173},
      {5000, 96, 333}, {1440, 120, 120}, {12, 120, 1},   {4710, 120, 393}, {4575, 120, 381},
      {2600, 120, 217}, {5000, 120, 417}, {0, 120, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.twips) + " twips at " + std::to_string(c.dpi) + " dpi");
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels);
    EXPECT_NEAR(PixelsToTwips(c.pixels, c.dpi), c.twips, 1440 / c.dpi / 2 + 1);
  }
}

TEST_F(FormTest, WindowsHaveTheirLayoutsClientSizeCaptionAndBorder) {
  const int dpi_x = ScreenDpiX();
  const int dpi_y = ScreenDpiY();
  std::unique_ptr<Form> main = platform_.CreateForm(kMainLayout, events_);
  std::unique_ptr<Form> dialog = platform_.CreateForm(kDialogLayout, events_);
  struct Case {
    const char* what;
    const Form& form;
    const FormLayout& layout;
  };
  for (const Case& c : {Case{"fixed single", *main, kMainLayout},
                        Case{"fixed dialog", *dialog, kDialogLayout}}) {
    SCOPED_TRACE(c.what);
    const HWND window = FormWindow(c.form);
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_TRUE(c.form.Loaded());
    EXPECT_FALSE(::IsWindowVisible(window)) << "created hidden";
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, TwipsToPixels(c.layout.ClientWidth, dpi_x));
    EXPECT_EQ(client.bottom, TwipsToPixels(c.layout.ClientHeight, dpi_y));
    EXPECT_EQ(WindowText(window), win32::Utf8ToWide(c.layout.Caption));
    const DWORD style = StyleOf(window);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "not resizable";
  }
  EXPECT_TRUE(StyleOf(FormWindow(*main)) & WS_MINIMIZEBOX);
  EXPECT_EQ(::GetWindow(FormWindow(*main), GW_OWNER), nullptr) << "in the taskbar";
  EXPECT_FALSE(StyleOf(FormWindow(*dialog)) & WS_MINIMIZEBOX);
  EXPECT_TRUE(::GetWindowLongPtrW(FormWindow(*dialog), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(::GetWindow(FormWindow(*dialog), GW_OWNER), FormWindow(*main))
      << "owned by the main window, so not in the taskbar";
}

TEST_F(FormTest, EachRowWithAWindowGetsAControlInItsPlaceWithItsTextAndState) {
  std::unique_ptr<Form> form = platform_.CreateForm(kMainLayout, events_);
  Form& f = *form;
  int windows = 0;
  for (const ControlRow& row : kRows) {
    SCOPED_TRACE(std::string(row.Name) + " " + std::to_string(row.Index));
    Control& control = f(row.Name, row.Index);
    EXPECT_EQ(control.Enabled(), row.Enabled);
    EXPECT_EQ(control.Visible(), row.Visible);
    EXPECT_EQ(control.Text(), row.Caption);
    const HWND window = ChildAt(f, row);
    if (row.Kind == PictureBox || row.Kind == FileDialog) {
      EXPECT_EQ(window, nullptr);
      continue;
    }
    ASSERT_NE(window, nullptr) << "no window in the row's place";
    ++windows;
    EXPECT_EQ(::IsWindowEnabled(window) != FALSE, row.Enabled);
    EXPECT_EQ((StyleOf(window) & WS_VISIBLE) != 0, row.Visible);
    if (row.Kind != ImageBox) {
      EXPECT_EQ(WindowText(window), win32::Utf8ToWide(row.Caption));
    }
    wchar_t window_class[32] = {};
    ::GetClassNameW(window, window_class, 32);
    const DWORD style = StyleOf(window);
    switch (row.Kind) {
      case Button:
        EXPECT_EQ(_wcsicmp(window_class, L"Button"), 0);
        EXPECT_EQ(style & 0xF, static_cast<DWORD>(BS_PUSHBUTTON)) << "never a default button";
        break;
      case TextBox:
        EXPECT_EQ(_wcsicmp(window_class, L"Edit"), 0);
        EXPECT_EQ(control.MaxLength(), row.MaxLength);
        break;
      case Label:
        EXPECT_EQ(_wcsicmp(window_class, L"Static"), 0);
        EXPECT_EQ(style & SS_TYPEMASK,
                  static_cast<DWORD>(row.Align == TextAlign::Centre ? SS_CENTER : SS_LEFT));
        break;
      default:
        break;
    }
  }
  EXPECT_EQ(windows, kWindowedRows);
  EXPECT_THROW(f("cmdNothing"), std::out_of_range);
  EXPECT_THROW(f("Label3", 2), std::out_of_range);
}

TEST_F(FormTest, FontsAreTheDefaultEightPointsOrTheRowsOwnAndLinksAreBlue) {
  const int dpi = ScreenDpiY();
  std::unique_ptr<Form> form = platform_.CreateForm(kMainLayout, events_);
  {
    SCOPED_TRACE("default font");
    const LOGFONTW font = FontOf(ChildAt(*form, Row("cmdChange")));
    EXPECT_EQ(font.lfHeight, -::MulDiv(8, dpi, 72));
    EXPECT_NE(font.lfFaceName[0], L'\0');
  }
  {
    SCOPED_TRACE("the row's font");
    const LOGFONTW font = FontOf(ChildAt(*form, Row("lblNone")));
    EXPECT_EQ(font.lfHeight, -::MulDiv(18, dpi, 72));
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfCharSet, 0);
  }
  struct Colour {
    const char* name;
    COLORREF text;
  };
  for (const Colour& c : {Colour{"lblLink", RGB(0, 0, 255)},
                          Colour{"Label1", ::GetSysColor(COLOR_BTNTEXT)}}) {
    SCOPED_TRACE(c.name);
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HWND label = ChildAt(*form, Row(c.name));
    const LRESULT brush = ::SendMessageW(FormWindow(*form), WM_CTLCOLORSTATIC,
                                         reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(::GetTextColor(dc), c.text);
    EXPECT_EQ(::GetBkColor(dc), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), ::GetSysColorBrush(COLOR_BTNFACE));
    ::DeleteDC(dc);
  }
}

TEST_F(FormTest, StatesAndTextsChangeAtOnce) {
  std::unique_ptr<Form> form = platform_.CreateForm(kMainLayout, events_);
  Form& f = *form;
  struct Case {
    const char* name;
    int index;
  };
  for (const Case& c : {Case{"cmdChange", kNoIndex}, Case{"txtWidth", kNoIndex},
                        Case{"Label3", 1}, Case{"imgCurrent", kNoIndex},
                        Case{"picSize", kNoIndex}}) {
    SCOPED_TRACE(c.name);
    Control& control = f(c.name, c.index);
    const HWND window = ChildAt(f, Row(c.name, c.index));
    for (const bool state : {false, true, false}) {
      control.SetEnabled(state);
      control.SetVisible(state);
      EXPECT_EQ(control.Enabled(), state);
      EXPECT_EQ(control.Visible(), state) << "the control's own visibility, form hidden";
      if (window) {
        EXPECT_EQ(::IsWindowEnabled(window) != FALSE, state);
        EXPECT_EQ((StyleOf(window) & WS_VISIBLE) != 0, state);
      }
    }
    if (c.name == std::string_view("imgCurrent")) continue;
    const std::string text = "\xC3\x87" "a change \xE2\x82\xAC";  // "Ça change €"
    control.SetText(text);
    EXPECT_EQ(control.Text(), text);
    if (window) {
      EXPECT_EQ(WindowText(window), win32::Utf8ToWide(text));
    }
  }
}

TEST_F(FormTest, SetHeightChangesTheOuterHeightOnly) {
  const int dpi = ScreenDpiY();
  std::unique_ptr<Form> form = platform_.CreateForm(kMainLayout, events_);
  const HWND window = FormWindow(*form);
  RECT before{};
  ::GetWindowRect(window, &before);
  for (const int twips : {2600, 5000, 2600}) {
    SCOPED_TRACE(std::to_string(twips) + " twips");
    form->SetHeight(twips);
    RECT after{};
    ::GetWindowRect(window, &after);
    EXPECT_EQ(after.bottom - after.top, TwipsToPixels(twips, dpi));
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_NEAR(form->Height(), twips, 1440 / dpi);
  }
}

// Places text on the clipboard for a paste.
void SetClipboardText(HWND owner, const std::wstring& text) {
  ASSERT_TRUE(::OpenClipboard(owner));
  ::EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  ASSERT_NE(memory, nullptr);
  std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
  ::GlobalUnlock(memory);
  if (!::SetClipboardData(CF_UNICODETEXT, memory)) ::GlobalFree(memory);  // else it is the system's
  ::CloseClipboard();
}

TEST_F(FormTest, TextBoxTakesNoMoreThanMaxLengthCharactersTypedOrPasted) {
  std::unique_ptr<Form> form = platform_.CreateForm(kMainLayout, events_);
  Control& box = (*form)("txtHeight");
  const HWND edit = ChildAt(*form, Row("txtHeight"));
  ASSERT_NE(edit, nullptr);
  {
    SCOPED_TRACE("typed");
    box.SetText("");
    for (const wchar_t c : std::wstring(L"123456")) ::SendMessageW(edit, WM_CHAR, c, 1);
    EXPECT_EQ(box.Text(), "1234");
  }
  {
    SCOPED_TRACE("pasted into an empty box");
    SetClipboardText(FormWindow(*form), L"98765");
    box.SetText("");
    ::SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(box.Text(), "9876");
  }
  {
    SCOPED_TRACE("pasted after two characters");
    box.SetText("12");
    box.SetSelStart(2);
    ::SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(box.Text(), "1298");
  }
}

TEST_F(FormTest, SelectionLengthPastTheEndSelectsToTheEnd) {
  std::unique_ptr<Form> form = platform_.CreateForm(kMainLayout, events_);
  Control& box = (*form)("txtHeight");
  ASSERT_EQ(box.Text(), "150");
  struct Case {
    int start, length;
    int want_start, want_length;
  };
  const Case cases[] = {
      {0, 4, 0, 3},   // the size boxes' own handler: MaxLength past a shorter text
      {0, 3, 0, 3}, {1, 1, 1, 1}, {1, 100, 1, 2}, {3, 4, 3, 0}, {7, 2, 3, 0}, {0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("start " + std::to_string(c.start) + ", length " + std::to_string(c.length));
    box.SetSelStart(c.start);
    box.SetSelLength(c.length);
    EXPECT_EQ(box.SelStart(), c.want_start);
    EXPECT_EQ(box.SelLength(), c.want_length);
  }
  box.SetSelStart(0);
  box.SetSelLength(3);
  box.SetSelStart(2);
  EXPECT_EQ(box.SelStart(), 2);
  EXPECT_EQ(box.SelLength(), 0) << "setting the start drops the selection";
}

TEST_F(FormTest, LabelShowsEachLineFeedCarriageReturnPairAsOneLineBreak) {
  std::unique_ptr<Form> form = platform_.CreateForm(kMainLayout, events_);
  Control& label = (*form)("Label1");
  const HWND window = ChildAt(*form, Row("Label1"));
  struct Case {
    const char* text;
    const wchar_t* shown;
  };
  const Case cases[] = {
      {"a\n\rb", L"a\r\nb"},
      {"Attention\n\rD\xC3\xA9velopp\xC3\xA9\n\r\xC2\xA9 2026", L"Attention\r\nD\xE9velopp\xE9\r\n\xA9 2026"},
      {"a\r\nb", L"a\r\nb"},
      {"a\n\r\n\rb", L"a\r\n\r\nb"},
      {"sans saut", L"sans saut"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    label.SetText(c.text);
    EXPECT_EQ(label.Text(), c.text) << "the text as it was set";
    EXPECT_EQ(WindowText(window), c.shown);
  }
}

// A picture that is not the system loader's: the image box draws it from its pixels.
class PixelPicture : public Picture {
 public:
  explicit PixelPicture(Image32 image) : image_(std::move(image)) {}
  int Width() const override { return image_.Width; }
  int Height() const override { return image_.Height; }
  Result<Image32> Pixels() const override { return image_; }

 private:
  Image32 image_;
};

// What the image box draws, read back from a 32-bit bitmap of its size.
Image32 PaintedImage(HWND box) {
  RECT client{};
  ::GetClientRect(box, &client);
  Image32 image{client.right, client.bottom,
                std::vector<std::uint32_t>(static_cast<std::size_t>(client.right) * client.bottom)};
  BITMAPINFO info = win32::TopDown32BitInfo(image.Width, image.Height);
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = ::SelectObject(dc, bitmap);
  ::SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  ::GdiFlush();
  std::memcpy(image.Pixels.data(), bits, image.Pixels.size() * 4);
  ::SelectObject(dc, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  for (std::uint32_t& pixel : image.Pixels) pixel &= 0x00FFFFFF;
  return image;
}

TEST_F(FormTest, ImageBoxStretchesItsPictureToTheWholeBoxOnEachAxis) {
  // Four quarters of 4 x 4 pixels: red, blue / green, white. Inside each quarter the
  // stretched picture keeps the quarter's colour whatever the smoothing.
  Image32 quarters{8, 8, {}};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      quarters.Pixels.push_back(y < 4 ? (x < 4 ? 0xFFFF0000 : 0xFF0000FF)
                                      : (x < 4 ? 0xFF00FF00 : 0xFFFFFFFF));
    }
  }
  ScratchFolder scratch;
  const std::string file = Utf8(scratch / "quarters.bmp");
  ASSERT_TRUE(platform_.SavePicture(quarters, file));
  Result<PicturePtr> loaded = platform_.LoadPicture(file);
  ASSERT_TRUE(loaded);

  std::unique_ptr<Form> form = platform_.CreateForm(kMainLayout, events_);
  Control& box = (*form)("imgCurrent");
  const HWND window = ChildAt(*form, Row("imgCurrent"));
  ASSERT_NE(window, nullptr);
  const std::uint32_t face = [] {
    const COLORREF c = ::GetSysColor(COLOR_BTNFACE);
    return static_cast<std::uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
  }();

  struct Case {
    const char* what;
    PicturePtr picture;
  };
  for (const Case& c : {Case{"from the system's loader", loaded.value()},
                        Case{"from pixels", std::make_shared<PixelPicture>(quarters)}}) {
    SCOPED_TRACE(c.what);
    box.SetPicture(c.picture);
    EXPECT_EQ(box.Picture(), c.picture);
    const Image32 shown = PaintedImage(window);
    const int w = shown.Width;
    const int h = shown.Height;
    ASSERT_GT(w, 8);
    ASSERT_GT(h, 8);
    EXPECT_EQ(shown.At(0, 0), 0xFF0000u);
    EXPECT_EQ(shown.At(w / 8, h / 8), 0xFF0000u);
    EXPECT_EQ(shown.At(w - 1, 0), 0x0000FFu);
    EXPECT_EQ(shown.At(w - 1 - w / 8, h / 8), 0x0000FFu);
    EXPECT_EQ(shown.At(0, h - 1), 0x00FF00u);
    EXPECT_EQ(shown.At(w / 8, h - 1 - h / 8), 0x00FF00u);
    EXPECT_EQ(shown.At(w - 1, h - 1), 0xFFFFFFu);
  }
  {
    SCOPED_TRACE("no picture");
    box.SetPicture(nullptr);
    EXPECT_EQ(box.Picture(), nullptr);
    const Image32 shown = PaintedImage(window);
    EXPECT_EQ(std::count(shown.Pixels.begin(), shown.Pixels.end(), face),
              static_cast<std::ptrdiff_t>(shown.Pixels.size()))
        << "the bare background";
  }
}

}  // namespace
}  // namespace plumeroll::testing
