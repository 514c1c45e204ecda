// Which size texts count as numbers, and their values.
#include <gtest/gtest.h>

#include "platform/Numeric.h"

namespace plumeroll {
namespace {

TEST(NumericTest, DigitsSignsSeparatorsExponentsAndBlanksAreNumbers) {
  const std::pair<const char*, float> numbers[] = {
      {"1024", 1024}, {"150", 150}, {"0", 0},      {" 150 ", 150}, {"\t7", 7},
      {"+7", 7},      {"-3", -3},   {"1.5", 1.5f}, {"1,5", 1.5f},  {".5", 0.5f},
      {"5.", 5},      {"2e3", 2000}, {"1E+2", 100}, {"5e-1", 0.5f},
  };
  for (const auto& [text, value] : numbers) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(IsNumeric(text));
    EXPECT_FLOAT_EQ(CSng(text), value);
  }
}

TEST(NumericTest, EmptyBlankAndLetteredTextsAreNotNumbers) {
  for (const char* text : {"", "   ", "abc", "12a", "a12", "1.2.3", "1,2.3", "e5", "1e", "1e+",
                           "+", "-", ".", "0x10", "1 0", "--1", "１２"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(IsNumeric(text));
    EXPECT_EQ(CSng(text), 0.0f);
  }
}

}  // namespace
}  // namespace plumeroll
