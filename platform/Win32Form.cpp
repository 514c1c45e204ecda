// A top-level window built from its layout table: its controls, keyboard navigation, events
// and modal display.
#include "platform/Win32Form.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "platform/Win32Text.h"

namespace plumeroll::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"PlumerollForm";
// Control identifiers start above IDOK and IDCANCEL, which the keyboard navigation sends to
// the window for Enter and Escape.
constexpr int kFirstControlId = 100;
// Posted when the control that had the focus was disabled or hidden; lparam is that control.
constexpr UINT kMoveFocusMessage = WM_APP + 1;

std::exception_ptr& PendingException() {
  static std::exception_ptr pending;
  return pending;
}

int ScreenDpi(int axis) {
  WindowDc screen(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), axis) : 0;
  return dpi > 0 ? dpi : 96;
}

int PointsToHeight(int points, int dpi) { return -::MulDiv(points, dpi, 72); }

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
UniqueHfont CreateRowFont(const FontSpec& font, int dpi) {
  const std::wstring face = Utf8ToWide(font.Face);
  return UniqueHfont(::CreateFontW(PointsToHeight(font.Points, dpi), 0, 0, 0, font.Weight, FALSE,
                                   FALSE, FALSE, static_cast<DWORD>(font.Charset),
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, face.c_str()));
}

UniqueHicon LoadIconOfSize(int id, int width_metric, int height_metric) {
  if (id <= 0) return UniqueHicon();
  return UniqueHicon(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                   ::GetSystemMetrics(width_metric), ::GetSystemMetrics(height_metric), 0)));
}

struct WindowSearch {
  HWND except;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  if (window != search->except && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    search->found->push_back(window);
  }
  return TRUE;
}

bool TakesFocusByTab(const ControlRow& row) {
  return row.TabIndex != kNoTab &&
         (row.Kind == ControlKind::Button || row.Kind == ControlKind::TextBox);
}

}  // namespace

void KeepPendingException(std::exception_ptr error) {
  if (!PendingException()) PendingException() = std::move(error);
}

void RethrowPendingException() {
  if (std::exception_ptr error = std::exchange(PendingException(), nullptr)) {
    std::rethrow_exception(error);
  }
}

bool RouteDialogMessage(MSG& msg) {
  if (!msg.hwnd) return false;
  const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  if (!root || !Win32Form::IsFormWindow(root)) return false;
  return ::IsDialogMessageW(root, &msg) != FALSE;
}

ATOM Win32Form::FormClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &Win32Form::WindowProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kFormClass;
    return ::RegisterClassExW(&window_class);
  }();
  return atom;
}

bool Win32Form::IsFormWindow(HWND window) {
  const ATOM atom = FormClass();
  return atom && ::GetClassLongPtrW(window, GCW_ATOM) == atom;
}

Win32Form::Win32Form(const FormLayout& layout, FormEvents& events,
                     std::shared_ptr<Session> session)
    : layout_(layout), events_(events), session_(std::move(session)) {
  is_main_ = !std::exchange(session_->main_claimed, true);
  controls_.reserve(layout_.Controls.size());
  int id = kFirstControlId;
  for (const ControlRow& row : layout_.Controls) {
    controls_.push_back(std::make_unique<Win32Control>(*this, row, id++));
    if (TakesFocusByTab(row)) tab_order_.push_back(controls_.back().get());
  }
  std::stable_sort(tab_order_.begin(), tab_order_.end(), [](const auto* a, const auto* b) {
    return a->row().TabIndex < b->row().TabIndex;
  });
  Load();
}

Win32Form::~Win32Form() {
  *alive_ = false;
  EnableOtherWindows();
  window_.reset();
}

Control& Win32Form::operator()(std::string_view name, int index) {
  for (const auto& control : controls_) {
    if (control->row().Name == name && control->row().Index == index) return *control;
  }
  throw std::out_of_range("no control " + std::string(name) + " (" + std::to_string(index) +
                          ") on " + std::string(layout_.Name));
}

HWND Win32Form::EnsureLoaded() {
  if (!window_) Load();
  return window_.get();
}

