#include "table_dump.h"

#include <span>

namespace sfc {

namespace {

void AppendQuoted(std::string& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte <= 0x7e && c != '"' && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    }
  }
  out += '"';
}

void AppendPosition(std::string& out, std::string_view name, std::span<const int> values) {
  out += "position\t";
  out += name;
  for (int value : values) {
    out += '\t';
    out += std::to_string(value);
  }
  out += '\n';
}

}  // namespace

std::string QuoteBytes(std::string_view bytes) {
  std::string out;
  AppendQuoted(out, bytes);
  return out;
}

std::string DumpTables(const ConverterState& state) {
  std::string out;
  out.reserve(64 * 1024);
  out += "font\t";
  AppendQuoted(out, state.translit_box_font);
  out += '\t';
  AppendQuoted(out, state.devanagari_box_font);
  out += '\t';
  AppendQuoted(out, state.devanagari_font_name);
  out += '\n';
  for (int row = 1; row < kSyllableTableSize; ++row) {
    out += "sanideva\t" + std::to_string(row) + '\t';
    AppendQuoted(out, state.sanideva.key[row]);
    out += '\t';
    AppendQuoted(out, state.sanideva.full[row]);
    out += '\t';
    AppendQuoted(out, state.sanideva.half[row]);
    out += '\n';
  }
  for (int code = 1; code < kShortIMapSize; ++code) {
    out += "shorti\t" + std::to_string(code) + '\t';
    AppendQuoted(out, state.short_i[code]);
    out += '\n';
  }
  for (int row = 1; row < kGlyphTableSize; ++row) {
    out += "devitran\t" + std::to_string(row) + '\t';
    AppendQuoted(out, state.devitran[row]);
    out += '\n';
  }
  const SpecialGlyphPositions& p = state.positions;
  const std::pair<std::string_view, int> singles[] = {
      {"HalfRPos", p.half_r_pos},
      {"HalfRUpperPos", p.half_r_upper_pos},
      {"HalfRrPos", p.half_rr_pos},
      {"MrPos", p.mr_pos},
      {"TtPos", p.tt_pos},
      {"VocalicRSignPos", p.vocalic_r_sign_pos},
      {"NamPos", p.nam_pos},
      {"KtPos", p.kt_pos},
      {"LaPos", p.la_pos},
      {"OpenYPos", p.open_y_pos},
      {"ApostrophePos", p.apostrophe_pos},
  };
  for (const auto& [name, value] : singles) AppendPosition(out, name, std::span(&value, 1));
  AppendPosition(out, "ShortISignPositions", p.short_i_sign_positions);
  AppendPosition(out, "VowelSignPositions", p.vowel_sign_positions);
  AppendPosition(out, "AspirataPositions", p.aspirata_positions);
  AppendPosition(out, "RPositions", p.r_positions);
  return out;
}

}  // namespace sfc
