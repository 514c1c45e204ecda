// The window and picture services over user32, gdi32 and comdlg32.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace plumeroll {

namespace win32 {
struct Session;
}

// The first form that a Win32Platform creates is the program's main window: when that window
// is destroyed (closed by the user, unloaded, or its Form destroyed), RunEventLoop ends. The
// platform object must outlive its forms' use of the event loop.
class Win32Platform final : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;

  std::unique_ptr<Form> CreateForm(const FormLayout& layout, FormEvents& events) override;
  void RunEventLoop() override;
  void MsgBox(std::string_view prompt, int buttons, std::string_view title) override;
  Result<void> ShowOpen(CommonDialog& dialog) override;
  // An empty path gives the empty picture (null).
  Result<PicturePtr> LoadPicture(const std::string& path) override;
  Result<void> SavePicture(const Image32& image, const std::string& path) override;
  std::string ProgramDirectory() override;
  std::optional<std::string> AnsiSafePath(const std::string& path) override;

 private:
  std::shared_ptr<win32::Session> session_;
};

}  // namespace plumeroll
