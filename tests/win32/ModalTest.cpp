// Modal windows and the keyboard: the Tab key, Enter and Escape, modal display over the main
// window, and the system's message box and Open dialog. Input is posted to the windows before
// a modal loop runs, so each test ends once the loop has served it.
#include <windows.h>
// After windows.h:
#include <commdlg.h>
#include <dlgs.h>

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

void PostKey(const Form& form, WPARAM key) {
  ::PostMessageW(FormWindow(form), WM_KEYDOWN, key, 1);
}

void PostClose(const Form& form) {
  ::PostMessageW(FormWindow(form), WM_SYSCOMMAND, SC_CLOSE, 0);
}

class ModalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainMessages();
    main_->Show();
  }
  void TearDown() override {
    BYTE keys[256] = {};
    ::SetKeyboardState(keys);
    main_.reset();
    DrainMessages();
  }

  Win32Platform platform_;
  RecordingEvents events_;
  std::unique_ptr<Form> main_ = platform_.CreateForm(kMainLayout, events_);
};

// The event loop runs until the main window goes; an exception that a handler lets out leaves
// it, for WinMain to report, rather than being lost inside the window procedure.
TEST_F(ModalTest, TheEventLoopEndsWithTheMainWindowOrTheExceptionOfAHandler) {
  const HWND button = ChildAt(*main_, kMainRows[0]);
  events_.on_click = [](std::string_view) { throw std::runtime_error("from a handler"); };
  ::PostMessageW(FormWindow(*main_), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  EXPECT_THROW(platform_.RunEventLoop(*main_), std::runtime_error);

  PostClose(*main_);
  platform_.RunEventLoop(*main_);
  EXPECT_EQ(main_->hWnd(), 0) << "the loop ended with the window closed";
}

TEST_F(ModalTest, TabMovesTheFocusInTabOrderPastWhatCannotTakeIt) {
  struct Case {
    bool shift;
    int presses;
    std::vector<std::string> focus;
  };
  for (const Case& c :
       {Case{false, 3, {"txtA", "txtB", "txtC", "txtA"}}, Case{true, 2, {"txtA", "txtC", "txtB"}}}) {
    SCOPED_TRACE(c.shift ? "Shift+Tab" : "Tab");
    BYTE keys[256] = {};
    keys[VK_SHIFT] = c.shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    events_.log.clear();
    std::unique_ptr<Form> form = platform_.CreateForm(kTabLayout, events_);
    for (int i = 0; i < c.presses; ++i) PostKey(*form, VK_TAB);
    PostClose(*form);
    form->ShowModal();
    std::vector<std::string> expected;
    for (const std::string& name : c.focus) expected.push_back("GotFocus " + name + " -1");
    EXPECT_EQ(events_.log, expected);
  }
}

TEST_F(ModalTest, ShowModalDisablesTheOwnerUntilEnterPressesTheButtonThatUnloadsIt) {
  const HWND owner = FormWindow(*main_);
  std::unique_ptr<Form> dialog = platform_.CreateForm(kDialogLayout, events_);
  Form& d = *dialog;
  const HWND dialog_window = FormWindow(d);
  bool owner_enabled_meanwhile = true;
  HWND active_meanwhile = nullptr;
  events_.on_click = [&](std::string_view name) {
    owner_enabled_meanwhile = ::IsWindowEnabled(owner);
    active_meanwhile = ::GetActiveWindow();
    if (name == "cmdUnload") d.Unload();
  };
  PostKey(d, VK_ESCAPE);  // no button cancels: nothing happens
  PostKey(d, VK_RETURN);  // presses the focused button
  PostClose(d);           // only if Enter did nothing
  d.ShowModal();
  EXPECT_EQ(events_.log, std::vector<std::string>{"Click cmdUnload -1"});
  EXPECT_FALSE(owner_enabled_meanwhile);
  EXPECT_EQ(active_meanwhile, dialog_window);
  EXPECT_FALSE(::IsWindow(dialog_window));
  EXPECT_TRUE(::IsWindowEnabled(owner));
  EXPECT_EQ(::GetActiveWindow(), owner);
}

// Acts on the first system dialog the thread shows: a message hook sees the first message
// the shown dialog takes from the queue (its controls are set up by then) and hands the
// dialog to the test, which reads it and presses one of its buttons.
class DialogHook {
 public:
  explicit DialogHook(std::function<void(HWND)> act) {
    act_ = std::move(act);
    hook_ = ::SetWindowsHookExW(WH_GETMESSAGE, Watch, nullptr, ::GetCurrentThreadId());
  }
  ~DialogHook() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    act_ = nullptr;
  }
  DialogHook(const DialogHook&) = delete;
  DialogHook& operator=(const DialogHook&) = delete;

  explicit operator bool() const { return hook_ != nullptr; }
  bool acted() const { return !act_; }

 private:
  static LRESULT CALLBACK Watch(int code, WPARAM wparam, LPARAM lparam) {
    const auto* msg = reinterpret_cast<const MSG*>(lparam);
    const HWND dialog = msg->hwnd ? ::GetAncestor(msg->hwnd, GA_ROOT) : nullptr;
    wchar_t class_name[16] = {};
    if (code == HC_ACTION && act_ && dialog && ::GetClassNameW(dialog, class_name, 16) &&
        std::wstring(class_name) == L"#32770" && ::IsWindowVisible(dialog)) {
      std::exchange(act_, nullptr)(dialog);
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline std::function<void(HWND)> act_;
  HHOOK hook_;
};

TEST_F(ModalTest, MsgBoxShowsThePromptTitleAndIconWithOneOkButtonOverTheActiveWindow) {
  const HWND owner = FormWindow(*main_);
  const std::string prompt = "Le fichier est \xC3\xA9" "crit.\n\xC2\xAB fond.bmp \xC2\xBB";
  const std::string title = "Mouuuw \xE2\x82\xAC";
  for (const auto& [buttons, icon] : {std::pair{kMsgInformation, IDI_ASTERISK},
                                      std::pair{kMsgCritical, IDI_HAND}}) {
    SCOPED_TRACE("buttons " + std::to_string(buttons));
    std::wstring shown_title;
    std::vector<std::wstring> texts;
    int push_buttons = 0;
    HICON shown_icon = nullptr;
    HWND shown_owner = nullptr;
    bool owner_enabled_meanwhile = true;
    DialogHook hook([&](HWND box) {
      shown_title = WindowText(box);
      for (HWND child = ::GetWindow(box, GW_CHILD); child;
           child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[16] = {};
        ::GetClassNameW(child, kind, 16);
        if (!(StyleOf(child) & WS_VISIBLE)) continue;
        if (_wcsicmp(kind, L"Button") == 0) ++push_buttons;
        if (_wcsicmp(kind, L"Static") != 0) continue;
        if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
          shown_icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        } else {
          texts.push_back(WindowText(child));
        }
      }
      shown_owner = ::GetWindow(box, GW_OWNER);
      owner_enabled_meanwhile = ::IsWindowEnabled(owner);
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(hook);
    platform_.MsgBox(prompt, buttons, title);
    ASSERT_TRUE(hook.acted());
    EXPECT_EQ(shown_title, win32::Utf8ToWide(title));
    EXPECT_NE(std::find(texts.begin(), texts.end(), win32::Utf8ToWide(prompt)), texts.end());
    EXPECT_EQ(push_buttons, 1);
    EXPECT_EQ(shown_icon, ::LoadIconW(nullptr, icon));
    EXPECT_EQ(shown_owner, owner);
    EXPECT_FALSE(owner_enabled_meanwhile) << "modal";
    EXPECT_TRUE(::IsWindowEnabled(owner));
  }
}

TEST_F(ModalTest, ShowOpenCancelIsNoFailureAndAChosenFileComesBackWithItsFolder) {
  ScratchFolder scratch;
  WriteBytes(scratch / "picked.bmp", "BM");
  const std::string title = "Choisissez le fond pour la Toolbar =)";
  CommonDialog dialog{"left over", Utf8(scratch.path()), "Image bitmap (*.bmp)|*.bmp",
                      OFN_FILEMUSTEXIST, title};
  {
    SCOPED_TRACE("cancel");
    std::wstring shown_title;
    std::wstring shown_filter;
    DialogHook hook([&](HWND open) {
      shown_title = WindowText(open);
      shown_filter = WindowText(::GetDlgItem(open, cmb1));
      ::PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(hook);
    Result<void> shown = platform_.ShowOpen(dialog);
    EXPECT_TRUE(hook.acted());
    ASSERT_TRUE(shown) << Describe(shown.failure());
    EXPECT_EQ(dialog.FileName, "");
    EXPECT_EQ(shown_title, win32::Utf8ToWide(title));
    EXPECT_EQ(shown_filter, L"Image bitmap (*.bmp)");
  }
  {
    SCOPED_TRACE("a file of the initial folder, typed by name");
    DialogHook hook([](HWND open) {
      ::SetDlgItemTextW(open, cmb13, L"picked.bmp");
      ::PostMessageW(open, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(hook);
    Result<void> shown = platform_.ShowOpen(dialog);
    EXPECT_TRUE(hook.acted());
    ASSERT_TRUE(shown) << Describe(shown.failure());
    std::error_code error;
    EXPECT_TRUE(fs::equivalent(fs::path(win32::Utf8ToWide(dialog.FileName)),
                               scratch / "picked.bmp", error))
        << dialog.FileName;
  }
}

}  // namespace
}  // namespace plumeroll::testing
