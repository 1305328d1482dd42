// Devanagari glyph bytes to transliteration bytes.
//
// The conversion walks the padded input one glyph at a time. Each glyph's
// entry in the glyph table gives its text and its class; the class decides
// how the text joins the output. A few glyphs of every font have roles of
// their own (the back r, the short-i sign written before its consonant, the
// long-a sign, ...). Their codes are data: one table per built-in font below,
// and for a glyph table loaded from disk the same structure filled from the
// positions the loader recorded. One main loop serves all fonts.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "conversion.h"
#include "translit_output.h"

namespace sfc {
namespace {

using namespace std::string_view_literals;

// The roles a glyph code can have in a font, and the lists the rules test the
// next glyph against.
enum Role : std::size_t {
  kRGlyph,              // class 2: r written after its syllable
  kTtGlyph,             // class 2: tt
  kMrGlyph,             // class 2: r followed by the anusvara, after its syllable
  kShortISign,          // class 3: short i, written before its consonant
  kLongASign,           // class 3
  kRow169AfterLongA,    // after the long-a sign: the two make the row-169 letter
  kLaGlyph,             // class 5: la
  kRow169AfterLa,       // after the la glyph: the two make the row-169 letter
  kAspirataSign,        // class 5
  kDashGlyph,           // class 5
  kSlashGlyph,          // class 5
  kBackRForm,           // class 5: half_r, half_R, half_rr
  kNGlyph,              // class 5: n written like a back r
  kKeepsShortIPending,  // next glyphs after which a pending short i still waits
  kNamGlyph,            // class 5
  kKtGlyph,             // class 5
  kApostropheGlyph,     // class 5
  kOpenYGlyph,          // class 5
  kInherentVowel,       // next glyphs before which a syllable drops its "a"
  kBackRInherentVowel,  // the same list as the back-r forms and n glyphs use it
  kTtBeforeLongA,       // next glyphs before which the tt glyph reads as itself
  kESign,               // class 3: e signs that follow a long-a sign for o
  kAiSign,              // class 3: ai signs that follow a long-a sign for au
  kSignWithAnusvara,    // e and ai signs that carry the anusvara
  kJoinsLongA,          // class 2: half syllables read together with a long-a sign
  kStrokeSetter,        // glyphs after which the long-a sign sets the stroke flag
  kRoleCount,
};

// A short list of glyph codes, usable in constant tables.
struct CodeList {
  std::array<std::uint8_t, 40> codes{};
  std::size_t size = 0;

