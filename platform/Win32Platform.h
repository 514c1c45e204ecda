// The window and picture services over user32, gdi32 and comdlg32.
#pragma once

#include "platform/Platform.h"

namespace plumeroll {

class Win32Platform final : public Platform {
 public:
  // Loads the common controls (version 6, which the manifest asks for): without it Windows XP
  // creates no button, text box or message box.
  Win32Platform();

  std::unique_ptr<Form> CreateForm(const FormLayout& layout, FormEvents& events) override;
  void RunEventLoop(Form& main) override;
  int MsgBox(std::string_view prompt, int buttons, std::string_view title) override;
  Result<void> ShowOpen(CommonDialog& dialog) override;
  Result<PicturePtr> LoadPicture(const std::string& path) override;
  Result<void> SavePicture(const Picture& image, const std::string& path) override;
  std::string ProgramDirectory() override;
  std::optional<std::string> AnsiSafePath(const std::string& path) override;
};

}  // namespace plumeroll
