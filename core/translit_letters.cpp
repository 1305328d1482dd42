#include "translit_letters.h"

namespace sfc {

namespace {

using namespace std::string_view_literals;

constexpr std::array<TranslitLetters, 3> kLetters = {{
    {"URW Palladio IT"sv,
     {"\xe4"sv, "\xe9"sv, "\xfc"sv, "\xe5"sv, "\xe8"sv, "\xe0"sv, "\xf9"sv, "\xec"sv, "\xef"sv,
      "\xf6"sv, "\xf2"sv, "\xeb"sv, "\xe7"sv, "\xf1"sv, "_"sv, "\xff"sv, "\xfd"sv, "\xf0"sv}},
    {"Sanskrit-Times"sv,
     {"\x80"sv, "\x85"sv, "\x99"sv, "\x8d"sv, "\x8e"sv, "\x88"sv, "\x83"sv, "\x89"sv, "\xf1"sv,
      "\x98"sv, "\x81"sv, "\x8a"sv, "\x8f"sv, "\x90"sv, "_"sv, "\x86"sv, "\x87"sv,
      "\xf1"
      "a\x88"sv}},
    {"ITRTransTimes"sv,
     {"\xa1"sv, "\xa2"sv, "\xa3"sv, "\xa4"sv, "\xa5"sv, "\xed"sv, "\xbc"sv, "\xac"sv, "\xad"sv,
      "\xae"sv, "\xaf"sv, "\xb0"sv, "\xb6"sv, "\xb7"sv, "/-/"sv, "\xb4"sv, "\xa7"sv, "\xbb"sv}},
}};

}  // namespace

const TranslitLetters& GetTranslitLetters(TranslitFont font) {
  return kLetters[static_cast<std::size_t>(font)];
}

std::string_view FontName(TranslitFont font) { return GetTranslitLetters(font).font_name; }

std::optional<TranslitFont> FindTranslitFont(std::string_view font_name) {
  for (TranslitFont font : kTranslitFonts) {
    if (FontName(font) == font_name) return font;
  }
  return std::nullopt;
}

std::string ExpandLetters(std::string_view letter_template, const TranslitLetters& letters) {
  std::string out;
  out.reserve(letter_template.size() + 4);
  for (char c : letter_template) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 1 && byte <= kLetterCount) {
      out += letters[static_cast<Letter>(byte)];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace sfc
