// The controls of a form: labels, image boxes, buttons, one-line text boxes, and the rows that
// have no window of their own (the hidden drawing surface, the file dialog).
#include <algorithm>

#include "platform/Win32Form.h"
#include "platform/Win32Picture.h"
#include "platform/Win32Text.h"

namespace plumeroll::win32 {
namespace {

constexpr wchar_t kImageBoxClass[] = L"PlumerollImageBox";

LRESULT CALLBACK ImageBoxProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  const auto* control =
      reinterpret_cast<const Win32Control*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers the whole box
      case WM_PAINT: {
        PaintScope paint(window);
        if (control) control->PaintImage(paint.dc());
        return 0;
      }
      case WM_PRINTCLIENT:
        if (control) control->PaintImage(reinterpret_cast<HDC>(wparam));
        return 0;
      case WM_NCDESTROY:
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    }
  } catch (...) {
    KeepPendingException(std::current_exception());
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

const wchar_t* ImageBoxClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = ImageBoxProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kImageBoxClass;
    return ::RegisterClassExW(&window_class);
  }();
  return atom ? kImageBoxClass : nullptr;
}

struct WindowKind {
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
};

WindowKind KindOf(const ControlRow& row) {
  switch (row.Kind) {
    case ControlKind::Label:
      return {L"STATIC",
              static_cast<DWORD>(SS_NOTIFY | SS_NOPREFIX |
                                 (row.Align == TextAlign::Centre ? SS_CENTER : SS_LEFT)),
              0};
    case ControlKind::ImageBox:
      return {ImageBoxClass(), 0, 0};
    case ControlKind::Button:
      return {L"BUTTON", BS_PUSHBUTTON, 0};
    case ControlKind::TextBox:
      return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::PictureBox:
    case ControlKind::FileDialog:
      break;
  }
  return {nullptr, 0, 0};
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

}  // namespace

Win32Control::Win32Control(Win32Form& form, const ControlRow& row, int id)
    : form_(form), row_(row), id_(id) {}

void Win32Control::Create(HWND parent, int dpi_x, int dpi_y, HFONT font) {
  text_ = std::string(row_.Caption);
  enabled_ = row_.Enabled;
  visible_ = row_.Visible;
  picture_.reset();
  window_ = nullptr;

  const WindowKind kind = KindOf(row_);
  if (!kind.window_class) return;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
  if (row_.Visible) style |= WS_VISIBLE;
  if (!row_.Enabled) style |= WS_DISABLED;
  if (row_.TabIndex != kNoTab &&
      (row_.Kind == ControlKind::Button || row_.Kind == ControlKind::TextBox)) {
    style |= WS_TABSTOP;
  }
  std::wstring text = Utf8ToWide(row_.Caption);
  if (row_.Kind == ControlKind::Label) text = LineBreaksForDisplay(text);
  if (row_.Kind == ControlKind::ImageBox) text.clear();

  window_ = ::CreateWindowExW(
      kind.ex_style, kind.window_class, text.c_str(), style, TwipsToPixels(row_.Left, dpi_x),
      TwipsToPixels(row_.Top, dpi_y), TwipsToPixels(row_.Width, dpi_x),
      TwipsToPixels(row_.Height, dpi_y), parent, reinterpret_cast<HMENU>(INT_PTR{id_}),
      ::GetModuleHandleW(nullptr), row_.Kind == ControlKind::ImageBox ? this : nullptr);
  if (!window_) return;
  font_ = font;
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  FitTextToBox();
  if (row_.Kind == ControlKind::TextBox && row_.MaxLength > 0) {
    ::SendMessageW(window_, EM_LIMITTEXT, static_cast<WPARAM>(row_.MaxLength), 0);
  }
}

HWND Win32Control::LiveWindow() const {
  form_.EnsureLoaded();
  return window_;
}

