// Stand-ins for the windows' handlers: window and picture services whose controls keep their
// state and whose messages, dialogs and files are recorded; and a registry of values that
// records the calls made to it, any of which can be made to fail. How the real registry answers
// is proved on the real one (the registry layer).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "platform/Platform.h"
#include "registry/modRegistry.h"

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

// A picture of 40 x 30 pixels of one colour, or one whose reading fails.
struct FakePicture : Picture {
  int Width() const override { return 40; }
  int Height() const override { return 30; }
  Result<void> ForEachBand(int, const BandUse& use) const override {
    if (failure) return *failure;
    std::vector<std::uint8_t> rows;
    for (int pixel = 0; pixel < 40 * 30; ++pixel) rows.insert(rows.end(), {blue, 0x20, 0x10});
    return use(Band{30, rows.data(), 40 * 3, 3});
  }
  std::uint8_t blue = 0;
  std::optional<Failure> failure;
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
  // Reads the picture, as a save does, and keeps its size and the blue of its pixels.
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

  // A picture whose blue is the path's first character.
  void AddPicture(const std::string& path) {
    pictures[path] = std::make_shared<FakePicture>();
    pictures[path]->blue = static_cast<std::uint8_t>(path[0]);
  }
  Form& form() { return *forms.at(0); }

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
  std::vector<Message> messages;
  CommonDialog dialog;  // the last one shown
  std::string files;    // each saved: its path, "WxH of" and the blue of its pixels
};
using FakeForm = FakePlatform::Form;

// A registry of string values under keys named as the operations name them, logging every call
// that opens, creates, writes, deletes or closes, and those to the shell. "Function" or
// "Function ValueName" in `failures` gives the status that such a call returns, leaving
// everything as it was; a value in `oversized` claims 4 GiB of data. Its texts are taken as they
// come: the ANSI code page is the real registry's to prove. Nothing is listed.
struct FakeRegistry : modRegistry {
  RegStatus RegOpenKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    return Log("RegOpenKeyA", hKey, lpSubKey, "", phkResult, [&] {
      return keys.count(lpSubKey) ? Open(lpSubKey, phkResult) : kErrorFileNotFound;
    });
  }
  RegStatus RegCreateKeyA(RegHandle hKey, const char* lpSubKey, RegHandle* phkResult) override {
    return Log("RegCreateKeyA", hKey, lpSubKey, "", phkResult,
               [&] { return Open(*keys.insert(lpSubKey).first, phkResult); });
  }
  RegStatus RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t*,
                             std::uint32_t*, std::uint8_t* lpData,
                             std::uint32_t* lpcbData) override {
    if (const auto refusal = Refusal("RegQueryValueExA", lpValueName)) return *refusal;
    const auto value = values.find({open_[hKey], lpValueName});
    if (value == values.end()) return kErrorFileNotFound;
    const std::string& data = value->second;
    if (lpData && *lpcbData < data.size()) return kErrorMoreData;
    if (lpData) std::copy(data.begin(), data.end(), lpData);
    *lpcbData = oversized.count(lpValueName) ? 0xFFFFFFFFu : std::uint32_t(data.size());
    return kErrorSuccess;
  }
  RegStatus RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t, std::uint32_t,
                           const std::uint8_t* lpData, std::uint32_t cbData) override {
    const std::string data(reinterpret_cast<const char*>(lpData), cbData);
    std::string shown = " ";
    for (const char c : data) shown += c ? std::string(1, c) : "\\0";
    return Log("RegSetValueExA", hKey, lpValueName, shown + " " + std::to_string(cbData), nullptr,
               [&] { return values[{open_[hKey], lpValueName}] = data, kErrorSuccess; });
  }
  RegStatus RegDeleteValueA(RegHandle hKey, const char* lpValueName) override {
    return Log("RegDeleteValueA", hKey, lpValueName, "", nullptr, [&] {
      return values.erase({open_[hKey], lpValueName}) ? kErrorSuccess : kErrorFileNotFound;
    });
  }
  RegStatus RegCloseKey(RegHandle hKey) override {
    return Log("RegCloseKey", hKey, "", "", nullptr,
               [&] { return open_.erase(hKey) ? kErrorSuccess : kErrorInvalidHandle; });
  }
  RegStatus RegDeleteKeyA(RegHandle hKey, const char* lpSubKey) override {
    return Log("RegDeleteKeyA", hKey, lpSubKey, "", nullptr,
               [&] { return keys.erase(open_[hKey]) ? kErrorSuccess : kErrorFileNotFound; });
  }
  RegStatus RegEnumKeyExA(RegHandle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, char*,
                          std::uint32_t*, void*) override {
    return Refusal("RegEnumKeyExA", "").value_or(kErrorNoMoreItems);
  }
  RegStatus RegEnumValueA(RegHandle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*,
                          std::uint32_t*, std::uint8_t*, std::uint32_t*) override {
    return Refusal("RegEnumValueA", "").value_or(kErrorNoMoreItems);
  }
  // Logged with the window, the target, the directory and the show command; a verb or
  // parameters, which the program never gives, show as such.
  std::intptr_t ShellExecuteA(std::intptr_t hwnd, const char* lpOperation, const char* lpFile,
                              const char* lpParameters, const char* lpDirectory,
                              std::int32_t nShowCmd) override {
    log.push_back("ShellExecuteA " + std::to_string(hwnd) + " " + lpFile +
                  (lpOperation || lpParameters ? " verb or parameters" : "") +
                  " directory:" + (lpDirectory ? lpDirectory : "(null)") + " " +
                  std::to_string(nShowCmd));
    return 2;  // as when no program is associated: the window ignores it
  }
  std::string AnsiFromUtf8(std::string_view text) override { return std::string(text); }
  std::string Utf8FromAnsi(std::string_view bytes) override { return std::string(bytes); }

  std::map<std::string, RegStatus> failures;
  std::set<std::string> oversized;
  std::set<std::string> keys = {""};  // the hives themselves
  std::map<std::pair<std::string, std::string>, std::string> values;  // key, name: data
  // The calls, one a line: the function; the key, as HKCU or as the one opened n-th (keyn); the
  // sub-key or value name, with the bytes written (a NUL as \0) and their size; the key opened.
  std::vector<std::string> log;

 private:
  std::optional<RegStatus> Refusal(const std::string& function, const std::string& name) {
    for (const std::string& call : {function + " " + name, function}) {
      if (failures.count(call)) return failures[call];
    }
    return std::nullopt;
  }
  RegStatus Open(const std::string& sub_key, RegHandle* handle) {
    open_[*handle = next_++] = sub_key;
    return kErrorSuccess;
  }
  RegStatus Log(const std::string& function, RegHandle key, const std::string& name,
                const std::string& written, const RegHandle* opened,
                const std::function<RegStatus()>& make) {
    const std::optional<RegStatus> refusal = Refusal(function, name);
    const RegStatus status = refusal ? *refusal : make();
    log.push_back(function + " " + names_[key] + (name.empty() ? "" : " " + name) + written);
    if (opened && status == kErrorSuccess)
      log.back() += " -> " + (names_[*opened] = "key" + std::to_string(names_.size()));
    return status;
  }
  std::map<RegHandle, std::string> open_;  // the keys open, by handle
  std::map<RegHandle, std::string> names_ = {{kHkeyCurrentUser, "HKCU"}};
  RegHandle next_ = 0x40;
};

}  // namespace plumeroll::testing
