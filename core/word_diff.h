// Two versions of a line compared word by word.
//
// A word is a run of bytes other than space, TAB, CR and LF. The words of the
// line before and of the line after are matched as a longest common
// subsequence: as many words as possible are paired with an equal word, in
// order. A difference is what lies between two neighbouring matched pairs
// (or a line's start or end and the nearest pair) when it holds a word on
// either side: words lost, words added, or words in the place of others. So
// a word split in two, or two words joined, is one difference, and the words
// after it still match. The share that comes back is the matched words over
// the words before.
//
// These counts are those of a sequence matcher that pairs the longest
// common run first (difflib's SequenceMatcher over the words of each line,
// summing its matching blocks and counting its opcodes other than "equal"),
// up to the rare lines where the longest run first is not the longest
// subsequence; the tests compare the two on real text.
//
// Memory stays bounded on a line of any length: the words are aligned in
// windows of kWindow words per line, which an ordinary line fits in whole.
// A longer line is aligned window by window, each keeping the matches of
// its first half; where a window holds more than kMaxEdits words that do
// not match (text that is not the same text at all), its first halves are
// one difference without a search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sfc {

struct WordDifference {
  // The byte column (from 1) in the line before of the first word lost or
  // replaced; for words only added, of the word before which they stand (one
  // past the line's last byte at its end).
  std::uint64_t column = 0;
  // From the first to the last word of the difference as the line has them
  // (the blanks between included); empty for no words.
  std::string_view before;
  std::string_view after;
  std::uint64_t words_before = 0;
  std::uint64_t words_after = 0;
};

struct WordTally {
  std::uint64_t words_before = 0;
  std::uint64_t words_after = 0;
  std::uint64_t matched = 0;  // words before paired with an equal word after
  std::uint64_t differences = 0;

  // Matched words over words before, in percent; 100 with no words.
  double SharePercent() const;
  friend bool operator==(const WordTally&, const WordTally&) = default;
};

// Fed the line before and the line after in pieces of any size, in any
// interleaving, then EndLine; tells each difference once, in the order of
// the line, and adds up the tally over all lines.
class WordAligner {
 public:
  static constexpr std::size_t kWindow = 1024;
  static constexpr std::size_t kMaxEdits = 512;

  using DifferenceSink = std::function<void(const WordDifference&)>;

  explicit WordAligner(DifferenceSink sink);

  void AddBefore(std::string_view bytes);
  void AddAfter(std::string_view bytes);
  // Both lines are complete: aligns the rest and starts the next line.
  void EndLine();

  const WordTally& tally() const { return tally_; }

 private:
  struct Word {
    std::uint64_t start = 0;  // byte offset in the line
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
  };

  // One line's words, from the first not yet aligned on.
  class Side {
   public:
    void Add(std::string_view bytes);
    void EndLine();  // a word running to the line's end is complete
    void Reset();

    std::size_t pending() const { return words_.size() - head_; }
    const Word& at(std::size_t i) const { return words_[head_ + i]; }
    std::uint64_t line_size() const { return size_; }
    // The bytes from the start of word i to the end of word j - 1 (i < j).
    std::string_view Span(std::size_t i, std::size_t j) const;
    bool Same(std::size_t i, const Side& other, std::size_t j) const;
    // The first n pending words are aligned.
    void Drop(std::size_t n);

   private:
    std::string text_;  // the line's bytes from text_at_ on
    std::uint64_t text_at_ = 0;
    std::uint64_t size_ = 0;  // bytes of the line so far
    std::vector<Word> words_;
    std::size_t head_ = 0;  // the first pending word
    bool in_word_ = false;
    Word word_;  // the word being read
  };

  // Aligns windows while both sides hold a whole one (or, at the line's end,
  // until nothing is left).
  void Align(bool line_ended);
  // The longest common subsequence of the first n and m pending words;
  // false when it takes more than kMaxEdits words lost or added.
  bool Match(std::size_t n, std::size_t m);
  // Tells the words before[0, n) and after[0, m) as one difference (when
  // either is not empty).
  void Differ(std::size_t n, std::size_t m);

  DifferenceSink sink_;
  Side before_;
  Side after_;
  WordTally tally_;
  // Scratch of Match: the matched pairs, and the furthest points per edit count.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs_;
  std::vector<std::int32_t> v_;
  std::vector<std::int32_t> trace_;
};

}  // namespace sfc
