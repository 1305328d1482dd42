// Devanagari to transliteration as a stream: any cut of the input into
// blocks, and holding the output, give what the whole text gives.

#include <random>

#include "conversion.h"
#include "test_support.h"

namespace sfc {
namespace {

// The sizes of the blocks in order.
using Cuts = std::vector<std::size_t>;

Cuts OneByteBlocks(std::size_t size) { return Cuts(size, 1); }

// Mostly small blocks, some empty, some around the carried size, a few large.
Cuts RandomCuts(std::size_t size, std::mt19937& random) {
  Cuts cuts;
  for (std::size_t left = size; left > 0;) {
    const std::size_t kind = random() % 8;
    const std::size_t block = kind == 0   ? 0
                              : kind == 1 ? 1 + random() % 5000
                              : kind == 2 ? 60 + random() % 10
                                          : 1 + random() % 7;
    cuts.push_back(std::min(block, left));
    left -= cuts.back();
  }
  return cuts;
}

// An input box that answers by the glyph's code, the same every time.
std::string Answer(const InputBoxRequest& request) {
  static const std::string answers[] = {"", "a", "tt", "r", "kaa", " "};
  return answers[static_cast<std::size_t>(request.glyph_code) % 6];
}

struct Streamed {
  std::string output;
  std::string clipboard;
  StreamEnd end;
  std::string font_name;  // the current Devanagari font name afterwards
  std::size_t passed_before_finish = 0;
};

Streamed Stream(ConverterState state, std::string_view input, const Cuts& cuts,
                StreamOptions options) {
  Streamed streamed;
  ToTranslitStream stream(
      state, Answer, [&](std::string_view piece) { streamed.output += piece; }, options);
  std::size_t at = 0;
  for (const std::size_t block : cuts) {
    stream.Feed(input.substr(at, block));
    at += block;
  }
  EXPECT_EQ(at, input.size());
  streamed.passed_before_finish = streamed.output.size();
  streamed.end = stream.Finish();
  if (streamed.end.clipboard_set) {
    streamed.clipboard = streamed.output;
    const std::vector<ClipboardEdit>& edits = streamed.end.clipboard_edits;
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
      streamed.clipboard.replace(edit->at, edit->inserted, edit->removed);
    }
  }
  streamed.font_name = state.devanagari_font_name;
  return streamed;
}

// The input boxes asked, one a line, with everything they hold.
std::string Boxes(const std::vector<AskedInputBox>& boxes) {
  std::string text;
  for (const AskedInputBox& box : boxes) {
    const InputBoxRequest& r = box.request;
    text += std::to_string(static_cast<int>(r.kind)) + " " + std::to_string(r.glyph_code) + " " +
            std::to_string(r.offset) + " " + r.title + "|" + r.prompt + "|" + r.default_text +
            " -> " + box.answer + "\n";
  }
  return text;
}

void ExpectSame(const ConversionResult& whole, const Streamed& streamed, bool with_clipboard) {
  EXPECT_BYTES(whole.output, streamed.output);
  if (with_clipboard) {
    EXPECT_BYTES(whole.Clipboard(), streamed.clipboard);
  } else {
    EXPECT_FALSE(streamed.end.clipboard_set);
  }
  EXPECT_EQ(whole.completed, streamed.end.completed);
  EXPECT_EQ(Boxes(whole.input_boxes), Boxes(streamed.end.input_boxes));
}

void ExpectStreamsAsWhole(const ConverterState& state, std::string_view input,
                          const std::vector<Cuts>& cut_ways) {
  SCOPED_TRACE(test::Show(input.substr(0, 200)));
  ConverterState whole_state = state;
  const ConversionResult whole = ConvertDevanagariToTranslit(whole_state, input, Answer);
  // The glyph asked about stands at the offset given in the input with a
  // space on each side, which the conversion reads.
  const std::string padded = " " + std::string(input) + " ";
  for (const AskedInputBox& box : whole.input_boxes) {
    const InputBoxRequest& r = box.request;
    if (r.kind != InputRequestKind::kGlyphReading) continue;
    ASSERT_LT(r.offset + 1, padded.size());
    EXPECT_EQ(static_cast<unsigned char>(padded[r.offset + 1]), r.glyph_code);
  }
  // With many cuts each takes one of the ways of streaming in turn.
  const StreamOptions ways[] = {{.clipboard = true}, {}, {.clipboard = true, .hold_output = true}};
  for (std::size_t k = 0; k < cut_ways.size(); ++k) {
    for (std::size_t way = 0; way < 3; ++way) {
      if (cut_ways.size() > 3 && way != k % 3) continue;
      ExpectSame(whole, Stream(state, input, cut_ways[k], ways[way]), ways[way].clipboard);
    }
  }
  const Streamed once = Stream(state, input, {input.size()}, {.clipboard = true});
  EXPECT_EQ(once.font_name, whole_state.devanagari_font_name);
}

// A built-in font's tables under a name of their own, read by the rules for
// a loaded table.
ConverterState UnderOwnName(ConverterState state) {
  SpecialGlyphPositions& pos = state.positions;
  pos = SpecialGlyphPositions{};
  pos.short_i_sign_positions.fill(kNoGlyph);
  pos.aspirata_positions.fill(kNoGlyph);
  const std::pair<std::string_view, int*> single[] = {
      {"half_r5", &pos.half_r_pos}, {"half_rr5", &pos.half_rr_pos},
      {"mr2", &pos.mr_pos},         {"tt2", &pos.tt_pos},
      {"kt5", &pos.kt_pos},         {"la5", &pos.la_pos},
      {"open_y5", &pos.open_y_pos}, {"apostrophe5", &pos.apostrophe_pos},
      {"nam5", &pos.nam_pos}};
  std::size_t short_i = 0, aspirata = 0, r = 0;
  for (int code = 1; code <= 255; ++code) {
    const std::string& entry = state.devitran[static_cast<std::size_t>(code)];
    for (const auto& [name, position] : single) {
      if (entry == name) *position = code;
    }
    if (entry == "r2" && r < pos.r_positions.size()) pos.r_positions[r++] = code;
    if (entry == "i3" && short_i < pos.short_i_sign_positions.size()) {
      pos.short_i_sign_positions[short_i++] = code;
    }
    if (entry.starts_with("asp") && aspirata < pos.aspirata_positions.size()) {
      pos.aspirata_positions[aspirata++] = code;
    }
  }
  SetDevanagariBoxFont(state, "Own Name");
  return state;
}

std::string GitaInDevanagari(ConverterState& state, TranslitFont translit) {
  const ConversionResult there =
      ConvertToDevanagari(state, test::ReadFileBytes(test::GitaFile(translit)), false);
  EXPECT_TRUE(there.completed);
  return there.output;
}

TEST(ToTranslitStream, TheGitaInEveryFontPairStreamsAsTheWholeText) {
  std::mt19937 random(2024);
  for (const TranslitFont translit : kTranslitFonts) {
    for (const DevanagariFont devanagari : kDevanagariFonts) {
      SCOPED_TRACE(std::string(FontName(translit)) + " / " + std::string(FontName(devanagari)));
      ConverterState state = test::StateFor(translit, devanagari);
      const std::string input = GitaInDevanagari(state, translit);
      for (const bool own_name : {false, true}) {
        if (own_name && translit != TranslitFont::kSanskritTimes) continue;
        ExpectStreamsAsWhole(own_name ? UnderOwnName(state) : state, input,
                             {OneByteBlocks(input.size()), RandomCuts(input.size(), random)});
      }
    }
  }
}

// Random text over a few glyph codes at a time.
std::string RandomGlyphs(std::mt19937& random, std::size_t max_size) {
  std::vector<char> codes;
  const std::size_t kinds = 1 + random() % 6;
  for (std::size_t i = 0; i < kinds; ++i) codes.push_back(static_cast<char>(random() % 256));
  if (random() % 2) codes.push_back(' ');
  std::string text(random() % (max_size + 1), ' ');
  for (char& c : text) c = codes[random() % codes.size()];
  return text;
}

// Every way to cut a short input in two, one-byte blocks and random cuts.
std::vector<Cuts> ManyCuts(std::size_t size, std::mt19937& random) {
  std::vector<Cuts> cut_ways = {OneByteBlocks(size), RandomCuts(size, random)};
  if (size <= 40) {
    for (std::size_t at = 0; at <= size; ++at) cut_ways.push_back({at, size - at});
  }
  return cut_ways;
}

// Tables as a loader may leave them: any entries, positions and letters
// (among them those the rules remove, "a" and "t", and insert, "r" and "k").
ConverterState OddTables(std::mt19937& random) {
  static const char* const pieces[] = {"",   "a",  "t",  "r",  "k",  "aa",       "tt",
                                       "ka", "'",  " ",  "e",  "rt", "at",       "i",
                                       "o",  "au", "ta", "kt", "ra", "\x80\x81", "\x86"};
  constexpr std::size_t kPieces = sizeof(pieces) / sizeof(pieces[0]);
  ConverterState state =
      test::StateFor(kTranslitFonts[random() % 3], kDevanagariFonts[random() % 3]);
  auto code = [&random] { return static_cast<int>(random() % 258); };
  SpecialGlyphPositions& pos = state.positions;
  for (int* position : {&pos.half_r_pos, &pos.half_r_upper_pos, &pos.half_rr_pos, &pos.mr_pos,
                        &pos.tt_pos, &pos.vocalic_r_sign_pos, &pos.nam_pos, &pos.kt_pos,
                        &pos.la_pos, &pos.open_y_pos, &pos.apostrophe_pos}) {
    *position = code();
  }
  for (int& position : pos.short_i_sign_positions) position = random() % 3 ? 0 : code();
  for (int& position : pos.aspirata_positions) position = code();
  for (int& position : pos.r_positions) position = code();
  const std::size_t changed = random() % 16;
  for (std::size_t i = 0; i < changed; ++i) {
    std::string entry = pieces[random() % kPieces];
    if (random() % 2) entry += pieces[random() % kPieces];
    entry += static_cast<char>('0' + random() % 10);
    state.devitran[random() % 256] = entry;
  }
  for (const int row : {1, 61, 142, 110, 109, 85, 169, 171}) {
    if (random() % 3 == 0)
      state.sanideva.key[static_cast<std::size_t>(row)] = pieces[random() % kPieces];
  }
  SetDevanagariBoxFont(
      state, random() % 8 ? "Odd Tables" : std::string(FontName(kDevanagariFonts[random() % 3])));
  return state;
}

TEST(ToTranslitStream, RandomGlyphsStreamAsTheWholeText) {
  std::vector<ConverterState> states = {MakeStartupState()};
  for (const TranslitFont translit : kTranslitFonts) {
    for (const DevanagariFont devanagari : kDevanagariFonts) {
      states.push_back(test::StateFor(translit, devanagari));
    }
  }
  states.push_back(UnderOwnName(states[1]));
  std::mt19937 random(31337);
  for (std::size_t run = 0; run < 4000; ++run) {
    const ConverterState state = run % 5 < 2 ? states[run % states.size()] : OddTables(random);
    const std::string input = RandomGlyphs(random, run % 2 ? 40 : 250);
    const std::vector<Cuts> cut_ways = ManyCuts(input.size(), random);
    ExpectStreamsAsWhole(state, input, cut_ways);
    if (run % 4 == 0) {  // read as written: the same in any cut
      const std::string whole =
          Stream(state, input, {input.size()}, {.hold_output = true, .read_as_written = true})
              .output;
      for (const Cuts& cuts : cut_ways) {
        EXPECT_BYTES(whole, Stream(state, input, cuts, {.read_as_written = true}).output)
            << test::Show(input.substr(0, 200));
      }
    }
    if (HasFailure()) return;
  }
}

// Held, nothing passes on; half forms with back-r glyphs between them are
// held whole: every r goes before the group.
TEST(ToTranslitStream, TheOutputPassesOnAsTheInputComesButNotWhatARuleReaches) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  const std::string input = GitaInDevanagari(state, TranslitFont::kSanskritTimes);
  const Cuts cuts(input.size() / 1000, 1000);
  const std::string_view fed = std::string_view(input).substr(0, cuts.size() * 1000);
  const Streamed streamed = Stream(state, fed, cuts, {});
  EXPECT_LT(streamed.output.size() - streamed.passed_before_finish, 64U);
  const Streamed held = Stream(state, fed, cuts, {.hold_output = true});
  EXPECT_EQ(held.passed_before_finish, 0U);
  EXPECT_EQ(held.output, streamed.output);

