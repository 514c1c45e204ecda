// Windows XP has no GetTickCount64, yet the statically linked thread library (winpthreads)
// imports it, which would stop the program from starting there. This file defines the import
// slot itself, so the linker takes it instead of kernel32's: the first call looks the function
// up and uses it where it exists, and otherwise counts with GetTickCount, carrying its 49.7-day
// wrap into the high part.
#include <windows.h>

namespace {

using TickCount64Function = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI TickCountFromXp() {
  static DWORD last = 0;
  static ULONGLONG wraps = 0;
  const DWORD now = ::GetTickCount();
  if (now < last) wraps += 1ULL << 32;
  last = now;
  return wraps + now;
}

ULONGLONG WINAPI ResolveTickCount64();

}  // namespace

// The import slot, named as the import library names it on each target.
#ifdef _WIN64
extern "C" TickCount64Function tick_count64_slot __asm__("__imp_GetTickCount64");
#else
extern "C" TickCount64Function tick_count64_slot __asm__("__imp__GetTickCount64@0");
#endif
TickCount64Function tick_count64_slot = ResolveTickCount64;

namespace {

ULONGLONG WINAPI ResolveTickCount64() {
  const auto found = reinterpret_cast<TickCount64Function>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  tick_count64_slot = found ? found : TickCountFromXp;
  return tick_count64_slot();
}

}  // namespace
