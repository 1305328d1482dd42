// Comparing a transliterated line with the same line after a trip through
// Devanagari and back, word by word. Used by the round-trip report and by
// the round-trip tests.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sfc::roundtrip {

// The words of a line: runs of bytes between spaces, tabs and line ends. An
// apostrophe (avagraha) loses the spaces before it, so that "yo 'yam" (as
// the avagraha glyph reads back) and "yo'yam" are the same words.
inline std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (!is_space(c)) {
      word += c;
      continue;
    }
    std::size_t next = i;
    while (next < line.size() && is_space(line[next])) ++next;
    if (next < line.size() && line[next] == '\'') {
      i = next - 1;  // join the apostrophe to the word before it
      continue;
    }
    if (!word.empty()) words.push_back(std::move(word));
    word.clear();
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

struct Difference {
  std::string original;  // words of the original line, joined by spaces
  std::string back;      // what came back in their place
};

struct LineComparison {
  std::size_t words = 0;            // words of the original line
  std::size_t unchanged_words = 0;  // of these, the ones that came back unchanged
  bool unchanged = false;           // every word came back, and nothing else
  std::vector<Difference> differences;
};

namespace detail {

inline std::string Join(const std::vector<std::string>& words, std::size_t from, std::size_t to) {
  std::string joined;
  for (std::size_t i = from; i < to; ++i) {
    if (i > from) joined += ' ';
    joined += words[i];
  }
  return joined;
}

}  // namespace detail

// Aligns the two word lists on their longest common subsequence; the words
// of the original inside it came back unchanged, each gap between two
// aligned words is one difference.
inline LineComparison CompareLine(std::string_view original_line, std::string_view back_line) {
  const std::vector<std::string> original = Words(original_line);
  const std::vector<std::string> back = Words(back_line);
  LineComparison result;
  result.words = original.size();
  result.unchanged = original == back;
  if (result.unchanged) {
    result.unchanged_words = original.size();
    return result;
  }
  const std::size_t n = original.size();
  const std::size_t m = back.size();
  // Too long a line for the table: compare word by word in place.
  constexpr std::size_t kMaxCells = std::size_t{1} << 22;
  if ((n + 1) * (m + 1) > kMaxCells) {
    for (std::size_t i = 0; i < std::max(n, m); ++i) {
      const bool same = i < n && i < m && original[i] == back[i];
      if (same) {
        ++result.unchanged_words;
      } else {
        result.differences.push_back(
            {i < n ? original[i] : std::string(), i < m ? back[i] : std::string()});
      }
    }
    return result;
  }
  // lcs[i][j]: common subsequence length of original[i..] and back[j..].
  std::vector<std::size_t> lcs((n + 1) * (m + 1), 0);
  auto at = [m](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
  for (std::size_t i = n; i-- > 0;) {
    for (std::size_t j = m; j-- > 0;) {
      lcs[at(i, j)] = original[i] == back[j] ? lcs[at(i + 1, j + 1)] + 1
                                             : std::max(lcs[at(i + 1, j)], lcs[at(i, j + 1)]);
    }
  }
  std::size_t i = 0;
  std::size_t j = 0;
  std::size_t gap_i = 0;
  std::size_t gap_j = 0;
  auto close_gap = [&] {
    if (gap_i < i || gap_j < j) {
      result.differences.push_back(
          {detail::Join(original, gap_i, i), detail::Join(back, gap_j, j)});
    }
  };
  while (i < n && j < m) {
    if (original[i] == back[j]) {
      close_gap();
      ++result.unchanged_words;
      gap_i = ++i;
      gap_j = ++j;
    } else if (lcs[at(i + 1, j)] >= lcs[at(i, j + 1)]) {
      ++i;
    } else {
      ++j;
    }
  }
  i = n;
  j = m;
  close_gap();
  return result;
}

}  // namespace sfc::roundtrip
