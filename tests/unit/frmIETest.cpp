// The main window's handlers over fake window services and the in-memory registry: what the
// user sees (states, texts, messages) and what lands in the registry and on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "mainwindow/frmIE.h"
#include "mainwindow/frmIE_layout.h"
#include "registry/MemoryRegistry.h"
#include "tests/unit/FakePlatform.h"
#include "tests/unit/RecordingRegistry.h"

namespace plumeroll {
namespace {

using testing::FakeForm;
using testing::FakePlatform;
using testing::Message;

constexpr const char* kPicture = "C:\\Images\\fond.bmp";
constexpr const char* kOtherPicture = "C:\\Images\\autre.bmp";
constexpr const char* kResized = "C:\\Programmes\\Plumeroll\\resized.bmp";

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() { platform.AddPicture(kPicture, 400, 60); }

  // Starts the program as it starts for real: create, load, show.
  FakeForm& Start() {
    window.Run();
    return *platform.forms.front();
  }
  std::string Value(const char* name) { return registry.ReadKeyValue(kToolbarKey, name); }
  void Register(const char* name, const std::string& path) {
    registry.WriteKeyValue(kToolbarKey, name, path);
  }
  FakeForm& StartExpanded() {
    FakeForm& form = Start();
    form.Click("cmdChange");
    return form;
  }
  void Choose(FakeForm& form, const std::string& path) {
    platform.chosen_file = path;
    form.Click("cmdFile");
  }
  void Resize(FakeForm& form, const std::string& width, const std::string& height) {
    form.at("txtWidth").text = width;
    form.at("txtHeight").text = height;
    form.Click("cmdSize");
  }
  static void ExpectPlaceholder(FakeForm& form, const std::string& caption) {
    EXPECT_TRUE(form.at("imgCurrent").visible);
    EXPECT_EQ(form.at("imgCurrent").picture, nullptr);
    EXPECT_TRUE(form.at("lblNone").visible);
    EXPECT_EQ(form.at("lblNone").text, caption);
  }
  void ExpectPicture(FakeForm& form, const std::string& path) {
    EXPECT_TRUE(form.at("imgCurrent").visible);
    EXPECT_EQ(form.at("imgCurrent").picture, platform.pictures.at(path));
    EXPECT_FALSE(form.at("lblNone").visible);
  }
  void ExpectMessages(const std::vector<std::pair<int, std::string>>& expected) {
    ASSERT_EQ(platform.messages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(platform.messages[i].buttons, expected[i].first) << i;
      EXPECT_EQ(platform.messages[i].title, expected[i].second) << i;
    }
  }

