// The focus on a form: which control gets it first, where it goes when its control is disabled
// or hidden, when the window is activated again, and when the Tab key moves it.
#include "platform/Win32Form.h"

namespace plumeroll::win32 {

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

void Win32Form::FocusLeaves(HWND control) {
  ::PostMessageW(window_.get(), kMoveFocusMessage, 0, reinterpret_cast<LPARAM>(control));
}

bool Win32Form::OnActivate(WPARAM wparam) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    const HWND focus = ::GetFocus();
    saved_focus_ = ControlOf(focus) ? focus : nullptr;
    return false;
  }
  if (HIWORD(wparam)) return false;  // minimized
  if (const Win32Control* saved = ControlOf(saved_focus_); saved && saved->CanTakeFocus()) {
    ::SetFocus(saved_focus_);
    return true;
  }
  if (!NextFocusable(nullptr)) return false;
  FocusFirstControl();
  return true;
}

void Win32Form::OnMoveFocus(HWND window, HWND left) {
  const HWND focus = ::GetFocus();
  const Win32Control* focused = ControlOf(focus);
  const bool focus_lost = !focus || focus == window || (focused && !focused->CanTakeFocus());
  if (::GetActiveWindow() != window || !focus_lost) return;
  if (Win32Control* next = NextFocusable(left)) ::SetFocus(next->window());
}

void Win32Form::OnNextControl(HWND window, WPARAM wparam, LPARAM lparam) {
  const HWND target = LOWORD(lparam)
                          ? reinterpret_cast<HWND>(wparam)
                          : ::GetNextDlgTabItem(window, ::GetFocus(), wparam ? TRUE : FALSE);
  // A text box reached so selects its whole text itself, when it gets the focus.
  if (ControlOf(target)) ::SetFocus(target);
}

}  // namespace plumeroll::win32
