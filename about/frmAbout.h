// frmAbout: the modal About window, with a notice, the credits and two links to the maker.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "registry/modRegistry.h"

namespace plumeroll {

extern const FormLayout kfrmAboutLayout;

// The maker's addresses, shown by the two link labels.
inline constexpr std::string_view kMakerMail = "qel@plumeroll.example";
inline constexpr std::string_view kMakerWeb = "http://plumeroll.example/";

class frmAbout : private FormEvents {
 public:
  // shell is where ShellExecuteA is declared (modRegistry).
  frmAbout(Platform& platform, modRegistry& shell) : platform_(platform), shell_(shell) {}

  // Loads the window anew, runs its load handler and shows it modally; returns once it is closed.
  void Show();

  void Form_Load();
  void Label2_Click();
  void Label3_Click();
  void cmdUnload_Click();

 private:
  void Click(std::string_view control, int index) override;
  void GotFocus(std::string_view, int) override {}
  void Open(std::string_view target);

  Platform& platform_;
  modRegistry& shell_;
  std::unique_ptr<Form> form_;  // while the window is open
};

}  // namespace plumeroll
