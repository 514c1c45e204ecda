#include "platform/Win32Platform.h"

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "platform/Win32Form.h"
#include "platform/Win32Lazy.h"
#include "platform/Win32Picture.h"
#include "platform/Win32Text.h"
#include "platform/Win32Window.h"

namespace plumeroll {
namespace {

// Big enough for any path the dialog can give, in characters.
constexpr DWORD kFileBufferLength = 32768;

// "Text|pattern|Text|pattern" as the dialog wants it: each part ended by a NUL, and one more
// NUL at the end.
std::wstring DialogFilter(std::string_view filter) {
  std::wstring parts = win32::Utf8ToWide(filter);
  for (wchar_t& c : parts) {
    if (c == L'|') c = L'\0';
  }
  parts.push_back(L'\0');
  parts.push_back(L'\0');
  return parts;
}

}  // namespace

Win32Platform::Win32Platform() {
  // Should it fail, creating the first control fails and says so.
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
}

std::unique_ptr<Form> Win32Platform::CreateForm(const FormLayout& layout, FormEvents& events) {
  return std::make_unique<win32::Win32Form>(layout, events);
}

void Win32Platform::RunEventLoop(Form& main) {
  win32::RunMessagesUntilGone(reinterpret_cast<HWND>(main.hWnd()));
}

int Win32Platform::MsgBox(std::string_view prompt, int buttons, std::string_view title) {
  const auto style = static_cast<UINT>(buttons) & (MB_TYPEMASK | MB_ICONMASK);
  const HWND owner = ::GetActiveWindow();
  const int pressed =
      ::MessageBoxW(owner, win32::Utf8ToWide(prompt).c_str(), win32::Utf8ToWide(title).c_str(),
                    style | (owner ? MB_APPLMODAL : MB_TASKMODAL));
  win32::RethrowPendingException();
  return pressed;
}

Result<void> Win32Platform::ShowOpen(CommonDialog& dialog) {
  const std::wstring filter = DialogFilter(dialog.Filter);
  const std::wstring initial_dir = win32::Utf8ToWide(dialog.InitDir);
  const std::wstring title = win32::Utf8ToWide(dialog.DialogTitle);
  std::vector<wchar_t> file(kFileBufferLength, L'\0');

  OPENFILENAMEW settings{};
  settings.lStructSize = sizeof settings;
  settings.hwndOwner = ::GetActiveWindow();
  settings.lpstrFilter = filter.c_str();
  settings.nFilterIndex = 1;
  settings.lpstrFile = file.data();
  settings.nMaxFile = kFileBufferLength;
  settings.lpstrInitialDir = initial_dir.c_str();
  settings.lpstrTitle = title.c_str();
  settings.Flags = dialog.Flags | OFN_HIDEREADONLY | OFN_EXPLORER;

  static const auto get_open_file_name =
      win32::LazyFunction<decltype(::GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  static const auto extended_error = win32::LazyFunction<decltype(::CommDlgExtendedError)>(
      L"comdlg32.dll", "CommDlgExtendedError");
  if (!get_open_file_name || !extended_error) return Failure{"LoadLibraryW", ::GetLastError()};
  const BOOL chosen = get_open_file_name(&settings);
  win32::RethrowPendingException();
  if (!chosen) {
    const DWORD error = extended_error();
    if (error != 0) return Failure{"GetOpenFileNameW", error};
    dialog.FileName.clear();  // cancelled
    return {};
  }
  dialog.FileName = win32::WideToUtf8(file.data());
  return {};
}

Result<PicturePtr> Win32Platform::LoadPicture(const std::string& path) {
  return win32::LoadBitmapFile(win32::Utf8ToWide(path));
}

Result<void> Win32Platform::SavePicture(const Picture& image, const std::string& path) {
  return win32::SaveBitmapFile(image, win32::Utf8ToWide(path));
}

std::string Win32Platform::ProgramDirectory() {
  std::wstring path(kFileBufferLength, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), kFileBufferLength);
  if (length == 0 || length >= kFileBufferLength) {
    throw PlatformError({"GetModuleFileNameW", ::GetLastError()});
  }
  path.resize(path.rfind(L'\\', length));
  return win32::WideToUtf8(path);
}

std::optional<std::string> Win32Platform::AnsiSafePath(const std::string& path) {
  const std::wstring wide = win32::Utf8ToWide(path);
  if (win32::FitsCodePage(wide, CP_ACP)) return path;
  const DWORD needed = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring short_path(needed, L'\0');
  const DWORD length = ::GetShortPathNameW(wide.c_str(), short_path.data(), needed);
  if (length == 0 || length >= needed) return std::nullopt;
  short_path.resize(length);
  if (!win32::FitsCodePage(short_path, CP_ACP)) return std::nullopt;
  return win32::WideToUtf8(short_path);
}

}  // namespace plumeroll
