// The benchmarks' BMP reader (the program itself reads pictures with the system's loader).
#pragma once

#include <istream>

#include "platform/Image.h"
#include "platform/Result.h"

namespace plumeroll {

// Reads an uncompressed 24- or 32-bit BMP with a BITMAPINFOHEADER, bottom-up or top-down;
// refuses anything else.
Result<Image32> ReadBmp(std::istream& in);

}  // namespace plumeroll