  RecordingRegistry memory;
  RegistryOperations registry{memory};
  FakePlatform platform;
  frmIE window{platform, memory};
};

TEST_F(MainWindowTest, StartsCollapsedWithThePlaceholderWhenNothingIsRegistered) {
  for (const char* stored : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(stored ? "empty value" : "no value");
    MemoryRegistry fresh;
    if (stored) RegistryOperations(fresh).WriteKeyValue(kToolbarKey, "BackBitmap", stored);
    FakePlatform services;
    frmIE start(services, fresh);
    start.Run();
    FakeForm& form = *services.forms.front();

    EXPECT_TRUE(form.shown);
    EXPECT_EQ(form.height, kCollapsedHeight);
    ExpectPlaceholder(form, "QUE DALLE");
    for (const char* button : {"cmdChange", "cmdFuck", "cmdAbout"}) {
      EXPECT_TRUE(form.at(button).enabled) << button;
    }
    for (const char* hidden : {"txtWidth", "txtHeight", "cmdFile", "cmdSize"}) {
      EXPECT_FALSE(form.at(hidden).enabled) << hidden;
    }
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(RegistryOperations(fresh).ReadKeyValue(kToolbarKey, "BackBitmap"),
              stored ? stored : "");
  }
}

TEST_F(MainWindowTest, StartsWithTheRegisteredPicture) {
  Register("BackBitmap", kPicture);
  FakeForm& form = Start();
  ExpectPicture(form, kPicture);
  EXPECT_EQ(form.height, kCollapsedHeight);
  EXPECT_TRUE(platform.messages.empty());
}

// A registered file that cannot be shown used to stop the program at every start.
TEST_F(MainWindowTest, RegressionUnloadableBackgroundStillOpensTheWindowAndSaysWhy) {
  for (const std::string stored : {"C:\\disparu.bmp", "   "}) {
    SCOPED_TRACE(stored);
    MemoryRegistry fresh;
    RegistryOperations(fresh).WriteKeyValue(kToolbarKey, "BackBitmap", stored);
    FakePlatform services;
    frmIE start(services, fresh);
    start.Run();
    FakeForm& form = *services.forms.front();

    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].buttons, kMsgCritical);
    EXPECT_NE(services.messages[0].prompt.find(stored), std::string::npos);
    EXPECT_TRUE(form.shown);
    EXPECT_EQ(form.height, kCollapsedHeight);
    ExpectPlaceholder(form, "QUE DALLE");
    EXPECT_EQ(RegistryOperations(fresh).ReadKeyValue(kToolbarKey, "BackBitmap"), stored);
  }
}

// A message that quoted a 339-character path or a 40,960-character value on one line was
// wider than the screen, its text and its OK button out of sight.
TEST_F(MainWindowTest, RegressionAMessageShowsAVeryLongPathShortenedAndWrappedToFitAScreen) {
  std::string deep = "C:\\Documents and Settings\\Qel";
  while (deep.size() < 320) deep += "\\dossier-tres-profond";
  const std::string long_path = deep + "\\fond-perdu.bmp";
  const std::string huge_value = "\\\\serveur\\partage\\" + std::string(40960 - 24, 'x') + "\\a.bmp";
  ASSERT_EQ(huge_value.size(), 40960u);
  const auto characters = [](std::string_view text) {
    return std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
  };
  for (const std::string& stored : {long_path, huge_value}) {
    SCOPED_TRACE(stored.size());
    MemoryRegistry fresh;
    RegistryOperations(fresh).WriteKeyValue(kToolbarKey, "BackBitmap", stored);
    FakePlatform services;
    frmIE start(services, fresh);
    start.Run();
    ASSERT_EQ(services.messages.size(), 1u);
    const std::string& prompt = services.messages[0].prompt;
    const std::size_t open = prompt.find("« ") + std::strlen("« ");
    const std::string shown = prompt.substr(open, prompt.find(" »") - open);
    EXPECT_LE(characters(shown), 250) << shown;
    std::size_t lines = 0;
    for (std::size_t line = 0; line <= shown.size(); line = shown.find('\n', line) + 1) {
      ++lines;
      EXPECT_LE(characters(shown.substr(line, shown.find('\n', line) - line)), 40);
      if (shown.find('\n', line) == std::string::npos) break;
    }
    EXPECT_LE(lines, 16u);
    EXPECT_EQ(shown.substr(0, 10), stored.substr(0, 10)) << "the drive or the share";
    EXPECT_EQ(shown.substr(shown.size() - 6), stored.substr(stored.size() - 6)) << "the file";
    EXPECT_EQ(RegistryOperations(fresh).ReadKeyValue(kToolbarKey, "BackBitmap"), stored);
  }
}

TEST_F(MainWindowTest, ChangeExpandsAndUnlocksTheEditingControls) {
  FakeForm& form = StartExpanded();
  EXPECT_EQ(form.height, kExpandedHeight);
  for (const char* on : {"txtWidth", "txtHeight", "cmdFile", "cmdSize", "cmdFuck", "cmdAbout"}) {
    EXPECT_TRUE(form.at(on).enabled) << on;
  }
  EXPECT_FALSE(form.at("cmdChange").enabled);
  EXPECT_EQ(form.at("txtWidth").text, "1024");
  EXPECT_EQ(form.at("txtHeight").text, "150");
}

