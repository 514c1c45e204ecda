// Starting plumeroll.exe: the collapsed window, what it shows for each state of the registry, the
// focus and tab order, and a start with a registered file that cannot be shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/Automation.h"
#include "tests/e2e/PlumerollWindows.h"

namespace plumeroll::e2e {
namespace {

class StartupTest : public testing::Test {
 protected:
  void SetUp() override { ForgetBackground(); }
  void TearDown() override { ForgetBackground(); }

  static void ForgetBackground() {
    DeleteToolbarValue(L"BackBitmap");
    DeleteToolbarValue(L"BackBitmapOriginal");
  }
};

// Within one pixel: twips are rounded to pixels.
void ExpectPixels(int actual, int twips, int pixels_per_inch, const char* what) {
  const double expected = twips * pixels_per_inch / 1440.0;
  EXPECT_LE(std::abs(actual - expected), 1.0)
      << what << ": " << actual << " px, expected " << twips << " twips = " << expected << " px at "
      << pixels_per_inch << " DPI";
}

void ExpectPlaceholder(const MainWindow& main, const Pixels& picture) {
  ASSERT_NE(main.lbl_none, nullptr) << "no label \"QUE DALLE\"";
  EXPECT_TRUE(IsWindowVisible(main.lbl_none));
  EXPECT_EQ(Utf8(TextOf(main.lbl_none)), Utf8(kQueDalle));
  EXPECT_TRUE(Contains(main.ImageBoxOnScreen(), WindowRect(main.lbl_none)))
      << "\"QUE DALLE\" at " << Describe(WindowRect(main.lbl_none)) << " outside the image box "
      << Describe(main.ImageBoxOnScreen());
  EXPECT_FALSE(ShowsPicture(main, picture)) << "the image box shows a picture";
}

TEST_F(StartupTest, CollapsedWindowHasItsCaptionSizeAndButtonsInView) {
  Program program;
  ASSERT_TRUE(program.Started());
  const MainWindow main(program.WaitForMainWindow());
  ASSERT_NE(main.window, nullptr) << "no visible window \"Qel : Plumeroll\"";
  EXPECT_EQ(Utf8(TextOf(main.window)), "Qel : Plumeroll");

  ExpectPixels(main.OuterHeight(), 2600, DpiY(), "outer height");
  ExpectPixels(main.ClientWidth(), 4710, DpiX(), "client width");
  const LONG style = GetWindowLongW(main.window, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX) << "no minimize button";
  EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "a maximize button";
  EXPECT_FALSE(style & WS_THICKFRAME) << "the window can be resized";

  const RECT client = ClientRectOnScreen(main.window);
  for (HWND button : {main.cmd_change, main.cmd_fuck, main.cmd_about}) {
    ASSERT_NE(button, nullptr) << "a button is missing";
    SCOPED_TRACE(Utf8(TextOf(button)));
    EXPECT_TRUE(IsWindowVisible(button));
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_TRUE(Contains(client, WindowRect(button)))
        << "button at " << Describe(WindowRect(button)) << ", client area " << Describe(client);
  }
  ASSERT_NE(main.label2, nullptr) << "no label \"Veuillez préciser ...\"";
  EXPECT_FALSE(Intersect(client, WindowRect(main.label2)))
      << "Label2 at " << Describe(WindowRect(main.label2)) << " shows in the client area "
      << Describe(client);
  for (HWND disabled : {main.txt_width, main.txt_height, main.cmd_file, main.cmd_size}) {
    ASSERT_NE(disabled, nullptr) << "a size control is missing";
    EXPECT_FALSE(IsWindowEnabled(disabled)) << Utf8(TextOf(disabled)) << " is enabled";
  }
}

TEST_F(StartupTest, ShowsQueDalleWhenNothingIsRegistered) {
  const auto picture = LoadPictureFile(TheSettings().good_picture);
  ASSERT_TRUE(picture.has_value());
  struct Case {
    const char* name;
    bool set;
  };
  for (const Case& c : {Case{"no value", false}, Case{"an empty value", true}}) {
    SCOPED_TRACE(c.name);
    if (c.set) {
      ASSERT_TRUE(SetToolbarValue(L"BackBitmap", L""));
    }
    Program program;
    const MainWindow main(program.WaitForMainWindow());
    ASSERT_NE(main.window, nullptr);
    EXPECT_TRUE(MessageBoxes(program.Id()).empty()) << "a message at start";
    ExpectPlaceholder(main, *picture);
    if (!c.set) SaveScreenshot(main.Capture(), L"startup-placeholder");
  }
}

TEST_F(StartupTest, ShowsTheRegisteredPictureStretchedToTheImageBox) {
  const std::wstring& file = TheSettings().good_picture;
  const auto picture = LoadPictureFile(file);
  ASSERT_TRUE(picture.has_value());
  ASSERT_TRUE(SetToolbarValue(L"BackBitmap", file));

  Program program;
  const MainWindow main(program.WaitForMainWindow());
  ASSERT_NE(main.window, nullptr);
  EXPECT_TRUE(MessageBoxes(program.Id()).empty()) << "a message at start";
  ASSERT_NE(main.lbl_none, nullptr);
  EXPECT_FALSE(IsWindowVisible(main.lbl_none)) << "\"QUE DALLE\" shows over the picture";
  const Pixels shown = CaptureScreen(main.ImageBoxOnScreen());
  EXPECT_LE(PictureDistance(shown, *picture), 40)
      << "the image box at " << Describe(main.ImageBoxOnScreen())
      << " does not show the picture stretched to fill it";
  SaveScreenshot(main.Capture(), L"startup-picture");
  EXPECT_EQ(QueryToolbarValue(L"BackBitmap"), file) << "the registry changed";
}

TEST_F(StartupTest, FocusStartsOnChangerLeFondAndTabVisitsTheThreeButtons) {
  Program program;
  const MainWindow main(program.WaitForMainWindow());
  ASSERT_NE(main.window, nullptr);
  ASSERT_TRUE(BringToFront(main.window)) << "the window cannot be brought to the front";
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main.window) == main.cmd_change; }, 5s))
      << "focus on \"" << Utf8(TextOf(FocusedWindow(main.window))) << "\"";

  struct Step {
    bool shift;
    HWND expected;
  };
  for (const Step& step : {Step{false, main.cmd_about}, Step{false, main.cmd_fuck},
                           Step{false, main.cmd_change}, Step{true, main.cmd_fuck}}) {
    SCOPED_TRACE(std::string(step.shift ? "Shift+Tab to \"" : "Tab to \"") +
                 Utf8(TextOf(step.expected)) + "\"");
    PressKey(VK_TAB, step.shift ? VK_SHIFT : 0);
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main.window) == step.expected; }, 5s))
        << "focus on \"" << Utf8(TextOf(FocusedWindow(main.window))) << "\"";
  }
}

