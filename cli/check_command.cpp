#include "check_command.h"

#include <cstdio>
#include <string>

#include "font_iast.h"
#include "sfconv.h"
#include "state.h"
#include "translit_letters.h"
#include "word_check.h"

namespace sfc {

namespace {

// The listing, one line per difference. The words are gathered in the
// font's bytes and written in IAST about kWriteAt bytes at a time (one
// conversion for many differences).
class Listing {
 public:
  Listing(TranslitFont font, OutputTarget& output)
      : letters_(GetTranslitLetters(font)), output_(output) {}

  void Add(std::uint64_t line, const WordDifference& difference) {
    places_ += std::to_string(line);
    places_ += ':';
    places_ += std::to_string(difference.column);
    places_ += '\n';
    // No line of the input holds an LF, and no letter of a built-in font.
    words_ += difference.before;
    words_ += '\n';
    words_ += difference.after;
    words_ += '\n';
    if (words_.size() >= kWriteAt) Flush();
  }

  void Flush() {
    const std::string iast = FontToIast(words_, letters_);
    std::string text;
    text.reserve(places_.size() + iast.size() + iast.size() / 4);
    std::size_t place = 0;
    std::size_t word = 0;
    while (place < places_.size()) {
      const std::size_t place_end = places_.find('\n', place);
      const std::size_t before_end = iast.find('\n', word);
      const std::size_t after_end = iast.find('\n', before_end + 1);
      text.append(places_, place, place_end - place);
      text += ": ";
      text.append(iast, word, before_end - word);
      text += " -> ";
      text.append(iast, before_end + 1, after_end - before_end - 1);
      text += '\n';
      place = place_end + 1;
      word = after_end + 1;
    }
    output_.Write(text);
    places_.clear();
    words_.clear();
  }

 private:
  static constexpr std::size_t kWriteAt = 64 * 1024;

  FontLetters letters_;
  OutputTarget& output_;
  std::string places_;  // "line:column\n" per difference
  std::string words_;   // "before\nafter\n" per difference, in the font's bytes
};

std::string Summary(const WordCheckSummary& summary) {
  const WordTally& words = summary.words;
  char share[32];
  std::snprintf(share, sizeof share, "%.1f", words.SharePercent());
  return std::to_string(words.matched) + " of " + std::to_string(words.words_before) + " words (" +
         share + "%) come back unchanged; " + std::to_string(words.differences) +
         (words.differences == 1 ? " difference\n" : " differences\n");
}

}  // namespace

int RunWordCheck(Session& to_devanagari, Session& to_translit, const InputBox& input_box,
                 InputSource& input, OutputTarget& output, std::ostream& err) {
  Listing listing(FindTranslitFont(to_devanagari.state().translit_box_font)
                      .value_or(TranslitFont::kSanskritTimes),
                  output);
  WordCheck check(to_devanagari, to_translit, input_box,
                  [&listing](std::uint64_t line, const WordDifference& difference) {
                    listing.Add(line, difference);
                  });
  for (std::string_view block = input.NextBlock(); !block.empty(); block = input.NextBlock()) {
    check.Feed(block);
  }
  const WordCheckSummary summary = check.Finish();
  listing.Flush();
  output.Write(Summary(summary));
  output.Commit();
  if (summary.lines_cut_short > 0) {
    Report(err, std::to_string(summary.lines_cut_short) +
                    " line(s) were cut short in a conversion; the rest of each counts as lost");
  }
  return kExitOk;
}

}  // namespace sfc
