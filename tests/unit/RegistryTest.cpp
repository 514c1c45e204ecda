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

// A text value is written with its NUL, counted in its size.
TEST(RegistryTest, AValueIsWrittenWithItsNul) {
  StubRegistry reg;
  RegistryOperations(reg).WriteKeyValue(kToolbar, "BackBitmap", "C:\\Pics\\paper1.bmp");
  EXPECT_EQ(reg.written, std::string("C:\\Pics\\paper1.bmp\0", 19));
}

// A key that opens, whose values claim 4 GiB and whose listings fail at every index.
struct Unreadable : StubRegistry {
  RegStatus RegOpenKeyA(RegHandle, const char*, RegHandle* key) override { return *key = 1, 0; }
  RegStatus RegQueryValueExA(RegHandle, const char*, std::uint32_t*, std::uint32_t*,
                             std::uint8_t* data, std::uint32_t* size) override {
    *size = 0xFFFFFFFF;
    return data ? kErrorAccessDenied : kErrorSuccess;  // no buffer could hold it
  }
};

// A value that claims more than any path (4 GiB: a 32-bit process could not even count its size
// with one more byte) is not read at all: it is taken as one the registry would not give. A
// failing enumeration call still lists its entry, as the untouched buffer gives it, then ends
// the listing: it would fail again at every index.
TEST(RegistryTest, AHugeValueIsNotReadAndAListingEndsAtItsFirstFailingEntry) {
  Unreadable reg;
  RegistryOperations ops(reg);
  const ValueRead read = ops.QueryKeyValue(kToolbar, "BackBitmap");
  EXPECT_EQ(std::pair(read.status, read.text), std::pair(kErrorMoreData, std::string()));
  EXPECT_EQ(ops.ReadSubFolders(kToolbar), Strings{""});
  EXPECT_EQ(ops.ReadKeyListValue(kToolbar), Strings{""});
}

}  // namespace
}  // namespace plumeroll::testing
