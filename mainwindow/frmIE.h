// frmIE: the main window. It shows the registered toolbar background, lets the user choose,
// resize and remove it, and opens the About window. The nine registry operations are public
// operations of the window, inherited from RegistryOperations.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "about/frmAbout.h"
#include "platform/DrawingSurface.h"
#include "platform/Platform.h"
#include "registry/RegistryOperations.h"

namespace plumeroll {

inline constexpr const char* kToolbarKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar";

// The program: the one main window, until it is closed. An error that no handler can work
// around (the window system refusing a window, memory running out) ends it with a critical
// message that names the error; the result is then non-zero.
int RunProgram(Platform& platform, modRegistry& registry);

class frmIE : public RegistryOperations, private FormEvents {
 public:
  frmIE(Platform& platform, modRegistry& api);

  // Creates the window, runs its load handler, shows it, and runs the event loop until the
  // window is closed.
  void Run();

  void Form_Load();
  void cmdChange_Click();
  void cmdFile_Click();
  void cmdFuck_Click();
  void cmdSize_Click();
  void cmdAbout_Click();
  void txtWidth_GotFocus();
  void txtHeight_GotFocus();

 private:
  void Click(std::string_view control, int index) override;
  void GotFocus(std::string_view control, int index) override;

  Control& control(std::string_view name) { return (*form_)(name); }
  void ShowPicture(PicturePtr picture);
  void SelectWholeText(Control& box);
  // The path in a form the registry can hold, or nothing after telling the user that the
  // holder ("Le chemin de ce fichier", ...) cannot be stored, and what to do.
  std::optional<std::string> RegistryPath(const std::string& path, std::string_view holder,
                                          std::string_view advice);
  // Tells the user that the registry did not do `what` the handler asked of it.
  void RegistryRefused(const std::string& what);
  // The text of a value of the toolbar key, "" when it is absent; or nothing, after telling the
  // user that the registry did not let it be read and what follows from that (`so`).
  std::optional<std::string> ReadToolbarValue(const char* name, std::string_view so);
  // Whether a value of the toolbar key reads back as `expected` ("" for absent) after a change;
  // if not, tells the user why: `refused` when it holds something else, or that it could not be
  // read (ReadToolbarValue).
  bool ToolbarHolds(const char* name, std::string_view expected, std::string_view so,
                    const std::string& refused);
  // After `registered` became the background ("" once removed): when Internet Explorer 5 and 6
  // show another picture, BackBitmapIE5's, asks whether to remove that value, and does.
  void OfferToRemoveIE5(const std::string& registered);
  // Stretches the picture at source to width x height pixels and saves it at target;
  // false, after telling the user why, when nothing could be saved.
  bool SaveResized(const std::string& source, int width, int height, const std::string& target);

  Platform& platform_;
  std::unique_ptr<Form> form_;
  std::unique_ptr<frmAbout> about_;
  DrawingSurface picSize;
  CommonDialog cdgFile;
};

}  // namespace plumeroll