TEST_F(MainWindowTest, SizeBoxesSelectTheirWholeTextOnFocus) {
  FakeForm& form = StartExpanded();
  for (const char* box : {"txtWidth", "txtHeight"}) {
    SCOPED_TRACE(box);
    form.at(box).sel_start = 2;
    form.at(box).sel_length = 0;
    form.events.GotFocus(box, kNoIndex);
    EXPECT_EQ(form.at(box).sel_start, 0);
    EXPECT_EQ(form.at(box).sel_length, static_cast<int>(form.at(box).text.size()));
  }
}

TEST_F(MainWindowTest, ChoosingAFileRegistersAndShowsIt) {
  FakeForm& form = StartExpanded();
  Choose(form, kPicture);

  ASSERT_EQ(platform.dialogs.size(), 1u);
  const CommonDialog& dialog = platform.dialogs[0];
  EXPECT_EQ(dialog.FileName, "");
  EXPECT_EQ(dialog.InitDir, platform.program_directory);
  EXPECT_EQ(dialog.Filter, "Image bitmap (*.bmp)|*.bmp");
  EXPECT_EQ(dialog.Flags, 4096u);
  EXPECT_EQ(dialog.DialogTitle, "Choisissez le fond pour la Toolbar =)");

  EXPECT_EQ(Value("BackBitmap"), kPicture);
  EXPECT_EQ(Value("BackBitmapOriginal"), kPicture);
  ExpectPicture(form, kPicture);
  ExpectMessages({{kMsgInformation, "Mouuuw"}});
  EXPECT_EQ(platform.messages[0].prompt, "L'image a été chargée en fond de toolbar d'IE ^^");

  platform.AddPicture(kOtherPicture, 10, 10);
  Choose(form, kOtherPicture);
  EXPECT_EQ(Value("BackBitmap"), kOtherPicture);
  EXPECT_EQ(Value("BackBitmapOriginal"), kOtherPicture);
  ExpectPicture(form, kOtherPicture);
  EXPECT_EQ(platform.dialogs[1].FileName, "") << "the dialog starts empty every time";
}

TEST_F(MainWindowTest, CancellingTheDialogChangesNothing) {
  Register("BackBitmap", kPicture);
  FakeForm& form = StartExpanded();
  Choose(form, "");
  EXPECT_EQ(Value("BackBitmap"), kPicture);
  EXPECT_EQ(Value("BackBitmapOriginal"), "");
  ExpectPicture(form, kPicture);
  EXPECT_TRUE(platform.messages.empty());
}

// A chosen file that is no bitmap used to be registered first and then stop the program.
TEST_F(MainWindowTest, RegressionUnloadableChoiceIsRefusedBeforeAnythingIsWritten) {
  Register("BackBitmap", kPicture);
  Register("BackBitmapOriginal", kPicture);
  FakeForm& form = StartExpanded();
  Choose(form, "C:\\Images\\pas-une-image.bmp");

  ExpectMessages({{kMsgCritical, "Image illisible"}});
  EXPECT_NE(platform.messages[0].prompt.find("pas-une-image.bmp"), std::string::npos);
  EXPECT_EQ(Value("BackBitmap"), kPicture);
  EXPECT_EQ(Value("BackBitmapOriginal"), kPicture);
  ExpectPicture(form, kPicture);
}

