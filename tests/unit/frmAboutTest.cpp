// The About window: its text, its two links and how the main window opens it.
#include <gtest/gtest.h>

#include "about/frmAbout.h"
#include "mainwindow/frmIE.h"
#include "registry/MemoryRegistry.h"
#include "tests/unit/FakePlatform.h"

namespace plumeroll {
namespace {

using testing::FakeForm;
using testing::FakePlatform;

struct RecordedShellCall {
  std::intptr_t hwnd;
  bool null_verb;
  std::string file;
  bool null_parameters;
  bool empty_directory;  // a pointer to an empty text, not a null pointer
  std::int32_t show;
};

// The in-memory registry, with the shell recorded.
class RecordingShell : public MemoryRegistry {
 public:
  std::intptr_t ShellExecuteA(std::intptr_t hwnd, const char* verb, const char* file,
                              const char* parameters, const char* directory,
                              std::int32_t show) override {
    calls.push_back({hwnd, verb == nullptr, file ? file : "<null>", parameters == nullptr,
                     directory != nullptr && *directory == '\0', show});
    return 2;  // as when no program is associated: the window ignores it
  }
  std::vector<RecordedShellCall> calls;
};

constexpr std::string_view kExpectedText =
    "Attention : IE n'accepte que le .bmp pour fond...\n\rDéveloppé par Qel\n\r"
    "© 2026 Qel. Tous droits réservés.";

class AboutWindowTest : public ::testing::Test {
 protected:
  // Opens the About window from the main window's "?" and runs what the user does meanwhile.
  void OpenAbout(std::function<void(FakeForm&)> while_open) {
    platform.on_modal = std::move(while_open);
    MainForm().Click("cmdAbout");
  }
  FakeForm& MainForm() { return *platform.forms.front(); }

  RecordingShell shell;
  FakePlatform platform;
  frmIE main_window{platform, shell};
};

TEST_F(AboutWindowTest, ShowsNoticeCreditAndRightsOnThreeLinesEveryTime) {
  main_window.Run();
  std::vector<std::string> seen;
  for (int opening = 0; opening < 2; ++opening) {
    OpenAbout([&](FakeForm& about) {
      EXPECT_EQ(about.layout.caption, "A propos...");
      seen.push_back(about.at("Label1").text);
      about.Click("cmdUnload");
      EXPECT_FALSE(about.loaded);
    });
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], kExpectedText);
  EXPECT_EQ(seen[1], kExpectedText) << "replaced, never appended to";
  EXPECT_EQ(platform.forms_created, 3) << "the About window is loaded anew at each opening";
  EXPECT_EQ(platform.forms.size(), 1u) << "closed once the modal show returns";
}

TEST_F(AboutWindowTest, EachLinkClickAsksTheShellOnceWithItsTarget) {
  main_window.Run();
  OpenAbout([&](FakeForm& about) {
    EXPECT_EQ(about.at("Label2").text, kMakerMail);
    EXPECT_EQ(about.at("Label3").text, kMakerWeb);
    about.Click("Label2");
    about.Click("Label3");
    about.Click("Label3");
  });
  const std::string mail = "mailto:" + std::string(kMakerMail);
  const std::vector<std::string> expected{mail, std::string(kMakerWeb), std::string(kMakerWeb)};
  ASSERT_EQ(shell.calls.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i]);
    EXPECT_EQ(shell.calls[i].hwnd, 0x1234) << "the About window's own handle";
    EXPECT_TRUE(shell.calls[i].null_verb);
    EXPECT_EQ(shell.calls[i].file, expected[i]);
    EXPECT_TRUE(shell.calls[i].null_parameters);
    EXPECT_TRUE(shell.calls[i].empty_directory);
    EXPECT_EQ(shell.calls[i].show, kSwShowNormal);
  }
}

}  // namespace
}  // namespace plumeroll
