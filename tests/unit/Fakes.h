// Stand-ins for the windows' handlers: window and picture services whose controls keep their
// state and whose messages, dialogs and files are recorded; and the in-memory registry,
// recording the calls made to it, any of which can be made to fail.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "platform/Platform.h"
#include "registry/MemoryRegistry.h"

namespace plumeroll::testing {

struct FakeControl : Control {
  explicit FakeControl(const ControlRow& row)
      : enabled(row.enabled), visible(row.visible), text(row.caption), max_length(row.max_length) {}
  void SetEnabled(bool value) override { enabled = value; }
  void SetVisible(bool value) override { visible = value; }
  std::string Text() const override { return text; }
  void SetText(std::string_view value) override { text = value; }
  void SetPicture(PicturePtr value) override { picture = std::move(value); }
  void SetSelStart(int start) override { selection = {start, 0}; }
  // As a text box does, a length past the end selects to the end.
  void SetSelLength(int length) override {
    selection.second = std::min(length, static_cast<int>(text.size()) - selection.first);
  }
  int MaxLength() const override { return max_length; }

  bool enabled, visible;
  std::string text;
  PicturePtr picture;
  std::pair<int, int> selection;  // start, length
  int max_length;
};

struct FakePicture : Picture {
  Result<Image32> Pixels() const override {
    if (image.pixels.empty()) return Failure{"GetDIBits", 8};
    return image;
  }
  Image32 image;  // no pixels: they cannot be had
};

using Message = std::tuple<std::string, int, std::string>;  // prompt, buttons, title

struct FakePlatform : Platform {
  struct Form : plumeroll::Form {
    Form(const FormLayout& form_layout, FormEvents& form_events, FakePlatform& owner)
        : layout(form_layout), events(form_events), platform(owner) {
      for (const ControlRow& row : layout.controls) controls.emplace(row.name, row);
      platform.forms.push_back(this);
    }
    ~Form() override { std::erase(platform.forms, this); }
    Control& operator()(std::string_view name, int) override { return at(name); }  // no arrays
    FakeControl& at(std::string_view name) { return controls.at(std::string(name)); }
    void SetHeight(int twips) override { height = twips; }
    std::intptr_t hWnd() const override { return reinterpret_cast<std::intptr_t>(this); }
    void Show() override { shown = true; }
    void ShowModal() override { platform.while_modal(*this); }
    void Unload() override { loaded = false; }
    void Click(std::string_view name) { events.Click(name, kNoIndex); }

    const FormLayout& layout;
    FormEvents& events;
    FakePlatform& platform;
    std::map<std::string, FakeControl, std::less<>> controls;
    int height = 0;
    bool shown = false, loaded = true;
  };

