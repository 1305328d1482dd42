// The blanks of a text apart from its letters, for the tests of what
// convert does with blanks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace sfc::test {

inline bool IsBlankOrLineEnd(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The text with each run of other bytes (its words) as one 'x': what is
// left is every run of blanks and tabs and every line end, in order.
inline std::string BlankSkeleton(std::string_view text) {
  std::string skeleton;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsBlankOrLineEnd(text[i])) {
      skeleton += text[i];
    } else if (i == 0 || IsBlankOrLineEnd(text[i - 1])) {
      skeleton += 'x';
    }
  }
  return skeleton;
}

// The text without its blanks and tabs.
inline std::string WithoutBlanks(std::string_view text) {
  std::string rest;
  for (const char c : text) {
    if (c != ' ' && c != '\t') rest += c;
  }
  return rest;
}

// Where two texts' lines first differ: "line N: <a> | <b>" with the
// blanks shown, or "" when they do not.
inline std::string FirstDifferentLine(std::string_view a, std::string_view b) {
  std::size_t line = 1;
  std::size_t start_a = 0;
  std::size_t start_b = 0;
  while (start_a <= a.size() || start_b <= b.size()) {
    const std::size_t end_a = std::min(a.find('\n', start_a), a.size());
    const std::size_t end_b = std::min(b.find('\n', start_b), b.size());
    const std::string_view line_a = start_a <= a.size() ? a.substr(start_a, end_a - start_a) : "";
    const std::string_view line_b = start_b <= b.size() ? b.substr(start_b, end_b - start_b) : "";
    if (line_a != line_b) {
      std::string shown = "line " + std::to_string(line) + ": [";
      auto show = [&shown](std::string_view text) {
        for (const char c : text) shown += c == '\t' ? std::string("<TAB>") : std::string(1, c);
      };
      show(line_a);
      shown += "] vs [";
      show(line_b);
      return shown + "]";
    }
    start_a = end_a + 1;
    start_b = end_b + 1;
    ++line;
  }
  return "";
}

}  // namespace sfc::test