  constexpr CodeList() = default;
  constexpr CodeList(std::initializer_list<int> list) {
    for (const int code : list) codes.at(size++) = static_cast<std::uint8_t>(code);
  }
};

struct RoleCodes {
  Role role;
  CodeList codes;
};

// How a font's branch differs beyond its glyph codes.
struct BranchFlags {
  bool kta_before_underscore = false;   // tt glyph then "_" reads "kta"
  bool small_letters_join = false;      // class 9 joins its neighbour (else: nothing)
  bool class8_writes_pending_i = true;  // a pending short i follows a class-8 text
};

struct BuiltinFontRules {
  std::array<CodeList, kRoleCount> codes{};
  BranchFlags flags;
};

constexpr BuiltinFontRules MakeFontRules(std::initializer_list<RoleCodes> roles,
                                         BranchFlags flags) {
  BuiltinFontRules rules;
  for (const RoleCodes& role : roles) rules.codes.at(role.role) = role.codes;
  rules.flags = flags;
  return rules;
}

constexpr BuiltinFontRules kVedicRules = MakeFontRules(
    {
        {kRGlyph, {82, 156, 179, 220}},
        {kTtGlyph, {230, 255}},
        {kMrGlyph, {124}},
        {kShortISign, {105, 174, 178, 190, 225, 226}},
        {kLongASign, {59}},
        {kRow169AfterLongA, {'O'}},
        {kLaGlyph, {108}},
        {kRow169AfterLa, {'O'}},
        {kAspirataSign, {40, 170, 173, 177}},
        {kDashGlyph, {31}},
        {kSlashGlyph, {41}},
        {kBackRForm, {91, 94, 137}},
        {kKeepsShortIPending, {91, 94, 137}},
        {kNamGlyph, {92}},
        {kKtGlyph, {95}},
        {kApostropheGlyph, {140}},
        {kOpenYGlyph, {228}},
        {kInherentVowel,
         {40,  42,  59,  73,  79,  85,  91,  94,  228, 101, 111, 117, 119, 131, 134, 137, 142,
          145, 147, 159, 161, 170, 173, 177, 185, 188, 191, 199, 200, 203, 217, 218, 242, 248}},
        {kBackRInherentVowel,
         {40,  42,  59,  73,  79,  85,  91,  94,  95,  101, 111, 117, 119, 131, 134, 137, 142,
          145, 147, 159, 161, 170, 173, 177, 185, 188, 191, 199, 200, 203, 217, 218, 242, 248}},
        {kTtBeforeLongA, {59}},
    },
    {.kta_before_underscore = true, .small_letters_join = false, .class8_writes_pending_i = true});

constexpr BuiltinFontRules kDevNatrajRules = MakeFontRules(
    {
        {kRGlyph, {124}},
        {kMrGlyph, {250}},
        {kShortISign, {117, 118, 253}},
        {kLongASign, {231}},
        {kRow169AfterLongA, {'w', 'x'}},
        {kLaGlyph, {194}},
        {kRow169AfterLa, {'w', 'x'}},
        {kAspirataSign, {189, 226}},
        {kDashGlyph, {31}},
        {kSlashGlyph, {64}},
        {kBackRForm, {192, 126, 221}},
        {kNGlyph, {146, 215}},
        {kKeepsShortIPending, {126, 39, 192, 215}},
        {kNamGlyph, {229}},
        {kApostropheGlyph, {68}},
        {kOpenYGlyph, {176}},
        {kInherentVowel, {119, 120, 121, 122, 123, 126, 176, 189, 192, 146,
                          215, 226, 231, 235, 236, 237, 238, 239, 245, 248}},
        {kBackRInherentVowel,
         {119, 120, 121, 122, 123, 126, 176, 189, 192, 226, 231, 235, 236, 237, 238, 239, 245,
          248}},
        {kTtBeforeLongA, {231}},
        {kESign, {122, 245}},
        {kAiSign, {123, 248}},
        {kSignWithAnusvara, {245, 248}},
        {kJoinsLongA, {128, 145, 166, 175, 177, 179, 190, 205, 206, 207, 220, 199}},
        {kStrokeSetter, {39, 166, 175, 177, 179, 190, 205, 206, 207, 220, 199}},
    },
    {.kta_before_underscore = false, .small_letters_join = true, .class8_writes_pending_i = true});

constexpr BuiltinFontRules kSanskrit99Rules = MakeFontRules(
    {
        {kRGlyph, {82, 155}},
        {kTtGlyph, {197}},
        {kMrGlyph, {161}},
        {kShortISign, {105}},
        {kLongASign, {97}},
        {kRow169AfterLongA, {168, 169, 171}},
        {kLaGlyph, {108}},
        {kRow169AfterLa, {171}},
        {kAspirataSign, {33, 156, 137}},
        {kDashGlyph, {31}},
        {kSlashGlyph, {44}},
        {kBackRForm, {43}},
        {kKeepsShortIPending, {43}},
        {kNamGlyph, {126}},
        {kKtGlyph, {95}},
        {kApostropheGlyph, {61}},
        {kOpenYGlyph, {40}},
        // The short-i sign 105 is left out: it is written before its consonant
        // and never takes the syllable's "a".
        {kInherentVowel, {33,  43,  38,  40,  73,  97,  101, 137, 117, 156, 130,
                          133, 170, 171, 131, 175, 168, 169, 176, 69,  85}},
        {kBackRInherentVowel, {33,  43,  38,  40,  73,  97,  101, 137, 117, 156, 130,
                               133, 170, 171, 131, 175, 168, 169, 176, 69,  85}},
        {kTtBeforeLongA, {97}},
        {kESign, {101}},
        {kAiSign, {69}},
    },
    {.kta_before_underscore = false, .small_letters_join = false, .class8_writes_pending_i = true});

const BuiltinFontRules& BuiltinRulesFor(DevanagariFont font) {
  switch (font) {
    case DevanagariFont::kVedic:
      return kVedicRules;
    case DevanagariFont::kDevNatrajItr:
      return kDevNatrajRules;
    case DevanagariFont::kSanskrit99:
      break;
  }
  return kSanskrit99Rules;
}

inline constexpr std::size_t kByteValues = 256;
using GlyphSet = translit_output::ByteSet;

// The rules in force for one run: a set of glyph codes per role.
struct FontRules {
  std::array<GlyphSet, kRoleCount> sets;
  BranchFlags flags;

