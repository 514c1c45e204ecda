// A user's run through the real windows: expand, choose a picture in the Open dialog, resize it,
// try letters as sizes, remove the background; and the size boxes' own behaviour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>

#include "tests/e2e/Automation.h"
#include "tests/e2e/PlumerollWindows.h"

namespace plumeroll::e2e {
namespace {

bool SamePath(const std::optional<std::wstring>& actual, const std::wstring& expected) {
  return actual.has_value() && _wcsicmp(actual->c_str(), expected.c_str()) == 0;
}

std::string Show(const std::optional<std::wstring>& value) {
  if (!value.has_value()) return "(no value)";
  std::string shown(1, '"');
  shown += Utf8(*value);
  shown += '"';
  return shown;
}

class UserRunTest : public testing::Test {
 protected:
  void SetUp() override {
    ForgetBackground();
    DeleteFileW(ResizedPath().c_str());
  }
  void TearDown() override {
    program_.reset();
    ForgetBackground();
  }

  static void ForgetBackground() {
    DeleteToolbarValue(L"BackBitmap");
    DeleteToolbarValue(L"BackBitmapOriginal");
  }
  static std::wstring ResizedPath() { return TheSettings().program_dir + L"\\resized.bmp"; }

  // Starts the program and finds its window; false if it does not show.
  bool Start() {
    program_ = std::make_unique<Program>();
    main_ = std::make_unique<MainWindow>(program_->WaitForMainWindow());
    return main_->window != nullptr;
  }

  // "Changer le fond", waiting for the window to grow.
  bool Expand() {
    Click(main_->cmd_change);
    const int expanded = TwipsToPixelsY(5000);
    return WaitUntil([&] { return std::abs(main_->OuterHeight() - expanded) <= 1; }, 5s);
  }

  // "Charger l'image": the Open dialog, or null.
  HWND OpenFileDialog() {
    Click(main_->cmd_file);
    HWND dialog = WaitForTopLevel(program_->Id(), kDialogClass, kOpenDialogCaption);
    if (dialog != nullptr) WaitForInputReady(dialog);
    return dialog;
  }

  // A message box that appears now, read and closed with OK.
  std::optional<MessageBoxView> ExpectMessage(const char* after) {
    auto box = WaitForMessageBox(program_->Id());
    EXPECT_TRUE(box.has_value()) << "no message after " << after;
    if (box) {
      EXPECT_TRUE(PressOk(box->window)) << "the message stays after OK";
    }
    return box;
  }

  // Gives the program time to show anything it would show, then checks it showed nothing.
  void ExpectNoMessage(const char* after) {
    Settle(main_->window);
    const auto boxes = MessageBoxes(program_->Id());
    EXPECT_TRUE(boxes.empty()) << "a message after " << after << ": \""
                               << (boxes.empty() ? "" : Utf8(ReadMessageBox(boxes[0]).prompt))
                               << "\"";
    for (HWND box : boxes) PressOk(box);
  }

  // Clicks into a size box and selects its whole text, whatever the click did to the selection.
  void ClickAndSelectAll(HWND edit) {
    Click(edit);
    WaitUntil([&] { return FocusedWindow(main_->window) == edit; }, 3s);
    Settle(main_->window, 200ms);  // the click is handled before the selection is made
    SendMessageTimeoutW(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 5000, nullptr);
  }

  // Replaces the text of a size box as a user would: click into it, select all, type.
  void Retype(HWND edit, std::wstring_view text) {
    ClickAndSelectAll(edit);
    if (text.empty()) {
      PressKey(VK_DELETE);
    } else {
      TypeText(text);
    }
    WaitUntil([&] { return TextOf(edit) == text; }, 3s);
  }

