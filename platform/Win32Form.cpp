// A top-level window built from its layout table: the window, its controls, its fonts and icons,
// and the messages it turns into events.
#include "platform/Win32Form.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "platform/Win32Text.h"
#include "platform/Win32Window.h"

namespace plumeroll::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"PlumerollForm";
// Control identifiers start above IDOK and IDCANCEL, which the keyboard navigation sends to
// the window for Enter and Escape.
constexpr int kFirstControlId = 100;

const wchar_t* FormClass() {
  return BoundWindowClass<Win32Form>(kFormClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

int ScreenDpi(int axis) {
  WindowDc screen(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), axis) : 0;
  return dpi > 0 ? dpi : 96;
}

int PointsToHeight(int points, int dpi) {
  return -::MulDiv(points, dpi, 72);
}

// The system's message font at 8 points, or the stock GUI font's face when that is unknown.
UniqueHfont CreateDefaultFont(int dpi) {
  LOGFONTW face{};
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    face = metrics.lfMessageFont;
  } else if (!::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face)) {
    return UniqueHfont();
  }
  face.lfHeight = PointsToHeight(8, dpi);
  face.lfWidth = 0;
  return UniqueHfont(::CreateFontIndirectW(&face));
}

// A face that is missing is replaced by the nearest one the system has.
UniqueHfont CreateRowFont(const Font& font, int dpi) {
  const std::wstring face = Utf8ToWide(font.face);
  return UniqueHfont(::CreateFontW(PointsToHeight(font.points, dpi), 0, 0, 0, font.weight, FALSE,
                                   FALSE, FALSE, static_cast<DWORD>(font.charset),
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, face.c_str()));
}

UniqueHicon LoadIconOfSize(int id, int width_metric, int height_metric) {
  return UniqueHicon(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                   ::GetSystemMetrics(width_metric), ::GetSystemMetrics(height_metric), 0)));
}

bool HasWindow(const ControlRow& row) {
  return row.kind != ControlKind::PictureBox && row.kind != ControlKind::FileDialog;
}

bool TakesFocusByTab(const ControlRow& row) {
  return row.tab_index != kNoTab &&
         (row.kind == ControlKind::Button || row.kind == ControlKind::TextBox);
}

}  // namespace

bool Win32Form::IsFormWindow(HWND window) {
  wchar_t name[std::size(kFormClass) + 1] = {};
  return ::GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 &&
         std::wstring_view(name) == kFormClass;
}

