// The main window's and the About window's handlers over the fakes: what the user sees (states,
// texts, messages) and what lands in the registry and on disk.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "mainwindow/frmIE.h"
#include "mainwindow/frmIE_layout.h"
#include "tests/unit/Fakes.h"

namespace plumeroll::testing {
namespace {

constexpr char kA[] = "A.bmp", kB[] = "B.bmp";
constexpr char kSnowman[] = "\u2603.bmp";     // no ANSI code page has it; its short name is B.bmp
constexpr char kLost[] = "\u2603\u2603.bmp";  // no short name either
constexpr char kResized[] = "C:\\P\\resized.bmp";
constexpr char kRemoved[] = "Ouwm ? =(";

// The main window over fresh fakes, started with BackBitmap and BackBitmapOriginal ("" for
// none), then expanded; `refused` names registry calls that then fail ("Function [ValueName]").
struct Scene {
  Scene(const std::string& back_bitmap, const char* original, const char* refused = "",
        bool expand = true) {
    for (const char* path : {kA, kB}) platform.AddPicture(path);
    platform.ansi_paths = {{kSnowman, kB}, {kLost, std::nullopt}};
    if (!back_bitmap.empty()) ops.WriteKeyValue(kToolbarKey, "BackBitmap", back_bitmap);
    if (*original) ops.WriteKeyValue(kToolbarKey, "BackBitmapOriginal", original);
    window.Run();
    if (expand) form().Click("cmdChange");
    if (*refused) reg.failures[refused] = kErrorAccessDenied;
  }
  FakeForm& form() { return platform.form(); }
  std::string Value(const char* name) { return ops.ReadKeyValue(kToolbarKey, name); }
  // The messages' titles, each checked against its icon and, for the program's own words, its
  // prompt.
  std::string Messages() {
    static const std::map<std::string, std::string> prompts = {
        {"Mouuuw", "L'image a été chargée en fond de toolbar d'IE ^^"},
        {"Yup", "Le fond de la toolbar a été resizé à la taille voulue =)"},
        {"Humpf", "Pas d'image définie en fond de toolbar coco..."},
        {"Grompf", "T'as déjà sizé avec des lettres toi ? -_-"}};
    static const std::set<std::string> information = {"Mouuuw", "Yup", "Grompf",
                                                      "Taille impossible"};
    std::string titles;
    for (const auto& [prompt, buttons, title] : platform.messages) {
      titles += (titles.empty() ? "" : "; ") + title;
      EXPECT_EQ(buttons, information.count(title) ? kMsgInformation : kMsgCritical) << title;
      EXPECT_EQ(prompt, prompts.count(title) ? prompts.at(title) : prompt);
    }
    return titles;
  }
  // The buttons and boxes that can be used.
  std::string Enabled() {
    std::string names;
    for (const char* name :
         {"cmdChange", "cmdFuck", "cmdAbout", "txtWidth", "txtHeight", "cmdFile", "cmdSize"})
      names += form().at(name).enabled ? (names.empty() ? "" : " ") + std::string(name) : "";
    return names;
  }
  // The picture shown, or the placeholder's caption (over the box, empty, for "QUE DALLE").
  std::string Shown() {
    const FakeControl &image = form().at("imgCurrent"), &placeholder = form().at("lblNone");
    for (const auto& [path, picture] : platform.pictures)
      if (image.visible && image.picture == picture && !placeholder.visible) return path;
    const bool box = image.visible && !image.picture;
    return placeholder.visible && box == (placeholder.text == "QUE DALLE") ? placeholder.text : "?";
  }

