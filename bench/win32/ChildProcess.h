// Other programs started by the Windows benchmarks: each measurement its own process, so that
// each peak of memory is its own and the two architectures take turns on the same machine.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/Win32Handles.h"

namespace plumeroll::bench {

using UniqueHandle = win32::UniqueHandle<HANDLE, ::CloseHandle>;  // a process's or a thread's

// A program argument as the system's wide calls take it.
std::wstring Widen(const char* text);
// The argument, quoted for a command line (it holds no quote: paths and numbers).
std::wstring Quoted(const std::wstring& argument);

// Runs the command line and returns what the program wrote to its standard output; nothing,
// with a message on standard error, when it could not start or did not end with exit code 0.
std::optional<std::string> OutputOf(const std::wstring& command_line);

}  // namespace plumeroll::bench