Win32Form::Win32Form(const FormLayout& layout, FormEvents& events)
    : layout_(layout), events_(events) {
  int id = kFirstControlId;
  for (const ControlRow& row : layout_.controls) {
    if (!HasWindow(row)) continue;
    controls_.push_back(std::make_unique<Win32Control>(row, id++));
    if (TakesFocusByTab(row)) tab_order_.push_back(controls_.back().get());
  }
  std::stable_sort(tab_order_.begin(), tab_order_.end(), [](const auto* a, const auto* b) {
    return a->row().tab_index < b->row().tab_index;
  });

  dpi_x_ = ScreenDpi(LOGPIXELSX);
  dpi_y_ = ScreenDpi(LOGPIXELSY);
  const bool dialog = layout_.border == BorderStyle::FixedDialog;
  // Fixed borders: no sizing frame, no maximize button; a dialog has the close button only.
  const DWORD style =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (dialog ? 0 : WS_MINIMIZEBOX);
  const DWORD ex_style = dialog ? WS_EX_DLGMODALFRAME : WS_EX_APPWINDOW;
  RECT outer{0, 0, TwipsToPixels(layout_.client_width, dpi_x_),
             TwipsToPixels(layout_.client_height, dpi_y_)};
  ::AdjustWindowRectEx(&outer, style, FALSE, ex_style);
  const std::wstring caption = Utf8ToWide(layout_.caption);
  ::CreateWindowExW(ex_style, FormClass(), caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                    outer.right - outer.left, outer.bottom - outer.top,
                    dialog ? ::GetActiveWindow() : nullptr, nullptr, ::GetModuleHandleW(nullptr),
                    this);
  if (!window_) throw PlatformError({"CreateWindowExW", ::GetLastError()});

  big_icon_ = LoadIconOfSize(layout_.icon_id, SM_CXICON, SM_CYICON);
  small_icon_ = LoadIconOfSize(layout_.icon_id, SM_CXSMICON, SM_CYSMICON);
  ::SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
  ::SendMessageW(window_.get(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(small_icon_.get()));
  CreateControls();
}

Win32Form::~Win32Form() {
  EnableOtherWindows();
  window_.reset();
}

void Win32Form::CreateControls() {
  default_font_ = CreateDefaultFont(dpi_y_);
  const HFONT base_font =
      default_font_ ? default_font_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  // Created in tab order, so that the stacking order, which the Tab key follows, is the tab
  // order; the rows without a tab index come last, beneath the others.
  std::vector<Win32Control*> creation;
  for (const auto& control : controls_) creation.push_back(control.get());
  std::stable_sort(creation.begin(), creation.end(), [](const auto* a, const auto* b) {
    const auto key = [](const Win32Control* c) {
      return c->row().tab_index == kNoTab ? INT_MAX : c->row().tab_index;
    };
    return key(a) < key(b);
  });
  for (Win32Control* control : creation) {
    HFONT font = base_font;
    if (control->row().font) {
      row_fonts_.push_back(CreateRowFont(*control->row().font, dpi_y_));
      if (row_fonts_.back()) font = row_fonts_.back().get();
    }
    control->Create(*this, dpi_x_, dpi_y_, font);
  }
}

Control& Win32Form::operator()(std::string_view name, int index) {
  for (const auto& control : controls_) {
    if (control->row().name == name && control->row().index == index) return *control;
  }
  throw std::out_of_range("no control " + std::string(name) + " (" + std::to_string(index) +
                          ") on " + std::string(layout_.name));
}

void Win32Form::SetHeight(int twips) {
  RECT outer{};
  ::GetWindowRect(window_.get(), &outer);
  ::SetWindowPos(window_.get(), nullptr, 0, 0, outer.right - outer.left,
                 TwipsToPixels(twips, dpi_y_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

std::intptr_t Win32Form::hWnd() const {
  return reinterpret_cast<std::intptr_t>(window_.get());
}

void Win32Form::Show() {
  ::ShowWindow(window_.get(), SW_SHOW);
  FocusFirstControl();
  ::UpdateWindow(window_.get());
}

void Win32Form::Unload() {
  // Before the window goes, so that the window under it can take the activation back.
  EnableOtherWindows();
  window_.reset();
}

Win32Control* Win32Form::ControlOf(HWND window) {
  if (!window) return nullptr;
  for (const auto& control : controls_) {
    if (control->window() == window) return control.get();
  }
  return nullptr;
}

LRESULT Win32Form::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE:
      window_.reset(window);
      break;
    case WM_COMMAND:
      return OnCommand(window, wparam, lparam);
    case WM_CTLCOLORSTATIC:
      if (const Win32Control* label = ControlOf(reinterpret_cast<HWND>(lparam));
          label && label->row().kind == ControlKind::Label) {
        return ColourLabel(reinterpret_cast<HDC>(wparam), label->row());
      }
      break;
    case WM_ACTIVATE:
      if (OnActivate(wparam)) return 0;
      break;
    case WM_NEXTDLGCTL:
      OnNextControl(window, wparam, lparam);
      return 0;
    case kMoveFocusMessage:
      OnMoveFocus(window, reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_NCDESTROY:
      OnDestroyed();
      break;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

LRESULT Win32Form::OnCommand(HWND window, WPARAM wparam, LPARAM lparam) {
  if (lparam == 0) {
    // From the keyboard navigation: Enter presses the button that has the focus; there is no
    // default or cancel button, so Escape does nothing.
    if (LOWORD(wparam) == IDOK) {
      const Win32Control* focused = ControlOf(::GetFocus());
      if (focused && focused->row().kind == ControlKind::Button &&
          ::IsWindowEnabled(focused->window())) {
        events_.Click(focused->row().name, focused->row().index);
      }
    }
    return 0;
  }
  const Win32Control* control = ControlOf(reinterpret_cast<HWND>(lparam));
  if (!control) return ::DefWindowProcW(window, WM_COMMAND, wparam, lparam);
  const ControlRow& row = control->row();
  const WORD code = HIWORD(wparam);
  if ((row.kind == ControlKind::Button && code == BN_CLICKED) ||
      (row.kind == ControlKind::Label && code == STN_CLICKED)) {
    events_.Click(row.name, row.index);
  } else if (row.kind == ControlKind::TextBox && code == EN_SETFOCUS) {
    events_.GotFocus(row.name, row.index);
  }
  return 0;
}

// Labels draw in their row's colour, or the system's, on the window's background.
LRESULT Win32Form::ColourLabel(HDC dc, const ControlRow& row) {
  ::SetTextColor(dc, row.fore_colour == kDefaultColour ? ::GetSysColor(COLOR_BTNTEXT)
                                                       : static_cast<COLORREF>(row.fore_colour));
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void Win32Form::OnDestroyed() {
  window_.release();
  for (const auto& control : controls_) control->Detach();
  saved_focus_ = nullptr;
  // The controls are gone; their fonts and the window's icons can go too.
  row_fonts_.clear();
  default_font_.reset();
  big_icon_.reset();
  small_icon_.reset();
  EnableOtherWindows();
}

}  // namespace plumeroll::win32
