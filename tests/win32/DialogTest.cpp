// The system's modal dialogs as the program uses them: the message box and the Open dialog.
#include <windows.h>
// After windows.h:
#include <commdlg.h>
#include <dlgs.h>

#include "platform/Win32Platform.h"
#include "tests/win32/Win32TestSupport.h"

namespace plumeroll::testing {
namespace {

// Acts on the first system dialog the thread shows: a message hook sees the first message
// the shown dialog takes from the queue (its controls are set up by then) and hands the
// dialog to the test, which reads it and presses one of its buttons.
class DialogHook {
 public:
  explicit DialogHook(std::function<void(HWND)> act)
      : hook_(::SetWindowsHookExW(WH_GETMESSAGE, Watch, nullptr, ::GetCurrentThreadId())) {
    act_ = std::move(act);
    acted_ = false;
  }
  ~DialogHook() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    act_ = nullptr;
  }
  DialogHook(const DialogHook&) = delete;
  DialogHook& operator=(const DialogHook&) = delete;

  explicit operator bool() const { return hook_ != nullptr; }
  bool acted() const { return acted_; }

 private:
  static LRESULT CALLBACK Watch(int code, WPARAM wparam, LPARAM lparam) {
    const auto* msg = reinterpret_cast<const MSG*>(lparam);
    if (code == HC_ACTION && act_ && !acted_ && msg->hwnd) {
      const HWND dialog = ::GetAncestor(msg->hwnd, GA_ROOT);
      wchar_t class_name[16] = {};
      ::GetClassNameW(dialog, class_name, 16);
      if (std::wstring(class_name) == L"#32770" && ::IsWindowVisible(dialog)) {
        acted_ = true;
        act_(dialog);
      }
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline std::function<void(HWND)> act_;
  static inline bool acted_ = false;
  HHOOK hook_;
};

struct DialogChildren {
  int buttons = 0;
  HICON icon = nullptr;
  std::vector<std::wstring> texts;
};

BOOL CALLBACK NoteChild(HWND child, LPARAM context) {
  auto* children = reinterpret_cast<DialogChildren*>(context);
  wchar_t class_name[16] = {};
  ::GetClassNameW(child, class_name, 16);
  if (!(StyleOf(child) & WS_VISIBLE)) return TRUE;
  if (_wcsicmp(class_name, L"Button") == 0) ++children->buttons;
  if (_wcsicmp(class_name, L"Static") == 0) {
    if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
      children->icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    } else {
      children->texts.push_back(WindowText(child));
    }
  }
  return TRUE;
}

constexpr ControlRow kMainRows[] = {
    {"cmdMain", kNoIndex, ControlKind::Button, "Principal", 120, 120, 1455, 495, 0, true, true},
};
constexpr FormLayout kMainLayout{
    "frmMain", "Principale", BorderStyle::FixedSingle, 4710, 2000, 0, kMainRows};

TEST(MsgBox, ShowsThePromptTitleAndIconWithOneOkButtonOverTheActiveWindow) {
  DrainMessages();
  Win32Platform platform;
  RecordingEvents events;
  std::unique_ptr<Form> main = platform.CreateForm(kMainLayout, events);
  main->Show();
  const HWND main_window = FormWindow(*main);
  struct Case {
    int buttons;
    const wchar_t* icon;
  };
  const std::string prompt = "Le fichier est \xC3\xA9" "crit.\n\xC2\xAB fond.bmp \xC2\xBB";
  const std::string title = "Mouuuw \xE2\x82\xAC";
  for (const Case& c : {Case{kMsgInformation, IDI_ASTERISK}, Case{kMsgCritical, IDI_HAND}}) {
    SCOPED_TRACE("buttons " + std::to_string(c.buttons));
    std::wstring shown_title;
    DialogChildren children;
    HWND owner = nullptr;
    bool main_enabled_meanwhile = true;
    DialogHook hook([&](HWND box) {
      shown_title = WindowText(box);
      ::EnumChildWindows(box, NoteChild, reinterpret_cast<LPARAM>(&children));
      owner = ::GetWindow(box, GW_OWNER);
      main_enabled_meanwhile = ::IsWindowEnabled(main_window);
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(hook);
    platform.MsgBox(prompt, c.buttons, title);
    ASSERT_TRUE(hook.acted());
    EXPECT_EQ(shown_title, win32::Utf8ToWide(title));
    EXPECT_NE(std::find(children.texts.begin(), children.texts.end(),
                        win32::Utf8ToWide(prompt)),
              children.texts.end());
    EXPECT_EQ(children.buttons, 1);
    EXPECT_EQ(children.icon, ::LoadIconW(nullptr, c.icon));
    EXPECT_EQ(owner, main_window);
    EXPECT_FALSE(main_enabled_meanwhile) << "modal";
    EXPECT_TRUE(::IsWindowEnabled(main_window));
  }
  main.reset();
  DrainMessages();
}

TEST(ShowOpen, CancelIsNoFailureAndAChosenFileComesBackWithItsFolder) {
  ScratchFolder scratch;
  WriteBytes(scratch / "picked.bmp", "BM");
  Win32Platform platform;
  const std::string title = "Choisissez le fond pour la Toolbar =)";
  CommonDialog dialog;
  dialog.InitDir = Utf8(scratch.path());
  dialog.Filter = "Image bitmap (*.bmp)|*.bmp";
  dialog.Flags = OFN_FILEMUSTEXIST;
  dialog.DialogTitle = title;
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
    dialog.FileName = "left over";
    Result<void> shown = platform.ShowOpen(dialog);
    EXPECT_TRUE(hook.acted());
    ASSERT_TRUE(shown) << shown.failure().Call << " " << shown.failure().Status;
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
    Result<void> shown = platform.ShowOpen(dialog);
    EXPECT_TRUE(hook.acted());
    ASSERT_TRUE(shown) << shown.failure().Call << " " << shown.failure().Status;
    std::error_code error;
    EXPECT_TRUE(fs::equivalent(fs::path(win32::Utf8ToWide(dialog.FileName)),
                               scratch / "picked.bmp", error))
        << dialog.FileName;
  }
}

}  // namespace
}  // namespace plumeroll::testing
