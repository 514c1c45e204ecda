// The large picture of the Win32 benchmarks.
#pragma once

#include <string>

namespace plumeroll::bench {

// Writes a 4000 x 3000 24-bit bitmap file of smooth gradients, as a large photograph would be.
bool WriteLargePicture(const std::wstring& path);

}  // namespace plumeroll::bench
