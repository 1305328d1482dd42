// Throughput of the two conversions over real text repeated to at least
// 10 MB, and of Devanagari to transliteration over a glyph table loaded from
// disk and over long runs that the rules reach back through. The corpus
// directory can be given with SFC_CORPUS_DIR.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "code_table_files.h"
#include "conversion.h"
#include "state.h"

namespace {

constexpr std::size_t kTargetBytes = 10'000'000;

std::string CorpusDir() {
  const char* dir = std::getenv("SFC_CORPUS_DIR");
  return dir != nullptr ? dir : SFC_CORPUS_DIR;
}

std::string ReadCorpus(const std::string& name) {
  const std::string path = CorpusDir() + "/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << path << '\n';
    std::exit(1);
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Repeat(const std::string& text, std::size_t at_least) {
  std::string out;
  out.reserve(at_least + text.size());
  while (out.size() < at_least) out += text;
  return out;
}

sfc::ConverterState StateFor(sfc::DevanagariFont font) {
  sfc::ConverterState state = sfc::MakeStartupState();
  sfc::PressDevanagariFontButton(state, font);
  sfc::PressTranslitFontButton(state, sfc::TranslitFont::kSanskritTimes);
  return state;
}

const std::string& GitaTranslit() {
  static const std::string text = Repeat(ReadCorpus("gita.sanskrit-times.txt"), kTargetBytes);
  return text;
}

// Feeds a stream the input in blocks of 64 KB, as sfconv reads it, and ends it.
template <typename Stream>
sfc::StreamEnd FeedInBlocks(Stream& stream, std::string_view input) {
  constexpr std::size_t kBlock = 1 << 16;
  for (std::size_t at = 0; at < input.size(); at += kBlock) stream.Feed(input.substr(at, kBlock));
  return stream.Finish();
}

// scale: 1 for the 10 MB text, 10 for ten times as much.
void BM_ToDevanagari(benchmark::State& bench, sfc::DevanagariFont font, int scale) {
  const std::string input = scale == 1 ? GitaTranslit() : Repeat(GitaTranslit(), kTargetBytes * 10);
  sfc::ConversionResult result;  // reused, as text after text is converted
  for (auto _ : bench) {
    sfc::ConverterState state = StateFor(font);
    sfc::ConvertToDevanagariInto(state, input, false, result);
    benchmark::DoNotOptimize(result.output.data());
    if (!result.completed) bench.SkipWithError("cut short");
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations() * input.size()));
}

void BM_ToTranslit(benchmark::State& bench, sfc::DevanagariFont font) {
  sfc::ConverterState state = StateFor(font);
  const std::string devanagari =
      sfc::ConvertToDevanagari(state, ReadCorpus("gita.sanskrit-times.txt"), false).output;
  const std::string input = Repeat(devanagari, kTargetBytes);
  sfc::ConversionResult result;  // reused, as text after text is converted
  for (auto _ : bench) {
    sfc::ConverterState run_state = StateFor(font);
    sfc::FillGlyphCodeTable(run_state);
    sfc::ConvertDevanagariToTranslitInto(run_state, input, result);
    benchmark::DoNotOptimize(result.output.data());
    if (!result.completed) bench.SkipWithError("cut short");
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations() * input.size()));
}

// The same through the stream, in blocks of 64 KB, into a sink that only
// counts: the conversion without the whole text's copies.
void StreamGita(benchmark::State& bench, const sfc::ConverterState& state) {
  sfc::ConverterState writer = StateFor(sfc::DevanagariFont::kVedic);
  if (const auto font = sfc::FindDevanagariFont(state.devanagari_box_font)) {
    writer = StateFor(*font);
  }
  const std::string devanagari =
      sfc::ConvertToDevanagari(writer, ReadCorpus("gita.sanskrit-times.txt"), false).output;
  const std::string input = Repeat(devanagari, kTargetBytes);
  for (auto _ : bench) {
    sfc::ConverterState run_state = state;
    sfc::FillGlyphCodeTable(run_state);
    std::size_t written = 0;
    sfc::ToTranslitStream stream(run_state, {},
                                 [&written](std::string_view piece) { written += piece.size(); });
    const sfc::StreamEnd end = FeedInBlocks(stream, input);
    benchmark::DoNotOptimize(written);
    if (!end.completed) bench.SkipWithError("cut short");
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations() * input.size()));
}

void BM_ToTranslitStream(benchmark::State& bench, sfc::DevanagariFont font) {
  StreamGita(bench, StateFor(font));
}

