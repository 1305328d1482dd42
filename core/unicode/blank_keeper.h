// The input's blanks kept through a chain of conversions. The conversions
// write blanks of their own (a table's text before an independent vowel or
// an avagraha, one blank for a run, none for a tab), so the chain does not
// give them the input's blanks at all: each run of blanks and tabs goes in
// as a line break of its own between two single blanks (so that the words
// on either side read as before a blank), and the run is kept aside. At the
// end of the chain every blank the conversions wrote is left out, and each
// of these line breaks is replaced by its run as it was. Real line ends go
// through as they are.
//
// Positions that the stages report (lines and columns of their input) count
// these extra lines; `Map` gives them back as lines of the input and columns
// of the line: in the chain's input exactly, between stages in the text that
// stage was given without the extra line breaks.
//
// Everything streams: the runs kept aside are those between the input and
// the output, and a run is held as counts of blanks and tabs.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion.h"

namespace sfc {

class BlankKeeper {
 public:
  // How the end of the chain writes a blank that separates letters that
  // would otherwise read as one: an a followed by an i or a u (the hiatus
  // of a-i, a-u against the diphthongs ai, au).
  enum class Hiatus {
    kDrop,       // Devanagari: the letters are separate signs anyway
    kDiaeresis,  // IAST: i and u after a are written ï and ü
    kBlank,      // transliteration bytes: the one blank stays
  };

  BlankKeeper(OutputSink sink, Hiatus hiatus);

  // The stages, in order: whether each reads Unicode (its columns count
  // characters) or bytes. Called before any input.
  void AddText(bool unicode);

  // The chain's input, to be given to the first stage by `next`.
  void Feed(std::string_view block, const OutputSink& next);
  void Finish(const OutputSink& next);

  // The output of stage `text - 1`, seen on its way to stage `text`.
  void Observe(std::size_t text, std::string_view piece);
  // The output of the last stage: written to the sink.
  void Write(std::string_view piece);

  // A position in the input of stage `text` as that stage counts it, as a
  // line of the input and a column of the line.
  InputPosition Map(std::size_t text, InputPosition at) const;

 private:
  // Counts the columns of one text: bytes, or characters as the Unicode
  // streams count them (a byte that is not UTF-8 counts as one).
  class ColumnCounter {
   public:
    explicit ColumnCounter(bool unicode) : unicode_(unicode) {}
    std::uint64_t Count(std::string_view bytes);
    // The characters of a sequence cut off at the end.
    std::uint64_t Flush();

   private:
    bool unicode_;
    std::string sequence_;  // a UTF-8 sequence not yet complete
  };

  // One line break the stages are given: a real line end, or a run of
  // blanks and tabs; and where the line after it starts.
  static constexpr std::size_t kMaxTexts = 6;
  struct Break {
    bool line_end = false;
    // The run: its first byte's count, then the bytes and counts of the rest
    // (a run of one kind of byte needs no more).
    char first_byte = ' ';
    std::uint64_t first_count = 0;
    std::vector<std::pair<char, std::uint64_t>> rest;
    std::uint64_t line = 1;  // the input's line
    std::array<std::int64_t, kMaxTexts> column_offset{};
  };

  Break& At(std::uint64_t index) { return breaks_[static_cast<std::size_t>(index - first_)]; }
  const Break* Find(std::uint64_t index) const;
  void EndRun(std::string& fed);
  static void AddToRun(Break& brk, char byte);
  void WriteRun(const Break& brk, std::string& out);

  OutputSink sink_;
  Hiatus hiatus_;
  std::vector<bool> unicode_;  // per text

  // Break k (from 0) stands before line k + 2 of the stages' texts; break 0
  // is the start, before line 1. Breaks before `first_` are gone.
  std::deque<Break> breaks_;
  std::uint64_t first_ = 0;
  std::uint64_t made_ = 0;  // breaks made by the input so far (not the start)

  // The input.
  ColumnCounter input_columns_{false};
  std::uint64_t input_column_ = 0;  // columns of the input's line read so far
  std::uint64_t input_line_ = 1;
  Break run_;  // the run being read
  bool in_run_ = false;

  // The texts between stages: per text, the breaks seen, the columns of the
  // line so far and its counter.
  struct Between {
    std::uint64_t breaks = 0;
    std::int64_t line_start = 0;
    std::uint64_t columns = 0;
    ColumnCounter counter{false};
  };
  std::vector<Between> between_;

  // The output.
  std::uint64_t written_breaks_ = 0;
  char last_letter_ = 0;     // the last byte written on the line
  bool blank_left_ = false;  // a blank was left out after it
};

}  // namespace sfc
