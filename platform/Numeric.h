// The numeric test of a text and its conversion to a single-precision number.
//
// Accepted: optional blanks (spaces, tabs) around the number; an optional sign; digits with at
// most one decimal separator ('.' or ','), at least one digit in all; an optional exponent
// ('e' or 'E', an optional sign, one or more digits). "1024", " 150 ", "+7", "-3", "1.5",
// "1,5", "2e3" are numeric; "", "  ", "abc", "12a", "1.2.3", "e5", "0x10" are not.
#pragma once

#include <string_view>

namespace plumeroll {

bool IsNumeric(std::string_view text);
// The value of a text that IsNumeric accepts; 0 for any other text.
float CSng(std::string_view text);

}  // namespace plumeroll
