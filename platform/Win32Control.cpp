// The controls of a form: labels, image boxes, buttons and one-line text boxes.
#include <algorithm>
#include <new>

#include "platform/Bmp.h"
#include "platform/Resample.h"
#include "platform/Win32Form.h"
#include "platform/Win32Text.h"
#include "platform/Win32Window.h"

namespace plumeroll::win32 {
namespace {

struct WindowKind {
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
};

WindowKind KindOf(const ControlRow& row) {
  switch (row.kind) {
    case ControlKind::Label:
      return {L"STATIC",
              static_cast<DWORD>(SS_NOTIFY | SS_NOPREFIX |
                                 (row.align == TextAlign::Centre ? SS_CENTER : SS_LEFT)),
              0};
    case ControlKind::ImageBox:
      return {BoundWindowClass<Win32Control>(L"PlumerollImageBox", nullptr), 0, 0};
    case ControlKind::Button:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::TextBox:
      return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
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

// The picture stretched to width x height, as a bitmap file's rows; nothing when it cannot be
// read or held.
std::vector<std::uint8_t> RowsAtSize(const Picture& picture, int width, int height) {
  std::vector<std::uint8_t> rows;
  try {
    rows.reserve(static_cast<std::size_t>(BmpRowStride(width, 3) * std::max(height, 0)));
  } catch (const std::bad_alloc&) {
    return {};
  }
  const Result<void> read =
      Stretched(picture, width, height).ForEachBand(height, [&](const Band& band) {
        rows.insert(rows.end(), band.bytes, band.bytes + band.stride * band.rows);
        return Result<void>{};
      });
  if (!read) rows.clear();
  return rows;
}

// The text as a control shows it: a label's line breaks made the system's.
std::wstring ShownText(const ControlRow& row, std::string_view text) {
  const std::wstring wide = Utf8ToWide(text);
  return row.kind == ControlKind::Label ? LineBreaksForDisplay(wide) : wide;
}

}  // namespace

void Win32Control::Create(Win32Form& form, int dpi_x, int dpi_y, HFONT font) {
  form_ = &form;
  const WindowKind kind = KindOf(row_);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
  if (row_.tab_index == kNoTab) style &= ~static_cast<DWORD>(WS_TABSTOP);
  if (row_.visible) style |= WS_VISIBLE;
  if (!row_.enabled) style |= WS_DISABLED;
  const std::wstring text =
      row_.kind == ControlKind::ImageBox ? L"" : ShownText(row_, row_.caption);
  window_ = ::CreateWindowExW(
      kind.ex_style, kind.window_class, text.c_str(), style, TwipsToPixels(row_.left, dpi_x),
      TwipsToPixels(row_.top, dpi_y), TwipsToPixels(row_.width, dpi_x),
      TwipsToPixels(row_.height, dpi_y), reinterpret_cast<HWND>(form.hWnd()),
      reinterpret_cast<HMENU>(INT_PTR{id_}), ::GetModuleHandleW(nullptr), this);
  if (!window_) throw PlatformError({"CreateWindowExW", ::GetLastError()});
  font_ = font;
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  FitTextToBox();
  if (row_.max_length > 0) {
    ::SendMessageW(window_, EM_LIMITTEXT, static_cast<WPARAM>(row_.max_length), 0);
  }
}

bool Win32Control::CanTakeFocus() const {
  if (!window_) return false;
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
  return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

void Win32Control::SetEnabled(bool enabled) {
  const bool had_focus = ::GetFocus() == window_;
  ::EnableWindow(window_, enabled ? TRUE : FALSE);
  if (!enabled && had_focus) form_->FocusLeaves(window_);
}

void Win32Control::SetVisible(bool visible) {
  const bool had_focus = ::GetFocus() == window_;
  ::ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
  if (!visible && had_focus) form_->FocusLeaves(window_);
}

std::string Win32Control::Text() const {
  return WideToUtf8(WindowText(window_));
}

void Win32Control::SetText(std::string_view text) {
  ::SetWindowTextW(window_, ShownText(row_, text).c_str());
  FitTextToBox();
}

void Win32Control::FitTextToBox() {
  if (row_.kind != ControlKind::Label || !font_) return;
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

void Win32Control::SetPicture(PicturePtr picture) {
  picture_ = std::move(picture);
  shown_width_ = shown_height_ = 0;
  shown_.clear();
  ::InvalidateRect(window_, nullptr, FALSE);
}

// Setting the start puts the caret there with nothing selected; the edit control keeps it
// within the text.
void Win32Control::SetSelStart(int start) {
  const int caret = std::max(start, 0);
  ::SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(caret), static_cast<LPARAM>(caret));
  ::SendMessageW(window_, EM_SCROLLCARET, 0, 0);
}

// Selects from the current start; a length past the end selects to the end of the text.
void Win32Control::SetSelLength(int length) {
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  start = std::min(start, end);
  const long long text_length = ::GetWindowTextLengthW(window_);
  const long long wanted =
      std::min<long long>(start + static_cast<long long>(std::max(length, 0)), text_length);
  ::SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(start),
                 static_cast<LPARAM>(std::max<long long>(wanted, start)));
}

LRESULT Win32Control::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole box
    case WM_PAINT: {
      const PaintScope paint(window);
      PaintImage(window, paint.dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintImage(window, reinterpret_cast<HDC>(wparam));
      return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

void Win32Control::PaintImage(HWND window, HDC dc) {
  RECT box{};
  ::GetClientRect(window, &box);
  if (picture_ && (shown_width_ != box.right || shown_height_ != box.bottom)) {
    shown_width_ = box.right;
    shown_height_ = box.bottom;
    shown_ = RowsAtSize(*picture_, box.right, box.bottom);
  }
  if (shown_.empty()) {
    ::FillRect(dc, &box, ::GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const BITMAPINFO info = BottomUp24BitInfo(shown_width_, shown_height_);
  ::StretchDIBits(dc, 0, 0, shown_width_, shown_height_, 0, 0, shown_width_, shown_height_,
                  shown_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace plumeroll::win32
