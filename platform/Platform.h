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

// A loaded picture. The Win32 one owns a bitmap from the system's own bitmap loader.
class Picture {
 public:
  virtual ~Picture() = default;
  // The picture's pixels as 32-bit colours (may fail for lack of memory).
  virtual Result<Image32> Pixels() const = 0;
};
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

inline constexpr int kMsgCritical = 16;
inline constexpr int kMsgInformation = 64;

class Platform {
 public:
  virtual ~Platform() = default;
  // Creates the window, hidden, with every control of its layout.
  virtual std::unique_ptr<Form> CreateForm(const FormLayout& layout, FormEvents& events) = 0;
  // Runs the event loop until the program's main window, `main`, is closed.
  virtual void RunEventLoop(Form& main) = 0;
  // A modal message box with one OK button; buttons is kMsgCritical or kMsgInformation.
  virtual void MsgBox(std::string_view prompt, int buttons, std::string_view title) = 0;
  // The modal Open dialog, with an empty file name to start with. Cancel leaves FileName empty
  // and is not a failure.
  virtual Result<void> ShowOpen(CommonDialog& dialog) = 0;
  // Loads a picture with the system's bitmap loader.
  virtual Result<PicturePtr> LoadPicture(const std::string& path) = 0;
  // Saves an image as a 24-bit Windows bitmap at path. The file is written beside its final
  // name and moved over it only when complete, so a failure leaves any earlier file whole.
  virtual Result<void> SavePicture(const Image32& image, const std::string& path) = 0;
  // The directory that holds the running program, without a trailing backslash.
  virtual std::string ProgramDirectory() = 0;
  // The path in a form the system's ANSI code page can hold (itself, or its short 8.3 form);
  // nothing when there is none.
  virtual std::optional<std::string> AnsiSafePath(const std::string& path) = 0;
};

}  // namespace plumeroll
