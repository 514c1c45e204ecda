// Owners for Windows handles, all made from one pattern: a handle type, its "none" value and
// the call that releases it. Copying is deleted; moving hands the handle over. put() lends
// the owner as an out-parameter (it releases what it held first).
#pragma once

#include <windows.h>

#include <utility>

namespace plumeroll::win32 {

template <class Traits>
class UniqueHandle {
 public:
  using pointer = typename Traits::pointer;

  UniqueHandle() = default;
  explicit UniqueHandle(pointer handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  pointer get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::None(); }

  // Gives the handle up without releasing it.
  pointer release() { return std::exchange(handle_, Traits::None()); }

  void reset(pointer handle = Traits::None()) {
    const pointer old = std::exchange(handle_, handle);
    if (old != Traits::None()) Traits::Close(old);
  }

  pointer* put() {
    reset();
    return &handle_;
  }

 private:
  pointer handle_ = Traits::None();
};

template <class Handle>
struct GdiObjectTraits {
  using pointer = Handle;
  static pointer None() { return nullptr; }
  static void Close(pointer handle) { ::DeleteObject(handle); }
};

struct MemoryDcTraits {
  using pointer = HDC;
  static pointer None() { return nullptr; }
  static void Close(pointer handle) { ::DeleteDC(handle); }
};

struct IconTraits {
  using pointer = HICON;
  static pointer None() { return nullptr; }
  static void Close(pointer handle) { ::DestroyIcon(handle); }
};

struct WindowTraits {
  using pointer = HWND;
  static pointer None() { return nullptr; }
  static void Close(pointer handle) { ::DestroyWindow(handle); }
};

struct FileTraits {
  using pointer = HANDLE;
  static pointer None() { return INVALID_HANDLE_VALUE; }
  static void Close(pointer handle) { ::CloseHandle(handle); }
};

using UniqueHbitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueHfont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueHbrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueHdc = UniqueHandle<MemoryDcTraits>;  // from CreateCompatibleDC / CreateDC
using UniqueHicon = UniqueHandle<IconTraits>;    // from LoadImage without LR_SHARED
using UniqueHwnd = UniqueHandle<WindowTraits>;
using UniqueFile = UniqueHandle<FileTraits>;

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
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
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
