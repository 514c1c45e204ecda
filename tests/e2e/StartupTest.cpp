// Starting plumeroll.exe: the collapsed window, what it shows for each state of the registry, the
// focus and tab order, and a start with a registered file that cannot be shown.
#include <gtest/gtest.h>

#include "tests/e2e/Automation.h"

namespace plumeroll::e2e {
namespace {

// A path that does not exist, in folders deep enough to make it 339 characters long.
std::wstring LongPath() {
  std::wstring path = L"C:\\Documents and Settings\\Qel";
  while (path.size() < 339 - 15) path += L"\\dossier-profond";
  path.resize(339 - 15);
  return path + L"\\fond-perdu.bmp";
}

class StartupTest : public testing::Test {
 protected:
  void SetUp() override { ForgetBackground(); }
  void TearDown() override { ForgetBackground(); }
};

TEST_F(StartupTest, CollapsedWindowShowsThreeButtonsInTabOrderAndClosingItEndsTheProgram) {
  Program program;
  ASSERT_TRUE(program.Started());
  const MainWindow main(program.WaitForMainWindow());
  ASSERT_NE(main.window, nullptr) << "no visible window \"Qel : Plumeroll\"";
  const RECT client = ClientRectOnScreen(main.window);
  // Within one pixel: twips are rounded to pixels.
  EXPECT_NEAR(main.OuterHeight(), TwipsToPixelsY(2600), 1) << "outer height";
  EXPECT_NEAR(client.right - client.left, TwipsToPixelsX(4710), 1) << "client width";
  for (HWND button : {main.cmd_change, main.cmd_fuck, main.cmd_about}) {
    ASSERT_NE(button, nullptr) << "a button is missing";
    SCOPED_TRACE(Utf8(TextOf(button)));
    EXPECT_TRUE(IsWindowVisible(button) && IsWindowEnabled(button));
    EXPECT_TRUE(Contains(client, WindowRect(button)))
        << "button at " << Describe(WindowRect(button)) << ", client area " << Describe(client);
  }
  ASSERT_NE(main.label2, nullptr) << "no label \"Veuillez préciser ...\"";
  RECT shown{};
  const RECT label2 = WindowRect(main.label2);
  EXPECT_FALSE(IntersectRect(&shown, &client, &label2))
      << "Label2 at " << Describe(label2) << " shows in the client area " << Describe(client);

  // The focus starts on "Changer le fond"; Tab visits the three buttons only.
  ASSERT_TRUE(BringToFront(main.window)) << "the window cannot be brought to the front";
  struct Step {
    WORD key, modifier;  // no key: the focus as the window opens
    HWND expected;
  };
  for (const Step& step :
       {Step{0, 0, main.cmd_change}, Step{VK_TAB, 0, main.cmd_about},
        Step{VK_TAB, 0, main.cmd_fuck}, Step{VK_TAB, 0, main.cmd_change},
        Step{VK_TAB, VK_SHIFT, main.cmd_fuck}}) {
    SCOPED_TRACE((step.modifier ? "Shift+Tab to \"" : "to \"") + Utf8(TextOf(step.expected)) +
                 "\"");
    if (step.key) PressKey(step.key, step.modifier);
    EXPECT_TRUE(WaitFor([&] { return FocusedWindow(main.window) == step.expected; }, 5s))
        << "focus on \"" << Utf8(TextOf(FocusedWindow(main.window))) << "\"";
  }

  PostMessageW(main.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(program.WaitForExit());
}

TEST_F(StartupTest, ShowsTheRegisteredPictureOrQueDalleAfterSayingWhyItCannotShowIt) {
  const Settings& settings = TheSettings();
  const auto picture = LoadPictureFile(settings.good_picture);
  ASSERT_TRUE(picture.has_value());
  struct Case {
    const char* what;
    std::optional<std::wstring> value;          // BackBitmap
    std::optional<std::wstring> message_names;  // a message naming this comes first
    const wchar_t* placeholder;                 // null: the picture shows
    const wchar_t* screenshot;                  // of the message if any, else of the window
  };
  const Case cases[] = {
      {"no value", std::nullopt, std::nullopt, kQueDalle, L"startup-placeholder"},
      {"an empty value", L"", std::nullopt, kQueDalle, nullptr},
      {"a picture", settings.good_picture, std::nullopt, nullptr, L"startup-picture"},
      {"a file that holds no picture", settings.broken_picture,
       settings.broken_picture.substr(settings.broken_picture.find_last_of(L'\\') + 1),
       kQueDalle, L"startup-broken-message"},
      {"a missing file", settings.program_dir + L"\\nowhere-to-be-seen.bmp",
       L"nowhere-to-be-seen.bmp", kQueDalle, nullptr},
      {"blanks only", L"   ", L"", kQueDalle, nullptr},
      {"a missing file 339 characters long", LongPath(), L"fond-perdu.bmp", kQueDalle,
       L"startup-long-path-message"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.value) {
      ASSERT_TRUE(SetToolbarValue(L"BackBitmap", *c.value));
    }
    Program program;
    ASSERT_TRUE(program.Started());
    const auto state = [&] { return program.Running() ? "runs" : "has ended"; };
    if (c.message_names) {
      const auto box = WaitFor([&] { return FindMessageBox(program.Id()); });
      ASSERT_TRUE(box.has_value()) << "no message; the program " << state();
      WaitForInputReady(box->window);
      EXPECT_EQ(box->buttons, 1);
      EXPECT_NE(box->prompt.find(*c.message_names), std::wstring::npos)
          << "the message \"" << Utf8(box->prompt) << "\" does not name "
          << Utf8(*c.message_names);
      const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      EXPECT_TRUE(Contains(screen, WindowRect(box->window)))
          << "the message at " << Describe(WindowRect(box->window)) << " leaves the screen";
      if (c.screenshot) SaveScreenshot(CaptureScreen(WindowRect(box->window)), c.screenshot);
      ASSERT_TRUE(PressOk(box->window));
    }
    const MainWindow main(program.WaitForMainWindow());
    ASSERT_NE(main.window, nullptr) << "no window; the program " << state();
    EXPECT_FALSE(FindMessageBox(program.Id())) << "a message, or one more";
    ExpectImageBox(main, *picture, c.placeholder);
    if (c.screenshot && !c.message_names) SaveScreenshot(main.Capture(), c.screenshot);
    EXPECT_EQ(QueryToolbarValue(L"BackBitmap"), c.value) << "the registry changed";
    EXPECT_EQ(QueryToolbarValue(L"BackBitmapOriginal"), std::nullopt) << "the registry changed";
  }
}

}  // namespace
}  // namespace plumeroll::e2e
