// The C++ library's default terminate handler prints the name of the exception that was not
// caught, demangled, on a console that a Windows program does not have: it brings a demangler
// and printf, a sixth of the program's size. This program catches every exception in
// RunProgram, so the handler only runs after a fault inside the C++ runtime itself; defining it
// here keeps the library's out of the link, and it stops the program as abort does.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
