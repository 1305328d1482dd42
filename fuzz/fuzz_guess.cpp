// Any bytes as a sample for the form guess: every form is ranked once, best
// first, with scores from 0 to 100; forms before the rival read alike and
// the rival reads otherwise; a sure guess has the letters and the score it
// needs; and the window's font offer never offers the font in force.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "guess.h"
#include "session.h"

namespace {

#define Require(condition) \
  ((condition) ? void() : (std::fprintf(stderr, "failed: %s\n", #condition), std::abort()))

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view sample(reinterpret_cast<const char*>(data),
                                size < sfc::kGuessSampleSize ? size : sfc::kGuessSampleSize);
  const sfc::FormGuess guess = sfc::GuessForm(sample);
  Require(guess.ranked.size() == 8);
  for (std::size_t k = 0; k < guess.ranked.size(); ++k) {
    const sfc::FormScore& form = guess.ranked[k];
    Require(form.score >= 0 && form.score <= 100);
    if (k > 0) Require(guess.ranked[k - 1].bits >= form.bits);
    for (std::size_t j = 0; j < k; ++j) Require(!(guess.ranked[j].form == form.form));
    if (k > 0 && (guess.rival == 0 || k < guess.rival)) {
      Require(form.reading == guess.best().reading);
    }
  }
  if (guess.rival != 0) Require(guess.ranked[guess.rival].reading != guess.best().reading);
  if (guess.sure()) Require(guess.best().letters >= 20 && guess.best().score >= 50);
  Require(guess.sure() == sfc::DescribeDoubt(guess.doubt).empty());

  sfc::Session session;
  if (size > 0 && data[0] % 2 == 1) session.ChooseDirection(sfc::Direction::kToTranslit);
  if (const auto offer = sfc::SuggestInputFont(session, sample)) {
    Require(offer->font != (session.direction() == sfc::Direction::kToDevanagari
                                ? session.state().translit_box_font
                                : session.state().devanagari_font_name));
    Require(offer->score > offer->current_score || offer->score == 100);
  }
  return 0;
}
