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

// The report is written in pieces of about this size.
constexpr std::size_t kWriteAt = 64 * 1024;

std::string Summary(const WordCheckSummary& summary) {
  const WordTally& words = summary.words;
  char share[32];
  std::snprintf(share, sizeof share, "%.1f", words.SharePercent());
  return std::to_string(words.matched) + " of " + std::to_string(words.words_before) +
         " words (" + share + "%) come back unchanged; " + std::to_string(words.differences) +
         (words.differences == 1 ? " difference\n" : " differences\n");
}

}  // namespace

int RunWordCheck(Session& to_devanagari, Session& to_translit, const InputBox& input_box,
                 InputSource& input, OutputTarget& output, std::ostream& err) {
  const FontLetters letters(
      GetTranslitLetters(FindTranslitFont(to_devanagari.state().translit_box_font)
                             .value_or(TranslitFont::kSanskritTimes)));
  std::string report;
  WordCheck check(to_devanagari, to_translit, input_box,
                  [&](std::uint64_t line, const WordDifference& difference) {
                    report += std::to_string(line);
                    report += ':';
                    report += std::to_string(difference.column);
                    report += ": ";
                    report += FontToIast(difference.before, letters);
                    report += " -> ";
                    report += FontToIast(difference.after, letters);
                    report += '\n';
                    if (report.size() >= kWriteAt) {
                      output.Write(report);
                      report.clear();
                    }
                  });
  for (std::string_view block = input.NextBlock(); !block.empty(); block = input.NextBlock()) {
    check.Feed(block);
  }
  const WordCheckSummary summary = check.Finish();
  report += Summary(summary);
  output.Write(report);
  output.Commit();
  if (summary.lines_cut_short > 0) {
    Report(err, std::to_string(summary.lines_cut_short) +
                    " line(s) were cut short in a conversion; the rest of each counts as lost");
  }
  return kExitOk;
}

}  // namespace sfc
