// The registry operations: the bytes of a value written, and what they make of answers that a
// real registry will not give on demand. What they do with a real registry (hives, sub-keys,
// code page, listings) is the registry layer's.
#include <gtest/gtest.h>

#include "registry/RegistryOperations.h"
#include "tests/unit/Fakes.h"

namespace plumeroll::testing {
namespace {

using Strings = std::vector<std::string>;
constexpr char kToolbar[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar";

// A text value is written with its NUL, counted in its size. A value the registry will not give
// is told from an absent one. A value that claims more than any path (4 GiB: a 32-bit process
// could not even count its size with one more byte) is not read at all. A failing enumeration
// call still lists its entry, as the untouched buffer gives it, then ends the listing: it would
// fail again at every index. Every key opened is closed.
TEST(RegistryTest, WritesTheNulTellsAnUnreadableValueFromAnAbsentOneAndClosesEveryKey) {
  StubRegistry reg;
  RegistryOperations ops(reg);
  ops.WriteKeyValue(kToolbar, "BackBitmap", "C:\\Pics\\paper1.bmp");
  EXPECT_EQ(reg.written, std::string("C:\\Pics\\paper1.bmp\0", 19));
  EXPECT_EQ(ops.QueryKeyValue(kToolbar, "BackBitmap").status, kErrorAccessDenied);
  const ValueRead read = ops.QueryKeyValue(kToolbar, "Huge");
  EXPECT_EQ(std::pair(read.status, read.text), std::pair(kErrorMoreData, std::string()));
  EXPECT_EQ(ops.ReadSubFolders(kToolbar), Strings{""});
  EXPECT_EQ(ops.ReadKeyListValue(kToolbar), Strings{""});
  ops.DeleteKey(kToolbar, "BackBitmap");
  ops.DeleteFolder(kToolbar);
  EXPECT_EQ(reg.open, 0) << "a key left open";
}

}  // namespace
}  // namespace plumeroll::testing
