// Pictures from bitmap files, read by the system's loader or straight from a plain file, and
// bitmap files written beside their final name.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace plumeroll::win32 {

// The layout of a bitmap file's rows, for GetDIBits and StretchDIBits: 24 bits a pixel, the
// bottom row first, each row padded to 4 bytes.
BITMAPINFO BottomUp24BitInfo(int width, int height);

// A picture file as the program loads it: a plain bitmap file (uncompressed, 24 or 32 bits a
// pixel, rows bottom-up, no palette) is read straight from the file, a band of rows at a time,
// each time the picture is read, so that nothing of it is held; any other file is the system's
// bitmap loader's to read or refuse.
Result<PicturePtr> LoadBitmapFile(const std::wstring& path);
// The two ways LoadBitmapFile takes: null when the file is not plain (or cannot be read), and
// the system's bitmap loader.
PicturePtr OpenPlainBitmapFile(const std::wstring& path);
Result<PicturePtr> LoadWithSystemLoader(const std::wstring& path);
// Writes the picture as a 24-bit bitmap file, a band of rows at a time, beside path, and moves
// it over path once complete: a failure leaves any earlier file whole, and at most the file
// beside it, which the next save takes over.
Result<void> SaveBitmapFile(const Picture& image, const std::wstring& path);

}  // namespace plumeroll::win32
