// The main window's and the About window's handlers over the fakes: what the user sees (states,
// texts, messages) and what lands in the registry and on disk.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "mainwindow/frmIE.h"
#include "tests/unit/Fakes.h"

namespace plumeroll::testing {
namespace {

constexpr char kSnowman[] = "\u2603";     // no ANSI code page has it; its short name is B
constexpr char kLost[] = "\u2603\u2603";  // no short name either
constexpr char kQuestion[] = "Et IE 5 et 6 ?";
// The question about BackBitmapIE5's picture, C:\ie5 in the table below: after a change, and
// after the removal.
constexpr char kChangeQuestion[] =
    "Internet Explorer 5 et 6 n'afficheront pas ce fond : ils prennent d'abord l'image de "
    "BackBitmapIE5 :\n« C:\\ie5 »\n\nOn retire BackBitmapIE5 pour qu'ils affichent ce fond ?";
constexpr char kRemovalQuestion[] =
    "Internet Explorer 5 et 6 affichent quand même une image, celle de BackBitmapIE5 :\n"
    "« C:\\ie5 »\n\nOn retire BackBitmapIE5 pour qu'ils n'affichent plus de fond ?";
const char* const kValues[] = {"BackBitmap", "BackBitmapOriginal", "BackBitmapIE5"};
const std::string kToolbar = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar|";

// The main window with its registry operations over the values of its keys, as "Path|Name":
// what the handlers ask of the registry, not how the operations reach it (the registry layer's).
// "Write", "Delete" or "Read", alone or followed by a value's name, in `refused` makes that
// operation fail: a write or a deletion then changes nothing, a read is denied.
struct TestWindow : frmIE {
  using frmIE::frmIE;
  ValueRead QueryKeyValue(std::string Path, std::string Key) override {
    const auto value = values.find(Path + "|" + Key);
    if (Refused("Read", Key)) return {kErrorAccessDenied, {}};
    if (value == values.end()) return {kErrorFileNotFound, {}};
    return {kErrorSuccess, value->second};
  }
  void WriteKeyValue(std::string Path, std::string Key, std::string Value) override {
    if (!Refused("Write", Key)) values[Path + "|" + Key] = Value;
  }
  void DeleteKey(std::string Path, std::string Key) override {
    if (!Refused("Delete", Key)) values.erase(Path + "|" + Key);
  }
  bool Refused(const std::string& operation, const std::string& Key) {
    return refused.count(operation) || refused.count(operation + " " + Key);
  }
  std::map<std::string, std::string> values;
  std::set<std::string> refused;
};

// The main window over fresh fakes, with the pictures A and B, and BackBitmap,
// BackBitmapOriginal and BackBitmapIE5 registered as `values` gives them ("A|A|-": "-" for none).
struct Scene {
  explicit Scene(const std::string& values) {
    for (const char* path : {"A", "B"}) platform.AddPicture(path);
    platform.ansi_paths = {{kSnowman, "B"}, {kLost, std::nullopt}};
    std::istringstream given(values);
    for (std::string value; const char* name : kValues) {
      std::getline(given, value, '|');
      if (value != "-") window.values[kToolbar + name] = value;
    }
  }
  // Starts the program; then, unless it is the start that is tried, expands the window. The
  // operation `refused` names ("Write BackBitmap", ...) fails from then on, or from the start.
  void Start(const std::string& refused = "", bool start = false) {
    if (start) window.refused = {refused};
    window.Run();
    if (!start) form().Click("cmdChange");
    window.refused = {refused};
  }
  FakeForm& form() { return *platform.forms.at(0); }  // the main window
  // The three values, as the constructor takes them.
  std::string Values() {
    std::string values;
    for (const char* name : kValues) {
      const auto value = window.values.find(kToolbar + name);
      values += (values.empty() ? "" : "|") + (value == window.values.end() ? "-" : value->second);
    }
    return values;
  }
  // The messages' titles, each checked against its icon (64 information, 16 critical, 4 + 32
  // a question) and, for the words the program must say, its prompt.
  std::string Messages() {
    static const std::map<std::string, std::pair<int, std::string>> kinds = {
        {"Mouuuw", {64, "L'image a été chargée en fond de toolbar d'IE ^^"}},
        {"Yup", {64, "Le fond de la toolbar a été resizé à la taille voulue =)"}},
        {"Humpf", {16, "Pas d'image définie en fond de toolbar coco..."}},
        {"Grompf", {64, "T'as déjà sizé avec des lettres toi ? -_-"}},
        {"Taille impossible", {64, ""}},
        {kQuestion, {36, ""}}};
    std::string titles;
    for (const auto& [prompt, buttons, title] : platform.messages) {
      auto [icon, words] = kinds.count(title) ? kinds.at(title) : std::pair(16, prompt);
      // A change says it succeeded before the question; the removal asks at once.
      if (title == kQuestion) words = titles.empty() ? kRemovalQuestion : kChangeQuestion;
      titles += (titles.empty() ? "" : "; ") + title;
      EXPECT_EQ(std::pair(buttons, prompt), std::pair(icon, words.empty() ? prompt : words));
      // A failed write names the file that could not be written, not the picture read.
      if (title == "Écriture impossible") {
        EXPECT_NE(prompt.find("« C:\\P\\resized.bmp »"), std::string::npos) << prompt;
      }
    }
    return titles;
  }
  // The picture shown, or the placeholder's caption (over the box, empty, for "QUE DALLE").
  std::string Shown() {
    const FakeControl &image = form().at("imgCurrent"), &placeholder = form().at("lblNone");
    for (const auto& [path, picture] : platform.pictures)
      if (image.visible && image.picture == picture && !placeholder.visible) return path;
    const bool box = image.visible && !image.picture;
    return placeholder.visible && box == (placeholder.text == "QUE DALLE") ? placeholder.text : "?";
  }