  std::unique_ptr<Program> program_;
  std::unique_ptr<MainWindow> main_;
};

// Types a path into the Open dialog's file name box and presses its Open button.
void ChooseInOpenDialog(HWND dialog, const std::wstring& path) {
  BringToFront(dialog);
  HWND name_box = nullptr;
  WaitUntil(
      [&] {
        HWND focus = FocusedWindow(dialog);
        if (focus != nullptr && _wcsicmp(ClassOf(focus).c_str(), L"Edit") == 0) name_box = focus;
        return name_box != nullptr;
      },
      5s);
  if (name_box == nullptr) {
    for (HWND child : Descendants(dialog)) {
      if (_wcsicmp(ClassOf(child).c_str(), L"Edit") == 0 && IsWindowVisible(child)) {
        name_box = child;
        Click(child);
        break;
      }
    }
  }
  ASSERT_NE(name_box, nullptr) << "no file name box in the Open dialog";
  TypeText(path);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(name_box) == path; }, 5s))
      << "the file name box holds \"" << Utf8(TextOf(name_box)) << "\"";
  HWND open = GetDlgItem(dialog, IDOK);
  ASSERT_NE(open, nullptr) << "no Open button";
  Click(open);
}

TEST_F(UserRunTest, ChooseResizeAndRemoveTheBackground) {
  const Settings& settings = TheSettings();
  const auto picture = LoadPictureFile(settings.good_picture);
  ASSERT_TRUE(picture.has_value());
  ASSERT_TRUE(Start());
  const MainWindow& main = *main_;

  // "Changer le fond" uncovers the size controls and enables them.
  ASSERT_TRUE(Expand()) << "outer height " << main.OuterHeight()
                        << " px, expected 5000 twips = " << TwipsToPixelsY(5000) << " px";
  ASSERT_NE(main.txt_width, nullptr);
  ASSERT_NE(main.txt_height, nullptr);
  EXPECT_EQ(Utf8(TextOf(main.txt_width)), "1024");
  EXPECT_EQ(Utf8(TextOf(main.txt_height)), "150");
  for (HWND enabled : {main.txt_width, main.txt_height, main.cmd_file, main.cmd_size}) {
    EXPECT_TRUE(IsWindowEnabled(enabled)) << Utf8(TextOf(enabled)) << " is disabled";
  }
  EXPECT_FALSE(IsWindowEnabled(main.cmd_change)) << "\"Changer le fond\" can be pressed again";
  const RECT client = ClientRectOnScreen(main.window);
  for (HWND control : {main.label2, main.label3_width, main.label3_height, main.txt_width,
                       main.txt_height, main.cmd_size, main.cmd_file}) {
    ASSERT_NE(control, nullptr) << "a control of the expanded window is missing";
    EXPECT_TRUE(IsWindowVisible(control) && Contains(client, WindowRect(control)))
        << "\"" << Utf8(TextOf(control)) << "\" at " << Describe(WindowRect(control))
        << " is not wholly in the client area " << Describe(client);
  }
  SaveScreenshot(main.Capture(), L"expanded-placeholder");

  // "Charger l'image": the real Open dialog, a typed path, Open.
  HWND dialog = OpenFileDialog();
  ASSERT_NE(dialog, nullptr) << "no Open dialog titled \"Choisissez le fond pour la Toolbar =)\"";
  ChooseInOpenDialog(dialog, settings.good_picture);
  if (HasFatalFailure()) return;
  if (auto box = ExpectMessage("choosing a file")) {
    EXPECT_EQ(Utf8(box->title), "Mouuuw");
    EXPECT_EQ(Utf8(box->prompt), "L'image a été chargée en fond de toolbar d'IE ^^");
    EXPECT_EQ(box->icon, BoxIcon::kInformation) << ToString(box->icon);
  }
  EXPECT_TRUE(SamePath(QueryToolbarValue(L"BackBitmap"), settings.good_picture))
      << "BackBitmap: " << Show(QueryToolbarValue(L"BackBitmap"));
  EXPECT_TRUE(SamePath(QueryToolbarValue(L"BackBitmapOriginal"), settings.good_picture))
      << "BackBitmapOriginal: " << Show(QueryToolbarValue(L"BackBitmapOriginal"));
  ASSERT_NE(main.lbl_none, nullptr);
  EXPECT_FALSE(IsWindowVisible(main.lbl_none)) << "\"QUE DALLE\" shows over the picture";
  const Pixels expanded_with_picture = main.Capture();
  EXPECT_TRUE(ShowsPicture(main, *picture)) << "the chosen picture is not shown";
  SaveScreenshot(expanded_with_picture, L"expanded-picture");

  // "Changer la taille" with 1024 and 150.
  Click(main.cmd_size);
  if (auto box = ExpectMessage("resizing")) {
    EXPECT_EQ(Utf8(box->title), "Yup");
    EXPECT_EQ(Utf8(box->prompt), "Le fond de la toolbar a été resizé à la taille voulue =)");
    EXPECT_EQ(box->icon, BoxIcon::kInformation) << ToString(box->icon);
  }
  EXPECT_TRUE(SamePath(QueryToolbarValue(L"BackBitmap"), ResizedPath()))
      << "BackBitmap: " << Show(QueryToolbarValue(L"BackBitmap"));
  EXPECT_TRUE(SamePath(QueryToolbarValue(L"BackBitmapOriginal"), settings.good_picture))
      << "BackBitmapOriginal: " << Show(QueryToolbarValue(L"BackBitmapOriginal"));
  const auto header = ReadBmpHeader(ResizedPath());
  ASSERT_TRUE(header.has_value()) << "no bitmap file " << Utf8(ResizedPath());
  EXPECT_EQ(header->width, 1024);
  EXPECT_EQ(std::abs(header->height), 150);
  if (const auto resized = LoadPictureFile(ResizedPath())) {
    EXPECT_LE(PictureDistance(*resized, *picture), 40) << "resized.bmp is not the chosen picture";
  } else {
    ADD_FAILURE() << "the system cannot load resized.bmp";
  }
  EXPECT_TRUE(ShowsPicture(main, *picture)) << "resizing changed the image box";

  // Letters or nothing in a size box: "Grompf", and nothing written.
  const auto resized_bytes = ReadFileBytes(ResizedPath());
  struct BadSize {
    const char* name;
    HWND box;
    std::wstring text;
    std::wstring good_text;
  };
  for (const BadSize& bad : {BadSize{"letters as width", main.txt_width, L"abcd", L"1024"},
                             BadSize{"letters as height", main.txt_height, L"xy", L"150"},
                             BadSize{"no width", main.txt_width, L"", L"1024"}}) {
    SCOPED_TRACE(bad.name);
    Retype(bad.box, bad.text);
    ASSERT_EQ(TextOf(bad.box), bad.text);
    Click(main.cmd_size);
    if (auto box = ExpectMessage("resizing")) {
      EXPECT_EQ(Utf8(box->title), "Grompf");
      EXPECT_EQ(Utf8(box->prompt), "T'as déjà sizé avec des lettres toi ? -_-");
      EXPECT_EQ(box->icon, BoxIcon::kInformation) << ToString(box->icon);
    }
    EXPECT_EQ(ReadFileBytes(ResizedPath()), resized_bytes) << "resized.bmp changed";
    EXPECT_TRUE(SamePath(QueryToolbarValue(L"BackBitmap"), ResizedPath()));
    Retype(bad.box, bad.good_text);
  }

  // "Niquer le fond": both values gone, "Ouwm ? =(", no message.
  Click(main.cmd_fuck);
  ExpectNoMessage("\"Niquer le fond\"");
  EXPECT_TRUE(WaitUntil([&] { return TextOf(main.lbl_none) == kRemoved; }, 5s))
      << "the placeholder reads \"" << Utf8(TextOf(main.lbl_none)) << "\"";
  EXPECT_TRUE(IsWindowVisible(main.lbl_none));
  EXPECT_FALSE(ShowsPicture(main, *picture)) << "the picture is still shown";
  EXPECT_EQ(QueryToolbarValue(L"BackBitmap"), std::nullopt);
  EXPECT_EQ(QueryToolbarValue(L"BackBitmapOriginal"), std::nullopt);
  SaveScreenshot(main.Capture(), L"expanded-removed");

  // Resizing with nothing chosen: "Humpf", and no file written.
  Click(main.cmd_size);
  if (auto box = ExpectMessage("resizing with no picture")) {
    EXPECT_EQ(Utf8(box->title), "Humpf");
    EXPECT_EQ(Utf8(box->prompt), "Pas d'image définie en fond de toolbar coco...");
    EXPECT_EQ(box->icon, BoxIcon::kCritical) << ToString(box->icon);
  }
  EXPECT_EQ(ReadFileBytes(ResizedPath()), resized_bytes) << "resized.bmp changed";
  EXPECT_EQ(QueryToolbarValue(L"BackBitmap"), std::nullopt);
}