  std::string group = "km ";
  for (int i = 0; i < 2000; ++i) group += "KR";
  const Streamed grouped = Stream(state, group, Cuts(group.size(), 1), {});
  EXPECT_LE(grouped.passed_before_finish, 5U);
  EXPECT_TRUE(
      grouped.output.ends_with(" " + std::string(2000, 'r') + std::string(2000, 'k') + " "));
}

// Reading Dev Natraj ITR in the glyph orders its conversion writes.
TEST(ToTranslitStream, ReadAsWrittenTakesTheWritersGlyphOrders) {
  ConverterState state =
      test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kDevNatrajItr);
  // The words read, without the blanks of the independent vowels and the line's end.
  auto read = [&state](const std::string& glyphs, bool as_written) {
    const std::string out =
        Stream(state, glyphs, {glyphs.size()}, {.read_as_written = as_written}).output;
    const std::size_t first = out.find_first_not_of(' ');
    return out.substr(first, out.find_first_of("\n") - first);
  };
  struct Case {
    std::string words;  // Sanskrit-Times
    std::string plain;  // what the plain reading gives
  };
  const std::vector<Case> cases = {
      {"agni", "agani"},             // short i between g and the n that joins it
      {"sa\x89gi", "sa\x89iga"},     // short i before a syllable and its small g
      {"sa\x89gavi", "sa\x89gavi"},  // a short i after the small g is the next one's
      {"kataranno", test::B({"katarann", 0x80, "e"})},  // o after the stroke that completes nn
      {"tattau", test::B({"tatt", 0x80, "ai"})},        // au likewise
      {test::B({0x85, 0x8f, "vara"}), test::B({"r i", 0x8f, "vara"})},  // long i: i, back r
  };
  for (const Case& c : cases) {
    ConverterState writer = state;
    const std::string glyphs = ConvertToDevanagari(writer, c.words + "\n", false).output;
    EXPECT_BYTES(c.words, read(glyphs, true)) << test::Show(glyphs);
    EXPECT_BYTES(c.plain, read(glyphs, false)) << test::Show(glyphs);
  }
  // After the independent vowel a the short i is read where it stands.
  EXPECT_BYTES("ani", read(test::B({69, 117, 146, 10}), true));
}

