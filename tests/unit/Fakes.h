// Stand-ins for the windows' handlers: window and picture services whose controls keep their
// state and whose messages, dialogs and files are recorded; and registry functions that reach no
// registry, with a shell that records its calls. How the registry answers is proved on the real
// one (the registry layer).
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Platform.h"
#include "registry/modRegistry.h"

namespace plumeroll::testing {

// A control that keeps its state; its text selection is the real text box's to prove.
struct FakeControl : Control {
  explicit FakeControl(const ControlRow& row)
      : enabled(row.enabled), visible(row.visible), text(row.caption) {}
  void SetEnabled(bool value) override { enabled = value; }
  void SetVisible(bool value) override { visible = value; }
  std::string Text() const override { return text; }
  void SetText(std::string_view value) override { text = value; }
  void SetPicture(PicturePtr value) override { picture = std::move(value); }
  void SetSelStart(int) override {}
  void SetSelLength(int) override {}
  int MaxLength() const override { return 0; }

  bool enabled, visible;
  std::string text;
  PicturePtr picture;
};

using Colours = std::vector<std::uint32_t>;  // 0xRRGGBB, top row first

// A picture of the given colours, given as 32-bit rows, bottom row first, in bands of at most
// two rows, so that every stretch meets rows within a band and across bands; reading it fails
// with `failure`, when there is one.
struct FakePicture final : Picture {
  FakePicture(int w, int h, Colours colours) : width(w), height(h), rgb(std::move(colours)) {}
  int Width() const override { return width; }
  int Height() const override { return height; }
  Result<void> ForEachBand(int rows, const BandUse& use) const override {
    if (failure) return *failure;
    for (int given = 0; given < height;) {
      const int band = std::min({rows, 2, height - given});
      const std::uint32_t* lowest = &rgb[(height - 1 - given) * width];
      given += band;
      const Result<void> used =
          use(Band{band, reinterpret_cast<const std::uint8_t*>(lowest), -4 * width, 4});
      if (!used) return used;
    }
    return {};
  }
  int width, height;
  Colours rgb;
  std::optional<Failure> failure;
};

// A picture's colours as it gives them in bands of `rows` rows; none when it cannot be read to
// its end.
inline std::optional<Colours> ColoursOf(const Picture& picture, int rows = 7) {
  Colours colours(static_cast<std::size_t>(picture.Width()) * picture.Height());
  int row = picture.Height();
  const Result<void> read = picture.ForEachBand(rows, [&](const Band& band) {
    for (int r = 0; r < band.rows; ++r) {
      if (--row < 0) return Result<void>(Failure{"ColoursOf", 0});  // more rows than it has
      const std::uint8_t* pixel = band.bytes + r * band.stride;
      for (int x = 0; x < picture.Width(); ++x, pixel += band.bytes_per_pixel)
        colours[row * picture.Width() + x] = pixel[0] | pixel[1] << 8 | pixel[2] << 16;
    }
    return Result<void>{};
  });
  if (!read || row != 0) return {};
  return colours;
}

struct FakePlatform : Platform {
  // A window whose controls keep their state; its height and showing are the real window's.
  struct Form : plumeroll::Form {
    Form(const FormLayout& layout, FormEvents& form_events, FakePlatform& owner)
        : events(form_events), platform(owner) {
      for (const ControlRow& row : layout.controls) controls.emplace(row.name, row);
      platform.forms.push_back(this);
    }
    ~Form() override { std::erase(platform.forms, this); }
    Control& operator()(std::string_view name, int) override { return at(name); }  // no arrays
    FakeControl& at(std::string_view name) { return controls.at(std::string(name)); }
    void SetHeight(int) override {}
    std::intptr_t hWnd() const override { return handle; }
    void Show() override {}
    void ShowModal() override { platform.while_modal(*this); }
    void Unload() override {}
    void Click(std::string_view name) { events.Click(name, kNoIndex); }

    FormEvents& events;
    FakePlatform& platform;
    const std::intptr_t handle = ++platform.created;  // 1 for the first window made, and so on
    std::map<std::string, FakeControl, std::less<>> controls;
  };

