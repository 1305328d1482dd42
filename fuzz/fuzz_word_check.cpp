// Any bytes through the round trip check: it ends, gives the same
// differences and summary for any cut of the input into blocks, its counts
// add up (every word before is matched or in exactly one difference, and so
// every word after), and each difference names words of its own line at
// its column.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "session.h"
#include "word_check.h"

namespace {

#define Require(condition) \
  ((condition) ? void() : (std::fprintf(stderr, "failed: %s\n", #condition), std::abort()))

struct Listed {
  std::uint64_t line;
  std::uint64_t column;
  std::string before;
  std::string after;
  std::uint64_t words_before;
  std::uint64_t words_after;
  bool operator==(const Listed&) const = default;
};

struct Run {
  std::vector<Listed> listed;
  sfc::WordCheckSummary summary;
};

// The start-up tables (high bit of the choice) or one of the nine font pairs.
sfc::Session SessionFor(std::uint8_t choice, sfc::Direction direction) {
  sfc::Session session;
  session.ChooseDirection(direction);
  if ((choice & 0x80) == 0) {
    session.PressDevanagariFontButton(sfc::kDevanagariFonts[choice % 3]);
    session.PressTranslitFontButton(sfc::kTranslitFonts[(choice / 3) % 3]);
  }
  return session;
}

Run Check(std::string_view input, std::size_t block, std::uint8_t choice) {
  sfc::Session forth = SessionFor(choice, sfc::Direction::kToDevanagari);
  sfc::Session back = SessionFor(choice, sfc::Direction::kToTranslit);
  Run run;
  sfc::WordCheck check(forth, back, {}, [&run](std::uint64_t line, const sfc::WordDifference& d) {
    run.listed.push_back({line, d.column, std::string(d.before), std::string(d.after),
                          d.words_before, d.words_after});
  });
  for (std::size_t at = 0; at < input.size(); at += block) check.Feed(input.substr(at, block));
  run.summary = check.Finish();
  return run;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::uint64_t CountWords(std::string_view text) {
  std::uint64_t words = 0;
  bool in_word = false;
  for (const char c : text) {
    const bool blank = IsBlank(c) || c == '\n';
    words += !blank && !in_word;
    in_word = !blank;
  }
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t choice = data[0];
  const std::size_t block = 1 + data[1] % 16;
  const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

  const Run whole = Check(input, input.size() + 1, choice);
  const Run cut = Check(input, block, choice);
  Require(cut.listed == whole.listed);
  Require(cut.summary.words == whole.summary.words);
  Require(cut.summary.lines == whole.summary.lines);
  Require(cut.summary.lines_cut_short == whole.summary.lines_cut_short);

  // The lines as the check reads them: LF ends one, a CR before it is not
  // part of it.
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < input.size();) {
    std::size_t end = input.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? input.size() : end + 1;
    if (end == std::string_view::npos) end = input.size();
    std::string_view line = input.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = next;
  }
  const sfc::WordCheckSummary& summary = whole.summary;
  Require(summary.lines == lines.size());
  Require(summary.words.words_before == CountWords(input));
  Require(summary.words.matched <= summary.words.words_after);
  Require(summary.words.differences == whole.listed.size());
  std::uint64_t before = summary.words.matched;
  std::uint64_t after = summary.words.matched;
  std::uint64_t last_line = 0;
  for (const Listed& listed : whole.listed) {
    Require(listed.words_before + listed.words_after > 0);
    Require(CountWords(listed.before) == listed.words_before);
    Require(CountWords(listed.after) == listed.words_after);
    Require(listed.line >= last_line && listed.line >= 1 && listed.line <= lines.size());
    last_line = listed.line;
    const std::string_view line = lines[listed.line - 1];
    Require(listed.column >= 1 && listed.column <= line.size() + 1);
    Require(line.substr(listed.column - 1, listed.before.size()) == listed.before);
    before += listed.words_before;
    after += listed.words_after;
  }
  Require(before == summary.words.words_before);
  Require(after == summary.words.words_after);
  return 0;
}
