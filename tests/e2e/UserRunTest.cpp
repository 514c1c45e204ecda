// A user's run through the real windows: expand, choose a picture in the Open dialog, resize it,
// cancel the dialog, try letters as sizes, remove the background; and the size boxes' own
// behaviour.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/e2e/Automation.h"

namespace plumeroll::e2e {
namespace {

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

  static std::wstring ResizedPath() { return TheSettings().program_dir + L"\\resized.bmp"; }

  // Starts the program, finds its window and presses "Changer le fond", waiting for the window
  // to grow; false if any of it fails.
  bool StartExpanded() {
    program_ = std::make_unique<Program>();
    main_ = std::make_unique<MainWindow>(program_->WaitForMainWindow());
    if (main_->window == nullptr || main_->cmd_change == nullptr) return false;
    Click(main_->cmd_change);
    const int expanded = TwipsToPixelsY(5000);
    return WaitFor([&] { return std::abs(main_->OuterHeight() - expanded) <= 1; }, 5s);
  }

  // "Charger l'image": the Open dialog, or null.
  HWND OpenFileDialog() {
    Click(main_->cmd_file);
    const HWND dialog = program_->WaitForWindow(kOpenDialogCaption);
    if (dialog != nullptr) WaitForInputReady(dialog);
    return dialog;
  }

  // A message box that comes now, with this title and prompt, closed with OK.
  void ExpectMessage(const char* after, const char* title, const char* prompt) {
    SCOPED_TRACE(after);
    const auto box = WaitFor([&] { return FindMessageBox(program_->Id()); });
    ASSERT_TRUE(box.has_value()) << "no message";
    WaitForInputReady(box->window);
    EXPECT_EQ(Utf8(box->title), title);
    EXPECT_EQ(Utf8(box->prompt), prompt);
    EXPECT_EQ(box->buttons, 1);
    EXPECT_TRUE(PressOk(box->window)) << "the message stays after OK";
  }

  // Gives the program time to show anything it would show, then checks it showed nothing.
  void ExpectNoMessage(const char* after) {
    Settle(main_->window);
    const auto box = FindMessageBox(program_->Id());
    EXPECT_FALSE(box) << "a message after " << after << ": \"" << Utf8(box ? box->prompt : L"")
                      << "\"";
    if (box) PressOk(box->window);
  }

  // Replaces the text of a size box as a user would: click into it, select all, type.
  void Retype(HWND edit, std::wstring_view text) {
    Click(edit);
    WaitFor([&] { return FocusedWindow(main_->window) == edit; }, 3s);
    Settle(main_->window, 200ms);  // the click is handled before the selection is made
    SendMessageTimeoutW(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 5000, nullptr);
    if (text.empty()) {
      PressKey(VK_DELETE);
    } else {
      TypeText(text);
    }
    WaitFor([&] { return TextOf(edit) == text; }, 3s);
  }

  // The two values name these files, in any letter case.
  void ExpectRegistered(const std::wstring& back_bitmap, const std::wstring& original) {
    EXPECT_EQ(Lower(QueryToolbarValue(L"BackBitmap").value_or(L"(none)")), Lower(back_bitmap))
        << "BackBitmap";
    EXPECT_EQ(Lower(QueryToolbarValue(L"BackBitmapOriginal").value_or(L"(none)")),
              Lower(original))
        << "BackBitmapOriginal";
  }