TEST_F(MainWindowTest, APathTheCodePageCannotHoldIsNeverStoredMangled) {
  const std::string unicode = "C:\\Images\\fond-\xe2\x98\x83.bmp";  // a snowman in the name
  const std::string short_form = "C:\\Images\\FOND-~1.BMP";
  FakeForm& form = StartExpanded();

  platform.ansi_paths[unicode] = short_form;
  platform.AddPicture(short_form, 20, 20);
  Choose(form, unicode);
  EXPECT_EQ(Value("BackBitmap"), short_form);
  EXPECT_EQ(Value("BackBitmapOriginal"), short_form);

  platform.ansi_paths[unicode] = std::nullopt;  // no short form either
  Register("BackBitmap", kPicture);
  platform.messages.clear();
  Choose(form, unicode);
  ExpectMessages({{kMsgCritical, "Chemin impossible"}});
  EXPECT_EQ(Value("BackBitmap"), kPicture);
  EXPECT_EQ(Value("BackBitmapOriginal"), short_form);
}

TEST_F(MainWindowTest, RemovingDeletesBothValuesWithoutAMessage) {
  FakeForm& form = StartExpanded();
  SCOPED_TRACE("nothing registered yet");
  form.Click("cmdFuck");
  EXPECT_FALSE(form.at("imgCurrent").visible);
  EXPECT_TRUE(form.at("lblNone").visible);
  EXPECT_EQ(form.at("lblNone").text, "Ouwm ? =(");
  EXPECT_TRUE(platform.messages.empty());

  Choose(form, kPicture);
  ExpectPicture(form, kPicture);
  form.Click("cmdFuck");
  EXPECT_EQ(Value("BackBitmap"), "");
  EXPECT_EQ(Value("BackBitmapOriginal"), "");
  EXPECT_FALSE(form.at("imgCurrent").visible);
  EXPECT_EQ(form.at("lblNone").text, "Ouwm ? =(");
  EXPECT_EQ(platform.messages.size(), 1u) << "only the Mouuuw of the choice";
}

TEST_F(MainWindowTest, ResizeStretchesTheChosenPictureAndRegistersTheCopy) {
  FakeForm& form = StartExpanded();
  Choose(form, kPicture);
  platform.messages.clear();
  Resize(form, "1024", "150");

  ASSERT_EQ(platform.files.count(kResized), 1u);
  EXPECT_EQ(platform.files[kResized].width, 1024);
  EXPECT_EQ(platform.files[kResized].height, 150);
  EXPECT_EQ(Value("BackBitmap"), kResized);
  EXPECT_EQ(Value("BackBitmapOriginal"), kPicture);
  ExpectPicture(form, kPicture);  // the display keeps the chosen picture
  ExpectMessages({{kMsgInformation, "Yup"}});
  EXPECT_EQ(platform.messages[0].prompt,
            "Le fond de la toolbar a été resizé à la taille voulue =)");

  SCOPED_TRACE("a second resize starts again from the chosen picture");
  platform.loaded_paths.clear();
  Resize(form, "30", "7");
  EXPECT_EQ(platform.loaded_paths, std::vector<std::string>{kPicture});
  EXPECT_EQ(platform.files[kResized].width, 30);
  EXPECT_EQ(platform.files[kResized].height, 7);
}

TEST_F(MainWindowTest, ResizeWithoutAChosenPictureSaysHumpfWhateverTheSizes) {
  Register("BackBitmap", kPicture);  // set, but never chosen in this program
  FakeForm& form = StartExpanded();
  for (const auto& [width, height] : std::vector<std::pair<std::string, std::string>>{
           {"1024", "150"}, {"abc", ""}, {"0", "-1"}}) {
    SCOPED_TRACE(width + " x " + height);
    platform.messages.clear();
    Resize(form, width, height);
    ExpectMessages({{kMsgCritical, "Humpf"}});
    EXPECT_EQ(platform.messages[0].prompt, "Pas d'image définie en fond de toolbar coco...");
  }
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(Value("BackBitmap"), kPicture);
}