void Win32Form::Load() {
  dpi_x_ = ScreenDpi(LOGPIXELSX);
  dpi_y_ = ScreenDpi(LOGPIXELSY);
  const bool dialog = layout_.Border == BorderStyle::FixedDialog;
  // Fixed borders: no sizing frame, no maximize button; a dialog has the close button only.
  const DWORD style =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (dialog ? 0 : WS_MINIMIZEBOX);
  const DWORD ex_style = dialog ? WS_EX_DLGMODALFRAME : WS_EX_APPWINDOW;
  RECT outer{0, 0, TwipsToPixels(layout_.ClientWidth, dpi_x_),
             TwipsToPixels(layout_.ClientHeight, dpi_y_)};
  ::AdjustWindowRectEx(&outer, style, FALSE, ex_style);
  // An owned window has no taskbar button: a dialog belongs to the main window.
  HWND owner = nullptr;
  if (dialog && !is_main_) owner = session_->main_window ? session_->main_window : ::GetActiveWindow();

  const std::wstring caption = Utf8ToWide(layout_.Caption);
  ::CreateWindowExW(ex_style, MAKEINTATOM(FormClass()), caption.c_str(), style, CW_USEDEFAULT,
                    CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, owner,
                    nullptr, ::GetModuleHandleW(nullptr), this);
  if (!window_) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                            "CreateWindowExW");
  }
  const HWND window = window_.get();
  if (is_main_) session_->main_window = window;

  big_icon_ = LoadIconOfSize(layout_.IconId, SM_CXICON, SM_CYICON);
  small_icon_ = LoadIconOfSize(layout_.IconId, SM_CXSMICON, SM_CYSMICON);
  if (big_icon_) {
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
  }
  if (small_icon_) {
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
  }

  default_font_ = CreateDefaultFont(dpi_y_);
  const HFONT base_font = default_font_ ? default_font_.get()
                                        : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  // Created in tab order, so that the stacking order, which the Tab key follows, is the tab
  // order; the rows without a tab index come last, beneath the others.
  std::vector<Win32Control*> creation;
  for (const auto& control : controls_) creation.push_back(control.get());
  std::stable_sort(creation.begin(), creation.end(), [](const auto* a, const auto* b) {
    const auto key = [](const Win32Control* c) {
      return c->row().TabIndex == kNoTab ? INT_MAX : c->row().TabIndex;
    };
    return key(a) < key(b);
  });
  for (Win32Control* control : creation) {
    HFONT font = base_font;
    if (control->row().Font) {
      row_fonts_.push_back(CreateRowFont(*control->row().Font, dpi_y_));
      if (row_fonts_.back()) font = row_fonts_.back().get();
    }
    control->Create(window, dpi_x_, dpi_y_, font);
  }
}

int Win32Form::Height() const {
  if (!window_) return 0;
  RECT outer{};
  ::GetWindowRect(window_.get(), &outer);
  return PixelsToTwips(outer.bottom - outer.top, dpi_y_);
}

