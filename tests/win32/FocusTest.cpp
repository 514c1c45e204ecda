// Keyboard focus, the Tab key, Enter and Escape, modal display and the event loop. Input is
// posted to the windows before the loop runs, so each test ends once the loop has served it.
#include <stdexcept>

#include "platform/Win32Platform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

using enum ControlKind;

constexpr ControlRow kMainRows[] = {
    {"cmdMain", kNoIndex, Button, "Principal", 120, 120, 1455, 495, 0, true, true},
};
constexpr FormLayout kMainLayout{
    "frmMain", "Principale", BorderStyle::FixedSingle, 4710, 2000, 0, kMainRows};

constexpr ControlRow kDialogRows[] = {
    {"Label1", kNoIndex, Label, "Attention", 120, 120, 3495, 615, 0, true, true},
    {"cmdUnload", kNoIndex, Button, "Ouwm", 1260, 1440, 1215, 495, 1, true, true},
};
constexpr FormLayout kDialogLayout{
    "frmAbout", "A propos...", BorderStyle::FixedDialog, 3735, 2070, 0, kDialogRows};

// Listed out of tab order on purpose; the label, the disabled button and the hidden box take
// no focus.
constexpr ControlRow kTabRows[] = {
    {"txtC", kNoIndex, TextBox, "ccc", 120, 1600, 1000, 285, 5, true, true, TextAlign::Left, 4},
    {"cmdOff", kNoIndex, Button, "Off", 2000, 120, 1000, 495, 3, false, true},
    {"txtA", kNoIndex, TextBox, "aaa", 120, 120, 1000, 285, 0, true, true, TextAlign::Left, 4},
    {"lblB", kNoIndex, Label, "B :", 120, 500, 1000, 255, 1, true, true},
    {"txtB", kNoIndex, TextBox, "bbb", 120, 800, 1000, 285, 2, true, true, TextAlign::Left, 4},
    {"txtHidden", kNoIndex, TextBox, "", 120, 1200, 1000, 285, 4, true, false, TextAlign::Left,
     4},
};
constexpr FormLayout kTabLayout{
    "frmTab", "Tab", BorderStyle::FixedDialog, 3735, 2400, 0, kTabRows};

constexpr ControlRow kSizeRows[] = {
    {"cmdFirst", kNoIndex, Button, "Premier", 120, 120, 1455, 495, 0, true, true},
    {"txtHeight", kNoIndex, TextBox, "150", 120, 800, 1095, 285, 1, true, true, TextAlign::Left,
     4},
    {"cmdProbe", kNoIndex, Button, "Sonde", 120, 1400, 1455, 495, 2, true, true},
};
constexpr FormLayout kSizeLayout{
    "frmSize", "Taille", BorderStyle::FixedDialog, 3735, 2400, 0, kSizeRows};

constexpr ControlRow kChangeRows[] = {
    {"cmdChange", kNoIndex, Button, "Changer le fond", 120, 120, 1455, 495, 0, true, true},
    {"txtWidth", kNoIndex, TextBox, "1024", 120, 800, 1095, 285, 1, false, true,
     TextAlign::Left, 4},
    {"cmdAbout", kNoIndex, Button, "?", 120, 1400, 495, 495, 2, true, true},
};
constexpr FormLayout kChangeLayout{
    "frmChange", "Changer", BorderStyle::FixedDialog, 3735, 2400, 0, kChangeRows};

const ControlRow& RowOf(const FormLayout& layout, std::string_view name) {
  for (const ControlRow& row : layout.Controls) {
    if (row.Name == name) return row;
  }
  throw std::out_of_range(std::string(name));
}

void PostKey(const Form& form, WPARAM key) {
  ::PostMessageW(FormWindow(form), WM_KEYDOWN, key, 1);
}

