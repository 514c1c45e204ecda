// How the main window's messages show paths, values and failures.
#pragma once

#include <string>
#include <string_view>

#include "platform/Result.h"

namespace plumeroll {

// A path or value on lines of its own, between guillemets, then a paragraph break. However long
// it is, the message box fits the screen; what is stored, read or written is never shortened.
std::string Quoted(std::string_view path);

// A failure's call and code, in brackets.
std::string Code(const Failure& failure);

}  // namespace plumeroll
