// The Win32 forms and controls behind Platform::CreateForm. Internal to the platform library.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Win32Handles.h"

namespace plumeroll::win32 {

// What the forms of one Win32Platform share.
struct Session {
  bool main_claimed = false;   // the first form created is the program's main window
  HWND main_window = nullptr;  // while that window exists
};

// Hands a keyboard message to the navigation of the form that holds its window (Tab moves the
// focus). True when it was handled there and must not be dispatched again.
bool RouteDialogMessage(MSG& msg);

// Windows calls our window procedures through C frames that an exception must not cross: an
// exception that leaves an event handler is kept and thrown again by the message loop.
void KeepPendingException(std::exception_ptr error);
void RethrowPendingException();

class Win32Form;

class Win32Control final : public Control {
 public:
  Win32Control(Win32Form& form, const ControlRow& row, int id);

  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  bool Visible() const override;
  void SetVisible(bool visible) override;
  std::string Text() const override;
  void SetText(std::string_view text) override;
  PicturePtr Picture() const override;
  void SetPicture(PicturePtr picture) override;
  int SelStart() const override;
  int SelLength() const override;
  void SetSelStart(int start) override;
  void SetSelLength(int length) override;
  int MaxLength() const override;

  const ControlRow& row() const { return row_; }
  int id() const { return id_; }
  // The control's window as it is now: null for rows without one and while unloaded.
  HWND window() const { return window_; }
  // Whether the Tab key can move the focus here at this moment.
  bool CanTakeFocus() const;

  // Builds the control's window on the loaded form (nothing for rows without one), in the
  // state its row gives.
  void Create(HWND parent, int dpi_x, int dpi_y, HFONT font);
  void Detach() { window_ = nullptr; }

  // Draws an image box: its picture stretched to the whole box, or the bare background.
  void PaintImage(HDC dc) const;

 private:
  // The window after making sure the form is loaded (touching a control loads its form).
  HWND LiveWindow() const;
  // A label whose wrapped text takes more lines than its box holds is drawn a pixel size
  // smaller at a time, down to three quarters of its font, so that no line is cut off: the
  // user-interface font differs from one system to the next, and the layouts are fixed.
  void FitTextToBox();
  bool IsTextBox() const { return row_.Kind == ControlKind::TextBox && window_; }

  Win32Form& form_;
  const ControlRow& row_;
  const int id_;
  HWND window_ = nullptr;  // a child of the form, destroyed with it
  HFONT font_ = nullptr;   // the row's font, owned by the form
  UniqueHfont fitted_font_;  // a smaller size of it, when the text needs one

  // Kept here for labels (the text as set) and for the rows without a window.
  std::string text_;
  bool enabled_ = true;
  bool visible_ = true;
  PicturePtr picture_;
};

class Win32Form final : public Form {
 public:
  // The layout's rows must outlive the form (they are the program's constant tables).
  Win32Form(const FormLayout& layout, FormEvents& events, std::shared_ptr<Session> session);
  ~Win32Form() override;
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  Control& operator()(std::string_view name, int index = kNoIndex) override;
  int Height() const override;  // 0 while unloaded
  void SetHeight(int twips) override;
  std::intptr_t hWnd() const override;  // 0 while unloaded
  void Show() override;
  void ShowModal() override;
  void Unload() override;
  bool Loaded() const override { return static_cast<bool>(window_); }

  // Creates the window and its controls if the form is not loaded; returns the window.
  HWND EnsureLoaded();
  // Moves the focus on when the control that has it is disabled or hidden.
  void FocusLeaves(HWND control);

  // Whether a top-level window is one of our forms.
  static bool IsFormWindow(HWND window);

 private:
  static ATOM FormClass();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnCommand(HWND window, WPARAM wparam, LPARAM lparam);
  void Load();
  void OnDestroyed(HWND window);
  Win32Control* ControlOf(HWND window);
  // The next control after `after` in the tab order that can take the focus (from the start
  // when after is null), or null.
  Win32Control* NextFocusable(HWND after);
  void FocusFirstControl();
  void DisableOtherWindows();
  void EnableOtherWindows();

  FormLayout layout_;
  FormEvents& events_;
  std::shared_ptr<Session> session_;
  bool is_main_ = false;
  std::vector<std::unique_ptr<Win32Control>> controls_;  // in the layout's order
  std::vector<Win32Control*> tab_order_;                 // focusable kinds, by TabIndex

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
  bool modal_ = false;
  // Cleared when the object goes, for the modal loop whose handler may have destroyed it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::vector<HWND> disabled_windows_;
};

}  // namespace plumeroll::win32