void Win32Form::SetHeight(int twips) {
  const HWND window = EnsureLoaded();
  RECT outer{};
  ::GetWindowRect(window, &outer);
  ::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, TwipsToPixels(twips, dpi_y_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

std::intptr_t Win32Form::hWnd() const { return reinterpret_cast<std::intptr_t>(window_.get()); }

void Win32Form::Show() {
  const HWND window = EnsureLoaded();
  ::ShowWindow(window, SW_SHOW);
  FocusFirstControl();
  ::UpdateWindow(window);
}

void Win32Form::ShowModal() {
  EnsureLoaded();
  if (modal_) return;
  modal_ = true;
  // On leaving, even by an exception from a handler: the other windows take input again and
  // the one that was active before is active again.
  struct Restore {
    Win32Form& form;
    std::shared_ptr<bool> alive;
    HWND previous;
    ~Restore() {
      if (!*alive) return;
      form.EnableOtherWindows();
      form.modal_ = false;
      if (previous && previous != form.window_.get() && ::IsWindow(previous) &&
          ::IsWindowEnabled(previous)) {
        ::SetActiveWindow(previous);
      }
    }
  } restore{*this, alive_, ::GetActiveWindow()};

  DisableOtherWindows();
  Show();
  MSG msg;
  while (*restore.alive && window_) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {  // the program is ending: leave the quit for the outer loop
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!RouteDialogMessage(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    RethrowPendingException();
  }
}

void Win32Form::Unload() {
  if (!window_) return;
  // Before the window goes, so that the window under it can take the activation back.
  EnableOtherWindows();
  window_.reset();
}

void Win32Form::FocusLeaves(HWND control) {
  if (window_) {
    ::PostMessageW(window_.get(), kMoveFocusMessage, 0, reinterpret_cast<LPARAM>(control));
  }
}

Win32Control* Win32Form::ControlOf(HWND window) {
  if (!window) return nullptr;
  for (const auto& control : controls_) {
    if (control->window() == window) return control.get();
  }
  return nullptr;
}

Win32Control* Win32Form::NextFocusable(HWND after) {
  const std::size_t count = tab_order_.size();
  std::size_t start = 0;
  for (std::size_t i = 0; after && i < count; ++i) {
    if (tab_order_[i]->window() == after) start = i + 1;
  }
  for (std::size_t step = 0; step < count; ++step) {
    Win32Control* candidate = tab_order_[(start + step) % count];
    if (candidate->CanTakeFocus()) return candidate;
  }
  return nullptr;
}

void Win32Form::FocusFirstControl() {
  if (Win32Control* first = NextFocusable(nullptr)) ::SetFocus(first->window());
}

void Win32Form::DisableOtherWindows() {
  std::vector<HWND> found;
  WindowSearch search{window_.get(), &found};
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledWindow,
                      reinterpret_cast<LPARAM>(&search));
  for (HWND other : found) {
    ::EnableWindow(other, FALSE);
    disabled_windows_.push_back(other);
  }
}

void Win32Form::EnableOtherWindows() {
  for (auto other = disabled_windows_.rbegin(); other != disabled_windows_.rend(); ++other) {
    if (::IsWindow(*other)) ::EnableWindow(*other, TRUE);
  }
  disabled_windows_.clear();
}

LRESULT CALLBACK Win32Form::WindowProc(HWND window, UINT message, WPARAM wparam,
                                       LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->window_.reset(window);
  }
  auto* form = reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return ::DefWindowProcW(window, message, wparam, lparam);
  try {
    return form->HandleMessage(window, message, wparam, lparam);
  } catch (...) {
    KeepPendingException(std::current_exception());
    return 0;
  }
}

LRESULT Win32Form::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(window, wparam, lparam);

    case WM_CTLCOLORSTATIC: {
      const Win32Control* control = ControlOf(reinterpret_cast<HWND>(lparam));
      if (!control || control->row().Kind != ControlKind::Label) break;
      const auto dc = reinterpret_cast<HDC>(wparam);
      const std::uint32_t colour = control->row().ForeColour;
      ::SetTextColor(dc, colour == kDefaultColour ? ::GetSysColor(COLOR_BTNTEXT)
                                                  : static_cast<COLORREF>(colour));
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }

    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        saved_focus_ = ControlOf(focus) ? focus : nullptr;
        break;
      }
      if (HIWORD(wparam)) break;  // minimized
      if (const Win32Control* saved = ControlOf(saved_focus_); saved && saved->CanTakeFocus()) {
        ::SetFocus(saved_focus_);
        return 0;
      }
      if (NextFocusable(nullptr)) {
        FocusFirstControl();
        return 0;
      }
      break;

    case kMoveFocusMessage: {
      const HWND focus = ::GetFocus();
      const Win32Control* focused = ControlOf(focus);
      const bool focus_lost = !focus || focus == window || (focused && !focused->CanTakeFocus());
      if (::GetActiveWindow() == window && focus_lost) {
        if (Win32Control* next = NextFocusable(reinterpret_cast<HWND>(lparam))) {
          ::SetFocus(next->window());
        }
      }
      return 0;
    }

    case WM_NEXTDLGCTL: {  // the keyboard navigation's request to move the focus
      HWND target = LOWORD(lparam)
                        ? reinterpret_cast<HWND>(wparam)
                        : ::GetNextDlgTabItem(window, ::GetFocus(), wparam ? TRUE : FALSE);
      if (const Win32Control* control = ControlOf(target)) {
        if (control->row().Kind == ControlKind::TextBox) {
          ::SendMessageW(target, EM_SETSEL, 0, -1);
        }
        ::SetFocus(target);
      }
      return 0;
    }

    case WM_CLOSE:
      Unload();
      return 0;

    case WM_NCDESTROY:
      OnDestroyed(window);
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
      if (focused && focused->row().Kind == ControlKind::Button &&
          ::IsWindowEnabled(focused->window())) {
        events_.Click(focused->row().Name, focused->row().Index);
      }
    }
    return 0;
  }
  const Win32Control* control = ControlOf(reinterpret_cast<HWND>(lparam));
  if (!control) return ::DefWindowProcW(window, WM_COMMAND, wparam, lparam);
  const ControlRow& row = control->row();
  const WORD code = HIWORD(wparam);
  if ((row.Kind == ControlKind::Button && code == BN_CLICKED) ||
      (row.Kind == ControlKind::Label && code == STN_CLICKED)) {
    events_.Click(row.Name, row.Index);
  } else if (row.Kind == ControlKind::TextBox && code == EN_SETFOCUS) {
    events_.GotFocus(row.Name, row.Index);
  }
  return 0;
}

void Win32Form::OnDestroyed(HWND window) {
  ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (window_.get() == window) window_.release();
  for (const auto& control : controls_) control->Detach();
  saved_focus_ = nullptr;
  // The controls are gone; their fonts and the window's icons can go too.
  row_fonts_.clear();
  default_font_.reset();
  big_icon_.reset();
  small_icon_.reset();
  EnableOtherWindows();
  if (is_main_) {
    session_->main_window = nullptr;
    ::PostQuitMessage(0);
  }
}

}  // namespace plumeroll::win32
