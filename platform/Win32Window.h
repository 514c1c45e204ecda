// Windows of our own classes, each bound to the object that handles its messages. Internal to
// the platform library.
#pragma once

#include <windows.h>

#include <exception>

namespace plumeroll::win32 {

// Windows calls window procedures through C frames that an exception must not cross: an
// exception that leaves a handler is kept here and thrown again by the message loop.
void KeepPendingException(std::exception_ptr error);
void RethrowPendingException();

// The procedure of a class whose windows are created with their Owner object as the creation
// parameter: the object is bound to the window at WM_NCCREATE, gets every message through
// Owner::HandleMessage(window, message, wparam, lparam) until WM_NCDESTROY, and is unbound then.
template <class Owner>
LRESULT CALLBACK BoundWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (!owner) return ::DefWindowProcW(window, message, wparam, lparam);
  try {
    return owner->HandleMessage(window, message, wparam, lparam);
  } catch (...) {
    KeepPendingException(std::current_exception());
    return 0;
  }
}

// Owner's window class, registered on first use with the arrow cursor and the given background
// (null: the owner paints it all).
template <class Owner>
const wchar_t* BoundWindowClass(const wchar_t* name, HBRUSH background) {
  static const ATOM atom = [&] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &BoundWindowProc<Owner>;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = background;
    window_class.lpszClassName = name;
    return ::RegisterClassExW(&window_class);
  }();
  return atom ? name : nullptr;
}

}  // namespace plumeroll::win32
