// Round-trip report: every line of a corpus, in each of the three
// transliteration fonts, goes to Devanagari in each of the three built-in
// Devanagari fonts and back. Per font pair the report gives the share of
// lines and of words that come back unchanged and the most frequent
// differences.
//
//   sfc_roundtrip <corpus directory> <base name> [number of differences shown]
//
// reads <base name>.urw-palladio-it.txt, <base name>.sanskrit-times.txt and
// <base name>.itrtranstimes.txt in the directory (one verse per line).
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion.h"
#include "state.h"
#include "translit_letters.h"
#include "word_compare.h"

namespace {

using sfc::DevanagariFont;
using sfc::TranslitFont;

struct FontFile {
  TranslitFont font;
  std::string_view suffix;
};
constexpr std::array<FontFile, 3> kFontFiles = {{
    {TranslitFont::kUrwPalladioIt, ".urw-palladio-it.txt"},
    {TranslitFont::kSanskritTimes, ".sanskrit-times.txt"},
    {TranslitFont::kItrTransTimes, ".itrtranstimes.txt"},
}};

// The letters of the fonts in UTF-8, in the order of sfc::Letter; empty for
// the marks that have no letter of their own.
constexpr std::array<std::string_view, sfc::kLetterCount> kLetterUtf8 = {
    "ā", "ī", "ū", "ṛ", "ṝ", "ṃ", "ḥ", "ṅ", "ñ", "ṭ", "ḍ", "ṇ", "ś", "ṣ", "", "ḷ", "ḹ", ""};

// Bytes of a transliteration font as readable text: the font's letters in
// UTF-8, printable ASCII as itself, any other byte as <NNN>.
class Display {
 public:
  explicit Display(TranslitFont font) {
    const sfc::TranslitLetters& letters = sfc::GetTranslitLetters(font);
    for (std::size_t i = 0; i < sfc::kLetterCount; ++i) {
      const std::string_view bytes = letters.bytes[i];
      if (bytes.size() == 1 && !kLetterUtf8[i].empty()) {
        utf8_[static_cast<unsigned char>(bytes[0])] = kLetterUtf8[i];
      }
    }
  }

  std::string operator()(std::string_view bytes) const {
    std::string shown;
    for (const char c : bytes) {
      const auto byte = static_cast<unsigned char>(c);
      if (!utf8_[byte].empty()) {
        shown += utf8_[byte];
      } else if (byte >= 0x20 && byte < 0x7f && c != '<') {
        shown += c;
      } else {
        shown += '<' + std::to_string(byte) + '>';
      }
    }
    return shown;
  }

 private:
  std::array<std::string_view, 256> utf8_{};
};

std::vector<std::string> ReadLines(const std::filesystem::path& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

struct PairReport {
  std::size_t lines = 0;
  std::size_t unchanged_lines = 0;
  std::size_t words = 0;
  std::size_t unchanged_words = 0;
  std::size_t cut_short = 0;  // conversions that ended before the end of the line
  std::map<std::pair<std::string, std::string>, std::size_t> differences;
};

PairReport RunPair(TranslitFont translit, DevanagariFont devanagari,
                   const std::vector<std::string>& lines) {
  sfc::ConverterState state = sfc::MakeStartupState();
  sfc::PressDevanagariFontButton(state, devanagari);
  sfc::PressTranslitFontButton(state, translit);
  PairReport report;
  for (const std::string& line : lines) {
    const sfc::ConversionResult there = sfc::ConvertToDevanagari(state, line, false);
    const sfc::ConversionResult back = sfc::RunDevanagariToTranslitCommand(state, there.output);
    if (!there.completed || !back.completed) ++report.cut_short;
    const sfc::roundtrip::LineComparison comparison =
        sfc::roundtrip::CompareLine(line, back.output);
    ++report.lines;
    report.words += comparison.words;
    report.unchanged_words += comparison.unchanged_words;
    if (comparison.unchanged) ++report.unchanged_lines;
    for (const sfc::roundtrip::Difference& difference : comparison.differences) {
      ++report.differences[{difference.original, difference.back}];
    }
  }
  return report;
}

double Percent(std::size_t part, std::size_t whole) {
  return whole == 0 ? 100.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

void Print(const PairReport& report, TranslitFont translit, DevanagariFont devanagari,
           std::size_t shown) {
  std::printf("%s -> %s -> back: lines %zu/%zu (%.2f %%), words %zu/%zu (%.2f %%)",
              std::string(sfc::FontName(translit)).c_str(),
              std::string(sfc::FontName(devanagari)).c_str(), report.unchanged_lines, report.lines,
              Percent(report.unchanged_lines, report.lines), report.unchanged_words, report.words,
              Percent(report.unchanged_words, report.words));
  if (report.cut_short > 0) std::printf(", cut short %zu", report.cut_short);
  std::printf("\n");
  std::vector<std::pair<std::size_t, const std::pair<std::string, std::string>*>> ranked;
  for (const auto& [difference, count] : report.differences) ranked.push_back({count, &difference});
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  const Display display(translit);
  for (std::size_t i = 0; i < std::min(shown, ranked.size()); ++i) {
    std::printf("  %6zu  %s  ->  %s\n", ranked[i].first, display(ranked[i].second->first).c_str(),
                display(ranked[i].second->second).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr,
                 "usage: %s <corpus directory> <base name> [number of differences shown]\n"
                 "reads <base name>.urw-palladio-it.txt, <base name>.sanskrit-times.txt and\n"
                 "<base name>.itrtranstimes.txt in the directory, one verse per line\n",
                 argv[0]);
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  const std::string base = argv[2];
  const std::size_t shown = argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 10;

  int status = 0;
  for (const FontFile& file : kFontFiles) {
    const std::filesystem::path path = directory / (base + std::string(file.suffix));
    bool ok = false;
    const std::vector<std::string> lines = ReadLines(path, ok);
    if (!ok) {
      std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
      status = 1;
      continue;
    }
    for (const DevanagariFont devanagari : sfc::kDevanagariFonts) {
      Print(RunPair(file.font, devanagari, lines), file.font, devanagari, shown);
    }
  }
  return status;
}