  std::unique_ptr<plumeroll::Form> CreateForm(const FormLayout& layout,
                                              FormEvents& events) override {
    return std::make_unique<Form>(layout, events, *this);
  }
  void RunEventLoop(plumeroll::Form&) override { event_loop(); }
  int MsgBox(std::string_view prompt, int buttons, std::string_view title) override {
    messages.push_back({std::string(prompt), buttons, std::string(title)});
    return buttons & kMsgYesNo ? answer : kMsgOk;
  }
  Result<void> ShowOpen(CommonDialog& shown) override {
    dialog = shown;
    shown.FileName = chosen_file;  // empty: the user cancelled
    return {};
  }
  Result<PicturePtr> LoadPicture(const std::string& path) override {
    if (!pictures.count(path)) return Failure{"LoadImageW", 2};
    return PicturePtr(pictures[path]);
  }
  // Reads the picture, as a save does, and keeps its size and the blue of its first pixel.
  Result<void> SavePicture(const Picture& image, const std::string& path) override {
    char blue = 0;
    Result<void> read = image.ForEachBand(8, [&](const Band& band) {
      blue = static_cast<char>(band.bytes[0]);
      return Result<void>{};
    });
    if (!read) return read;
    if (save_fails) return Failure{"MoveFileExW", 5, Cause::kTarget};
    files += path + " " + std::to_string(image.Width()) + "x" + std::to_string(image.Height()) +
             " of " + blue;
    return {};
  }
  std::string ProgramDirectory() override { return "C:\\P"; }
  std::optional<std::string> AnsiSafePath(const std::string& path) override {
    return ansi_paths.count(path) ? ansi_paths[path] : path;
  }

  // A picture of 40 x 30 pixels whose blue is the path's first character.
  void AddPicture(const std::string& path) {
    pictures[path] = std::make_shared<FakePicture>(40, 30, Colours(40 * 30, path[0]));
  }

  // Scripted answers.
  std::map<std::string, std::shared_ptr<FakePicture>> pictures;
  std::map<std::string, std::optional<std::string>> ansi_paths;  // absent: the path itself
  std::string chosen_file;
  bool save_fails = false;
  int answer = kMsgNo;                       // to a question
  std::function<void(Form&)> while_modal;    // what the user does in a modal window
  std::function<void()> event_loop = [] {};  // while the main window is open

  // What happened.
  std::vector<Form*> forms;  // those that exist, in the order they were created
  int created = 0;           // windows made so far
  CommonDialog dialog;       // the last one shown
  std::string files;         // each saved: its path, "WxH of" and the blue of its pixels
  // Each message box: its prompt, buttons and title.
  std::vector<std::tuple<std::string, int, std::string>> messages;
};
using FakeForm = FakePlatform::Form;

// The registry functions over one key that opens, or is created, and counts as open until it is
// closed; whose value "Huge" claims 4 GiB and whose other values' data are denied, as a policy or
// an administrator can deny them; where every change is refused and the listings fail at every
// index. And the shell, whose calls are logged with the window, the target, the directory and
// the show command (a verb or parameters, which the program never gives, show as such).
struct StubRegistry : modRegistry {
  RegStatus RegOpenKeyA(RegHandle, const char*, RegHandle* key) override {
    return *key = 1, ++open, kErrorSuccess;
  }
  RegStatus RegCreateKeyA(RegHandle hive, const char* path, RegHandle* key) override {
    return RegOpenKeyA(hive, path, key);
  }
  RegStatus RegCloseKey(RegHandle key) override { return open -= key == 1, kErrorSuccess; }
  RegStatus RegQueryValueExA(RegHandle, const char* name, std::uint32_t*, std::uint32_t*,
                             std::uint8_t* data, std::uint32_t* size) override {
    *size = name == std::string_view("Huge") ? 0xFFFFFFFF : 8;
    return data ? kErrorAccessDenied : kErrorSuccess;
  }
  // Keeps the bytes it was given.
  RegStatus RegSetValueExA(RegHandle, const char*, std::uint32_t, std::uint32_t,
                           const std::uint8_t* data, std::uint32_t size) override {
    written.assign(reinterpret_cast<const char*>(data), size);
    return kErrorAccessDenied;
  }
  RegStatus RegDeleteValueA(RegHandle, const char*) override { return kErrorAccessDenied; }
  RegStatus RegDeleteKeyA(RegHandle, const char*) override { return kErrorAccessDenied; }
  RegStatus RegEnumKeyExA(RegHandle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, char*,
                          std::uint32_t*, void*) override {
    return kErrorAccessDenied;
  }
  RegStatus RegEnumValueA(RegHandle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*,
                          std::uint32_t*, std::uint8_t*, std::uint32_t*) override {
    return kErrorAccessDenied;
  }
  std::intptr_t ShellExecuteA(std::intptr_t hwnd, const char* lpOperation, const char* lpFile,
                              const char* lpParameters, const char* lpDirectory,
                              std::int32_t nShowCmd) override {
    shell.push_back(std::to_string(hwnd) + " " + lpFile +
                    (lpOperation || lpParameters ? " verb or parameters" : "") + " directory:" +
                    (lpDirectory ? lpDirectory : "(null)") + " " + std::to_string(nShowCmd));
    return 2;  // as when no program is associated: the window ignores it
  }
  std::string AnsiFromUtf8(std::string_view text) override { return std::string(text); }
  std::string Utf8FromAnsi(std::string_view bytes) override { return std::string(bytes); }

  int open = 0;
  std::string written;
  std::vector<std::string> shell;
};

}  // namespace plumeroll::testing