  bool Is(Role role, int code) const {
    return code >= 0 && code < static_cast<int>(kByteValues) &&
           sets[role][static_cast<std::size_t>(code)];
  }
  // Codes outside 1 to 255 (0 and 256 mean "none") are never glyphs of a text.
  void Add(Role role, int code) {
    if (code >= 1 && code < static_cast<int>(kByteValues)) {
      sets[role].set(static_cast<std::size_t>(code));
    }
  }
};

FontRules FromBuiltin(const BuiltinFontRules& builtin) {
  FontRules rules;
  for (std::size_t role = 0; role < kRoleCount; ++role) {
    const CodeList& list = builtin.codes[role];
    for (std::size_t i = 0; i < list.size; ++i) {
      rules.Add(static_cast<Role>(role), list.codes[i]);
    }
  }
  rules.flags = builtin.flags;
  return rules;
}

// The letters the rules write, read once from fixed Key rows.
struct KeyLetters {
  std::string long_a;          // row 1
  std::string long_i;          // row 61
  std::string long_u;          // row 142
  std::string vocalic_r;       // row 110
  std::string long_vocalic_r;  // row 109
  std::string anusvara;        // row 85
  std::string row169;          // row 169
  std::string row171;          // row 171
};

KeyLetters ReadKeyLetters(const SanidevaTable& table) {
  return {table.key[1],   table.key[61], table.key[142], table.key[110],
          table.key[109], table.key[85], table.key[169], table.key[171]};
}

// The rules for a glyph table loaded from disk, from the recorded positions.
FontRules LoadedRules(const ConverterState& state, const KeyLetters& letters) {
  const SpecialGlyphPositions& pos = state.positions;
  FontRules rules;
  for (const int code : pos.r_positions) rules.Add(kRGlyph, code);
  rules.Add(kTtGlyph, pos.tt_pos);
  rules.Add(kMrGlyph, pos.mr_pos);
  for (std::size_t slot = 0; slot < 6; ++slot) {
    rules.Add(kShortISign, pos.short_i_sign_positions[slot]);
  }
  // Every vowel sign but a short i takes the preceding syllable's "a"; the
  // long-a sign is any vowel sign that reads as the long-a letter.
  for (int code = 1; code < static_cast<int>(kByteValues); ++code) {
    const std::string& entry = state.devitran[static_cast<std::size_t>(code)];
    if (GlyphClass(entry) != 3) continue;
    const std::string_view text = GlyphText(entry);
    if (text != "i") rules.Add(kInherentVowel, code);
    if (!letters.long_a.empty() && text == letters.long_a) rules.Add(kLongASign, code);
  }
  rules.Add(kRow169AfterLongA, pos.vocalic_r_sign_pos);
  rules.Add(kLaGlyph, pos.la_pos);
  if (const std::string& sign = state.sanideva.half[110]; sign.size() == 1) {
    rules.Add(kRow169AfterLa, static_cast<unsigned char>(sign[0]));
  }
  for (const int code : pos.aspirata_positions) {
    rules.Add(kAspirataSign, code);
    rules.Add(kInherentVowel, code);
  }
  rules.Add(kDashGlyph, 31);
  rules.Add(kSlashGlyph, 41);
  for (const int code : {pos.half_r_pos, pos.half_r_upper_pos, pos.half_rr_pos}) {
    rules.Add(kBackRForm, code);
    rules.Add(kKeepsShortIPending, code);
    rules.Add(kInherentVowel, code);
  }
  rules.Add(kNamGlyph, pos.nam_pos);
  rules.Add(kKtGlyph, pos.kt_pos);
  rules.Add(kApostropheGlyph, pos.apostrophe_pos);
  rules.Add(kOpenYGlyph, pos.open_y_pos);
  rules.Add(kInherentVowel, pos.open_y_pos);
  rules.sets[kBackRInherentVowel] = rules.sets[kInherentVowel];
  rules.Add(kTtBeforeLongA, ';');
  rules.flags = {
      .kta_before_underscore = true, .small_letters_join = true, .class8_writes_pending_i = false};
  return rules;
}

using translit_output::OutputText;

constexpr std::string_view kAskPrompt = "Enter new character for this code!";

class Converter {
 public:
  Converter(const DevitranTable& table, const FontRules& rules, const KeyLetters& letters,
            std::string_view padded, const InputBox& input_box, std::vector<AskedInputBox>& asked)
      : rules_(rules),
        letters_(letters),
        input_(padded),
        input_box_(input_box),
        asked_(asked),
        out_(padded.size() + padded.size() / 2, VowelMarks(letters, true),
             VowelMarks(letters, false)) {
    // The entries of the byte codes, split once.
    for (std::size_t code = 0; code < kByteValues; ++code) {
      glyphs_[code] = {GlyphText(table[code]), GlyphClass(table[code]), table[code].empty()};
    }
    // Room for every input box the text can ask for.
    std::size_t askable = 0;
    for (const char glyph : padded) {
      askable += glyphs_[static_cast<unsigned char>(glyph)].glyph_class == 7 ? 1 : 0;
    }
    asked_.reserve(askable);
  }

