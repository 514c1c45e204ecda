// The window and picture services that the windows rely on, as a small portable interface.
// Win32Platform implements it over user32/gdi32/comdlg32; the unit tests implement it with fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Image.h"
#include "platform/Layout.h"
#include "platform/Result.h"

namespace plumeroll {

// A loaded picture, read a band of rows at a time (Image.h).
using PicturePtr = std::shared_ptr<const Picture>;

// One control of a window, as its handlers change it. Which properties mean something depends
// on its kind; each change takes effect at once.
class Control {
 public:
  virtual ~Control() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetVisible(bool visible) = 0;
  // A label's or button's caption, a text box's text.
  virtual std::string Text() const = 0;
  virtual void SetText(std::string_view text) = 0;
  // Image boxes: the picture shown stretched to the box; null for none.
  virtual void SetPicture(PicturePtr picture) = 0;
  // Text boxes: the selection, in characters. A length past the end selects to the end.
  virtual void SetSelStart(int start) = 0;
  virtual void SetSelLength(int length) = 0;
  virtual int MaxLength() const = 0;
};

// What a window tells its owner. Handlers run one at a time on the user-interface thread.
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  virtual void Click(std::string_view control, int index) = 0;
  virtual void GotFocus(std::string_view control, int index) = 0;
};

// A window built from its layout table. Destroying the object destroys the window.
class Form {
 public:
  virtual ~Form() = default;
  virtual Control& operator()(std::string_view name, int index = kNoIndex) = 0;
  virtual void SetHeight(int twips) = 0;  // outer height; the width does not change
  virtual std::intptr_t hWnd() const = 0;
  // Shows the window; the focus goes to the first enabled control in the tab order.
  virtual void Show() = 0;
  // Shows the window modally: the program's other windows take no input, and a nested event
  // loop runs until the window is unloaded (by Unload or by its close button).
  virtual void ShowModal() = 0;
  virtual void Unload() = 0;
};

// The settings of the common file dialog, as the dialog component holds them.
struct CommonDialog {
  std::string FileName;
  std::string InitDir;
  std::string Filter;  // "Display text|pattern"
  std::uint32_t Flags = 0;
  std::string DialogTitle;
};

// A message box's buttons and icon, added together, and the button that closed it.
inline constexpr int kMsgYesNo = 4;
inline constexpr int kMsgCritical = 16;
inline constexpr int kMsgQuestion = 32;
inline constexpr int kMsgInformation = 64;
inline constexpr int kMsgOk = 1;
inline constexpr int kMsgYes = 6;
inline constexpr int kMsgNo = 7;

class Platform {
 public:
  virtual ~Platform() = default;
  // Creates the window, hidden, with every control of its layout.
  virtual std::unique_ptr<Form> CreateForm(const FormLayout& layout, FormEvents& events) = 0;
  // Runs the event loop until the program's main window, `main`, is closed.
  virtual void RunEventLoop(Form& main) = 0;
  // A modal message box: one OK button with kMsgCritical or kMsgInformation; Yes and No with
  // kMsgYesNo + kMsgQuestion. Returns the button that closed it (kMsgOk, kMsgYes or kMsgNo),
  // or 0 when the box could not be shown.
  virtual int MsgBox(std::string_view prompt, int buttons, std::string_view title) = 0;
  // The modal Open dialog, with an empty file name to start with. Cancel leaves FileName empty
  // and is not a failure.
  virtual Result<void> ShowOpen(CommonDialog& dialog) = 0;
  // Loads a picture from a bitmap file.
  virtual Result<PicturePtr> LoadPicture(const std::string& path) = 0;
  // Saves a picture as a 24-bit Windows bitmap at path, a band of rows at a time as the picture
  // gives them. The file is written beside its final name and moved over it only when
  // complete, so a failure leaves any earlier file whole; the failure's cause tells the
  // picture's (kSource), memory's and the file's (kTarget) apart.
  virtual Result<void> SavePicture(const Picture& image, const std::string& path) = 0;
  // The directory that holds the running program, without a trailing backslash.
  virtual std::string ProgramDirectory() = 0;
  // The path in a form the system's ANSI code page can hold (itself, or its short 8.3 form);
  // nothing when there is none.
  virtual std::optional<std::string> AnsiSafePath(const std::string& path) = 0;
};

}  // namespace plumeroll
