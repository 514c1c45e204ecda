// Text at the Windows boundary: the program keeps UTF-8; Windows takes UTF-16 (W functions) or
// a code page, the system's ANSI one (CP_ACP) for the A functions. This is the one place where
// texts are converted.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace plumeroll::win32 {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// A UTF-8 text in a code page (CP_ACP: the system's ANSI one, whatever it is: single-byte,
// double-byte or UTF-8). A character that the code page lacks becomes its default character
// ('?'), never a look-alike. A text that is not empty never comes back empty: a conversion the
// system refuses throws PlatformError.
std::string Utf8ToCodePage(std::string_view text, UINT code_page);
std::string CodePageToUtf8(std::string_view bytes, UINT code_page);

// True when the code page holds the text exactly: converting it there and back gives the
// same text, with no character replaced or mapped to a look-alike.
bool FitsCodePage(std::wstring_view text, UINT code_page);

// Labels break a line at CR LF; the program's texts may use LF CR pairs instead. Each LF CR
// pair becomes CR LF, so that it shows as one line break rather than two.
std::wstring LineBreaksForDisplay(std::wstring_view text);

}  // namespace plumeroll::win32
