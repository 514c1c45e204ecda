// Functions of system DLLs that the program needs only when a button asks for them (the Open
// dialog, the shell): looked up on first use rather than imported, so that loading those DLLs,
// and all that they load in turn, is no part of every start.
#pragma once

#include <windows.h>

namespace plumeroll::win32 {

// The function `name` of the system DLL `dll`, or null (GetLastError says why). The DLLs asked
// for are known DLLs, which Windows loads from its own folder only.
template <class Function>
Function* LazyFunction(const wchar_t* dll, const char* name) {
  const HMODULE module = ::LoadLibraryW(dll);
  if (!module) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace plumeroll::win32
