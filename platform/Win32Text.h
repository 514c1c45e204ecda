// Text at the Windows boundary: the program keeps UTF-8, Windows takes UTF-16 (W functions)
// or the system's ANSI code page (A functions).
#pragma once

#include <string>
#include <string_view>

namespace plumeroll::win32 {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// True when the ANSI code page holds the text exactly: converting it there and back gives the
// same text, with no character replaced or mapped to a look-alike.
bool FitsAnsiCodePage(std::wstring_view text);

// Labels break a line at CR LF; the program's texts may use LF CR pairs instead. Each LF CR
// pair becomes CR LF, so that it shows as one line break rather than two.
std::wstring LineBreaksForDisplay(std::wstring_view text);

}  // namespace plumeroll::win32
