// The output text of the Devanagari-to-transliteration conversion.
//
// The rules append pieces, remove or replace a few characters at the end, and
// insert a letter in front of the last consonant group (the back-r insertion
// and the kt scan). That group may lie far from the end when the input holds
// a long run of consonant glyphs, so the text keeps a gap at the last
// insertion point and remembers where its last consonant runs start: an
// insertion costs the distance from the previous one, never a scan of the
// whole run. Only the conversion in to_translit.cpp uses this header.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sfc::translit_output {

// A set of byte values, tested with one load.
class ByteSet {
 public:
  void set(std::size_t byte) { bits_[byte] = true; }
  void reset(std::size_t byte) { bits_[byte] = false; }
  bool operator[](std::size_t byte) const { return bits_[byte]; }

 private:
  std::array<bool, 256> bits_{};
};

inline std::size_t ByteOf(char c) { return static_cast<unsigned char>(c); }

// A string with a gap: the text before the gap in a string, the text after it
// in a deque. Appends go to the end; an insertion moves the gap first.
class GapText {
 public:
  explicit GapText(std::size_t expected_size) { before_.reserve(expected_size); }

  std::size_t size() const {
    return after_.empty() ? before_.size() : before_.size() + after_.size();
  }
  // The character `back` places before the end (0: the last one).
  char FromEnd(std::size_t back) const {
    if (after_.empty()) return before_[before_.size() - 1 - back];
    return back < after_.size() ? after_[after_.size() - 1 - back]
                                : before_[before_.size() - 1 - (back - after_.size())];
  }

  void PushBack(char c) {
    if (after_.empty()) {
      before_.push_back(c);
    } else {
      after_.push_back(c);
    }
  }
  void Append(std::string_view bytes) {
    if (after_.empty()) {
      before_.append(bytes);
    } else {
      after_.insert(after_.end(), bytes.begin(), bytes.end());
    }
  }
  char PopBack() {
    char c;
    if (after_.empty()) {
      c = before_.back();
      before_.pop_back();
    } else {
      c = after_.back();
      after_.pop_back();
    }
    return c;
  }
  void Insert(std::size_t at, std::string_view bytes) {
    MoveGap(at);
    before_.append(bytes);
  }
  void Erase(std::size_t at, std::size_t count) {
    MoveGap(at + count);
    before_.resize(before_.size() - count);
  }
  // Closes a small gap, so that the common appends go to the string.
  void CloseSmallGap() {
    if (!after_.empty() && after_.size() <= kSmallGap) MoveGap(size());
  }

  std::string Take() && {
    MoveGap(size());
    return std::move(before_);
  }

 private:
  static constexpr std::size_t kSmallGap = 64;

  void MoveGap(std::size_t at) {
    while (before_.size() > at) {
      after_.push_front(before_.back());
      before_.pop_back();
    }
    while (before_.size() < at && !after_.empty()) {
      before_.push_back(after_.front());
      after_.pop_front();
    }
  }

  std::string before_;
  std::deque<char> after_;
};

// Where the last consonant runs of the text start: maximal runs of characters
// that are not vowel marks. Only the last few runs are kept; a query that
// needs an earlier one answers from a scan of the text instead.
class ConsonantRuns {
 public:
  explicit ConsonantRuns(const ByteSet& vowel_marks) : vowel_marks_(vowel_marks) {}

  bool IsVowelMark(char c) const { return vowel_marks_[ByteOf(c)]; }

  // A character appended at `at`, after `before` (ignored when at is 0).
  void Appended(char c, std::size_t at, char before) {
    if (IsVowelMark(c)) return;
    if (count_ > 0 && Last().end == at) {
      ++Last().end;
    } else if (at == 0 || IsVowelMark(before)) {
      PushAt(count_, {at, at + 1});
    } else {
      // The character joins a run that is no longer kept: forget the runs
      // kept, so that no earlier one is taken for the last.
      count_ = 0;
      complete_ = false;
    }
  }
  void RemovedLast(char c, std::size_t at) {
    if (IsVowelMark(c) || count_ == 0 || Last().end != at + 1) return;
    if (--Last().end == Last().start) --count_;
  }
  // A character inserted at `at`.
  void Inserted(char c, std::size_t at) {
    std::size_t i = count_;
    while (i > 0 && runs_[i - 1].start >= at) --i;
    for (std::size_t j = i; j < count_; ++j) {  // the runs from `at` on move
      ++runs_[j].start;
      ++runs_[j].end;
    }
    if (i > 0 && runs_[i - 1].end > at) {  // inside a run
      Run& run = runs_[i - 1];
      if (!IsVowelMark(c)) {
        ++run.end;
        return;
      }
      const Run tail{at + 1, run.end + 1};  // a vowel mark splits the run
      run.end = at;
      PushAt(i, tail);
      return;
    }
    if (IsVowelMark(c)) return;
    if (i < count_ && runs_[i].start == at + 1) {
      runs_[i].start = at;  // the letter heads the run after it
    } else if (i > 0 && runs_[i - 1].end == at) {
      ++runs_[i - 1].end;  // the letter ends the run before it
    } else if (i > 0 || complete_) {
      PushAt(i, {at, at + 1});
    }  // else: older than every run kept
  }