  // Runs the main loop until the window can no longer be read or a rule
  // fails. Returns true when the whole input was read.
  bool Run() {
    while (at_ + 1 < input_.size()) {
      if (!Step()) break;
      ++at_;
    }
    return input_.size() - at_ < 3;
  }

  // The output text and the clipboard's text.
  std::pair<std::string, std::string> Finish() && { return std::move(out_).Finish(); }

 private:
  // The characters the back-r insertion counts as vowel marks; the kt scan
  // uses the same without the apostrophe.
  static GlyphSet VowelMarks(const KeyLetters& letters, bool with_apostrophe) {
    GlyphSet marks;
    for (const char mark : "aeiou "sv) marks.set(static_cast<unsigned char>(mark));
    for (const std::string* letter : {&letters.long_a, &letters.long_i, &letters.long_u,
                                      &letters.vocalic_r, &letters.long_vocalic_r}) {
      if (letter->size() == 1) marks.set(static_cast<unsigned char>((*letter)[0]));
    }
    if (with_apostrophe) marks.set(static_cast<unsigned char>('\''));
    return marks;
  }

  static int Code(char glyph) { return static_cast<unsigned char>(glyph); }
  // Character 1 of the window: the glyph handled before.
  int Previous() const { return Code(input_[at_]); }
  // Character 2: the current glyph.
  int Current() const { return Code(input_[at_ + 1]); }
  // Character 3: the next glyph, -1 when the input has none.
  int Next() const { return at_ + 2 < input_.size() ? Code(input_[at_ + 2]) : -1; }
  // The next glyph becomes the current one of this step.
  void Consume() { ++at_; }

  bool Is(Role role, int code) const { return rules_.Is(role, code); }
  void Append(std::string_view piece) { out_.Append(piece); }
  // A class-5 piece: an empty one changes nothing.
  void AppendPiece(std::string_view piece) {
    if (!piece.empty()) out_.Append(piece);
  }
  void ReplaceDoubleA() {
    if (out_.EndsWith("aa")) out_.ReplaceLast(2, letters_.long_a);
  }

  bool Step() {
    if (stroke_flag_ && ++stroke_steps_ > 2) {
      stroke_steps_ = 0;
      stroke_flag_ = false;
    }
    const int code = Current();
    const Glyph& glyph = glyphs_[static_cast<std::size_t>(code)];
    if (glyph.empty) return false;
    const std::string_view text = glyph.text;
    if (code == 27) {  // a separately written a
      Append("a");
      return true;
    }
    switch (glyph.glyph_class) {
      case 1:
        return FullSyllable(text);
      case 2:
        return HalfSyllable(code, text);
      case 3:
        return VowelSign(code, text);
      case 4:
        Append(input_.substr(at_ + 1, 1));  // the glyph character itself
        return true;
      case 5:
        return SpecialGlyph(code);
      case 6:
        return FullVowel(text);
      case 7:
        AskUser(code);
        return true;
      case 8:
        TakenAsIs(text);
        return true;
      case 9:
        return rules_.flags.small_letters_join ? SmallLetter(text) : true;
      default:
        return true;
    }
  }