  std::unique_ptr<Program> program_;
  std::unique_ptr<MainWindow> main_;
};

TEST_F(UserRunTest, ChooseResizeCancelAndRemoveTheBackground) {
  const std::wstring& chosen = TheSettings().good_picture;
  const auto picture = LoadPictureFile(chosen);
  ASSERT_TRUE(picture.has_value());
  ASSERT_TRUE(StartExpanded()) << "the window does not grow to 5000 twips";
  const MainWindow& main = *main_;

  // "Changer le fond" uncovers the size controls and enables them.
  ASSERT_NE(main.txt_width, nullptr);
  ASSERT_NE(main.txt_height, nullptr);
  EXPECT_EQ(Utf8(TextOf(main.txt_width)), "1024");
  EXPECT_EQ(Utf8(TextOf(main.txt_height)), "150");
  EXPECT_FALSE(IsWindowEnabled(main.cmd_change)) << "\"Changer le fond\" can be pressed again";
  const RECT client = ClientRectOnScreen(main.window);
  for (HWND control : {main.label2, main.label3_width, main.label3_height, main.txt_width,
                       main.txt_height, main.cmd_size, main.cmd_file}) {
    ASSERT_NE(control, nullptr) << "a control of the expanded window is missing";
    SCOPED_TRACE(Utf8(TextOf(control)));
    EXPECT_TRUE(IsWindowVisible(control) && IsWindowEnabled(control));
    EXPECT_TRUE(Contains(client, WindowRect(control)))
        << "at " << Describe(WindowRect(control)) << ", client area " << Describe(client);
  }
  SaveScreenshot(main.Capture(), L"expanded-placeholder");

  // "Charger l'image": the real Open dialog, a typed path, Open.
  const HWND dialog = OpenFileDialog();
  ASSERT_NE(dialog, nullptr) << "no Open dialog titled \"Choisissez le fond pour la Toolbar =)\"";
  const HWND name_box = WaitFor([&] {
    const HWND focus = FocusedWindow(dialog);
    return focus != nullptr && IsClass(focus, L"Edit") ? focus : nullptr;
  });
  ASSERT_NE(name_box, nullptr) << "the focus is not in the file name box";
  TypeText(chosen);
  ASSERT_TRUE(WaitFor([&] { return TextOf(name_box) == chosen; }, 5s))
      << "the file name box holds \"" << Utf8(TextOf(name_box)) << "\"";
  Click(GetDlgItem(dialog, IDOK));
  ExpectMessage("choosing a file", "Mouuuw", "L'image a été chargée en fond de toolbar d'IE ^^");
  ExpectRegistered(chosen, chosen);
  ExpectImageBox(main, *picture, nullptr);
  SaveScreenshot(main.Capture(), L"expanded-picture");

  // "Changer la taille" with 1024 and 150.
  Click(main.cmd_size);
  ExpectMessage("resizing", "Yup", "Le fond de la toolbar a été resizé à la taille voulue =)");
  ExpectRegistered(ResizedPath(), chosen);
  const auto resized_bytes = ReadFileBytes(ResizedPath());
  ASSERT_TRUE(resized_bytes && resized_bytes->size() >= 54) << "no bitmap file resized.bmp";
  BITMAPINFOHEADER header{};
  std::memcpy(&header, resized_bytes->data() + sizeof(BITMAPFILEHEADER), sizeof header);
  EXPECT_EQ(header.biWidth, 1024);
  EXPECT_EQ(std::abs(header.biHeight), 150);
  const auto resized = LoadPictureFile(ResizedPath());
  ASSERT_TRUE(resized) << "the system cannot load resized.bmp";
  EXPECT_LE(PictureDistance(*resized, *picture), 40) << "resized.bmp is not the chosen picture";
  ExpectImageBox(main, *picture, nullptr);

  // "Charger l'image", then Cancel: nothing written, nothing said, the picture still shown.
  const HWND cancelled = OpenFileDialog();
  ASSERT_NE(cancelled, nullptr) << "no Open dialog the second time";
  Click(GetDlgItem(cancelled, IDCANCEL));
  ASSERT_TRUE(WaitFor([&] { return Gone(cancelled); }, 5s)) << "Cancel left the dialog open";
  ExpectNoMessage("cancelling the Open dialog");
  ExpectRegistered(ResizedPath(), chosen);
  EXPECT_EQ(ReadFileBytes(ResizedPath()), resized_bytes) << "resized.bmp changed";
  ExpectImageBox(main, *picture, nullptr);

  // Letters or nothing in a size box: "Grompf", and nothing written.
  struct BadSize {
    const char* what;
    HWND box;
    std::wstring text;
    std::wstring good_text;
  };
  for (const BadSize& bad : {BadSize{"letters as width", main.txt_width, L"abcd", L"1024"},
                             BadSize{"letters as height", main.txt_height, L"xy", L"150"},
                             BadSize{"no width", main.txt_width, L"", L"1024"}}) {
    SCOPED_TRACE(bad.what);
    Retype(bad.box, bad.text);
    ASSERT_EQ(TextOf(bad.box), bad.text);
    Click(main.cmd_size);
    ExpectMessage("resizing", "Grompf", "T'as déjà sizé avec des lettres toi ? -_-");
    EXPECT_EQ(ReadFileBytes(ResizedPath()), resized_bytes) << "resized.bmp changed";
    ExpectRegistered(ResizedPath(), chosen);
    Retype(bad.box, bad.good_text);
  }

  // "Niquer le fond": both values gone, "Ouwm ? =(", no message.
  Click(main.cmd_fuck);
  ExpectNoMessage("\"Niquer le fond\"");
  ExpectImageBox(main, *picture, kRemoved);
  EXPECT_EQ(QueryToolbarValue(L"BackBitmap"), std::nullopt);
  EXPECT_EQ(QueryToolbarValue(L"BackBitmapOriginal"), std::nullopt);
  SaveScreenshot(main.Capture(), L"expanded-removed");

  // Resizing with nothing chosen: "Humpf", and no file written.
  Click(main.cmd_size);
  ExpectMessage("resizing with no picture", "Humpf",
                "Pas d'image définie en fond de toolbar coco...");
  EXPECT_EQ(ReadFileBytes(ResizedPath()), resized_bytes) << "resized.bmp changed";
  EXPECT_EQ(QueryToolbarValue(L"BackBitmap"), std::nullopt);
}

TEST_F(UserRunTest, SizeBoxesSelectTheirTextOnFocusTakeFourCharactersAndFollowTheTabOrder) {
  ASSERT_TRUE(StartExpanded());
  const MainWindow& main = *main_;
  // "Changer le fond" had the focus; disabled, it hands the focus on to the width box.
  EXPECT_TRUE(WaitFor([&] { return FocusedWindow(main.window) == main.txt_width; }, 5s));
  EXPECT_EQ(SelectionOf(main.txt_width), (std::pair{0, 4}));
  struct Step {
    const char* what;
    HWND click;  // or null: the Tab key
    HWND focus;
    std::pair<int, int> selection;  // in a size box
  };
  const Step steps[] = {
      {"clicking into txtHeight", main.txt_height, main.txt_height, {0, 3}},
      {"clicking into txtWidth", main.txt_width, main.txt_width, {0, 4}},
      {"Tab to txtHeight", nullptr, main.txt_height, {0, 3}},
      {"Tab to cmdFile", nullptr, main.cmd_file, {}},
      {"Tab to cmdAbout", nullptr, main.cmd_about, {}},
      {"Tab to cmdFuck", nullptr, main.cmd_fuck, {}},
      {"Tab to cmdSize", nullptr, main.cmd_size, {}},
      {"Tab to txtWidth", nullptr, main.txt_width, {0, 4}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.click) {
      Click(step.click);
    } else {
      PressKey(VK_TAB);
    }
    EXPECT_TRUE(WaitFor([&] { return FocusedWindow(main.window) == step.focus; }, 5s))
        << "focus on \"" << Utf8(TextOf(FocusedWindow(main.window))) << "\"";
    Settle(main.window, 200ms);
    if (step.focus == main.txt_width || step.focus == main.txt_height) {
      EXPECT_EQ(SelectionOf(step.focus), step.selection) << "the whole text is not selected";
    }
  }

  // What the user types after tabbing in replaces the whole text, up to four characters.
  TypeText(L"123456");
  Settle(main.window, 300ms);
  EXPECT_EQ(Utf8(TextOf(main.txt_width)), "1234");
}

}  // namespace
}  // namespace plumeroll::e2e