TEST_F(MainWindowTest, ResizeWithLettersOrNothingInEitherBoxSaysGrompf) {
  FakeForm& form = StartExpanded();
  Choose(form, kPicture);
  for (const auto& [width, height] : std::vector<std::pair<std::string, std::string>>{
           {"abc", "150"}, {"1024", "xyz"}, {"", "150"}, {"1024", ""}, {"12a", "150"}}) {
    SCOPED_TRACE(width + " x " + height);
    platform.messages.clear();
    Resize(form, width, height);
    ExpectMessages({{kMsgInformation, "Grompf"}});
    EXPECT_EQ(platform.messages[0].prompt, "T'as déjà sizé avec des lettres toi ? -_-");
  }
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(Value("BackBitmap"), kPicture);
}

TEST_F(MainWindowTest, NumbersThatAreNoPixelCountAreRefusedClearly) {
  FakeForm& form = StartExpanded();
  Choose(form, kPicture);
  for (const auto& [width, height] : std::vector<std::pair<std::string, std::string>>{
           {"0", "150"}, {"-5", "150"}, {"10.5", "150"}, {"1024", "1e5"}, {"1024", "0,5"}}) {
    SCOPED_TRACE(width + " x " + height);
    platform.messages.clear();
    Resize(form, width, height);
    ExpectMessages({{kMsgInformation, "Taille impossible"}});
  }
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(Value("BackBitmap"), kPicture);

  SCOPED_TRACE("the limits themselves are fine");
  Resize(form, "9999", "1");
  EXPECT_EQ(platform.files[kResized].width, 9999);
  EXPECT_EQ(platform.files[kResized].height, 1);
}

// A vanished source or an unwritable program folder used to stop the program.
TEST_F(MainWindowTest, RegressionFailedResizeSaysWhichAndChangesNothing) {
  FakeForm& form = StartExpanded();
  Choose(form, kPicture);

  SCOPED_TRACE("the chosen picture has gone");
  platform.pictures.erase(kPicture);
  platform.messages.clear();
  Resize(form, "1024", "150");
  ExpectMessages({{kMsgCritical, "Image introuvable"}});
  EXPECT_NE(platform.messages[0].prompt.find(kPicture), std::string::npos);
  EXPECT_EQ(Value("BackBitmap"), kPicture);
  EXPECT_TRUE(platform.files.empty());

  SCOPED_TRACE("the program folder is read-only");
  platform.AddPicture(kPicture, 400, 60);
  platform.save_fails = true;
  platform.messages.clear();
  Resize(form, "1024", "150");
  ExpectMessages({{kMsgCritical, "Écriture impossible"}});
  EXPECT_NE(platform.messages[0].prompt.find(kResized), std::string::npos);
  EXPECT_EQ(Value("BackBitmap"), kPicture);
  EXPECT_EQ(Value("BackBitmapOriginal"), kPicture);
}

TEST_F(MainWindowTest, APictureTooLargeForMemoryGetsAMessage) {
  FakeForm& form = StartExpanded();
  Choose(form, kPicture);
  platform.pictures[kPicture]->pixels_fail = true;  // its pixels cannot be allocated
  platform.messages.clear();
  Resize(form, "1024", "150");
  ExpectMessages({{kMsgCritical, "Mémoire insuffisante"}});
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(Value("BackBitmap"), kPicture);
}

TEST_F(MainWindowTest, AProgramFolderTheCodePageCannotHoldUsesItsShortForm) {
  platform.program_directory = "C:\\Programmes\\Plume\xe2\x98\x83";
  platform.ansi_paths[platform.program_directory] = "C:\\PROGRA~1\\PLUME~1";
  FakeForm& form = StartExpanded();
  Choose(form, kPicture);
  Resize(form, "1024", "150");
  EXPECT_EQ(Value("BackBitmap"), "C:\\PROGRA~1\\PLUME~1\\resized.bmp");

  platform.ansi_paths[platform.program_directory] = std::nullopt;
  platform.messages.clear();
  Register("BackBitmap", kPicture);
  Resize(form, "1024", "150");
  ExpectMessages({{kMsgCritical, "Chemin impossible"}});
  EXPECT_EQ(Value("BackBitmap"), kPicture);
}