  // Appends a syllable; one that ends in "a" loses it before a glyph that
  // brings its own vowel. `next` is that glyph, or -1 when the text does not
  // end in "a". False when the glyph is needed and the text has ended.
  bool AppendSyllable(std::string_view text, int& next) {
    next = -1;
    if (!text.ends_with('a')) {
      Append(text);
      return true;
    }
    next = Next();
    if (next < 0) return false;
    Append(Is(kInherentVowel, next) ? text.substr(0, text.size() - 1) : text);
    return true;
  }

  bool FullSyllable(std::string_view text) {
    int next = -1;
    if (!AppendSyllable(text, next)) return false;
    if (next >= 0 && short_i_pending_ && !Is(kKeepsShortIPending, next)) {
      if (out_.EndsWith("a")) out_.RemoveLast(1);
      Append("i");
      short_i_pending_ = false;
    }
    return true;
  }

  bool HalfSyllable(int code, std::string_view text) {
    if (Is(kRGlyph, code)) {
      out_.InsertBeforeLastConsonants('r', 0, OutputText::kBackRScan);
      return true;
    }
    if (Is(kMrGlyph, code)) {
      out_.InsertBeforeLastConsonants('r', 1, OutputText::kBackRScan);
      Append(letters_.anusvara);
      return true;
    }
    if (Is(kTtGlyph, code)) {
      const int next = Next();
      if (next < 0) return false;
      // Before the long-a sign the glyph reads as itself; before "_" the two
      // make kt.
      if (!Is(kTtBeforeLongA, next) && rules_.flags.kta_before_underscore && next == '_') {
        Consume();
        return FullSyllable("kta");
      }
      Append(text);
      return true;
    }
    if (Is(kJoinsLongA, code)) {
      const int next = Next();
      if (next < 0) return false;
      if (Is(kLongASign, next)) {
        std::string syllable(text);
        syllable += 'a';
        Consume();
        stroke_flag_ = true;
        return FullSyllable(syllable);
      }
    }
    Append(text);
    return true;
  }

  bool VowelSign(int code, std::string_view text) {
    if (Is(kShortISign, code)) {
      short_i_pending_ = true;
      return true;
    }
    if (Is(kLongASign, code)) {
      const int next = Next();
      if (next < 0) return false;
      if (Is(kStrokeSetter, Previous())) stroke_flag_ = true;
      if (Is(kRow169AfterLongA, next)) {
        Consume();
        Append(letters_.row169);
      } else {
        Append(text);
      }
    } else {
      short_i_pending_ = false;
      const bool e_sign = Is(kESign, code);
      if ((e_sign || Is(kAiSign, code)) && Is(kLongASign, Previous()) && !stroke_flag_) {
        // o and au are written as the long-a sign and the e or ai sign.
        out_.RemoveLast(1);
        std::string piece = e_sign ? "o" : "au";
        if (Is(kSignWithAnusvara, code)) piece += letters_.anusvara;
        Append(piece);
      } else {
        Append(text);
      }
    }
    ReplaceDoubleA();
    return true;
  }

  bool SpecialGlyph(int code) {
    if (Is(kLaGlyph, code)) {
      const int next = Next();
      if (next < 0) return false;
      if (Is(kRow169AfterLa, next)) {
        Consume();
        AppendPiece(letters_.row169);
        return true;
      }
      return FullSyllable("la");
    }
    if (Is(kAspirataSign, code)) return true;
    if (Is(kDashGlyph, code)) {
      AppendPiece("-");
      return true;
    }
    if (Is(kSlashGlyph, code)) {
      AppendPiece("/");
      return true;
    }
    if (Is(kBackRForm, code) || Is(kNGlyph, code)) {
      const char letter = Is(kBackRForm, code) ? 'r' : 'n';
      const int next = Next();
      if (next < 0) return false;
      std::string piece(1, letter);
      if (!Is(kBackRInherentVowel, next)) {
        piece += short_i_pending_ ? 'i' : 'a';
        short_i_pending_ = false;
      }
      AppendPiece(piece);
      return true;
    }
    if (Is(kNamGlyph, code)) {
      AppendPiece(letters_.row171);
      return true;
    }
    if (Is(kKtGlyph, code)) {
      out_.InsertBeforeLastConsonants('k', 0, OutputText::kKtScan);
      if (out_.EndsWith("tt")) out_.RemoveLast(1);
      const int next = Next();
      if (next < 0) return false;
      if (!Is(kInherentVowel, next)) AppendPiece("a");
      return true;
    }
    if (Is(kApostropheGlyph, code)) {
      AppendPiece(" '");
      return true;
    }
    if (Is(kOpenYGlyph, code)) {
      Append("y");
      const int next = Next();
      if (next < 0) return false;
      if (!Is(kInherentVowel, next)) AppendPiece("a");
      return true;
    }
    return true;  // no role in this font: nothing
  }

