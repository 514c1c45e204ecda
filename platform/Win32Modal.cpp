// The message loops: the program's own, which runs until its main window goes, and the nested
// one of a modal window, during which the program's other windows take no input.
#include <utility>
#include <vector>

#include "platform/Win32Form.h"
#include "platform/Win32Window.h"

namespace plumeroll::win32 {
namespace {

std::exception_ptr& PendingException() {
  static std::exception_ptr pending;
  return pending;
}

// Hands a keyboard message to the navigation of the form that holds its window (Tab moves the
// focus). True when it was handled there and must not be dispatched again.
bool RouteDialogMessage(MSG& msg) {
  if (!msg.hwnd) return false;
  const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  return root && Win32Form::IsFormWindow(root) && ::IsDialogMessageW(root, &msg);
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM found) {
  if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  }
  return TRUE;
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

void RunMessagesUntilGone(HWND window) {
  MSG msg;
  while (::IsWindow(window)) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) throw PlatformError({"GetMessageW", ::GetLastError()});
    if (got == 0) {  // the program is ending: leave the quit for the outer loop
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (!RouteDialogMessage(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    RethrowPendingException();
  }
}

void Win32Form::ShowModal() {
  const HWND window = window_.get();
  const HWND previous = ::GetActiveWindow();
  DisableOtherWindows();
  // On leaving, even by an exception from a handler: the other windows take input again and
  // the one that was active before is active again.
  struct Restore {
    Win32Form& form;
    HWND previous;
    ~Restore() {
      form.EnableOtherWindows();
      if (previous && ::IsWindow(previous) && ::IsWindowEnabled(previous)) {
        ::SetActiveWindow(previous);
      }
    }
  } restore{*this, previous};
  Show();
  RunMessagesUntilGone(window);
}

void Win32Form::DisableOtherWindows() {
  std::vector<HWND> found;
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledWindow,
                      reinterpret_cast<LPARAM>(&found));
  for (HWND other : found) {
    if (other == window_.get()) continue;
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

}  // namespace plumeroll::win32
