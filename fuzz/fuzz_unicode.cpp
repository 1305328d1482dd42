// Any bytes as Unicode text (invalid UTF-8 included) and as transliteration
// font bytes: every conversion of the Unicode bridge ends, gives the same
// output and reports for any cut of the input into blocks, reports only
// places inside the input, and a font's bytes read as IAST read back as
// the same bytes where the letters are the font's own. A chain that keeps
// the input's blanks (as sfconv convert runs it) writes every blank, tab and
// line feed of the input in order and no other (but the blank of a vowel in
// hiatus in transliteration), for any cut.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "chain.h"
#include "font_iast.h"
#include "iast_devanagari.h"
#include "sanideva_table.h"
#include "session.h"

namespace {

// Stops the run, naming the property that failed.
#define Require(condition) \
  ((condition) ? void() : (std::fprintf(stderr, "failed: %s\n", #condition), std::abort()))

struct Run {
  std::string text;
  std::vector<sfc::UnicodeReject> rejects;
};

template <typename Stream, typename... Args>
Run Streamed(std::string_view input, std::size_t block, Args&&... args) {
  Run run;
  Stream stream(
      std::forward<Args>(args)..., [&run](std::string_view piece) { run.text.append(piece); },
      [&run](const sfc::UnicodeReject& reject) { run.rejects.push_back(reject); });
  for (std::size_t at = 0; at < input.size(); at += block) stream.Feed(input.substr(at, block));
  stream.Finish();
  return run;
}

template <typename Stream, typename... Args>
void SameForAnyCut(std::string_view input, std::size_t block, std::uint64_t lines,
                   const Args&... args) {
  const Run whole = Streamed<Stream>(input, input.size() + 1, args...);
  const Run cut = Streamed<Stream>(input, block, args...);
  Require(whole.text == cut.text);
  Require(whole.rejects == cut.rejects);
  for (const sfc::UnicodeReject& reject : whole.rejects) {
    Require(reject.line >= 1 && reject.line <= lines && reject.column >= 1);
  }
}

// The blanks, tabs and line feeds of a text, in order.
std::string Blanks(std::string_view text) {
  std::string blanks;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') blanks += c;
  }
  return blanks;
}

// Whether the blanks, tabs and line feeds of `output` are `blanks` but for
// single blanks between an a and an i or a u.
bool BlanksWithHiatus(std::string_view output, std::string_view blanks) {
  std::string mine;
  std::vector<bool> hiatus;
  for (std::size_t i = 0; i < output.size(); ++i) {
    const char c = output[i];
    if (c != ' ' && c != '\t' && c != '\n') continue;
    mine += c;
    hiatus.push_back(c == ' ' && i > 0 && output[i - 1] == 'a' && i + 1 < output.size() &&
                     (output[i + 1] == 'i' || output[i + 1] == 'u'));
  }
  // Line by line: which lengths of the line's `blanks` the output's blanks
  // so far can stand for.
  std::size_t start_mine = 0;
  std::size_t start_blanks = 0;
  while (start_mine <= mine.size()) {
    const std::size_t end_mine = std::min(mine.find('\n', start_mine), mine.size());
    const std::size_t end_blanks = std::min(blanks.find('\n', start_blanks), blanks.size());
    if (start_blanks > blanks.size()) return false;
    const std::size_t want = end_blanks - start_blanks;
    std::vector<char> can(want + 1, 0);
    can[0] = 1;
    for (std::size_t j = start_mine; j < end_mine; ++j) {
      std::vector<char> next(want + 1, 0);
      for (std::size_t i = 0; i <= want; ++i) {
        if (!can[i]) continue;
        if (hiatus[j]) next[i] = 1;
        if (i < want && blanks[start_blanks + i] == mine[j]) next[i + 1] = 1;
      }
      can.swap(next);
    }
    if (!can[want]) return false;
    if (end_mine == mine.size()) return end_blanks == blanks.size();
    start_mine = end_mine + 1;
    start_blanks = end_blanks + 1;
  }
  return true;
}

struct ChainRun {
  std::string text;
  bool completed = true;
  std::vector<sfc::InputPosition> positions;  // in the input
};

ChainRun Chained(const sfc::ChainPlan& plan, std::string_view input, std::size_t block) {
  ChainRun run;
  sfc::ConversionChain chain([&run](std::string_view piece) { run.text.append(piece); },
                             [&run](const sfc::UnicodeReject& reject, bool in_input) {
                               if (in_input) run.positions.push_back({reject.line, reject.column});
                             },
                             [&run](unsigned char, sfc::InputPosition at, bool in_input) {
                               if (in_input) run.positions.push_back(at);
                             });
  // Sessions made once and copied (making one sets up its tables).
  static std::map<std::string, sfc::Session> sessions;
  const sfc::SessionMaker make_session = [](sfc::Direction direction, const std::string& devanagari,
                                            sfc::TranslitFont translit) {
    const std::string key = devanagari + "/" + std::to_string(static_cast<int>(translit)) + "/" +
                            std::to_string(static_cast<int>(direction));
    auto found = sessions.find(key);
    if (found == sessions.end()) {
      sfc::Session session;
      session.PressDevanagariFontButton(*sfc::FindDevanagariFont(devanagari));
      session.PressTranslitFontButton(translit);
      session.ChooseDirection(direction);
      found = sessions.emplace(key, std::move(session)).first;
    }
    return found->second;
  };
  sfc::BuildChain(chain, plan, make_session, {});
  for (std::size_t at = 0; at < input.size(); at += block) chain.Feed(input.substr(at, block));
  run.completed = chain.Finish().completed;
  return run;
}

void ChainKeepsTheBlanks(std::string_view input, std::size_t block, std::uint64_t lines,
                         unsigned choice) {
  using sfc::TextForm;
  struct End {
    TextForm form;
    const char* font;
  };
  static const End kEnds[] = {{TextForm::kIast, ""},
                              {TextForm::kDevanagariUnicode, ""},
                              {TextForm::kTranslitFont, "ITRTransTimes"},
                              {TextForm::kDevanagariFont, "Vedic"},
                              {TextForm::kDevanagariFont, "Dev Natraj ITR"},
                              {TextForm::kDevanagariFont, "Sanskrit 99"}};
  sfc::ChainPlan plan;
  plan.from = kEnds[choice % 6].form;
  plan.from_font = kEnds[choice % 6].font;
  plan.to = kEnds[(choice / 6) % 6].form;
  plan.to_font = kEnds[(choice / 6) % 6].font;
  if (plan.from == TextForm::kTranslitFont) plan.pivot = sfc::TranslitFont::kItrTransTimes;
  if (plan.to == TextForm::kTranslitFont) plan.pivot = sfc::TranslitFont::kItrTransTimes;
  plan.keep_blanks = true;
  const ChainRun whole = Chained(plan, input, input.size() + 1);
  const ChainRun cut = Chained(plan, input, block);
  Require(whole.text == cut.text);
  Require(whole.positions == cut.positions);
  for (const sfc::InputPosition& at : whole.positions) {
    Require(at.line >= 1 && at.line <= lines && at.column >= 1);
  }
  if (!whole.completed) return;
  if (plan.to != TextForm::kTranslitFont) {
    Require(Blanks(whole.text) == Blanks(input));
    return;
  }
  // Transliteration keeps the blank that parts a vowel from an a before it
  // (a i, a u: not the diphthongs ai, au); every other blank is the input's.
  Require(BlanksWithHiatus(whole.text, Blanks(input)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the block length and the font.
  const std::size_t block = 1 + data[0] % 7;
  const auto font = static_cast<sfc::TranslitFont>((data[0] >> 3) % 3);
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::uint64_t lines = 1;
  for (const char c : input) lines += c == '\n';

  SameForAnyCut<sfc::IastToDevanagariStream>(input, block, lines);
  SameForAnyCut<sfc::DevanagariToIastStream>(input, block, lines);
  const sfc::FontLetters letters(sfc::GetTranslitLetters(font));
  SameForAnyCut<sfc::IastToFontStream>(input, block, lines, letters);
  // A chain makes font conversions, which take longer: every fourth input.
  if (input.size() % 4 == 0) {
    ChainKeepsTheBlanks(input, block, lines,
                        static_cast<unsigned>(input.size() / 4 + data[0]) % 36);
  }

  // A byte-order mark before the text changes nothing (before text that
  // starts with one, the second is a character of the text).
  if (!input.starts_with("\xEF\xBB\xBF")) {
    const std::string marked = "\xEF\xBB\xBF" + std::string(input);
    const auto same_run = [](const Run& a, const Run& b) {
      return a.text == b.text && a.rejects == b.rejects;
    };
    Require(same_run(Streamed<sfc::IastToDevanagariStream>(marked, block),
                     Streamed<sfc::IastToDevanagariStream>(input, block)));
    Require(same_run(Streamed<sfc::DevanagariToIastStream>(marked, block),
                     Streamed<sfc::DevanagariToIastStream>(input, block)));
    Require(same_run(Streamed<sfc::IastToFontStream>(marked, block, letters),
                     Streamed<sfc::IastToFontStream>(input, block, letters)));
  }

  // Font bytes read as IAST and written back read as the same IAST (IAST
  // folds capitals, and "|" and "_" are the danda and the hidden dash).
  if (input.find_first_of("|_") != std::string_view::npos) return 0;
  const std::string iast = sfc::FontToIast(input, letters);
  for (std::size_t at = 0; at < iast.size();) {
    const char32_t c = sfc::utf8::Decode(iast, at);
    const bool capital = (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
                         c == 0x160 || c == 0x152 || c == 0x17D || c == 0x178;
    if (capital) return 0;
  }
  const sfc::UnicodeResult back = sfc::IastToFont(iast, letters);
  Require(sfc::FontToIast(back.text, letters) == iast);
  return 0;
}