  std::unique_ptr<plumeroll::Form> CreateForm(const FormLayout& layout,
                                              FormEvents& events) override {
    return std::make_unique<Form>(layout, events, *this);
  }
  void RunEventLoop(plumeroll::Form&) override { event_loop(); }
  void MsgBox(std::string_view prompt, int buttons, std::string_view title) override {
    messages.push_back({std::string(prompt), buttons, std::string(title)});
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
  Result<void> SavePicture(const Image32& image, const std::string& path) override {
    if (save_fails) return Failure{"MoveFileExW", 5};
    files[path] = image;
    return {};
  }
  std::string ProgramDirectory() override { return "C:\\P"; }
  std::optional<std::string> AnsiSafePath(const std::string& path) override {
    return ansi_paths.count(path) ? ansi_paths[path] : path;
  }

  // A picture of 40 x 30 pixels whose blue is the path's first character.
  void AddPicture(const std::string& path) {
    pictures[path] = std::make_shared<FakePicture>();
    pictures[path]->image = {40, 30, std::vector(40 * 30, 0xFF102000u | std::uint8_t(path[0]))};
  }
  Form& form() { return *forms.at(0); }

  // Scripted answers.
  std::map<std::string, std::shared_ptr<FakePicture>> pictures;
  std::map<std::string, std::optional<std::string>> ansi_paths;  // absent: the path itself
  std::string chosen_file;
  bool save_fails = false;
  std::function<void(Form&)> while_modal;    // what the user does in a modal window
  std::function<void()> event_loop = [] {};  // while the main window is open

  // What happened.
  std::vector<Form*> forms;  // those that exist, in the order they were created
  std::vector<Message> messages;
  CommonDialog dialog;  // the last one shown
  std::map<std::string, Image32> files;
};
using FakeForm = FakePlatform::Form;

// The in-memory registry, logging the calls that open, create, write, delete or close keys, and
// those to the shell. "Function" or "Function ValueName" in `failures` gives the status that
// such a call returns, leaving everything as it was.
struct RecordingRegistry : MemoryRegistry {
  RegStatus RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    return Record("RegOpenKeyA", hKey, lpSubKey, phkResult, "",
                  [&] { return MemoryRegistry::RegOpenKeyA(hKey, lpSubKey, phkResult); });
  }
  RegStatus RegCreateKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    return Record("RegCreateKeyA", hKey, lpSubKey, phkResult, "",
                  [&] { return MemoryRegistry::RegCreateKeyA(hKey, lpSubKey, phkResult); });
  }
  RegStatus RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved,
                           std::uint32_t dwType, const std::uint8_t* lpData,
                           std::uint32_t cbData) override {
    std::string bytes;
    for (std::uint32_t i = 0; i < cbData; ++i)
      bytes += lpData[i] ? std::string(1, lpData[i]) : "\\0";
    const std::string written = " " + bytes + " " + std::to_string(cbData);
    return Record("RegSetValueExA", hKey, lpValueName, nullptr, written, [&] {
      return MemoryRegistry::RegSetValueExA(hKey, lpValueName, Reserved, dwType, lpData, cbData);
    });
  }
  RegStatus RegDeleteValueA(RegHandle hKey, const char* lpValueName) override {
    return Record("RegDeleteValueA", hKey, lpValueName, nullptr, "",
                  [&] { return MemoryRegistry::RegDeleteValueA(hKey, lpValueName); });
  }
  RegStatus RegCloseKey(RegHandle hKey) override {
    return Record("RegCloseKey", hKey, "", nullptr, "",
                  [&] { return MemoryRegistry::RegCloseKey(hKey); });
  }
  RegStatus RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) override {
    return Record("RegDeleteKeyA", hKey, lpSubKey, nullptr, "",
                  [&] { return MemoryRegistry::RegDeleteKeyA(hKey, lpSubKey); });
  }
  // Logged with the window, the target, the directory and the show command; a verb or
  // parameters, which the program never gives, show as such.
  std::intptr_t ShellExecuteA(std::intptr_t hwnd, const char* lpOperation, const char* lpFile,
                              const char* lpParameters, const char* lpDirectory,
                              std::int32_t nShowCmd) override {
    log.push_back("ShellExecuteA " + std::to_string(hwnd) + " " + lpFile +
                  (lpOperation || lpParameters ? " verb or parameters" : "") +
                  " directory:" + Text(lpDirectory) + " " + std::to_string(nShowCmd));
    return 2;  // as when no program is associated: the window ignores it
  }

  std::map<std::string, RegStatus> failures;
  // The calls, one a line: the function; the key, as HKCU or as the one opened n-th (keyn); the
  // sub-key or value name, with the bytes written (a NUL as \0) and their size; the key opened.
  std::vector<std::string> log;

 private:
  static std::string Text(const char* text) { return text ? text : "(null)"; }
  RegStatus Record(const std::string& function, RegHandle key, const char* text,
                   const RegHandle* opened, const std::string& written,
                   const std::function<RegStatus()>& make) {
    auto failure = failures.find(function + " " + Text(text));
    if (failure == failures.end()) failure = failures.find(function);
    const RegStatus status = failure != failures.end() ? failure->second : make();
    log.push_back(function + " " + keys_[key] + (Text(text).empty() ? "" : " " + Text(text)) +
                  written);
    if (opened && *opened)
      log.back() += " -> " + (keys_[*opened] = "key" + std::to_string(keys_.size()));
    return status;
  }
  std::map<RegHandle, std::string> keys_ = {{kHkeyCurrentUser, "HKCU"}};
};

}  // namespace plumeroll::testing