  RecordingRegistry reg;
  RegistryOperations ops{reg};
  FakePlatform platform;
  frmIE window{platform, reg};
};

TEST(MainWindowTest, ChoosingOrRemovingChangesTheRegistryAndTheDisplayOrSaysWhyNot) {
  const std::array<const char*, 8> cases[] = {
      {"cmdFile", kA, "", "", "", kA, kA, kA},  // cancelled
      {"cmdFile", kA, kB, "", "Mouuuw", kB, kB, kB},
      {"cmdFile", kA, "C:\\x.bmp", "", "Image illisible", kA, kA, kA},
      {"cmdFile", kA, kSnowman, "", "Mouuuw", kB, kB, kB},
      {"cmdFile", kA, kLost, "", "Chemin impossible", kA, kA, kA},
      {"cmdFile", kA, kB, "RegSetValueExA", "Registre protégé", kA, kA, kA},
      {"cmdFile", kA, kB, "RegSetValueExA BackBitmapOriginal", "Registre protégé", kB, kA, kB},
      {"cmdFuck", kA, "", "", "", "", "", kRemoved},
      {"cmdFuck", "", "", "", "", "", "", kRemoved},
      {"cmdFuck", kA, "", "RegDeleteValueA", "Registre protégé", kA, kA, kA},
      {"cmdFuck", kA, "", "RegDeleteValueA BackBitmapOriginal", "Registre protégé", "", kA,
       kRemoved},
  };
  for (const auto& [button, registered, chosen, refused, message, back_bitmap, original, shown] :
       cases) {
    SCOPED_TRACE(std::string(button) + " " + chosen + " " + refused);
    Scene scene(registered, registered, refused);
    scene.platform.chosen_file = chosen;
    scene.form().Click(button);
    EXPECT_EQ(scene.Messages(), message);
    EXPECT_EQ(scene.Value("BackBitmap"), back_bitmap);
    EXPECT_EQ(scene.Value("BackBitmapOriginal"), original);
    EXPECT_EQ(scene.Shown(), shown);
  }
  // The Open dialog: in the program's folder, for bitmaps, for files that exist.
  Scene scene("", "");
  scene.form().Click("cmdFile");
  const CommonDialog& dialog = scene.platform.dialog;
  EXPECT_EQ(dialog.FileName + "|" + dialog.InitDir + "|" + dialog.Filter + "|" +
                dialog.DialogTitle + "|" + std::to_string(dialog.Flags),
            "|C:\\P|Image bitmap (*.bmp)|*.bmp|Choisissez le fond pour la Toolbar =)|4096");
}

TEST(MainWindowTest, ResizingStretchesTheChosenPictureAfterItsChecksInTheirOrder) {
  // Width, height, BackBitmapOriginal, trouble (a registry call refused, "unwritable", "no
  // memory", "short folder", "unfit folder"), message, BackBitmap, and resized.bmp: where, its
  // size and the picture it was stretched from.
  const std::array<const char*, 7> cases[] = {
      {"1024", "150", kA, "", "Yup", kResized, "C:\\P\\resized.bmp 1024x150 of A"},
      {"9999", "1", kA, "", "Yup", kResized, "C:\\P\\resized.bmp 9999x1 of A"},
      {"abc", "", "", "", "Humpf", kB, ""},
      {"12a", "150", kA, "", "Grompf", kB, ""},
      {"1024", "", kA, "", "Grompf", kB, ""},
      {"0", "150", kA, "", "Taille impossible", kB, ""},
      {"10.5", "150", kA, "", "Taille impossible", kB, ""},
      {"1024", "9e99", kA, "", "Taille impossible", kB, ""},
      {"1024", "150", "C:\\gone.bmp", "", "Image introuvable", kB, ""},
      {"1024", "150", kA, "no memory", "Mémoire insuffisante", kB, ""},
      {"1024", "150", kA, "unwritable", "Écriture impossible", kB, ""},
      {"8", "6", kA, "short folder", "Yup", "C:\\PROGRA~1\\resized.bmp",
       "C:\\PROGRA~1\\resized.bmp 8x6 of A"},
      {"8", "6", kA, "unfit folder", "Chemin impossible", kB, ""},
      {"30", "7", kA, "RegSetValueExA", "Registre protégé", kB, "C:\\P\\resized.bmp 30x7 of A"},
  };
  for (const auto& [width, height, original, trouble, message, back_bitmap, saved] : cases) {
    SCOPED_TRACE(std::string(width) + " x " + height + " from " + original);
    Scene scene(kB, original, std::string_view(trouble).starts_with("Reg") ? trouble : "");
    const std::string_view problem = trouble;
    scene.platform.save_fails = problem == "unwritable";
    if (problem == "no memory") scene.platform.pictures[kA]->image.pixels.clear();
    if (problem.ends_with("folder")) {
      scene.platform.ansi_paths["C:\\P"] =
          problem == "short folder" ? "C:\\PROGRA~1" : std::optional<std::string>();
    }
    scene.form().at("txtWidth").text = width;
    scene.form().at("txtHeight").text = height;
    scene.form().Click("cmdSize");
    EXPECT_EQ(scene.Messages(), message);
    EXPECT_EQ(scene.Value("BackBitmap"), back_bitmap);
    EXPECT_EQ(scene.Value("BackBitmapOriginal"), original) << "left as it was";
    EXPECT_EQ(scene.Shown(), kB) << "the display keeps what it showed";
    std::string written;
    for (const auto& [path, image] : scene.platform.files)
      written += path + " " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                 " of " + static_cast<char>(image.pixels.at(0));
    EXPECT_EQ(written, saved);
  }
}

TEST(MainWindowTest, StartShowsTheRegisteredPictureOrSaysWhyNotThenOpensCollapsed) {
  std::string deep = "C:\\Documents and Settings\\Qel";
  while (deep.size() < 324) deep += "\\dossier-profond";
  const std::string long_path = deep.substr(0, 324) + "\\fond-perdu.bmp";  // 339 characters
  const std::string huge = "\\\\serveur\\p\\" + std::string(40942, 'x') + "\\a.bmp";  // 40,960
  for (const std::string stored :
       {"", kA, "C:\\gone.bmp", "   ", long_path.c_str(), huge.c_str()}) {
    SCOPED_TRACE(stored.substr(0, 30));
    Scene scene(stored, "", "", false);
    EXPECT_TRUE(scene.form().shown);
    EXPECT_EQ(scene.form().height, kCollapsedHeight);
    EXPECT_EQ(scene.Shown(), stored == kA ? kA : "QUE DALLE");
    EXPECT_EQ(scene.Enabled(), "cmdChange cmdFuck cmdAbout");
    EXPECT_EQ(scene.Value("BackBitmap"), stored);
    const bool readable = stored.empty() || stored == kA;
    EXPECT_EQ(scene.Messages(), readable ? "" : "Fond illisible");
    // A long path quoted in lines that the message box keeps whole, each broken after a
    // backslash, its middle left out: its drive and its file stay.
    const std::string& prompt = readable ? stored : std::get<0>(scene.platform.messages.at(0));
    if (stored == huge) {  // its start and its file kept, in a few lines
      EXPECT_LT(prompt.size(), 500u);
      EXPECT_NE(prompt.find("« \\\\serveur\\p\\\n"), std::string::npos) << prompt;
      EXPECT_NE(prompt.find("\\a.bmp »"), std::string::npos) << prompt;
    }
    if (stored == long_path) {
      EXPECT_EQ(prompt,
                "Le fond enregistré pour la barre d'outils ne peut pas être affiché :\n"
                "« C:\\Documents and Settings\\Qel\\\ndossier-profond\\dossier-profond\\\n"
                "dossier-profond\\do…r-profond\\\ndossier-profond\\dossier-profond\\\n"
                "dossier-profond\\dossier-profond\\\ndossier-profond\\dossier-profond\\\n"
                "dossier-profond\\dossier-profond\\dossie\\\nfond-perdu.bmp »\n\n"
                "Ce fichier est introuvable ou n'est pas une image bitmap lisible.");
    }
  }
}

TEST(MainWindowTest, ChangeExpandsAndTheSizeBoxesSelectTheirWholeTextOnFocus) {
  Scene scene("", "");
  FakeForm& form = scene.form();
  EXPECT_EQ(form.height, kExpandedHeight);
  EXPECT_EQ(scene.Enabled(), "cmdFuck cmdAbout txtWidth txtHeight cmdFile cmdSize");
  for (const auto& [box, text] : {std::pair{"txtWidth", "1024"}, {"txtHeight", "150"}}) {
    form.at(box).selection = {2, 0};
    form.events.GotFocus(box, kNoIndex);
    EXPECT_EQ(form.at(box).selection, (std::pair{0, static_cast<int>(std::string(text).size())}));
  }
}

TEST(AboutWindowTest, ShowsItsTextAnewAtEachOpeningAndOpensEachLinkThroughTheShell) {
  Scene scene("", "");
  std::vector<std::string> seen,
      expected;  // at each opening: the text, then what each link asked of the shell
  scene.platform.while_modal = [&](FakeForm& about) {
    EXPECT_EQ(about.layout.caption, "A propos...");
    seen.push_back(about.at("Label1").text);
    scene.reg.log.clear();
    for (const char* control : {"Label2", "Label3", "cmdUnload"}) about.Click(control);
    EXPECT_FALSE(about.loaded);
    seen.insert(seen.end(), scene.reg.log.begin(), scene.reg.log.end());
    // The About window's handle, no verb, no parameters, "" (not null), SW_SHOWNORMAL.
    const std::string shell = "ShellExecuteA " + std::to_string(about.hWnd()) + " ";
    expected.insert(expected.end(), {"Attention : IE n'accepte que le .bmp pour fond...\n\r"
                                     "Développé par Qel\n\r© 2026 Qel. Tous droits réservés.",
                                     shell + "mailto:qel@plumeroll.example directory: 1",
                                     shell + "http://plumeroll.example/ directory: 1"});
  };
  for (int opening = 0; opening < 2; ++opening) scene.form().Click("cmdAbout");
  EXPECT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(scene.platform.forms.size(), 1u) << "gone when closed, so loaded anew at each opening";
}

// An exception that reached WinMain used to end the program without a word.
TEST(ProgramTest, RegressionAnErrorNoHandlerCanWorkAroundEndsTheProgramWithAMessageNamingIt) {
  FakePlatform platform;
  RecordingRegistry reg;
  EXPECT_EQ(RunProgram(platform, reg), 0);
  platform.event_loop = [] { throw PlatformError({"CreateWindowExW", 1407}); };
  EXPECT_NE(RunProgram(platform, reg), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  const auto& [prompt, buttons, title] = platform.messages[0];
  EXPECT_EQ(std::pair(title, buttons), std::pair(std::string("Erreur imprévue"), kMsgCritical));
  EXPECT_NE(prompt.find("CreateWindowExW, code 1407"), std::string::npos);
  EXPECT_TRUE(platform.forms.empty()) << "the main window is gone";
}

}  // namespace
}  // namespace plumeroll::testing