TEST_F(UserRunTest, CancellingTheOpenDialogWritesAndShowsNothing) {
  const Settings& settings = TheSettings();
  const auto picture = LoadPictureFile(settings.good_picture);
  ASSERT_TRUE(picture.has_value());
  ASSERT_TRUE(SetToolbarValue(L"BackBitmap", settings.good_picture));
  ASSERT_TRUE(SetToolbarValue(L"BackBitmapOriginal", settings.good_picture));
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Expand());

  HWND dialog = OpenFileDialog();
  ASSERT_NE(dialog, nullptr) << "no Open dialog";
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  ASSERT_NE(cancel, nullptr) << "no Cancel button";
  Click(cancel);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5s));
  ExpectNoMessage("cancelling the Open dialog");

  EXPECT_EQ(QueryToolbarValue(L"BackBitmap"), settings.good_picture);
  EXPECT_EQ(QueryToolbarValue(L"BackBitmapOriginal"), settings.good_picture);
  EXPECT_FALSE(FileExists(ResizedPath()));
  EXPECT_TRUE(ShowsPicture(*main_, *picture)) << "the picture is no longer shown";
  EXPECT_FALSE(IsWindowVisible(main_->lbl_none));
}

TEST_F(UserRunTest, SizeBoxesSelectTheirWholeTextOnFocusAndFollowTheTabOrder) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Expand());
  const MainWindow& main = *main_;
  auto focus_is = [&](HWND expected) {
    return WaitUntil([&] { return FocusedWindow(main.window) == expected; }, 5s);
  };

  // A click into a box that does not have the focus yet selects its text.
  Click(main.txt_height);
  ASSERT_TRUE(focus_is(main.txt_height));
  Click(main.txt_width);
  ASSERT_TRUE(focus_is(main.txt_width));
  Settle(main.window, 200ms);
  EXPECT_EQ(SelectionOf(main.txt_width), (Selection{0, 4})) << "clicking into \"1024\"";

  struct Step {
    HWND expected;
    const char* name;
  };
  for (const Step& step : {Step{main.txt_height, "txtHeight"}, Step{main.cmd_file, "cmdFile"},
                           Step{main.cmd_about, "cmdAbout"}, Step{main.cmd_fuck, "cmdFuck"},
                           Step{main.cmd_size, "cmdSize"}, Step{main.txt_width, "txtWidth"}}) {
    SCOPED_TRACE(std::string("Tab to ") + step.name);
    PressKey(VK_TAB);
    EXPECT_TRUE(focus_is(step.expected))
        << "focus on \"" << Utf8(TextOf(FocusedWindow(main.window))) << "\"";
    if (step.expected == main.txt_height) {
      EXPECT_EQ(SelectionOf(main.txt_height), (Selection{0, 3})) << "tabbing into \"150\"";
    }
    if (step.expected == main.txt_width) {
      EXPECT_EQ(SelectionOf(main.txt_width), (Selection{0, 4})) << "tabbing into \"1024\"";
    }
  }

  // What the user types after tabbing in replaces the whole text.
  TypeText(L"800");
  EXPECT_TRUE(WaitUntil([&] { return TextOf(main.txt_width) == L"800"; }, 3s))
      << "txtWidth holds \"" << Utf8(TextOf(main.txt_width)) << "\"";

  Click(main.txt_height);
  ASSERT_TRUE(focus_is(main.txt_height));
  Settle(main.window, 200ms);
  EXPECT_EQ(SelectionOf(main.txt_height), (Selection{0, 3})) << "clicking into \"150\"";
}

TEST_F(UserRunTest, SizeBoxesTakeAtMostFourCharactersTypedOrPasted) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Expand());
  const MainWindow& main = *main_;

  ClickAndSelectAll(main.txt_width);
  TypeText(L"123456");
  Settle(main.window, 300ms);
  EXPECT_EQ(Utf8(TextOf(main.txt_width)), "1234") << "typed";

  ASSERT_TRUE(SetClipboardText(L"98765"));
  ClickAndSelectAll(main.txt_height);
  PressKey('V', VK_CONTROL);
  Settle(main.window, 300ms);
  EXPECT_EQ(Utf8(TextOf(main.txt_height)), "9876") << "pasted";
}

}  // namespace
}  // namespace plumeroll::e2e
