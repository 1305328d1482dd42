// Any bytes as Unicode text (invalid UTF-8 included) and as transliteration
// font bytes: every conversion of the Unicode bridge ends, gives the same
// output and reports for any cut of the input into blocks, reports only
// places inside the input, and a font's bytes read as IAST read back as
// the same bytes where the letters are the font's own.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "font_iast.h"
#include "iast_devanagari.h"

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

  // A byte-order mark before the text changes nothing.
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
