#include "glyph_positions.h"

#include <algorithm>

#include "devitran_table.h"

namespace sfc {

namespace {

bool AnyEquals(std::span<const std::string> keys, std::string_view name) {
  return std::find(keys.begin(), keys.end(), name) != keys.end();
}

template <std::size_t N>
PositionRecorder::Outcome AddToList(std::array<int, N>& slots, int& count, int code) {
  if (count >= static_cast<int>(N)) return PositionRecorder::Outcome::kListFull;
  slots[static_cast<std::size_t>(count)] = code;
  ++count;
  return PositionRecorder::Outcome::kRecorded;
}

}  // namespace

SpecialGlyph ClassifyGlyphEntry(std::string_view entry, std::span<const std::string> long_a_keys,
                                std::span<const std::string> vocalic_r_keys) {
  const std::string_view name = GlyphText(entry);
  const GlyphClass glyph_class = ClassOf(entry);
  if (glyph_class == GlyphClass::kVowelSign && NamedRole(glyph_class, name) == GlyphRole::kNone) {
    if (AnyEquals(long_a_keys, name)) return SpecialGlyph::kLongASign;
    if (AnyEquals(vocalic_r_keys, name)) return SpecialGlyph::kVocalicRSign;
    return SpecialGlyph::kOtherVowelSign;
  }
  return NamedRole(glyph_class, name);
}

void ResetForLoad(SpecialGlyphPositions& positions) {
  positions.half_r_pos = kNoGlyph;
  positions.half_r_upper_pos = kNoGlyph;
  positions.half_rr_pos = kNoGlyph;
  positions.mr_pos = kNoGlyph;
  positions.tt_pos = kNoGlyph;
  positions.vocalic_r_sign_pos = kNoGlyph;
  positions.nam_pos = 0;
  positions.kt_pos = 0;
  positions.la_pos = 0;
  positions.open_y_pos = 0;
  positions.apostrophe_pos = 0;
  positions.short_i_sign_positions.fill(kNoGlyph);
  positions.vowel_sign_positions.fill(kNoGlyph);
  positions.aspirata_positions.fill(kNoGlyph);
  positions.r_positions.fill(kNoGlyph);
}

int ListCapacity(PositionList list) {
  using P = SpecialGlyphPositions;
  switch (list) {
    case PositionList::kShortISign:
      return static_cast<int>(std::tuple_size_v<decltype(P::short_i_sign_positions)>);
    case PositionList::kVowelSign:
      return static_cast<int>(std::tuple_size_v<decltype(P::vowel_sign_positions)>);
    case PositionList::kAspirata:
      return static_cast<int>(std::tuple_size_v<decltype(P::aspirata_positions)>);
    case PositionList::kR:
      return static_cast<int>(std::tuple_size_v<decltype(P::r_positions)>);
  }
  return 0;
}

bool ListOf(SpecialGlyph glyph, PositionList& list) {
  switch (glyph) {
    case SpecialGlyph::kShortISign:
      list = PositionList::kShortISign;
      return true;
    case SpecialGlyph::kOtherVowelSign:
      list = PositionList::kVowelSign;
      return true;
    case SpecialGlyph::kAspirata:
      list = PositionList::kAspirata;
      return true;
    case SpecialGlyph::kR:
      list = PositionList::kR;
      return true;
    default:
      return false;
  }
}

PositionRecorder::Outcome PositionRecorder::AddTo(PositionList list, int code) {
  SpecialGlyphPositions& p = *positions_;
  switch (list) {
    case PositionList::kShortISign:
      return AddToList(p.short_i_sign_positions, short_i_count_, code);
    case PositionList::kVowelSign:
      return AddToList(p.vowel_sign_positions, vowel_count_, code);
    case PositionList::kAspirata:
      return AddToList(p.aspirata_positions, aspirata_count_, code);
    case PositionList::kR:
      return AddToList(p.r_positions, r_count_, code);
  }
  return Outcome::kNothing;
}

PositionRecorder::Outcome PositionRecorder::Record(SpecialGlyph glyph, int code) {
  if (PositionList list; ListOf(glyph, list)) return AddTo(list, code);
  SpecialGlyphPositions& p = *positions_;
  int* target = nullptr;
  switch (glyph) {
    case SpecialGlyph::kMr:
      target = &p.mr_pos;
      break;
    case SpecialGlyph::kTt:
      target = &p.tt_pos;
      break;
    case SpecialGlyph::kVocalicRSign:
      target = &p.vocalic_r_sign_pos;
      break;
    case SpecialGlyph::kNam:
      target = &p.nam_pos;
      break;
    case SpecialGlyph::kLa:
      target = &p.la_pos;
      break;
    case SpecialGlyph::kKt:
      target = &p.kt_pos;
      break;
    case SpecialGlyph::kOpenY:
      target = &p.open_y_pos;
      break;
    case SpecialGlyph::kApostrophe:
      target = &p.apostrophe_pos;
      break;
    case SpecialGlyph::kHalfR:
      target = &p.half_r_pos;
      break;
    case SpecialGlyph::kHalfRUpper:
      target = &p.half_r_upper_pos;
      break;
    case SpecialGlyph::kHalfRr:
      target = &p.half_rr_pos;
      break;
    default:
      break;
  }
  if (!target) return Outcome::kNothing;
  *target = code;
  return Outcome::kRecorded;
}

}  // namespace sfc
