#include "platform/Win32Platform.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/Win32Form.h"
#include "platform/Win32Picture.h"
#include "platform/Win32Text.h"

namespace plumeroll {
namespace {

// Big enough for any path the dialog can give, in characters.
constexpr DWORD kFileBufferLength = 32768;

// Dialog settings that would need a hook or a template we do not supply.
constexpr DWORD kUnsupportedDialogFlags =
    OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE | OFN_ALLOWMULTISELECT;

// "Text|pattern|Text|pattern" as the dialog wants it: each part ended by a NUL, and one more
// NUL at the end.
std::wstring DialogFilter(std::string_view filter) {
  std::wstring parts = win32::Utf8ToWide(filter);
  if (parts.empty()) return parts;
  for (wchar_t& c : parts) {
    if (c == L'|') c = L'\0';
  }
  parts.push_back(L'\0');
  parts.push_back(L'\0');
  return parts;
}

}  // namespace

Win32Platform::Win32Platform() : session_(std::make_shared<win32::Session>()) {}

Win32Platform::~Win32Platform() = default;

std::unique_ptr<Form> Win32Platform::CreateForm(const FormLayout& layout, FormEvents& events) {
  return std::make_unique<win32::Win32Form>(layout, events, session_);
}

void Win32Platform::RunEventLoop() {
  MSG msg;
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (!win32::RouteDialogMessage(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    win32::RethrowPendingException();
  }
}

void Win32Platform::MsgBox(std::string_view prompt, int buttons, std::string_view title) {
  const UINT icon = static_cast<UINT>(buttons) & MB_ICONMASK;
  const HWND owner = ::GetActiveWindow();
  ::MessageBoxW(owner, win32::Utf8ToWide(prompt).c_str(), win32::Utf8ToWide(title).c_str(),
                MB_OK | icon | (owner ? MB_APPLMODAL : MB_TASKMODAL));
  win32::RethrowPendingException();
}

Result<void> Win32Platform::ShowOpen(CommonDialog& dialog) {
  const std::wstring filter = DialogFilter(dialog.Filter);
  const std::wstring initial_dir = win32::Utf8ToWide(dialog.InitDir);
  const std::wstring title = win32::Utf8ToWide(dialog.DialogTitle);
  std::vector<wchar_t> file(kFileBufferLength, L'\0');
  const std::wstring initial_file = win32::Utf8ToWide(dialog.FileName);
  std::copy_n(initial_file.begin(), std::min<std::size_t>(initial_file.size(), file.size() - 1),
              file.begin());

  OPENFILENAMEW settings{};
  settings.lStructSize = sizeof settings;
  settings.hwndOwner = ::GetActiveWindow();
  settings.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  settings.nFilterIndex = 1;
  settings.lpstrFile = file.data();
  settings.nMaxFile = kFileBufferLength;
  settings.lpstrInitialDir = initial_dir.empty() ? nullptr : initial_dir.c_str();
  settings.lpstrTitle = title.empty() ? nullptr : title.c_str();
  settings.Flags = (dialog.Flags & ~kUnsupportedDialogFlags) | OFN_HIDEREADONLY | OFN_EXPLORER;

  const BOOL chosen = ::GetOpenFileNameW(&settings);
  win32::RethrowPendingException();
  if (!chosen) {
    const DWORD error = ::CommDlgExtendedError();
    if (error != 0) return Failure{"GetOpenFileNameW", error};
    dialog.FileName.clear();  // cancelled
    return {};
  }
  dialog.FileName = win32::WideToUtf8(file.data());
  return {};
}

Result<PicturePtr> Win32Platform::LoadPicture(const std::string& path) {
  if (path.empty()) return PicturePtr();
  return win32::LoadBitmapFile(win32::Utf8ToWide(path));
}

Result<void> Win32Platform::SavePicture(const Image32& image, const std::string& path) {
  return win32::SaveBitmapFile(image, win32::Utf8ToWide(path));
}

std::string Win32Platform::ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
    if (length == 0) return {};
    if (length < size) {
      path.resize(length);
      break;
    }
    if (size >= kFileBufferLength) return {};
    path.resize(static_cast<std::size_t>(size) * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  path.resize(slash == std::wstring::npos ? 0 : slash);
  return win32::WideToUtf8(path);
}

std::optional<std::string> Win32Platform::AnsiSafePath(const std::string& path) {
  const std::wstring wide = win32::Utf8ToWide(path);
  if (win32::FitsAnsiCodePage(wide)) return path;
  const DWORD needed = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring short_path(needed, L'\0');
  const DWORD length = ::GetShortPathNameW(wide.c_str(), short_path.data(), needed);
  if (length == 0 || length >= needed) return std::nullopt;
  short_path.resize(length);
  if (!win32::FitsAnsiCodePage(short_path)) return std::nullopt;
  return win32::WideToUtf8(short_path);
}

}  // namespace plumeroll
