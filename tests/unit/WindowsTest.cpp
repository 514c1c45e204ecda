// The main window's and the About window's handlers over the fakes: what the user sees (states,
// texts, messages) and what lands in the registry and on disk.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "mainwindow/frmIE.h"
#include "tests/unit/Fakes.h"

namespace plumeroll::testing {
namespace {

constexpr char kA[] = "A.bmp", kB[] = "B.bmp", kIE5[] = "C:\\IE5.bmp";
constexpr char kSnowman[] = "\u2603.bmp";     // no ANSI code page has it; its short name is B.bmp
constexpr char kLost[] = "\u2603\u2603.bmp";  // no short name either
constexpr char kResized[] = "C:\\P\\resized.bmp";
constexpr char kRemoved[] = "Ouwm ? =(";
constexpr char kToolbar[] = "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR";
constexpr char kQuestion[] = "Et IE 5 et 6 ?";

// The main window over fresh fakes, with BackBitmap, BackBitmapOriginal and BackBitmapIE5 (null
// for none) registered.
struct Scene {
  Scene(const std::string& back_bitmap, const char* original, const char* ie5 = nullptr) {
    for (const char* path : {kA, kB}) platform.AddPicture(path);
    platform.ansi_paths = {{kSnowman, kB}, {kLost, std::nullopt}};
    if (!back_bitmap.empty()) ops.WriteKeyValue(kToolbarKey, "BackBitmap", back_bitmap);
    if (*original) ops.WriteKeyValue(kToolbarKey, "BackBitmapOriginal", original);
    if (ie5) ops.WriteKeyValue(kToolbarKey, "BackBitmapIE5", ie5);
  }
  // Starts the program and expands the window; then the registry call `refused` names
  // ("Function [ValueName]") fails.
  void Start(const char* refused = "", bool expand = true) {
    window.Run();
    if (expand) form().Click("cmdChange");
    if (*refused) reg.failures[refused] = kErrorAccessDenied;
  }
  FakeForm& form() { return platform.form(); }
  // A value as stored, "(none)" when there is none.
  std::string Value(const char* name) {
    const auto value = reg.values.find({kToolbar, name});
    return value == reg.values.end() ? "(none)" : value->second.substr(0, value->second.find('\0'));
  }
  // The messages' titles, each checked against its icon (64 information, 16 critical, 4 + 32
  // a question) and, for the words the program must say, its prompt.
  std::string Messages() {
    static const std::map<std::string, std::pair<int, std::string>> kinds = {
        {"Mouuuw", {64, "L'image a été chargée en fond de toolbar d'IE ^^"}},
        {"Yup", {64, "Le fond de la toolbar a été resizé à la taille voulue =)"}},
        {"Humpf", {16, "Pas d'image définie en fond de toolbar coco..."}},
        {"Grompf", {64, "T'as déjà sizé avec des lettres toi ? -_-"}},
        {"Taille impossible", {64, ""}}, {kQuestion, {36, ""}}};
    std::string titles;
    for (const auto& [prompt, buttons, title] : platform.messages) {
      titles += (titles.empty() ? "" : "; ") + title;
      const auto [icon, words] = kinds.count(title) ? kinds.at(title) : std::pair(16, prompt);
      EXPECT_EQ(std::pair(buttons, prompt), std::pair(icon, words.empty() ? prompt : words));
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

  FakeRegistry reg;
  RegistryOperations ops{reg};
  FakePlatform platform;
  frmIE window{platform, reg};
};

TEST(MainWindowTest, ChoosingOrRemovingChangesTheRegistryAndTheDisplayOrSaysWhyNot) {
  constexpr char kNone[] = "(none)", kProtected[] = "Registre protégé";
  const struct {
    const char *button, *registered, *ie5, *chosen, *refused;
    int answer;  // to the question about BackBitmapIE5
    const char *messages, *back_bitmap, *original, *ie5_after, *shown;
  } cases[] = {
      {"cmdFile", kA, nullptr, "", "", kMsgNo, "", kA, kA, kNone, kA},  // cancelled
      {"cmdFile", kA, nullptr, kB, "", kMsgNo, "Mouuuw", kB, kB, kNone, kB},
      {"cmdFile", kA, nullptr, "C:\\x.bmp", "", kMsgNo, "Image illisible", kA, kA, kNone, kA},
      {"cmdFile", kA, nullptr, kSnowman, "", kMsgNo, "Mouuuw", kB, kB, kNone, kB},
      {"cmdFile", kA, nullptr, kLost, "", kMsgNo, "Chemin impossible", kA, kA, kNone, kA},
      {"cmdFile", kA, nullptr, kB, "RegSetValueExA", kMsgNo, kProtected, kA, kA, kNone, kA},
      {"cmdFile", kA, nullptr, kB, "RegSetValueExA BackBitmapOriginal", kMsgNo, kProtected, kB,
       kA, kNone, kB},
      {"cmdFile", kA, nullptr, kB, "RegQueryValueExA BackBitmap", kMsgNo, "Registre illisible",
       kB, kB, kNone, kA},
      {"cmdFuck", kA, nullptr, "", "", kMsgNo, "", kNone, kNone, kNone, kRemoved},
      {"cmdFuck", "", nullptr, "", "", kMsgNo, "", kNone, kNone, kNone, kRemoved},
      {"cmdFuck", kA, nullptr, "", "RegDeleteValueA", kMsgNo, kProtected, kA, kA, kNone, kA},
      {"cmdFuck", kA, nullptr, "", "RegDeleteValueA BackBitmapOriginal", kMsgNo, kProtected,
       kNone, kA, kNone, kRemoved},
      {"cmdFuck", kA, nullptr, "", "RegQueryValueExA BackBitmap", kMsgNo, "Registre illisible",
       kNone, kNone, kNone, kA},
      // Internet Explorer 5 and 6 show BackBitmapIE5's picture when there is one.
      {"cmdFile", kA, "", kB, "", kMsgYes, "Mouuuw", kB, kB, "", kB},
      {"cmdFile", kA, "b.bmp", kB, "", kMsgYes, "Mouuuw", kB, kB, "b.bmp", kB},
      {"cmdFile", kA, kIE5, kB, "", kMsgYes, "Mouuuw; Et IE 5 et 6 ?", kB, kB, kNone, kB},
      {"cmdFile", kA, kIE5, kB, "", kMsgNo, "Mouuuw; Et IE 5 et 6 ?", kB, kB, kIE5, kB},
      {"cmdFile", kA, kIE5, kB, "RegDeleteValueA BackBitmapIE5", kMsgYes,
       "Mouuuw; Et IE 5 et 6 ?; Registre protégé", kB, kB, kIE5, kB},
      {"cmdFile", kA, kIE5, kB, "RegQueryValueExA BackBitmapIE5", kMsgYes,
       "Mouuuw; Registre illisible", kB, kB, kIE5, kB},
      {"cmdFuck", kA, kIE5, "", "", kMsgYes, "Et IE 5 et 6 ?", kNone, kNone, kNone, kRemoved},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.button) + " " + c.chosen + " " + c.refused + " " +
                 (c.ie5 ? c.ie5 : "no BackBitmapIE5"));
    Scene scene(c.registered, c.registered, c.ie5);
    scene.Start(c.refused);
    scene.platform.chosen_file = c.chosen;
    scene.platform.answer = c.answer;
    scene.form().Click(c.button);
    EXPECT_EQ(scene.Messages(), c.messages);
    EXPECT_EQ(scene.Value("BackBitmap"), c.back_bitmap);
    EXPECT_EQ(scene.Value("BackBitmapOriginal"), c.original);
    EXPECT_EQ(scene.Value("BackBitmapIE5"), c.ie5_after);
    EXPECT_EQ(scene.Shown(), c.shown);
  }
  // The question quotes BackBitmapIE5's picture and says what removing it changes.
  for (const char* button : {"cmdFile", "cmdFuck"}) {
    Scene scene(kA, kA, kIE5);
    scene.Start();
    scene.platform.chosen_file = kB;
    scene.form().Click(button);
    EXPECT_EQ(std::get<0>(scene.platform.messages.back()),
              button == std::string("cmdFile")
                  ? "Internet Explorer 5 et 6 n'afficheront pas ce fond : ils prennent d'abord "
                    "l'image de BackBitmapIE5 :\n« C:\\IE5.bmp »\n\nOn retire BackBitmapIE5 pour "
                    "qu'ils affichent ce fond ?"
                  : "Internet Explorer 5 et 6 affichent quand même une image, celle de "
                    "BackBitmapIE5 :\n« C:\\IE5.bmp »\n\nOn retire BackBitmapIE5 pour qu'ils "
                    "n'affichent plus de fond ?");
  }
  // The Open dialog: in the program's folder, for bitmaps, for files that exist.
  Scene scene("", "");
  scene.Start();
  scene.form().Click("cmdFile");
  const CommonDialog& dialog = scene.platform.dialog;
  EXPECT_EQ(dialog.FileName + "|" + dialog.InitDir + "|" + dialog.Filter + "|" +
                dialog.DialogTitle + "|" + std::to_string(dialog.Flags),
            "|C:\\P|Image bitmap (*.bmp)|*.bmp|Choisissez le fond pour la Toolbar =)|4096");
}

TEST(MainWindowTest, ResizingStretchesTheChosenPictureAfterItsChecksInTheirOrder) {
  // Width, height, BackBitmapOriginal, trouble (a registry call refused, "unwritable", "no
  // memory", "cut short", "unknown", "short folder", "unfit folder", "IE5"), message, BackBitmap,
  // and resized.bmp: where, its size and the picture it was stretched from.
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
      {"1024", "150", kA, "cut short", "Image illisible", kB, ""},
      {"1024", "150", kA, "unknown", "Redimensionnement impossible", kB, ""},
      {"1024", "150", kA, "unwritable", "Écriture impossible", kB, ""},
      {"8", "6", kA, "short folder", "Yup", "C:\\PROGRA~1\\resized.bmp",
       "C:\\PROGRA~1\\resized.bmp 8x6 of A"},
      {"8", "6", kA, "unfit folder", "Chemin impossible", kB, ""},
      {"30", "7", kA, "RegSetValueExA", "Registre protégé", kB, "C:\\P\\resized.bmp 30x7 of A"},
      {"30", "7", kA, "RegQueryValueExA BackBitmapOriginal", "Registre illisible", kB, ""},
      {"30", "7", kA, "RegQueryValueExA BackBitmap", "Registre illisible", kResized,
       "C:\\P\\resized.bmp 30x7 of A"},
      {"30", "7", kA, "IE5", "Yup; Et IE 5 et 6 ?", kResized, "C:\\P\\resized.bmp 30x7 of A"},
  };
  for (const auto& [width, height, original, trouble, message, back_bitmap, saved] : cases) {
    SCOPED_TRACE(std::string(width) + " x " + height + " from " + original + " " + trouble);
    const std::string_view problem = trouble;
    Scene scene(kB, original, problem == "IE5" ? kIE5 : nullptr);
    scene.Start(problem.starts_with("Reg") ? trouble : "");
    scene.platform.save_fails = problem == "unwritable";
    scene.platform.answer = kMsgYes;
    const std::map<std::string_view, Failure> reading = {
        {"no memory", OutOfMemory()},
        {"cut short", Failure{"ReadFile", 38, Cause::kSource}},
        {"unknown", Failure{"GetDIBits", 87}}};
    if (reading.count(problem)) scene.platform.pictures[kA]->failure = reading.at(problem);
    if (problem.ends_with("folder")) {
      scene.platform.ansi_paths["C:\\P"] =
          problem == "short folder" ? "C:\\PROGRA~1" : std::optional<std::string>();
    }
    scene.form().at("txtWidth").text = width;
    scene.form().at("txtHeight").text = height;
    scene.form().Click("cmdSize");
    EXPECT_EQ(scene.Messages(), message);
    EXPECT_EQ(scene.Value("BackBitmap"), back_bitmap);
    EXPECT_EQ(scene.Value("BackBitmapOriginal"), *original ? original : "(none)") << "as it was";
    EXPECT_EQ(scene.Value("BackBitmapIE5"), "(none)");
    EXPECT_EQ(scene.Shown(), kB) << "the display keeps what it showed";
    EXPECT_EQ(scene.platform.files, saved);
  }
}

TEST(MainWindowTest, StartShowsTheRegisteredPictureOrSaysWhyNotThenOpensCollapsed) {
  std::string deep = "C:\\Documents and Settings\\Qel";
  while (deep.size() < 324) deep += "\\dossier-profond";
  const std::string long_path = deep.substr(0, 324) + "\\fond-perdu.bmp";  // 339 characters
  const std::string huge = "\\\\serveur\\p\\" + std::string(40942, 'x') + "\\a.bmp";  // 40,960
  for (const auto& [stored, refused] :
       {std::pair<std::string, const char*>{"", ""}, {kA, ""}, {"C:\\gone.bmp", ""}, {"   ", ""},
        {long_path, ""}, {huge, ""}, {kA, "RegQueryValueExA BackBitmap"}}) {
    SCOPED_TRACE(stored.substr(0, 30) + refused);
    Scene scene(stored, "");
    scene.reg.failures = {{refused, kErrorAccessDenied}};
    scene.Start("", false);
    EXPECT_TRUE(scene.form().shown);
    EXPECT_EQ(scene.form().height, 2600);
    const bool readable = stored.empty() || (stored == kA && !*refused);
    EXPECT_EQ(scene.Shown(), readable && !stored.empty() ? kA : "QUE DALLE");
    EXPECT_EQ(scene.Enabled(), "cmdChange cmdFuck cmdAbout");
    EXPECT_EQ(scene.Value("BackBitmap"), stored.empty() ? "(none)" : stored);
    EXPECT_EQ(scene.Messages(), readable ? "" : *refused ? "Registre illisible" : "Fond illisible");
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
  scene.Start();
  FakeForm& form = scene.form();
  EXPECT_EQ(form.height, 5000);
  EXPECT_EQ(scene.Enabled(), "cmdFuck cmdAbout txtWidth txtHeight cmdFile cmdSize");
  for (const auto& [box, text] : {std::pair{"txtWidth", "1024"}, {"txtHeight", "150"}}) {
    form.at(box).selection = {2, 0};
    form.events.GotFocus(box, kNoIndex);
    EXPECT_EQ(form.at(box).selection, (std::pair{0, static_cast<int>(std::string(text).size())}));
  }
}

TEST(AboutWindowTest, ShowsItsTextAnewAtEachOpeningAndOpensEachLinkThroughTheShell) {
  Scene scene("", "");
  scene.Start();
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

// An exception that reached WinMain used to end the program without a word; then one that was
// not a standard exception still did.
TEST(ProgramTest, RegressionAnErrorOfAnyKindEndsTheProgramWithAMessageAndAFailureCode) {
  FakePlatform platform;
  FakeRegistry reg;
  EXPECT_EQ(RunProgram(platform, reg), 0);
  const std::pair<std::function<void()>, const char*> errors[] = {
      {[] { throw PlatformError({"CreateWindowExW", 1407}); }, "CreateWindowExW, code 1407"},
      {[] { throw std::bad_alloc(); }, "bad_alloc"},
      {[] { throw std::out_of_range("no control"); }, "no control"},
      {[] { throw 42; }, "une erreur d'un type inconnu"}};
  for (const auto& [error, named] : errors) {
    SCOPED_TRACE(named);
    platform.messages.clear();
    platform.event_loop = error;
    EXPECT_EQ(RunProgram(platform, reg), 1);
    ASSERT_EQ(platform.messages.size(), 1u);
    const auto& [prompt, buttons, title] = platform.messages[0];
    EXPECT_EQ(std::pair(title, buttons), std::pair(std::string("Erreur imprévue"), kMsgCritical));
    EXPECT_NE(prompt.find(named), std::string::npos) << prompt;
    EXPECT_TRUE(platform.forms.empty()) << "the main window is gone";
  }
}

}  // namespace
}  // namespace plumeroll::testing