  // What a full vowel followed by a sign of this text reads as; empty when
  // the two stay apart.
  std::string_view JoinedVowel(std::string_view sign_text) const {
    if (!letters_.long_a.empty() && sign_text == letters_.long_a) return letters_.long_a;
    if (sign_text == "o") return "o";
    if (sign_text == "e") return "ai";
    if (sign_text == "au") return "au";
    return {};
  }

  bool FullVowel(std::string_view text) {
    const int next = Next();
    if (next < 0) return false;
    const Glyph& next_glyph = glyphs_[static_cast<std::size_t>(next)];
    if (next_glyph.empty) return false;
    const std::string_view next_text = next_glyph.text;
    // A full vowel and the sign after it make one vowel: the sign is read
    // with the vowel and consumed.
    std::string piece = " ";
    if (const std::string_view joined = JoinedVowel(next_text); !joined.empty()) {
      piece += joined;
      Consume();
    } else {
      piece += text;
    }
    Append(piece);
    ReplaceDoubleA();
    return true;
  }

  void AskUser(int code) {
    const char glyph = static_cast<char>(code);
    if (glyph == '\t' || glyph == '\n' || glyph == '\r') {
      Append(input_.substr(at_ + 1, 1));
      return;
    }
    InputBoxRequest request{InputRequestKind::kGlyphReading, code, "", std::string(kAskPrompt),
                            std::string(1, glyph)};
    std::string answer = input_box_ ? input_box_(request) : request.default_text;
    Append(answer);
    asked_.push_back({std::move(request), std::move(answer)});
  }

  void TakenAsIs(std::string_view text) {
    if (rules_.flags.class8_writes_pending_i && short_i_pending_) {
      std::string piece(text);
      piece += 'i';
      Append(piece);
      short_i_pending_ = false;
      return;
    }
    Append(text);
  }

  bool SmallLetter(std::string_view text) {
    if (out_.EndsWith("a")) out_.RemoveLast(1);
    int next = -1;
    return AppendSyllable(text, next);
  }

  struct Glyph {
    std::string_view text;
    int glyph_class = 0;
    bool empty = true;  // no entry: the run ends at this glyph
  };

  std::array<Glyph, kByteValues> glyphs_;
  const FontRules& rules_;
  const KeyLetters& letters_;
  std::string_view input_;
  const InputBox& input_box_;
  std::vector<AskedInputBox>& asked_;

  OutputText out_;
  std::size_t at_ = 0;  // start of the working copy in the padded input
  bool short_i_pending_ = false;
  bool stroke_flag_ = false;
  int stroke_steps_ = 0;
};

}  // namespace

ConversionResult ConvertDevanagariToTranslit(ConverterState& state, std::string_view input,
                                             const InputBox& input_box) {
  state.devanagari_box_font = state.devanagari_font_name;
  const KeyLetters letters = ReadKeyLetters(state.sanideva);

  ConversionResult result;
  result.padded_input.reserve(input.size() + 2);
  result.padded_input += ' ';
  result.padded_input += input;
  result.padded_input += ' ';

  const std::optional<DevanagariFont> font = FindDevanagariFont(state.devanagari_box_font);
  const FontRules rules = font ? FromBuiltin(BuiltinRulesFor(*font)) : LoadedRules(state, letters);

  Converter converter(state.devitran, rules, letters, result.padded_input, input_box,
                      result.input_boxes);
  result.completed = converter.Run();
  std::tie(result.output, result.clipboard) = std::move(converter).Finish();

  state.devanagari_font_name = state.devanagari_box_font;
  return result;
}

ConversionResult RunDevanagariToTranslitCommand(ConverterState& state, std::string_view input,
                                                const InputBox& input_box) {
  FillGlyphCodeTable(state);
  return ConvertDevanagariToTranslit(state, input, input_box);
}

}  // namespace sfc