// A text in which every ordered pair of the glyphs with an entry stands side
// by side once.
std::string EveryPair(const ConverterState& state) {
  std::vector<unsigned char> codes;
  for (int code = 1; code < 256; ++code) {
    if (!state.devitran[static_cast<std::size_t>(code)].empty()) {
      codes.push_back(static_cast<unsigned char>(code));
    }
  }
  // The Lyndon words of length 1 and 2 in order, the first code again.
  std::string text;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    text.push_back(static_cast<char>(codes[i]));
    for (std::size_t j = i + 1; j < codes.size(); ++j) {
      text.push_back(static_cast<char>(codes[i]));
      text.push_back(static_cast<char>(codes[j]));
    }
  }
  text.push_back(static_cast<char>(codes.front()));
  return text;
}

TEST(ToTranslitStream, TheFullStepAgreesWithTheShortWayOnEveryPair) {
  std::vector<ConverterState> states;
  for (const DevanagariFont devanagari : kDevanagariFonts) {
    states.push_back(test::StateFor(TranslitFont::kSanskritTimes, devanagari));
  }
  states.push_back(UnderOwnName(states.front()));
  for (const ConverterState& state : states) {
    SCOPED_TRACE(state.devanagari_box_font);
    const std::string text = EveryPair(state);
    const Streamed quick = Stream(state, text, {text.size()}, {});
    const Streamed full = Stream(state, text, {text.size()}, {.full_steps = true});
    EXPECT_TRUE(quick.end.completed);
    EXPECT_BYTES(quick.output, full.output);
  }
}