// The Vedic tables written out as code-table files and loaded back under a
// font name of their own: the rules for a loaded table read them.
sfc::ConverterState LoadedVedicState() {
  const sfc::ConverterState vedic = StateFor(sfc::DevanagariFont::kVedic);
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "sfc-bench-loaded-vedic";
  const std::vector<sfc::TableProblem> problems = sfc::ExportCodeTables(vedic, dir);
  if (sfc::HasError(problems)) {
    for (const sfc::TableProblem& problem : problems) {
      std::cerr << "cannot export the tables: " << sfc::FormatProblem(problem) << '\n';
    }
    std::exit(1);
  }
  sfc::ConverterState state = sfc::MakeStartupState();
  sfc::LoadCodeTables(state, dir);
  std::filesystem::remove_all(dir);
  sfc::SetTranslitBoxFont(state, "Sanskrit-Times");
  sfc::SetDevanagariBoxFont(state, "My Vedic");
  return state;
}

// Both whole-text faces with a fresh result each time: its memory is new
// and every page of it is faulted in.
void BM_FreshResult(benchmark::State& bench, bool to_devanagari) {
  sfc::ConverterState vedic = StateFor(sfc::DevanagariFont::kVedic);
  const std::string input =
      to_devanagari
          ? GitaTranslit()
          : Repeat(sfc::ConvertToDevanagari(vedic, ReadCorpus("gita.sanskrit-times.txt"), false)
                       .output,
                   kTargetBytes);
  for (auto _ : bench) {
    sfc::ConverterState state = StateFor(sfc::DevanagariFont::kVedic);
    const sfc::ConversionResult result = to_devanagari
                                             ? sfc::ConvertToDevanagari(state, input, false)
                                             : sfc::RunDevanagariToTranslitCommand(state, input);
    benchmark::DoNotOptimize(result.output.data());
    if (!result.completed) bench.SkipWithError("cut short");
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations() * input.size()));
}

void BM_ToTranslitLoaded(benchmark::State& bench) {
  sfc::ConverterState vedic = StateFor(sfc::DevanagariFont::kVedic);
  const std::string devanagari =
      sfc::ConvertToDevanagari(vedic, ReadCorpus("gita.sanskrit-times.txt"), false).output;
  const std::string input = Repeat(devanagari, kTargetBytes);
  const sfc::ConverterState loaded = LoadedVedicState();
  sfc::ConversionResult result;
  for (auto _ : bench) {
    sfc::ConverterState run_state = loaded;
    sfc::FillGlyphCodeTable(run_state);
    sfc::ConvertDevanagariToTranslitInto(run_state, input, result);
    benchmark::DoNotOptimize(result.output.data());
    if (!result.completed) bench.SkipWithError("cut short");
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations() * input.size()));
}

void BM_ToTranslitStreamLoaded(benchmark::State& bench) { StreamGita(bench, LoadedVedicState()); }

// Vedic glyph runs that the rules reach back through. The time per byte
// stays the same from 1 MB to 10 MB.
enum class LongRun {
  kBackR,               // "k" and then back-r glyphs: each puts an r before "k"
  kHalfForms,           // half forms and one back-r glyph at the end
  kHalfFormsWithBackR,  // half form, back-r glyph, half form, ...: every r goes to the front
};

std::string LongRunInput(LongRun run, std::size_t bytes) {
  switch (run) {
    case LongRun::kBackR:
      return "k" + std::string(bytes - 1, 'R');
    case LongRun::kHalfForms:
      return std::string(bytes - 1, 'K') + "R";
    case LongRun::kHalfFormsWithBackR:
      break;
  }
  return Repeat("KR", bytes);
}

// Through the stream in blocks of 64 KB into a sink that only counts, so
// that the time is the conversion's own and not that of collecting the
// output in fresh memory.
void BM_ToTranslitLongRun(benchmark::State& bench, LongRun run, std::size_t megabytes) {
  const std::string input = LongRunInput(run, megabytes * 1'000'000);
  for (auto _ : bench) {
    sfc::ConverterState state = StateFor(sfc::DevanagariFont::kVedic);
    sfc::FillGlyphCodeTable(state);
    std::size_t written = 0;
    sfc::ToTranslitStream stream(state, {},
                                 [&written](std::string_view piece) { written += piece.size(); });
    const sfc::StreamEnd end = FeedInBlocks(stream, input);
    benchmark::DoNotOptimize(written);
    if (!end.completed) bench.SkipWithError("cut short");
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations() * input.size()));
}

