// modRegistry over the real advapi32 and shell32 functions (ANSI forms), with texts converted
// between UTF-8 and the system's ANSI code page (CP_ACP).
#pragma once

#include <memory>

#include "registry/modRegistry.h"

namespace plumeroll {

std::unique_ptr<modRegistry> MakeWin32Registry();

}  // namespace plumeroll
