// The Win32 forms and controls behind Platform::CreateForm. Internal to the platform library.
// Win32Form.cpp builds a form from its layout table, Win32Control.cpp its controls,
// Win32Focus.cpp moves the focus, Win32Modal.cpp runs the message loops and the modal show.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Picture.h"

namespace plumeroll::win32 {

// Dispatches the thread's messages until `window` is destroyed, handing keyboard messages to the
// navigation of our forms first. A quit message ends it too, and is posted again for an outer
// loop. An exception that a handler let out is thrown again from here.
void RunMessagesUntilGone(HWND window);

// Posted to a form when the control that had the focus was disabled or hidden; lparam is that
// control.
inline constexpr UINT kMoveFocusMessage = WM_APP + 1;

class Win32Form;

class Win32Control final : public Control {
 public:
  Win32Control(const ControlRow& row, int id) : row_(row), id_(id) {}

  void SetEnabled(bool enabled) override;
  void SetVisible(bool visible) override;
  std::string Text() const override;
  void SetText(std::string_view text) override;
  void SetPicture(PicturePtr picture) override;
  void SetSelStart(int start) override;
  void SetSelLength(int length) override;
  int MaxLength() const override { return row_.max_length; }

  const ControlRow& row() const { return row_; }
  // Null while the form is not loaded.
  HWND window() const { return window_; }
  // Whether the Tab key can move the focus here at this moment.
  bool CanTakeFocus() const;

  // Builds the control's window on the form's window, in the state its row gives.
  void Create(Win32Form& form, int dpi_x, int dpi_y, HFONT font);
  void Detach() { window_ = nullptr; }

  // The image box's own messages.
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  // A label whose wrapped text takes more lines than its box holds is drawn a pixel size
  // smaller at a time, down to three quarters of its font, so that no line is cut off: the
  // user-interface font differs from one system to the next, and the layouts are fixed.
  void FitTextToBox();
  // Paints an image box: its picture stretched to the whole box, or the bare background. The
  // stretched copy is made once for each picture and size, a band of the picture's rows at a
  // time, and painted as it is after that.
  void PaintImage(HWND window, HDC dc);

  Win32Form* form_ = nullptr;
  const ControlRow& row_;
  const int id_;
  HWND window_ = nullptr;    // a child of the form, destroyed with it
  HFONT font_ = nullptr;     // the row's font, owned by the form
  UniqueHfont fitted_font_;  // a smaller size of it, when the text needs one
  PicturePtr picture_;       // an image box's picture
  // and its copy at the box's size, as a bitmap file's rows (empty when it could not be made)
  int shown_width_ = 0;
  int shown_height_ = 0;
  std::vector<std::uint8_t> shown_;
};

class Win32Form final : public Form {
 public:
  // The window is created hidden, with its controls. The layout's rows must outlive the form
  // (they are the program's constant tables). A dialog belongs to the window active when it
  // is created, and has no taskbar button of its own.
  Win32Form(const FormLayout& layout, FormEvents& events);
  ~Win32Form() override;
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  Control& operator()(std::string_view name, int index = kNoIndex) override;
  void SetHeight(int twips) override;
  std::intptr_t hWnd() const override;  // 0 once unloaded
  void Show() override;
  void ShowModal() override;
  void Unload() override;

  // Moves the focus on when the control that has it is disabled or hidden.
  void FocusLeaves(HWND control);

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // Whether a top-level window is one of our forms.
  static bool IsFormWindow(HWND window);

 private:
  void CreateControls();
  LRESULT OnCommand(HWND window, WPARAM wparam, LPARAM lparam);
  static LRESULT ColourLabel(HDC dc, const ControlRow& row);
  void OnDestroyed();
  Win32Control* ControlOf(HWND window);

  // Focus (Win32Focus.cpp).
  // The next control after `after` in the tab order that can take the focus (from the start
  // when after is null), or null.
  Win32Control* NextFocusable(HWND after);
  void FocusFirstControl();
  // Gives the focus back to the control that had it, or to the first one; false when the
  // system's default handling must run.
  bool OnActivate(WPARAM wparam);
  void OnMoveFocus(HWND window, HWND left);
  // The keyboard navigation's request to move the focus (Tab, Shift+Tab).
  void OnNextControl(HWND window, WPARAM wparam, LPARAM lparam);

  // Modal show (Win32Modal.cpp).
  void DisableOtherWindows();
  void EnableOtherWindows();

  const FormLayout layout_;
  FormEvents& events_;
  std::vector<std::unique_ptr<Win32Control>> controls_;  // the rows with a window, in order
  std::vector<Win32Control*> tab_order_;                 // focusable kinds, by tab index

  // While loaded.
  UniqueHwnd window_;
  int dpi_x_ = 96;
  int dpi_y_ = 96;
  UniqueHfont default_font_;
  std::vector<UniqueHfont> row_fonts_;
  UniqueHicon big_icon_;
  UniqueHicon small_icon_;
  HWND saved_focus_ = nullptr;

  // While shown modally.
  std::vector<HWND> disabled_windows_;
};

}  // namespace plumeroll::win32
