// Owners for Windows handles. Each kind of handle is one line: its type, the call that releases
// it and, where it is not null, the value that means "none". Copying is deleted; moving hands the
// handle over.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace plumeroll::win32 {

template <class Handle, auto Release, std::intptr_t None = 0>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != none(); }

  // Gives the handle up without releasing it.
  Handle release() { return std::exchange(handle_, none()); }

  void reset(Handle handle = none()) {
    if (const Handle old = std::exchange(handle_, handle); old != none()) Release(old);
  }

 private:
  static Handle none() { return reinterpret_cast<Handle>(None); }

  Handle handle_ = none();
};

using UniqueHbitmap = UniqueHandle<HBITMAP, ::DeleteObject>;
using UniqueHfont = UniqueHandle<HFONT, ::DeleteObject>;
using UniqueHdc = UniqueHandle<HDC, ::DeleteDC>;         // from CreateCompatibleDC
using UniqueHicon = UniqueHandle<HICON, ::DestroyIcon>;  // from LoadImage without LR_SHARED
using UniqueHwnd = UniqueHandle<HWND, ::DestroyWindow>;
using UniqueFile = UniqueHandle<HANDLE, ::CloseHandle, -1>;  // CreateFileW's "none" is -1

// A window's device context from GetDC, given back with ReleaseDC (null window: the screen).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects a GDI object into a device context and selects the previous one back on leaving.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectGuard() {
    if (*this) ::SelectObject(dc_, previous_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

  explicit operator bool() const { return previous_ && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint / EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

}  // namespace plumeroll::win32
