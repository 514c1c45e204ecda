#include "platform/Numeric.h"

#include <cstdlib>
#include <string>

namespace plumeroll {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The number in the C locale's spelling ('.' as separator), or empty when it is not one.
std::string Canonical(std::string_view text) {
  text = TrimBlanks(text);
  std::string out;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) out += text[i++];
  int digits = 0;
  bool separator = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      ++digits;
      out += c;
    } else if ((c == '.' || c == ',') && !separator) {
      separator = true;
      out += '.';
    } else {
      break;
    }
  }
  if (digits == 0) return {};
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    out += text[i++];
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out += text[i++];
    int exponent_digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++exponent_digits) out += text[i];
    if (exponent_digits == 0) return {};
  }
  return i == text.size() ? out : std::string();
}

}  // namespace

bool IsNumeric(std::string_view text) { return !Canonical(text).empty(); }

float CSng(std::string_view text) {
  const std::string number = Canonical(text);
  return number.empty() ? 0.0f : std::strtof(number.c_str(), nullptr);
}

}  // namespace plumeroll