bool Win32Control::CanTakeFocus() const {
  if (!window_) return false;
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
  return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

bool Win32Control::Enabled() const {
  const HWND window = LiveWindow();
  return window ? ::IsWindowEnabled(window) != FALSE : enabled_;
}

void Win32Control::SetEnabled(bool enabled) {
  const HWND window = LiveWindow();
  enabled_ = enabled;
  if (!window) return;
  const bool had_focus = ::GetFocus() == window;
  ::EnableWindow(window, enabled ? TRUE : FALSE);
  if (!enabled && had_focus) form_.FocusLeaves(window);
}

bool Win32Control::Visible() const {
  const HWND window = LiveWindow();
  if (!window) return visible_;
  return (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Control::SetVisible(bool visible) {
  const HWND window = LiveWindow();
  visible_ = visible;
  if (!window) return;
  const bool had_focus = ::GetFocus() == window;
  ::ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
  if (!visible && had_focus) form_.FocusLeaves(window);
}

std::string Win32Control::Text() const {
  const HWND window = LiveWindow();
  if (!window || row_.Kind == ControlKind::Label) return text_;
  return WideToUtf8(WindowText(window));
}

void Win32Control::SetText(std::string_view text) {
  const HWND window = LiveWindow();
  text_ = std::string(text);
  if (!window) return;
  std::wstring shown = Utf8ToWide(text);
  if (row_.Kind == ControlKind::Label) shown = LineBreaksForDisplay(shown);
  ::SetWindowTextW(window, shown.c_str());
  FitTextToBox();
}

void Win32Control::FitTextToBox() {
  if (row_.Kind != ControlKind::Label || !font_) return;
  LOGFONTW face{};
  if (!::GetObjectW(font_, sizeof face, &face) || face.lfHeight == 0) return;
  const std::wstring text = WindowText(window_);
  RECT box{};
  ::GetClientRect(window_, &box);
  const WindowDc dc(window_);
  if (!dc) return;
  const LONG full = face.lfHeight < 0 ? -face.lfHeight : face.lfHeight;
  const LONG sign = face.lfHeight < 0 ? -1 : 1;
  UniqueHfont fitted;
  for (LONG height = full; height * 4 >= full * 3; --height) {
    if (height < full) {
      face.lfHeight = sign * height;
      fitted = UniqueHfont(::CreateFontIndirectW(&face));
      if (!fitted) return;
    }
    const SelectGuard selected(dc.get(), fitted ? fitted.get() : font_);
    TEXTMETRICW metrics{};
    if (!::GetTextMetricsW(dc.get(), &metrics) || metrics.tmHeight <= 0) return;
    RECT needed = box;
    ::DrawTextW(dc.get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    // Counted in lines: a one-line label whose box is a little short of its font is fine.
    const LONG lines_held = std::max<LONG>(1, box.bottom / metrics.tmHeight);
    if (needed.bottom / metrics.tmHeight <= lines_held) break;
  }
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(fitted ? fitted.get() : font_),
                 TRUE);
  fitted_font_ = std::move(fitted);
}

PicturePtr Win32Control::Picture() const {
  LiveWindow();
  return picture_;
}

void Win32Control::SetPicture(PicturePtr picture) {
  const HWND window = LiveWindow();
  picture_ = std::move(picture);
  if (window && row_.Kind == ControlKind::ImageBox) ::InvalidateRect(window, nullptr, FALSE);
}

int Win32Control::SelStart() const {
  LiveWindow();
  if (!IsTextBox()) return 0;
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(std::min(start, end));
}

int Win32Control::SelLength() const {
  LiveWindow();
  if (!IsTextBox()) return 0;
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start > end ? start - end : end - start);
}

// Setting the start puts the caret there with nothing selected; the edit control keeps it
// within the text.
void Win32Control::SetSelStart(int start) {
  LiveWindow();
  if (!IsTextBox()) return;
  const int caret = std::max(start, 0);
  ::SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(caret), static_cast<LPARAM>(caret));
  ::SendMessageW(window_, EM_SCROLLCARET, 0, 0);
}

// Selects from the current start; a length past the end selects to the end of the text.
void Win32Control::SetSelLength(int length) {
  LiveWindow();
  if (!IsTextBox()) return;
  const int start = SelStart();
  const long long text_length = ::GetWindowTextLengthW(window_);
  const long long end = std::min<long long>(start + static_cast<long long>(std::max(length, 0)),
                                            text_length);
  ::SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(start),
                 static_cast<LPARAM>(std::max<long long>(end, start)));
}

int Win32Control::MaxLength() const { return row_.MaxLength; }

void Win32Control::PaintImage(HDC dc) const {
  RECT box{};
  ::GetClientRect(window_, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  if (!picture_ || width <= 0 || height <= 0) {
    ::FillRect(dc, &box, ::GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const int previous_mode = ::SetStretchBltMode(dc, HALFTONE);
  POINT previous_origin{};
  ::SetBrushOrgEx(dc, 0, 0, &previous_origin);

  if (const auto* own = dynamic_cast<const Win32Picture*>(picture_.get())) {
    UniqueHdc source(::CreateCompatibleDC(dc));
    if (source) {
      SelectGuard selected(source.get(), own->Bitmap());
      ::StretchBlt(dc, 0, 0, width, height, source.get(), 0, 0, own->Width(), own->Height(),
                   SRCCOPY);
    }
  } else if (Result<Image32> pixels = picture_->Pixels()) {
    const Image32& image = pixels.value();
    const BITMAPINFO info = TopDown32BitInfo(image.Width, image.Height);
    ::StretchDIBits(dc, 0, 0, width, height, 0, 0, image.Width, image.Height,
                    image.Pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  } else {
    ::FillRect(dc, &box, ::GetSysColorBrush(COLOR_BTNFACE));
  }

  ::SetBrushOrgEx(dc, previous_origin.x, previous_origin.y, nullptr);
  if (previous_mode) ::SetStretchBltMode(dc, previous_mode);
}

}  // namespace plumeroll::win32