  // The place of a letter put in front of the last consonant group: counting
  // back from `skip` characters before the end, vowel marks are passed until
  // a consonant has been passed, and the first vowel mark after that ends the
  // count; a count that reaches the start gives the start.
  std::size_t InsertionPoint(const GapText& text, std::size_t skip) const {
    const std::size_t length = text.size();
    if (length <= skip) return 0;
    const std::size_t last = length - 1 - skip;
    std::size_t i = count_;
    while (i > 0 && runs_[i - 1].start > last) --i;
    if (i > 0) return runs_[i - 1].start;
    if (complete_) return 0;
    return Scan(text, skip);
  }

 private:
  struct Run {
    std::size_t start;
    std::size_t end;  // one past the last character
  };
  static constexpr std::size_t kKept = 4;

  Run& Last() { return runs_[count_ - 1]; }

  // Keeps a run at index i of the runs kept, dropping the oldest when full.
  void PushAt(std::size_t i, Run run) {
    if (count_ == kKept) {
      complete_ = false;
      if (i == 0) return;  // older than every run kept
      std::move(runs_.begin() + 1, runs_.end(), runs_.begin());
      --count_;
      --i;
    }
    const auto first = runs_.begin() + static_cast<std::ptrdiff_t>(i);
    const auto last = runs_.begin() + static_cast<std::ptrdiff_t>(count_);
    std::move_backward(first, last, last + 1);
    runs_[i] = run;
    ++count_;
  }

  std::size_t Scan(const GapText& text, std::size_t skip) const {
    const std::size_t length = text.size();
    std::size_t count = skip;
    bool passed_consonant = false;
    while (count < length) {
      const bool vowel_mark = IsVowelMark(text.FromEnd(count));
      if (vowel_mark && passed_consonant) break;
      if (!vowel_mark) passed_consonant = true;
      ++count;
    }
    return length - std::min(count, length);
  }

  ByteSet vowel_marks_;
  std::array<Run, kKept> runs_{};
  std::size_t count_ = 0;
  bool complete_ = true;  // no run was dropped from the front
};

// The output text with the clipboard rule: the clipboard holds the text as it
// stood after the last piece appended. Edits made since that append are
// logged, so that the clipboard text is computed once at the end.
class OutputText {
 public:
  // The letter scans differ in their vowel marks: the back-r insertion counts
  // the apostrophe as one, the kt scan does not.
  enum Scan : std::size_t { kBackRScan, kKtScan };

  OutputText(std::size_t expected_size, const ByteSet& back_r_marks, const ByteSet& kt_marks)
      : text_(expected_size), runs_{ConsonantRuns(back_r_marks), ConsonantRuns(kt_marks)} {}

  void Append(std::string_view piece) {
    text_.CloseSmallGap();
    std::size_t at = text_.size();
    char before = at > 0 ? text_.FromEnd(0) : ' ';
    text_.Append(piece);
    for (const char c : piece) {
      for (ConsonantRuns& runs : runs_) runs.Appended(c, at, before);
      before = c;
      ++at;
    }
    if (!edits_since_append_.empty()) edits_since_append_.clear();
    appended_ = true;
  }

  bool EndsWith(std::string_view tail) const {
    if (tail.size() > text_.size()) return false;
    for (std::size_t back = 0; back < tail.size(); ++back) {
      if (text_.FromEnd(back) != tail[tail.size() - 1 - back]) return false;
    }
    return true;
  }

  void RemoveLast(std::size_t count) {
    Edit edit{text_.size() - std::min(count, text_.size()), 0, {}};
    while (text_.size() > edit.at) {
      const char c = text_.PopBack();
      for (ConsonantRuns& runs : runs_) runs.RemovedLast(c, text_.size());
      edit.removed.insert(edit.removed.begin(), c);
    }
    edits_since_append_.push_back(std::move(edit));
  }

  // Replaces the last characters without counting as an append.
  void ReplaceLast(std::size_t count, std::string_view bytes) {
    RemoveLast(count);
    edits_since_append_.push_back({text_.size(), bytes.size(), {}});
    for (const char c : bytes) PushBack(c);
  }

  // Puts a letter in front of the last consonant group, found with the
  // vowel marks of the scan, counting from `skip` characters before the end.
  void InsertBeforeLastConsonants(char letter, std::size_t skip, Scan scan) {
    const std::size_t at = runs_[scan].InsertionPoint(text_, skip);
    text_.Insert(at, std::string_view(&letter, 1));
    for (ConsonantRuns& runs : runs_) runs.Inserted(letter, at);
    edits_since_append_.push_back({at, 1, {}});
  }

  // Ends the run: the output text and the clipboard's text (empty before the
  // first append).
  std::pair<std::string, std::string> Finish() && {
    std::string output = std::move(text_).Take();
    if (!appended_) return {std::move(output), {}};
    if (edits_since_append_.empty()) return {output, output};
    GapText clipboard(output.size());
    clipboard.Insert(0, output);
    for (auto edit = edits_since_append_.rbegin(); edit != edits_since_append_.rend(); ++edit) {
      clipboard.Erase(edit->at, edit->inserted);
      clipboard.Insert(edit->at, edit->removed);
    }
    return {std::move(output), std::move(clipboard).Take()};
  }

 private:
  struct Edit {
    std::size_t at;
    std::size_t inserted;
    std::string removed;
  };

  void PushBack(char c) {
    const std::size_t at = text_.size();
    const char before = at > 0 ? text_.FromEnd(0) : ' ';
    text_.PushBack(c);
    for (ConsonantRuns& runs : runs_) runs.Appended(c, at, before);
  }

  GapText text_;
  std::array<ConsonantRuns, 2> runs_;
  std::vector<Edit> edits_since_append_;
  bool appended_ = false;
};

}  // namespace sfc::translit_output