TEST_F(StartupTest, ClosingTheWindowEndsTheProgram) {
  Program program;
  HWND main = program.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(program.WaitForExit());
}

TEST_F(StartupTest, UnreadableRegisteredFileIsReportedThenTheWindowOpensEmpty) {
  const auto picture = LoadPictureFile(TheSettings().good_picture);
  ASSERT_TRUE(picture.has_value());
  const std::wstring missing = TheSettings().program_dir + L"\\nowhere-to-be-seen.bmp";
  struct Case {
    const char* name;
    std::wstring value;
    std::wstring shown_name;  // the part of the value the message must show
  };
  const Case cases[] = {
      {"a file that holds no picture", TheSettings().broken_picture,
       TheSettings().broken_picture.substr(TheSettings().broken_picture.find_last_of(L'\\') + 1)},
      {"a missing file", missing, L"nowhere-to-be-seen.bmp"},
      {"blanks only", L"   ", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetToolbarValue(L"BackBitmap", c.value));
    Program program;
    ASSERT_TRUE(program.Started());
    const auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value()) << "no message; the program "
                                 << (program.Running() ? "runs" : "has ended");
    EXPECT_EQ(box->icon, BoxIcon::kCritical) << ToString(box->icon);
    EXPECT_EQ(box->buttons, 1);
    EXPECT_NE(box->prompt.find(c.shown_name), std::wstring::npos)
        << "the message \"" << Utf8(box->prompt) << "\" does not name " << Utf8(c.shown_name);
    if (c.value == TheSettings().broken_picture) {
      SaveScreenshot(CaptureScreen(WindowRect(box->window)), L"startup-broken-message");
    }
    ASSERT_TRUE(PressOk(box->window));

    const MainWindow main(program.WaitForMainWindow());
    ASSERT_NE(main.window, nullptr) << "no window after the message; the program "
                                    << (program.Running() ? "runs" : "has ended");
    ExpectPlaceholder(main, *picture);
    EXPECT_EQ(QueryToolbarValue(L"BackBitmap"), c.value) << "the registry changed";
    EXPECT_EQ(QueryToolbarValue(L"BackBitmapOriginal"), std::nullopt) << "the registry changed";
  }
}

}  // namespace
}  // namespace plumeroll::e2e