// The handlers used to say "Mouuuw", "Yup" or nothing at all when the registry refused the
// write or the deletion (a key that policy or permissions protect).
TEST_F(MainWindowTest, RegressionARegistryThatRefusesIsNeverReportedAsSuccess) {
  platform.AddPicture(kOtherPicture, 10, 10);
  const struct {
    const char* what;
    const char* refused;  // the calls the registry refuses
    const char* button;
    const char* back_bitmap;  // what the registry holds afterwards
    const char* original;
    const char* shown;  // the picture shown, or null for the removed state
  } cases[] = {
      {"choosing, nothing written", "RegSetValueExA", "cmdFile", kPicture, kPicture, kPicture},
      {"choosing, the original not written", "RegSetValueExA BackBitmapOriginal", "cmdFile",
       kOtherPicture, kPicture, kOtherPicture},
      {"resizing", "RegSetValueExA", "cmdSize", kPicture, kPicture, kPicture},
      {"removing, nothing deleted", "RegDeleteValueA", "cmdFuck", kPicture, kPicture, kPicture},
      {"removing, the original not deleted", "RegDeleteValueA BackBitmapOriginal", "cmdFuck", "",
       kPicture, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    memory.failures.clear();
    Register("BackBitmap", kPicture);
    Register("BackBitmapOriginal", kPicture);
    platform.forms.clear();
    frmIE window_again(platform, memory);
    window_again.Run();
    FakeForm& form = *platform.forms.back();
    form.Click("cmdChange");
    platform.messages.clear();
    platform.files.clear();
    memory.failures[c.refused] = kErrorAccessDenied;
    platform.chosen_file = kOtherPicture;
    form.Click(c.button);
    ExpectMessages({{kMsgCritical, "Registre protégé"}});
    EXPECT_EQ(Value("BackBitmap"), c.back_bitmap);
    EXPECT_EQ(Value("BackBitmapOriginal"), c.original);
    if (c.shown) {
      ExpectPicture(form, c.shown);
    } else {
      EXPECT_FALSE(form.at("imgCurrent").visible);
      EXPECT_EQ(form.at("lblNone").text, "Ouwm ? =(");
    }
  }
  EXPECT_EQ(platform.files.count(kResized), 0u) << "only the resize case writes resized.bmp";
}

// An exception that reached WinMain used to end the program without a word.
TEST(ProgramTest, RegressionAnErrorNoHandlerCanWorkAroundEndsTheProgramWithAMessageNamingIt) {
  MemoryRegistry registry;
  FakePlatform platform;
  EXPECT_EQ(RunProgram(platform, registry), 0);
  EXPECT_TRUE(platform.messages.empty());

  platform.event_loop = [] { throw PlatformError({"CreateWindowExW", 1407}); };
  EXPECT_NE(RunProgram(platform, registry), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].buttons, kMsgCritical);
  EXPECT_NE(platform.messages[0].prompt.find("CreateWindowExW, code 1407"), std::string::npos);
  EXPECT_TRUE(platform.forms.empty()) << "the main window is gone";
}

TEST_F(MainWindowTest, OffersTheNineRegistryOperations) {
  RegistryOperations& operations = window;
  operations.WriteKeyValue("HKEY_CURRENT_USER\\Software\\Plumeroll\\A", "V", "x");
  EXPECT_EQ(window.ReadKeyValue("hkey_current_user\\software\\plumeroll\\a", "V"), "x");
  EXPECT_EQ(window.CountFolders("HKEY_CURRENT_USER\\Software\\Plumeroll"), 0.0);
  window.DeleteFolder("HKEY_CURRENT_USER\\Software\\Plumeroll\\A");
  EXPECT_EQ(window.CountFolders("HKEY_CURRENT_USER\\Software\\Plumeroll"), -1.0);
}

}  // namespace
}  // namespace plumeroll