void PostClose(const Form& form) {
  ::PostMessageW(FormWindow(form), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PostButtonClick(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

class FocusTest : public ::testing::Test {
 protected:
  void SetUp() override { DrainMessages(); }
  void TearDown() override {
    BYTE keys[256] = {};
    ::SetKeyboardState(keys);
    DrainMessages();
  }

  Win32Platform platform_;
  RecordingEvents events_;
};

TEST_F(FocusTest, TabMovesTheFocusInTabOrderPastWhatCannotTakeIt) {
  std::unique_ptr<Form> main = platform_.CreateForm(kMainLayout, events_);
  main->Show();
  {
    SCOPED_TRACE("Tab");
    std::unique_ptr<Form> form = platform_.CreateForm(kTabLayout, events_);
    for (int i = 0; i < 3; ++i) PostKey(*form, VK_TAB);
    PostClose(*form);
    form->ShowModal();
    EXPECT_EQ(events_.log, (std::vector<std::string>{"GotFocus txtA -1", "GotFocus txtB -1",
                                                     "GotFocus txtC -1", "GotFocus txtA -1"}));
  }
  {
    SCOPED_TRACE("Shift+Tab");
    events_.log.clear();
    BYTE keys[256] = {};
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    std::unique_ptr<Form> form = platform_.CreateForm(kTabLayout, events_);
    for (int i = 0; i < 2; ++i) PostKey(*form, VK_TAB);
    PostClose(*form);
    form->ShowModal();
    EXPECT_EQ(events_.log, (std::vector<std::string>{"GotFocus txtA -1", "GotFocus txtC -1",
                                                     "GotFocus txtB -1"}));
  }
}

TEST_F(FocusTest, SelectionMadeByTheGotFocusHandlerStaysByTabOrByClick) {
  std::unique_ptr<Form> main = platform_.CreateForm(kMainLayout, events_);
  main->Show();
  struct Case {
    const char* how;
    bool by_click;
  };
  for (const Case& c : {Case{"by the Tab key", false}, Case{"by a click", true}}) {
    SCOPED_TRACE(c.how);
    std::unique_ptr<Form> form = platform_.CreateForm(kSizeLayout, events_);
    Form& f = *form;
    // Not the whole text, so that a select-all after the handler would show.
    events_.on_focus = [&f](std::string_view name, int) {
      if (name != "txtHeight") return;
      f("txtHeight").SetSelStart(1);
      f("txtHeight").SetSelLength(1);
    };
    int sel_start = -1;
    int sel_length = -1;
    events_.on_click = [&](std::string_view name, int) {
      if (name != "cmdProbe") return;
      sel_start = f("txtHeight").SelStart();
      sel_length = f("txtHeight").SelLength();
      f.Unload();
    };
    if (c.by_click) {
      const HWND edit = ChildAt(f, RowOf(kSizeLayout, "txtHeight"));
      ::PostMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      ::PostMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    } else {
      PostKey(f, VK_TAB);
    }
    PostButtonClick(ChildAt(f, RowOf(kSizeLayout, "cmdProbe")));
    PostClose(f);
    f.ShowModal();
    EXPECT_EQ(sel_start, 1);
    EXPECT_EQ(sel_length, 1);
    EXPECT_NE(std::find(events_.log.begin(), events_.log.end(), "GotFocus txtHeight -1"),
              events_.log.end());
    events_.on_focus = nullptr;
    events_.on_click = nullptr;
  }
}

TEST_F(FocusTest, EnterPressesTheFocusedButtonAndEscapeDoesNothing) {
  std::unique_ptr<Form> main = platform_.CreateForm(kMainLayout, events_);
  main->Show();
  std::unique_ptr<Form> dialog = platform_.CreateForm(kDialogLayout, events_);
  Form& d = *dialog;
  events_.on_click = [&d](std::string_view name, int) {
    if (name == "cmdUnload") d.Unload();
  };
  PostKey(d, VK_ESCAPE);
  PostKey(d, VK_RETURN);
  PostClose(d);  // only if Enter did nothing
  d.ShowModal();
  EXPECT_EQ(events_.log, std::vector<std::string>{"Click cmdUnload -1"});
}

TEST_F(FocusTest, ShowModalKeepsTheOtherWindowsFromInputUntilUnloaded) {
  std::unique_ptr<Form> main = platform_.CreateForm(kMainLayout, events_);
  main->Show();
  const HWND main_window = FormWindow(*main);
  std::unique_ptr<Form> dialog = platform_.CreateForm(kDialogLayout, events_);
  Form& d = *dialog;
  {
    SCOPED_TRACE("unloaded by its button");
    bool main_enabled_meanwhile = true;
    HWND active_meanwhile = nullptr;
    events_.on_click = [&](std::string_view name, int) {
      if (name != "cmdUnload") return;
      main_enabled_meanwhile = ::IsWindowEnabled(main_window);
      active_meanwhile = ::GetActiveWindow();
      d.Unload();
    };
    const HWND dialog_window = FormWindow(d);
    PostButtonClick(ChildAt(d, RowOf(kDialogLayout, "cmdUnload")));
    PostClose(d);
    d.ShowModal();
    EXPECT_EQ(events_.log, std::vector<std::string>{"Click cmdUnload -1"});
    EXPECT_FALSE(main_enabled_meanwhile);
    EXPECT_EQ(active_meanwhile, dialog_window);
    EXPECT_FALSE(d.Loaded());
    EXPECT_FALSE(::IsWindow(dialog_window));
    EXPECT_TRUE(::IsWindowEnabled(main_window));
    EXPECT_EQ(::GetActiveWindow(), main_window);
    events_.on_click = nullptr;
  }
  {
    SCOPED_TRACE("closed by its close button, then loaded anew");
    d("cmdUnload").SetText("Autre");  // touching a control loads the window again
    ASSERT_TRUE(d.Loaded());
    PostClose(d);
    d.ShowModal();
    EXPECT_FALSE(d.Loaded());
    EXPECT_TRUE(::IsWindowEnabled(main_window));
    EXPECT_EQ(::GetActiveWindow(), main_window);
    EXPECT_EQ(d("cmdUnload").Text(), "Ouwm") << "from the layout, not the earlier text";
  }
}

TEST_F(FocusTest, DisablingTheFocusedButtonMovesTheFocusOn) {
  std::unique_ptr<Form> main = platform_.CreateForm(kMainLayout, events_);
  main->Show();
  std::unique_ptr<Form> form = platform_.CreateForm(kChangeLayout, events_);
  Form& f = *form;
  events_.on_click = [&f](std::string_view name, int) {
    if (name != "cmdChange") return;
    f("txtWidth").SetEnabled(true);
    f("cmdChange").SetEnabled(false);
    ::PostMessageW(FormWindow(f), WM_SYSCOMMAND, SC_CLOSE, 0);
  };
  PostButtonClick(ChildAt(f, RowOf(kChangeLayout, "cmdChange")));
  f.ShowModal();
  EXPECT_EQ(events_.log,
            (std::vector<std::string>{"Click cmdChange -1", "GotFocus txtWidth -1"}));
}

TEST_F(FocusTest, ClosingTheMainWindowEndsTheEventLoop) {
  std::unique_ptr<Form> main = platform_.CreateForm(kMainLayout, events_);
  std::unique_ptr<Form> other = platform_.CreateForm(kDialogLayout, events_);
  main->Show();
  other->Unload();
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
      << "another window's going does not end the program";
  PostClose(*main);
  platform_.RunEventLoop();
  EXPECT_FALSE(main->Loaded());
}

TEST_F(FocusTest, AnErrorInAHandlerComesOutOfTheEventLoop) {
  std::unique_ptr<Form> main = platform_.CreateForm(kMainLayout, events_);
  main->Show();
  events_.on_click = [](std::string_view, int) { throw std::runtime_error("handler failed"); };
  PostButtonClick(ChildAt(*main, RowOf(kMainLayout, "cmdMain")));
  EXPECT_THROW(platform_.RunEventLoop(), std::runtime_error);
  EXPECT_TRUE(main->Loaded());
}

}  // namespace
}  // namespace plumeroll::testing
