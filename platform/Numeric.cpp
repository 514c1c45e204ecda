#include "platform/Numeric.h"

#include <limits>
#include <optional>

namespace plumeroll {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The parts of a number: its digits as one integer, the power of ten that scales them, and the
// sign; nothing when the text is not a number.
struct Number {
  double digits = 0;
  int scale = 0;
  bool negative = false;
};

std::optional<Number> Parse(std::string_view text) {
  text = TrimBlanks(text);
  Number number;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.negative = text[i++] == '-';
  int digits = 0;
  bool separator = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      ++digits;
      number.digits = number.digits * 10 + (c - '0');
      if (separator) --number.scale;
    } else if ((c == '.' || c == ',') && !separator) {
      separator = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int exponent = 0;
    int exponent_digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++exponent_digits) {
      if (exponent < 10000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (exponent_digits == 0) return std::nullopt;
    number.scale += negative ? -exponent : exponent;
  }
  if (i != text.size()) return std::nullopt;
  return number;
}

}  // namespace

bool IsNumeric(std::string_view text) {
  return Parse(text).has_value();
}

float CSng(std::string_view text) {
  const std::optional<Number> number = Parse(text);
  if (!number) return 0.0f;
  // Powers of ten up to 10^22 are exact in a double, so numbers of a few digits come out exact.
  double power = 1;
  for (int i = 0; i < (number->scale < 0 ? -number->scale : number->scale) && power < 1e300; ++i) {
    power *= 10;
  }
  double value = number->scale < 0 ? number->digits / power : number->digits * power;
  // Beyond single precision: infinity, as the conversion of such a text gives.
  if (value > std::numeric_limits<float>::max()) value = std::numeric_limits<float>::infinity();
  return static_cast<float>(number->negative ? -value : value);
}

}  // namespace plumeroll
