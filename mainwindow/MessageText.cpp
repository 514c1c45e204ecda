#include "mainwindow/MessageText.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace plumeroll {
namespace {

// Paths and values in messages: lines of at most kShownLine characters, which a message box
// holds without breaking them again, and at most kShownCharacters in all.
constexpr std::size_t kShownLine = 40;
constexpr std::size_t kShownCharacters = 6 * kShownLine;

// The characters of a UTF-8 text, each as its bytes.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (std::size_t start = 0, end = 0; start < text.size(); start = end) {
    end = start + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    characters.push_back(text.substr(start, end - start));
  }
  return characters;
}

// A path or value as a message shows it, whatever its length: a long one has its middle
// replaced by an ellipsis, keeping the start (the drive or share) and the end (the file), and
// is broken into lines, after a backslash where one is near, so that the box fits the screen.
// What is stored, read or written is never shortened.
std::string Shown(std::string_view path) {
  std::vector<std::string_view> characters = Characters(path);
  if (characters.size() > kShownCharacters) {
    const std::size_t head = kShownCharacters / 3;
    const std::size_t tail = kShownCharacters - head - 1;
    characters.erase(characters.begin() + head, characters.end() - tail);
    characters.insert(characters.begin() + head, "…");
  }
  std::string shown;
  for (std::size_t start = 0; start < characters.size();) {
    std::size_t end = std::min(start + kShownLine, characters.size());
    for (std::size_t cut = end; end < characters.size() && cut > start + kShownLine / 4; --cut) {
      if (characters[cut - 1] == "\\" || characters[cut - 1] == "/") {
        end = cut;
        break;
      }
    }
    if (start > 0) shown += '\n';
    for (std::size_t i = start; i < end; ++i) shown += characters[i];
    start = end;
  }
  return shown;
}

}  // namespace

std::string Quoted(std::string_view path) {
  return "\n« " + Shown(path) + " »\n\n";
}

std::string Code(const Failure& failure) {
  return std::string("(").append(Describe(failure)) + ")";
}

}  // namespace plumeroll