// Dev Natraj ITR's half syllables before the long-a sign, among the glyphs
// whose rules look at the two: the sign again, the e and ai signs (o and au
// after the sign, kept apart by the stroke flag), the short-i sign, the back
// r. The short way and the full step agree, in short texts and in long ones,
// where the short way stops for room in many places.
TEST(ToTranslitStream, TheFullStepAgreesWithTheShortWayAroundHalfSyllables) {
  const ConverterState state =
      test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kDevNatrajItr);
  const std::string codes =
      test::B({128, 166, 199, 231, 231, 231, 122, 123, 245, 248, 117, 253, 124,
               126, 146, 176, 189, 194, 'w', ' ', 119, 'k', 39,  229, 250, 215});
  std::mt19937 random(4242);
  for (std::size_t run = 0; run < 3000; ++run) {
    std::string text(run % 100 == 0 ? 20000 : 1 + random() % 60, ' ');
    for (char& c : text) c = codes[random() % codes.size()];
    const Streamed quick = Stream(state, text, {text.size()}, {.clipboard = true});
    const Streamed full =
        Stream(state, text, {text.size()}, {.clipboard = true, .full_steps = true});
    ASSERT_TRUE(test::BytesEqual(full.output, quick.output)) << test::Show(text.substr(0, 200));
    ASSERT_TRUE(test::BytesEqual(full.clipboard, quick.clipboard))
        << test::Show(text.substr(0, 200));
    ASSERT_EQ(full.end.completed, quick.end.completed);
  }
}

}  // namespace
}  // namespace sfc
