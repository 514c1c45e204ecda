#include "platform/Win32Text.h"

#include <windows.h>

#include <climits>

namespace plumeroll::win32 {

std::wstring Utf8ToWide(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), needed);
  return wide;
}

std::string WideToUtf8(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int needed =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string narrow(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), needed, nullptr,
                        nullptr);
  return narrow;
}

bool FitsAnsiCodePage(std::wstring_view text) {
  if (text.empty()) return true;
  if (text.size() > INT_MAX / 4) return false;
  const UINT code_page = ::GetACP();
  const int length = static_cast<int>(text.size());
  // A UTF-8 system code page holds every text, and refuses the "used default" query.
  const bool is_utf8 = code_page == CP_UTF8;
  const DWORD flags = is_utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used_default_out = is_utf8 ? nullptr : &used_default;
  const int needed = ::WideCharToMultiByte(code_page, flags, text.data(), length, nullptr, 0,
                                           nullptr, used_default_out);
  if (needed <= 0 || used_default) return false;
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(code_page, flags, text.data(), length, ansi.data(), needed, nullptr,
                        used_default_out);
  if (used_default) return false;
  const int back_length = ::MultiByteToWideChar(code_page, 0, ansi.data(), needed, nullptr, 0);
  if (back_length != length) return false;
  std::wstring back(static_cast<std::size_t>(back_length), L'\0');
  ::MultiByteToWideChar(code_page, 0, ansi.data(), needed, back.data(), back_length);
  return back == text;
}

std::wstring LineBreaksForDisplay(std::wstring_view text) {
  std::wstring shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && i + 1 < text.size() && text[i + 1] == L'\r') {
      shown += L"\r\n";
      ++i;
    } else {
      shown += text[i];
    }
  }
  return shown;
}

}  // namespace plumeroll::win32