// Transliteration to Devanagari through the stream, in blocks of 64 KB, into
// a sink that only counts.
void StreamToDevanagari(benchmark::State& bench, const sfc::ConverterState& state,
                        const std::string& input, sfc::StreamOptions options = {}) {
  for (auto _ : bench) {
    sfc::ConverterState run_state = state;
    std::size_t written = 0;
    sfc::ToDevanagariStream stream(
        run_state, false, {}, [&written](std::string_view piece) { written += piece.size(); },
        options);
    const sfc::StreamEnd end = FeedInBlocks(stream, input);
    benchmark::DoNotOptimize(written);
    if (!end.completed) bench.SkipWithError("cut short");
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations() * input.size()));
}

void BM_ToDevanagariStream(benchmark::State& bench, sfc::DevanagariFont font) {
  StreamToDevanagari(bench, StateFor(font), GitaTranslit());
}

void BM_ToDevanagariStreamLoaded(benchmark::State& bench) {
  StreamToDevanagari(bench, LoadedVedicState(), GitaTranslit());
}

// The fast way alone, without the letter table: what the table gains.
void BM_ToDevanagariStreamNoTable(benchmark::State& bench, sfc::DevanagariFont font) {
  StreamToDevanagari(bench, StateFor(font), GitaTranslit(), {.letter_table = false});
}

// Inputs where the short-i sign reaches back far, at 1 and 10 MB: "b" n times
// then "i" n times (every sign goes after the second syllable glyph from the
// end), and lines of "kami" with a loaded table whose short-i map is all "n"
// (no glyph is a syllable: every sign goes to the start of the output).
enum class ShortIRun { kHalfFormsThenI, kNoSyllableGlyphs };

void BM_ToDevanagariLongRun(benchmark::State& bench, ShortIRun run, std::size_t megabytes) {
  const std::size_t bytes = megabytes * 1'000'000;
  if (run == ShortIRun::kHalfFormsThenI) {
    StreamToDevanagari(bench, StateFor(sfc::DevanagariFont::kVedic),
                       std::string(bytes / 2, 'b') + std::string(bytes / 2, 'i'));
    return;
  }
  sfc::ConverterState state = LoadedVedicState();
  state.short_i.fill("n");
  StreamToDevanagari(bench, state, Repeat("kami\n", bytes));
}

using sfc::DevanagariFont;
BENCHMARK_CAPTURE(BM_ToDevanagariStream, Vedic, DevanagariFont::kVedic)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariStream, DevNatrajItr, DevanagariFont::kDevNatrajItr)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariStream, Sanskrit99, DevanagariFont::kSanskrit99)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToDevanagariStreamLoaded)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariStreamNoTable, Vedic, DevanagariFont::kVedic)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariStreamNoTable, DevNatrajItr, DevanagariFont::kDevNatrajItr)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariStreamNoTable, Sanskrit99, DevanagariFont::kSanskrit99)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariLongRun, HalfFormsThenI_1MB, ShortIRun::kHalfFormsThenI, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariLongRun, HalfFormsThenI_10MB, ShortIRun::kHalfFormsThenI, 10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariLongRun, NoSyllableGlyphs_1MB, ShortIRun::kNoSyllableGlyphs, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagariLongRun, NoSyllableGlyphs_10MB, ShortIRun::kNoSyllableGlyphs, 10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagari, Vedic, DevanagariFont::kVedic, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagari, DevNatrajItr, DevanagariFont::kDevNatrajItr, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagari, Sanskrit99, DevanagariFont::kSanskrit99, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToDevanagari, Vedic_x10, DevanagariFont::kVedic, 10)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(BM_ToTranslit, Vedic, DevanagariFont::kVedic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslit, DevNatrajItr, DevanagariFont::kDevNatrajItr)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslit, Sanskrit99, DevanagariFont::kSanskrit99)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(BM_ToTranslitStream, Vedic, DevanagariFont::kVedic)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslitStream, DevNatrajItr, DevanagariFont::kDevNatrajItr)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslitStream, Sanskrit99, DevanagariFont::kSanskrit99)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToTranslitLoaded)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FreshResult, ToDevanagari, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FreshResult, ToTranslit, false)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToTranslitStreamLoaded)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslitLongRun, BackR_1MB, LongRun::kBackR, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslitLongRun, BackR_10MB, LongRun::kBackR, 10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslitLongRun, HalfForms_1MB, LongRun::kHalfForms, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslitLongRun, HalfForms_10MB, LongRun::kHalfForms, 10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslitLongRun, HalfFormsWithBackR_1MB, LongRun::kHalfFormsWithBackR, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToTranslitLongRun, HalfFormsWithBackR_10MB, LongRun::kHalfFormsWithBackR, 10)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