  StubRegistry shell;
  FakePlatform platform;
  TestWindow window{platform, shell};
};

// The start (no button), or one click on a button of the expanded window; what the user gives
// (the file chosen in the Open dialog; the width and height typed), what goes wrong (a registry
// call refused, the picture unreadable, ...), and the answer "Yes" to a question (else No); then
// the messages, the values, the picture shown and the files saved (path, size and the picture
// stretched).
TEST(MainWindowTest, EachButtonChangesTheRegistryTheDisplayAndTheFilesOrSaysWhyNot) {
  constexpr char kProtected[] = "Registre protégé", kUnread[] = "Registre illisible";
  constexpr char kRemoved[] = "Ouwm ? =(";
  const struct {
    const char *button, *before, *given, *trouble, *messages, *after, *shown, *saved = "";
  } cases[] = {
      {"", "A|-|-", "", "", "", "A|-|-", "A"},
      {"", "C:\\gone.bmp|-|-", "", "", "Fond illisible", "C:\\gone.bmp|-|-", "QUE DALLE"},
      {"", "   |-|-", "", "", "Fond illisible", "   |-|-", "QUE DALLE"},
      {"", "A|-|-", "", "Read BackBitmap", kUnread, "A|-|-", "QUE DALLE"},
      {"cmdFile", "A|A|-", "B", "", "Mouuuw", "B|B|-", "B"},
      {"cmdFile", "A|A|-", "C:\\x.bmp", "", "Image illisible", "A|A|-", "A"},
      {"cmdFile", "A|A|-", kSnowman, "", "Mouuuw", "B|B|-", "B"},
      {"cmdFile", "A|A|-", kLost, "", "Chemin impossible", "A|A|-", "A"},
      {"cmdFile", "A|A|-", "B", "Write", kProtected, "A|A|-", "A"},
      {"cmdFile", "A|A|-", "B", "Write BackBitmapOriginal", kProtected, "B|A|-", "B"},
      {"cmdFile", "A|A|-", "B", "Read BackBitmap", kUnread, "B|B|-", "A"},
      {"cmdFuck", "A|A|-", "", "", "", "-|-|-", kRemoved},
      {"cmdFuck", "-|-|-", "", "", "", "-|-|-", kRemoved},
      {"cmdFuck", "A|A|-", "", "Delete", kProtected, "A|A|-", "A"},
      {"cmdFuck", "A|A|-", "", "Delete BackBitmapOriginal", kProtected, "-|A|-", kRemoved},
      {"cmdFuck", "A|A|-", "", "Read BackBitmap", kUnread, "-|-|-", "A"},
      // Internet Explorer 5 and 6 show BackBitmapIE5's picture rather than BackBitmap's.
      {"cmdFile", "A|A|", "B", "Yes", "Mouuuw", "B|B|", "B"},
      {"cmdFile", "A|A|b", "B", "Yes", "Mouuuw", "B|B|b", "B"},
      {"cmdFile", "A|A|C:\\ie5", "B", "Yes", "Mouuuw; Et IE 5 et 6 ?", "B|B|-", "B"},
      {"cmdFile", "A|A|C:\\ie5", "B", "", "Mouuuw; Et IE 5 et 6 ?", "B|B|C:\\ie5", "B"},
      {"cmdFile", "A|A|C:\\ie5", "B", "Yes Delete BackBitmapIE5",
       "Mouuuw; Et IE 5 et 6 ?; Registre protégé", "B|B|C:\\ie5", "B"},
      {"cmdFile", "A|A|C:\\ie5", "B", "Read BackBitmapIE5", "Mouuuw; Registre illisible",
       "B|B|C:\\ie5", "B"},
      {"cmdFuck", "A|A|C:\\ie5", "", "Yes", "Et IE 5 et 6 ?", "-|-|-", kRemoved},
      {"cmdSize", "B|A|C:\\ie5", "30 7", "Yes", "Yup; Et IE 5 et 6 ?", "C:\\P\\resized.bmp|A|-",
       "B", "C:\\P\\resized.bmp 30x7 of A"},
      // The resize: its checks in their order, then what can go wrong as it goes.
      {"cmdSize", "B|A|-", "9999 1", "", "Yup", "C:\\P\\resized.bmp|A|-", "B",
       "C:\\P\\resized.bmp 9999x1 of A"},
      {"cmdSize", "B|-|-", "abc ", "", "Humpf", "B|-|-", "B"},
      {"cmdSize", "B|A|-", "1024 ", "", "Grompf", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "1e 150", "", "Grompf", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "0 150", "", "Taille impossible", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "1,5 150", "", "Taille impossible", "B|A|-", "B"},  // 1.5
      {"cmdSize", "B|A|-", "-3 .5", "", "Taille impossible", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "2e1 1E+1", "", "Yup", "C:\\P\\resized.bmp|A|-", "B",
       "C:\\P\\resized.bmp 20x10 of A"},
      {"cmdSize", "B|A|-", "30  7 ", "", "Yup", "C:\\P\\resized.bmp|A|-", "B",
       "C:\\P\\resized.bmp 30x7 of A"},  // blanks around a number
      {"cmdSize", "B|A|-", "1024 9e99", "", "Taille impossible", "B|A|-", "B"},
      {"cmdSize", "B|C:\\gone|-", "1024 150", "", "Image introuvable", "B|C:\\gone|-", "B"},
      {"cmdSize", "B|A|-", "8 6", "no memory", "Mémoire insuffisante", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "8 6", "cut short", "Image illisible", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "8 6", "unknown", "Redimensionnement impossible", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "8 6", "unwritable", "Écriture impossible", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "8 6", "short folder", "Yup", "C:\\PROGRA~1\\resized.bmp|A|-", "B",
       "C:\\PROGRA~1\\resized.bmp 8x6 of A"},
      {"cmdSize", "B|A|-", "8 6", "unfit folder", "Chemin impossible", "B|A|-", "B"},
      {"cmdSize", "B|A|-", "30 7", "Write BackBitmap", kProtected, "B|A|-", "B",
       "C:\\P\\resized.bmp 30x7 of A"},
      {"cmdSize", "B|A|-", "30 7", "Read BackBitmapOriginal", kUnread, "B|A|-", "B"},
      {"cmdSize", "B|A|-", "30 7", "Read BackBitmap", kUnread, "C:\\P\\resized.bmp|A|-", "B",
       "C:\\P\\resized.bmp 30x7 of A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.button) + " " + c.before + " " + c.given + " " + c.trouble);
    Scene scene(c.before);
    std::string trouble = c.trouble;
    scene.platform.answer = trouble.starts_with("Yes") ? kMsgYes : kMsgNo;
    if (trouble.starts_with("Yes")) trouble.erase(0, std::min<std::size_t>(trouble.size(), 4));
    scene.Start(trouble, !*c.button);
    scene.platform.chosen_file = c.given;
    const std::string size = c.given;
    scene.form().at("txtWidth").text = size.substr(0, size.find(' '));
    scene.form().at("txtHeight").text = size.substr(std::min(size.find(' '), size.size() - 1) + 1);
    scene.platform.save_fails = trouble == "unwritable";
    const std::map<std::string, Failure> reading = {
        {"no memory", OutOfMemory()},
        {"cut short", Failure{"ReadFile", 38, Cause::kSource}},
        {"unknown", Failure{"GetDIBits", 87}}};
    if (reading.count(trouble)) scene.platform.pictures["A"]->failure = reading.at(trouble);
    if (trouble.ends_with("folder")) {
      scene.platform.ansi_paths["C:\\P"] =
          trouble == "short folder" ? "C:\\PROGRA~1" : std::optional<std::string>();
    }
    if (*c.button) scene.form().Click(c.button);
    EXPECT_EQ(scene.Messages(), c.messages);
    EXPECT_EQ(scene.Values(), c.after);
    EXPECT_EQ(scene.Shown(), c.shown);
    EXPECT_EQ(scene.platform.files, c.saved);
    // The Open dialog lists bitmaps, whatever name the user types; the journey sees the rest of
    // it in the real dialog.
    EXPECT_EQ(scene.platform.dialog.Filter,
              std::string_view(c.button) == "cmdFile" ? "Image bitmap (*.bmp)|*.bmp" : "");
  }
}

// The notice's lines are parted by a line feed then a carriage return (the journey sees its
// words on the screen, where either order shows the same). Each link goes to the shell with the
// About window's handle, no verb, no parameters, "" (not null) and SW_SHOWNORMAL.
TEST(AboutWindowTest, PartsItsNoticeLinesByLfCrAndOpensEachLinkThroughTheShell) {
  Scene scene("-|-|-");
  scene.Start();
  scene.platform.while_modal = [](FakeForm& about) {
    const std::string& notice = about.at("Label1").text;
    EXPECT_NE(notice.find("fond...\n\rDéveloppé par Qel\n\r© 2026"), std::string::npos) << notice;
    for (const char* link : {"Label2", "Label3"}) about.Click(link);
  };
  scene.form().Click("cmdAbout");
  EXPECT_EQ(scene.shell.shell,
            (std::vector<std::string>{"2 mailto:qel@plumeroll.example directory: 1",
                                      "2 http://plumeroll.example/ directory: 1"}));
}

// An exception that reached WinMain used to end the program without a word; then one that was
// not a standard exception still did.
TEST(ProgramTest, RegressionAnErrorOfAnyKindEndsTheProgramWithAMessageAndAFailureCode) {
  FakePlatform platform;
  StubRegistry reg;
  const Failure failure{"GetDC", 8};
  const std::pair<std::function<void()>, const char*> errors[] = {
      {[&] { throw PlatformError(failure); }, "GetDC, code 8"},
      {[] { throw std::bad_alloc(); }, "bad_alloc"},
      {[] { throw std::out_of_range("no control"); }, "no control"},
      {[] { throw 42; }, "une erreur d'un type inconnu"}};
  for (const auto& [error, named] : errors) {
    SCOPED_TRACE(named);
    platform.messages.clear();
    platform.event_loop = error;
    EXPECT_EQ(RunProgram(platform, reg), 1);
    ASSERT_EQ(platform.messages.size(), 2u) << "the start's, then the error's";
    const auto& [prompt, buttons, title] = platform.messages[1];
    EXPECT_EQ(std::pair(title, buttons), std::pair(std::string("Erreur imprévue"), kMsgCritical));
    EXPECT_NE(prompt.find(named), std::string::npos) << prompt;
  }
}

}  // namespace
}  // namespace plumeroll::testing
