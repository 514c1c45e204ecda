#include "platform/Win32Text.h"

#include <climits>
#include <stdexcept>

#include "platform/Result.h"

namespace plumeroll::win32 {
namespace {

// The code page that CP_ACP stands for, so that the rules below see the real one.
UINT Resolved(UINT code_page) {
  return code_page == CP_ACP ? ::GetACP() : code_page;
}

// UTF-8 and UTF-7 refuse the "no best fit" flag and a default character: they hold every
// character anyway. (The ANSI code page is never one of the other code pages that refuse them.)
bool IsUnicodeCodePage(UINT code_page) {
  return code_page == CP_UTF8 || code_page == CP_UTF7;
}

// The conversion functions count in int, and a character can take four bytes.
int Length(std::size_t size) {
  if (size > INT_MAX / 4) throw std::length_error("text too long to convert");
  return static_cast<int>(size);
}

std::wstring ToWide(std::string_view bytes, UINT code_page) {
  if (bytes.empty()) return {};
  const int length = Length(bytes.size());
  const int needed = ::MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
  if (needed <= 0 ||
      ::MultiByteToWideChar(code_page, 0, bytes.data(), length, wide.data(), needed) != needed) {
    throw PlatformError({"MultiByteToWideChar", ::GetLastError()});
  }
  return wide;
}

std::string FromWide(std::wstring_view wide, UINT code_page) {
  if (wide.empty()) return {};
  code_page = Resolved(code_page);
  const bool unicode = IsUnicodeCodePage(code_page);
  const DWORD flags = unicode ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* default_char = unicode ? nullptr : "?";
  const int length = Length(wide.size());
  const int needed = ::WideCharToMultiByte(code_page, flags, wide.data(), length, nullptr, 0,
                                           default_char, nullptr);
  std::string bytes(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
  if (needed <= 0 || ::WideCharToMultiByte(code_page, flags, wide.data(), length, bytes.data(),
                                           needed, default_char, nullptr) != needed) {
    throw PlatformError({"WideCharToMultiByte", ::GetLastError()});
  }
  return bytes;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  return ToWide(text, CP_UTF8);
}
std::string WideToUtf8(std::wstring_view text) {
  return FromWide(text, CP_UTF8);
}

std::string Utf8ToCodePage(std::string_view text, UINT code_page) {
  return FromWide(Utf8ToWide(text), code_page);
}

std::string CodePageToUtf8(std::string_view bytes, UINT code_page) {
  return WideToUtf8(ToWide(bytes, code_page));
}

bool FitsCodePage(std::wstring_view text, UINT code_page) {
  return ToWide(FromWide(text, code_page), code_page) == text;
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
