// Fake window and picture services for the windows' handlers: controls hold their state,
// message boxes and dialogs are recorded, pictures and files are scripted.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace plumeroll::testing {

class FakePicture : public Picture {
 public:
  FakePicture(int width, int height, std::uint32_t colour)
      : width_(width), height_(height), colour_(colour) {}
  Result<Image32> Pixels() const override {
    if (pixels_fail) return Failure{"GetDIBits", 8};
    return Image32{width_, height_,
                   std::vector<std::uint32_t>(static_cast<std::size_t>(width_) * height_, colour_)};
  }

 private:
  int width_, height_;
  std::uint32_t colour_;

 public:
  bool pixels_fail = false;
};

class FakeControl : public Control {
 public:
  explicit FakeControl(const ControlRow& row)
      : enabled(row.enabled), visible(row.visible), text(row.caption), max_length(row.max_length) {}
  void SetEnabled(bool value) override { enabled = value; }
  void SetVisible(bool value) override { visible = value; }
  std::string Text() const override { return text; }
  void SetText(std::string_view value) override { text = value; }
  void SetPicture(PicturePtr value) override { picture = std::move(value); }
  void SetSelStart(int value) override { sel_start = value; }
  // As a text box does, a length past the end selects to the end.
  void SetSelLength(int value) override {
    sel_length = std::min(value, static_cast<int>(text.size()) - sel_start);
  }
  int MaxLength() const override { return max_length; }

  bool enabled, visible;
  std::string text;
  PicturePtr picture;
  int sel_start = 0, sel_length = 0, max_length;
};

class FakeForm : public Form {
 public:
  FakeForm(const FormLayout& form_layout, FormEvents& form_events,
           std::function<void(FakeForm&)> on_modal, std::vector<FakeForm*>& live)
      : layout(form_layout), events(form_events), on_modal_(std::move(on_modal)), live_(live) {
    for (const ControlRow& row : layout.controls) {
      controls.emplace(std::pair(std::string(row.name), row.index), FakeControl(row));
    }
    live_.push_back(this);
  }
  ~FakeForm() override { std::erase(live_, this); }
  Control& operator()(std::string_view name, int index) override { return at(name, index); }
  FakeControl& at(std::string_view name, int index = kNoIndex) {
    return controls.at(std::pair(std::string(name), index));
  }
  void SetHeight(int twips) override { height = twips; }
  std::intptr_t hWnd() const override { return 0x1234; }
  void Show() override { shown = true; }
  void ShowModal() override {
    shown = true;
    if (on_modal_) on_modal_(*this);  // what the user does while the window is open
  }
  void Unload() override { loaded = false; }
  void Click(std::string_view name, int index = kNoIndex) { events.Click(name, index); }

  const FormLayout& layout;
  FormEvents& events;
  std::map<std::pair<std::string, int>, FakeControl> controls;
  int height = 0;
  bool shown = false;
  bool loaded = true;

 private:
  std::function<void(FakeForm&)> on_modal_;
  std::vector<FakeForm*>& live_;
};

struct Message {
  std::string prompt;
  int buttons;
  std::string title;
};

class FakePlatform : public Platform {
 public:
  std::unique_ptr<Form> CreateForm(const FormLayout& layout, FormEvents& events) override {
    ++forms_created;
    return std::make_unique<FakeForm>(layout, events, on_modal, forms);
  }
  void RunEventLoop(Form&) override {
    if (event_loop) event_loop();
  }
  void MsgBox(std::string_view prompt, int buttons, std::string_view title) override {
    messages.push_back({std::string(prompt), buttons, std::string(title)});
  }
  Result<void> ShowOpen(CommonDialog& dialog) override {
    dialogs.push_back(dialog);
    dialog.FileName = chosen_file;  // empty: the user cancelled
    return {};
  }
  Result<PicturePtr> LoadPicture(const std::string& path) override {
    loaded_paths.push_back(path);
    const auto found = pictures.find(path);
    if (found == pictures.end()) return Failure{"LoadImageW", 2};
    return PicturePtr(found->second);
  }
  Result<void> SavePicture(const Image32& image, const std::string& path) override {
    if (save_fails) return Failure{"MoveFileExW", 5};
    files[path] = image;
    return {};
  }
  std::string ProgramDirectory() override { return program_directory; }
  std::optional<std::string> AnsiSafePath(const std::string& path) override {
    const auto found = ansi_paths.find(path);
    if (found == ansi_paths.end()) return path;
    return found->second;
  }

  void AddPicture(const std::string& path, int width, int height, std::uint32_t colour = 0) {
    pictures[path] = std::make_shared<FakePicture>(width, height, colour);
  }

  // Scripted answers.
  std::map<std::string, std::shared_ptr<FakePicture>> pictures;
  std::map<std::string, std::optional<std::string>> ansi_paths;
  std::string chosen_file;
  std::string program_directory = "C:\\Programmes\\Plumeroll";
  bool save_fails = false;
  std::function<void(FakeForm&)> on_modal;
  std::function<void()> event_loop;  // what happens while the main window is open

  // What happened.
  std::vector<FakeForm*> forms;  // the forms that exist, in the order they were created
  int forms_created = 0;
  std::vector<Message> messages;
  std::vector<CommonDialog> dialogs;
  std::vector<std::string> loaded_paths;
  std::map<std::string, Image32> files;
};

}  // namespace plumeroll::testing
