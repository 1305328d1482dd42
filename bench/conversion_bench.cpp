// Throughput of the two conversions over real text repeated to at least
// 10 MB. The corpus directory can be given with SFC_CORPUS_DIR.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

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

// scale: 1 for the 10 MB text, 10 for ten times as much.
void BM_ToDevanagari(benchmark::State& bench, sfc::DevanagariFont font, int scale) {
  const std::string input = scale == 1 ? GitaTranslit() : Repeat(GitaTranslit(), kTargetBytes * 10);
  for (auto _ : bench) {
    sfc::ConverterState state = StateFor(font);
    sfc::ConversionResult result = sfc::ConvertToDevanagari(state, input, false);
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
  for (auto _ : bench) {
    sfc::ConverterState run_state = StateFor(font);
    sfc::ConversionResult result = sfc::RunDevanagariToTranslitCommand(run_state, input);
    benchmark::DoNotOptimize(result.output.data());
    if (!result.completed) bench.SkipWithError("cut short");
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations() * input.size()));
}

using sfc::DevanagariFont;
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

}  // namespace

BENCHMARK_MAIN();
