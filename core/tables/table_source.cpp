#include "table_source.h"

#include <charconv>
#include <cstddef>
#include <map>
#include <span>

#include "translit_letters.h"

namespace sfc::tables {

namespace {

constexpr std::array<std::string_view, kFontCount> kFontNames = {"Vedic", "Dev Natraj ITR",
                                                                 "Sanskrit 99"};

// How the data source writes the special letters: by name in braces, and
// (all but the two marks) as the UTF-8 letter.
struct LetterSpelling {
  Letter letter;
  std::string_view name;
  std::string_view utf8;
};
constexpr std::array<LetterSpelling, kLetterCount> kLetterSpellings = {{
    {Letter::kLongA, "long_a", "ā"},
    {Letter::kLongI, "long_i", "ī"},
    {Letter::kLongU, "long_u", "ū"},
    {Letter::kVocalicR, "vocalic_r", "ṛ"},
    {Letter::kLongVocalicR, "long_vocalic_r", "ṝ"},
    {Letter::kAnusvara, "anusvara", "ṃ"},
    {Letter::kVisarga, "visarga", "ḥ"},
    {Letter::kVelarN, "velar_n", "ṅ"},
    {Letter::kPalatalN, "palatal_n", "ñ"},
    {Letter::kRetroflexT, "retroflex_t", "ṭ"},
    {Letter::kRetroflexD, "retroflex_d", "ḍ"},
    {Letter::kRetroflexN, "retroflex_n", "ṇ"},
    {Letter::kPalatalS, "palatal_s", "ś"},
    {Letter::kRetroflexS, "retroflex_s", "ṣ"},
    {Letter::kHiddenDash, "hidden_dash", ""},
    {Letter::kVocalicL, "vocalic_l", "ḷ"},
    {Letter::kLongVocalicL, "long_vocalic_l", "ḹ"},
    {Letter::kRow171Sign, "row171_sign", ""},
}};
constexpr std::string_view kLetterList =
    "ā ī ū ṛ ṝ ṃ ḥ ṅ ñ ṭ ḍ ṇ ś ṣ ḷ ḹ, {hidden_dash} or {row171_sign}";

enum class Section { kNone, kSyllables, kGlyphs, kStartupGlyphs, kStartupSyllables, kNoShortI };
constexpr std::array<std::string_view, 6> kSectionNames = {
    "", "syllables", "glyphs", "startup-glyphs", "startup-syllables", "no-short-i"};
constexpr std::string_view kSectionOrder =
    "[syllables], [glyphs], [startup-glyphs], [startup-syllables], [no-short-i]";

constexpr std::array<std::string_view, kFontCount + 1> kListLabels = {
    "startup", "vedic", "dev_natraj_itr", "sanskrit_99"};

// Texts in the syllable and glyph tables are letter templates; start-up glyph
// texts are literal bytes.
enum class TextKind { kTemplate, kLiteral };

struct Token {
  enum class Kind { kWord, kText, kBar };
  Kind kind = Kind::kWord;
  std::string text;  // a word as written; a text without its quotes, escapes kept
};

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::optional<int> ParseNumber(std::string_view s) {
  if (!IsDigits(s) || s.size() > 4) return std::nullopt;
  int value = 0;
  std::from_chars(s.data(), s.data() + s.size(), value);
  return value;
}

std::string Hex(unsigned value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kHex[value & 0xf];
    value >>= 4;
  }
  return out;
}

std::string Missing(std::string_view what, int first, int last) {
  if (first == last) return std::string(what) + " " + std::to_string(first) + " is missing";
  return std::string(what) + "s " + std::to_string(first) + " to " + std::to_string(last) +
         " are missing";
}

bool IsRowName(std::string_view name) {
  if (name.empty() || name[0] < 'a' || name[0] > 'z') return false;
  char previous = '\0';
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok || (c == '_' && previous == '_')) return false;
    previous = c;
  }
  return name.back() != '_';
}

class Parser {
 public:
  explicit Parser(std::string_view file_name) : file_name_(file_name) {}

  ParsedTableSource Parse(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && error_.empty()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++line_;
      ParseLine(line);
      start = end + 1;
    }
    if (error_.empty()) FinishSection();
    if (error_.empty() && section_ != Section::kNoShortI) {
      Fail("the file ends before section [" +
           std::string(kSectionNames[static_cast<std::size_t>(section_) + 1]) +
           "]; the sections are " + std::string(kSectionOrder));
    }
    if (!error_.empty()) return {std::nullopt, error_};
    return {std::move(tables_), ""};
  }

 private:
  bool Fail(const std::string& message) {
    if (error_.empty()) {
      error_ = std::string(file_name_) + ":" + std::to_string(line_) + ": " + message;
    }
    return false;
  }

  bool Tokenize(std::string_view line, std::vector<Token>& tokens) {
    std::size_t i = 0;
    while (i < line.size()) {
      const char c = line[i];
      if (c == ' ' || c == '\t') {
        ++i;
      } else if (c == '#') {
        break;
      } else if (c == '|') {
        tokens.push_back({Token::Kind::kBar, "|"});
        ++i;
      } else if (c == '"') {
        std::string inner;
        ++i;
        bool closed = false;
        while (i < line.size()) {
          if (line[i] == '\\' && i + 1 < line.size()) {
            inner += line.substr(i, 2);
            i += 2;
          } else if (line[i] == '"') {
            closed = true;
            ++i;
            break;
          } else {
            inner += line[i++];
          }
        }
        if (!closed) return Fail("a text has no closing quote");
        if (i < line.size() && line[i] != ' ' && line[i] != '\t') {
          return Fail("a space must follow the closing quote of a text");
        }
        tokens.push_back({Token::Kind::kText, std::move(inner)});
      } else {
        const std::size_t end = line.find_first_of(" \t", i);
        const std::string_view word = line.substr(i, end == std::string_view::npos ? end : end - i);
        if (word.find_first_of("\"|#") != std::string_view::npos) {
          return Fail("\"" + std::string(word) +
                      "\": put spaces around \"|\" and before quotes and \"#\"");
        }
        tokens.push_back({Token::Kind::kWord, std::string(word)});
        i += word.size();
      }
    }
    return true;
  }

  void ParseLine(std::string_view line) {
    std::vector<Token> tokens;
    if (!Tokenize(line, tokens) || tokens.empty()) return;
    const std::string& first = tokens[0].text;
    if (tokens[0].kind == Token::Kind::kWord && first.starts_with('[')) {
      if (tokens.size() != 1 || !first.ends_with(']')) {
        Fail("a section line is \"[name]\" alone");
        return;
      }
      StartSection(std::string_view(first).substr(1, first.size() - 2));
      return;
    }
    switch (section_) {
      case Section::kNone:
        Fail("a line before the first section; the sections are " + std::string(kSectionOrder));
        break;
      case Section::kSyllables:
        SyllableLine(tokens);
        break;
      case Section::kGlyphs:
        GlyphLine(tokens);
        break;
      case Section::kStartupGlyphs:
        StartupGlyphLine(tokens);
        break;
      case Section::kStartupSyllables:
        StartupSyllableLine(tokens);
        break;
      case Section::kNoShortI:
        NoShortILine(tokens);
        break;
    }
  }

  void StartSection(std::string_view name) {
    std::size_t index = 0;
    for (std::size_t i = 1; i < kSectionNames.size(); ++i) {
      if (kSectionNames[i] == name) index = i;
    }
    if (index == 0) {
      Fail("unknown section [" + std::string(name) + "]; the sections are " +
           std::string(kSectionOrder));
      return;
    }
    const auto current = static_cast<std::size_t>(section_);
    if (index != current + 1) {
      Fail("section [" + std::string(name) + "] out of place; the sections are " +
           std::string(kSectionOrder) + ", each once, in this order");
      return;
    }
    if (!FinishSection()) return;
    section_ = static_cast<Section>(index);
  }

  // The checks that need the whole section; a failure names the line that
  // ends it.
  bool FinishSection() {
    switch (section_) {
      case Section::kSyllables: {
        const auto count = static_cast<int>(tables_.syllables.size());
        if (count < kSyllableRowCount) {
          return Fail("[syllables] ends after row " + std::to_string(count) + "; " +
                      Missing("row", count + 1, kSyllableRowCount));
        }
        return true;
      }
      case Section::kGlyphs: {
        const auto count = static_cast<int>(tables_.glyphs[0].size());
        if (count < kGlyphCodeCount) {
          return Fail("[glyphs] ends after code " + std::to_string(count) + "; " +
                      Missing("code", count + 1, kGlyphCodeCount));
        }
        return true;
      }
      case Section::kNoShortI:
        for (std::size_t i = 0; i < kListLabels.size(); ++i) {
          if (list_lines_[i] == 0) {
            return Fail("[no-short-i] has no list " + std::string(kListLabels[i]));
          }
        }
        return true;
      default:
        return true;
    }
  }

  bool CheckFields(const std::vector<Token>& tokens, std::string_view layout,
                   std::string_view section) {
    // layout: one letter per field: n number or word, t text, | bar.
    std::string shown;
    for (char f : layout) {
      if (!shown.empty()) shown += ' ';
      shown += f == 'n' ? "word" : f == 't' ? "\"text\"" : "|";
    }
    if (tokens.size() != layout.size()) {
      return Fail("a [" + std::string(section) + "] line has " + std::to_string(tokens.size()) +
                  " fields, not " + std::to_string(layout.size()) + " (" + shown + ")");
    }

    for (std::size_t i = 0; i < layout.size(); ++i) {
      const Token::Kind want = layout[i] == 'n'   ? Token::Kind::kWord
                               : layout[i] == 't' ? Token::Kind::kText
                                                  : Token::Kind::kBar;
      if (tokens[i].kind == want) continue;
      return Fail("field " + std::to_string(i + 1) + " must be " +
                  (want == Token::Kind::kText  ? "a text in double quotes"
                   : want == Token::Kind::kBar ? "\"|\""
                                               : "a number or word") +
                  " (" + shown + ")");
    }
    return true;
  }

  std::optional<int> Number(const std::string& word, int low, int high, std::string_view what) {
    const std::optional<int> value = ParseNumber(word);
    if (!value || *value < low || *value > high) {
      Fail(std::string(what) + " \"" + word + "\" is not a number from " + std::to_string(low) +
           " to " + std::to_string(high));
      return std::nullopt;
    }
    return value;
  }

  // A glyph cell: decimal bytes joined by commas, or "empty".
  std::optional<std::string> Cell(const std::string& word) {
    if (word == "empty") return std::string();
    std::string bytes;
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = word.find(',', start);
      const std::string part =
          word.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      const std::optional<int> value = ParseNumber(part);
      if (!value || *value < 1 || *value > 255) {
        Fail("\"" + word + "\": a cell is bytes 1 to 255 in decimal joined by commas, or empty" +
             (value ? "; byte " + part + " is out of range" : std::string()));
        return std::nullopt;
      }
      bytes += static_cast<char>(*value);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    return bytes;
  }

  // A quoted text (escapes kept) as bytes; letters become placeholders.
  std::optional<std::string> Text(std::string_view raw, TextKind kind) {
    std::string out;
    std::size_t i = 0;
    while (i < raw.size()) {
      const auto byte = static_cast<unsigned char>(raw[i]);
      if (byte == '\\') {
        const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
        if (next != '"' && next != '\\' && next != '{' && next != '}') {
          Fail("unknown escape \"\\" + std::string(1, next) + "\"; write \\\" \\\\ \\{ or \\}");
          return std::nullopt;
        }
        out += next;
        i += 2;
      } else if (byte == '{') {
        const std::size_t close = raw.find('}', i);
        if (close == std::string_view::npos) {
          Fail("\"{\" without \"}\" (write \\{ for the character)");
          return std::nullopt;
        }
        const std::string_view inside = raw.substr(i + 1, close - i - 1);
        if (!Braced(inside, kind, out)) return std::nullopt;
        i = close + 1;
      } else if (byte == '}') {
        Fail("\"}\" without \"{\" (write \\} for the character)");
        return std::nullopt;
      } else if (byte >= 0x80) {
        std::size_t length = 0;
        if (!Utf8Letter(raw.substr(i), kind, out, length)) return std::nullopt;
        i += length;
      } else if (byte < 0x20 || byte == 0x7f) {
        Fail("control character " + std::to_string(byte) + " in a text; write {" +
             std::to_string(byte) + "}");
        return std::nullopt;
      } else {
        out += raw[i++];
      }
    }
    return out;
  }

  bool Braced(std::string_view inside, TextKind kind, std::string& out) {
    if (IsDigits(inside)) {
      const std::optional<int> value = ParseNumber(inside);
      const int low = kind == TextKind::kTemplate ? kLetterCount + 1 : 1;
      if (!value || *value < 1 || *value > 255) {
        return Fail("{" + std::string(inside) + "}: a byte is 1 to 255");
      }
      if (*value < low) {
        return Fail("{" + std::string(inside) +
                    "} is the placeholder of a letter; write the letter (" +
                    std::string(kLetterList) + ")");
      }
      out += static_cast<char>(*value);
      return true;
    }
    for (const LetterSpelling& spelling : kLetterSpellings) {
      if (spelling.name == inside) return AppendLetter(spelling, kind, out);
    }
    return Fail("unknown letter name {" + std::string(inside) + "}; the letters are " +
                std::string(kLetterList));
  }

  bool Utf8Letter(std::string_view rest, TextKind kind, std::string& out, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
    bool valid = length != 0 && lead < 0xf8 && rest.size() >= length;
    unsigned code_point = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0fu : lead & 0x1fu;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(rest[k]);
      valid = (next & 0xc0) == 0x80;
      code_point = (code_point << 6) | (next & 0x3fu);
    }
    if (!valid) return Fail("a text is not valid UTF-8");
    const std::string_view sequence = rest.substr(0, length);
    for (const LetterSpelling& spelling : kLetterSpellings) {
      if (!spelling.utf8.empty() && spelling.utf8 == sequence)
        return AppendLetter(spelling, kind, out);
    }
    return Fail("unknown letter U+" + Hex(code_point, 4) + " \"" + std::string(sequence) +
                "\"; the letters are " + std::string(kLetterList));
  }

  bool AppendLetter(const LetterSpelling& spelling, TextKind kind, std::string& out) {
    if (kind == TextKind::kLiteral) {
      return Fail("start-up glyph texts are literal bytes: no letters; write {N} for byte N");
    }
    out += static_cast<char>(spelling.letter);
    return true;
  }

  std::optional<int> Class(const std::string& word) {
    if (word.size() != 1 || word[0] < '0' || word[0] > '9') {
      Fail("class \"" + word + "\" is not one digit");
      return std::nullopt;
    }
    return word[0] - '0';
  }

  // Rows and codes come 1, 2, 3, ... once each.
  bool InOrder(int number, int expected, std::map<int, int>& lines, std::string_view what) {
    if (number == expected) {
      lines[number] = line_;
      return true;
    }
    const std::string n = std::string(what) + " " + std::to_string(number);
    if (lines.contains(number)) {
      return Fail(n + " appears twice (first on line " + std::to_string(lines[number]) + ")");
    }
    if (number > expected) {
      return Fail(std::string(what) + " " + std::to_string(expected) + " is missing (" +
                  std::string(what) + "s run in order from 1)");
    }
    return Fail(n + " out of order");
  }

  void SyllableLine(const std::vector<Token>& tokens) {
    if (!CheckFields(tokens, "nnt|nn|nn|nn", "syllables")) return;
    const std::optional<int> row = Number(tokens[0].text, 1, kSyllableRowCount, "row");
    if (!row) return;
    const int expected = static_cast<int>(tables_.syllables.size()) + 1;
    if (!InOrder(*row, expected, row_lines_, "row")) return;
    SyllableRowData data;
    data.row = *row;
    data.name = tokens[1].text;
    if (!IsRowName(data.name)) {
      Fail("row name \"" + data.name +
           "\" must be lowercase letters, digits and single \"_\", starting with a letter");
      return;
    }
    const std::string constant = RowConstantName(data.name);
    if (const auto it = constants_.find(constant); it != constants_.end()) {
      const SyllableRowData& other = tables_.syllables[static_cast<std::size_t>(it->second - 1)];
      Fail(other.name == data.name
               ? "row name " + data.name + " already names row " + std::to_string(other.row) +
                     " (line " + std::to_string(row_lines_[other.row]) + ")"
               : "row name " + data.name + " gives the constant " + constant +
                     ", as does the name " + other.name + " of row " + std::to_string(other.row));
      return;
    }
    constants_[constant] = *row;
    const std::optional<std::string> key = Text(tokens[2].text, TextKind::kTemplate);
    if (!key) return;
    data.key = *key;
    data.key_written = "\"" + tokens[2].text + "\"";
    for (std::size_t f = 0; f < kFontCount; ++f) {
      const std::string& full_word = tokens[4 + 3 * f].text;
      const std::string& half_word = tokens[5 + 3 * f].text;
      if (full_word == "=") {
        Fail("\"=\" stands only in a half cell (the same as the full cell)");
        return;
      }
      const std::optional<std::string> full = Cell(full_word);
      if (!full) return;
      const std::optional<std::string> half = half_word == "=" ? full : Cell(half_word);
      if (!half) return;
      data.full[f] = *full;
      data.half[f] = *half;
    }
    tables_.syllables.push_back(std::move(data));
  }

  std::optional<std::string> Entry(const Token& text, const Token& glyph_class, TextKind kind) {
    std::optional<std::string> entry = Text(text.text, kind);
    if (!entry) return std::nullopt;
    const std::optional<int> digit = Class(glyph_class.text);
    if (!digit) return std::nullopt;
    *entry += static_cast<char>('0' + *digit);
    return entry;
  }

  void GlyphLine(const std::vector<Token>& tokens) {
    if (!CheckFields(tokens, "ntn|tn|tn", "glyphs")) return;
    const std::optional<int> code = Number(tokens[0].text, 1, kGlyphCodeCount, "glyph code");
    if (!code) return;
    const int expected = static_cast<int>(tables_.glyphs[0].size()) + 1;
    if (!InOrder(*code, expected, glyph_lines_, "glyph code")) return;
    std::array<std::string, kFontCount> entries;
    for (std::size_t f = 0; f < kFontCount; ++f) {
      const std::optional<std::string> entry =
          Entry(tokens[1 + 3 * f], tokens[2 + 3 * f], TextKind::kTemplate);
      if (!entry) return;
      entries[f] = *entry;
    }
    for (std::size_t f = 0; f < kFontCount; ++f) tables_.glyphs[f].push_back(entries[f]);
  }

  // Numbers in increasing order, each once.
  bool Increasing(int number, int previous, std::map<int, int>& lines, std::string_view what,
                  std::string_view where = "") {
    const std::string n = std::string(what) + " " + std::to_string(number);
    if (const auto it = lines.find(number); it != lines.end()) {
      return Fail(n + " appears twice" + std::string(where) + " (first on line " +
                  std::to_string(it->second) + ")");
    }
    lines[number] = line_;
    if (number < previous) {
      return Fail(n + " after " + std::to_string(previous) + std::string(where) +
                  ": they must increase");
    }
    return true;
  }

  void StartupGlyphLine(const std::vector<Token>& tokens) {
    if (!CheckFields(tokens, "ntn", "startup-glyphs")) return;
    const std::optional<int> code = Number(tokens[0].text, 1, kGlyphCodeCount, "glyph code");
    if (!code) return;
    const int previous = tables_.startup_glyphs.empty() ? 0 : tables_.startup_glyphs.back().code;
    if (!Increasing(*code, previous, startup_glyph_lines_, "glyph code")) return;
    const std::optional<std::string> entry = Entry(tokens[1], tokens[2], TextKind::kLiteral);
    if (!entry) return;
    tables_.startup_glyphs.push_back({*code, *entry});
  }

  void StartupSyllableLine(const std::vector<Token>& tokens) {
    if (!CheckFields(tokens, "nnnn", "startup-syllables")) return;
    const std::optional<int> row = Number(tokens[0].text, 1, kSyllableRowCount, "row");
    if (!row) return;
    const int previous =
        tables_.startup_syllables.empty() ? 0 : tables_.startup_syllables.back().row;
    if (!Increasing(*row, previous, startup_row_lines_, "row")) return;
    const std::string& name = tables_.syllables[static_cast<std::size_t>(*row - 1)].name;
    if (tokens[1].text != name) {
      Fail("row " + std::to_string(*row) + " is named " + name + ", not " + tokens[1].text);
      return;
    }
    if (tokens[2].text == "=") {
      Fail("\"=\" stands only in a half cell (the same as the full cell)");
      return;
    }
    const std::optional<std::string> full = Cell(tokens[2].text);
    if (!full) return;
    const std::optional<std::string> half = tokens[3].text == "=" ? full : Cell(tokens[3].text);
    if (!half) return;
    tables_.startup_syllables.push_back({*row, *full, *half});
  }

  std::vector<unsigned char>& List(std::size_t index) {
    return index == 0 ? tables_.startup_no_short_i : tables_.no_short_i[index - 1];
  }

  void NoShortILine(const std::vector<Token>& tokens) {
    std::size_t first = 0;
    if (tokens[0].kind == Token::Kind::kWord && !IsDigits(tokens[0].text)) {
      std::size_t index = kListLabels.size();
      for (std::size_t i = 0; i < kListLabels.size(); ++i) {
        if (kListLabels[i] == tokens[0].text) index = i;
      }
      if (index == kListLabels.size()) {
        Fail("unknown list " + tokens[0].text +
             "; the lists are startup, vedic, dev_natraj_itr, sanskrit_99");
        return;
      }
      if (list_lines_[index] != 0) {
        Fail("list " + tokens[0].text + " given twice (first on line " +
             std::to_string(list_lines_[index]) + ")");
        return;
      }
      list_lines_[index] = line_;
      list_ = index;
      code_lines_.clear();
      first = 1;
    } else if (list_ == kListLabels.size()) {
      Fail("a list of codes starts with its label (startup, vedic, dev_natraj_itr, sanskrit_99)");
      return;
    }
    std::vector<unsigned char>& list = List(list_);
    for (std::size_t i = first; i < tokens.size(); ++i) {
      if (tokens[i].kind != Token::Kind::kWord) {
        Fail("[no-short-i] holds glyph codes only");
        return;
      }
      const std::optional<int> code = Number(tokens[i].text, 1, kGlyphCodeCount, "glyph code");
      if (!code) return;
      const int previous = list.empty() ? 0 : list.back();
      if (!Increasing(*code, previous, code_lines_, "glyph code",
                      " in the list " + std::string(kListLabels[list_]))) {
        return;
      }
      list.push_back(static_cast<unsigned char>(*code));
    }
  }

  std::string_view file_name_;
  int line_ = 0;
  std::string error_;
  Section section_ = Section::kNone;
  TableSource tables_;
  std::map<int, int> row_lines_;    // row -> line
  std::map<int, int> glyph_lines_;  // code -> line
  std::map<int, int> startup_glyph_lines_;
  std::map<int, int> startup_row_lines_;
  std::map<std::string, int> constants_;  // constant name -> row
  std::array<int, kListLabels.size()> list_lines_{};
  std::size_t list_ = kListLabels.size();  // the list the codes go to
  std::map<int, int> code_lines_;          // code -> line, in the current list
};

// A C++ string literal of bytes.
std::string Literal(std::string_view bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte <= 0x7e && c != '"' && c != '\\' && c != '?') {
      out += c;
    } else {
      out += '\\';
      out += static_cast<char>('0' + ((byte >> 6) & 7));
      out += static_cast<char>('0' + ((byte >> 3) & 7));
      out += static_cast<char>('0' + (byte & 7));
    }
  }
  return out + "\"sv";
}

std::string ByteList(std::span<const unsigned char> bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += i % 16 == 0 ? "\n    " : " ";
    out += std::to_string(bytes[i]) + ",";
  }
  return out + "\n";
}

std::string Banner(std::string_view source_name) {
  return "// Generated by sfc_gen_tables from " + std::string(source_name) +
         " (core/tables/).\n// Do not edit: edit the data source and rebuild.\n";
}

}  // namespace

ParsedTableSource ParseTableSource(std::string_view text, std::string_view file_name) {
  return Parser(file_name).Parse(text);
}

std::string RowConstantName(std::string_view row_name) {
  std::string out = "k";
  bool upper = true;
  for (char c : row_name) {
    if (c == '_') {
      upper = true;
      continue;
    }
    out += upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    upper = false;
  }
  return out;
}

std::string GenerateTablesSource(const TableSource& tables, std::string_view source_name) {
  std::string out = Banner(source_name);
  out +=
      "#include \"builtin_tables.h\"\n\nnamespace sfc::builtin {\n\n"
      "using namespace std::string_view_literals;\n\n";
  auto row_comment = [](const SyllableRowData& row) {
    return "  // " + std::to_string(row.row) + " " + row.name + "\n";
  };

  out += "const std::array<std::string_view, kSyllableRows> kKeyTemplate = {{\n    \"\"sv,\n";
  for (const SyllableRowData& row : tables.syllables) {
    out += "    " + Literal(row.key) + ",  // " + std::to_string(row.row) + " " + row.name + " " +
           row.key_written + "\n";
  }
  out += "}};\n";

  for (const bool full : {true, false}) {
    out += std::string("\nconst std::array<SyllableColumn, 3> ") + (full ? "kFull" : "kHalf") +
           " = {{\n";
    for (std::size_t f = 0; f < kFontCount; ++f) {
      out += "    {{\n        // " + std::string(kFontNames[f]) + "\n        \"\"sv,\n";
      for (const SyllableRowData& row : tables.syllables) {
        out += "        " + Literal(full ? row.full[f] : row.half[f]) + "," + row_comment(row);
      }
      out += "    }},\n";
    }
    out += "}};\n";
  }

  out += "\nconst std::array<GlyphColumn, 3> kGlyphTemplate = {{\n";
  for (std::size_t f = 0; f < kFontCount; ++f) {
    out += "    {{\n        // " + std::string(kFontNames[f]) + "\n        \"\"sv,\n";
    for (std::size_t i = 0; i < tables.glyphs[f].size(); ++i) {
      out += "        " + Literal(tables.glyphs[f][i]) + ",  // " + std::to_string(i + 1) + "\n";
    }
    out += "    }},\n";
  }
  out += "}};\n";

  out += "\nnamespace {\n\nconstexpr std::array<GlyphRow, " +
         std::to_string(tables.startup_glyphs.size()) + "> kStartupGlyphArray = {{\n";
  for (const StartupGlyphData& row : tables.startup_glyphs) {
    out += "    {" + std::to_string(row.code) + ", " + Literal(row.entry) + "},\n";
  }
  out += "}};\n\nconstexpr std::array<StartupSyllableRow, " +
         std::to_string(tables.startup_syllables.size()) + "> kStartupSyllableArray = {{\n";
  for (const StartupSyllableData& row : tables.startup_syllables) {
    out += "    {" + std::to_string(row.row) + ", " + Literal(row.full) + ", " + Literal(row.half) +
           "},  // " + tables.syllables[static_cast<std::size_t>(row.row - 1)].name + "\n";
  }
  out += "}};\n";
  const std::array<std::pair<std::string_view, const std::vector<unsigned char>*>, 4> lists = {{
      {"Startup", &tables.startup_no_short_i},
      {"Vedic", &tables.no_short_i[0]},
      {"DevNatraj", &tables.no_short_i[1]},
      {"Sanskrit99", &tables.no_short_i[2]},
  }};
  for (const auto& [name, list] : lists) {
    out += "\nconstexpr std::array<unsigned char, " + std::to_string(list->size()) + "> k" +
           std::string(name) + "NoShortIArray = {" + ByteList(*list) + "};\n";
  }
  out += "\n}  // namespace\n\n";
  out += "constinit const std::span<const GlyphRow> kStartupGlyphRows = kStartupGlyphArray;\n";
  out +=
      "constinit const std::span<const StartupSyllableRow> kStartupSyllableRows = "
      "kStartupSyllableArray;\n";
  for (const auto& [name, list] : lists) {
    out += "constinit const std::span<const unsigned char> k" + std::string(name) + "NoShortI = k" +
           std::string(name) + "NoShortIArray;\n";
  }
  out += "\n}  // namespace sfc::builtin\n";
  return out;
}

std::string GenerateRowNamesHeader(const TableSource& tables, std::string_view source_name) {
  std::string out = Banner(source_name);
  out +=
      "//\n"
      "// The rows of the syllable table by name. Row::kKtaEnd is the row that the data\n"
      "// source names kta_end: code can write Full(Row::kKtaEnd) instead of Full(177).\n"
      "// The constants convert to int; Row::Name is their type.\n"
      "#pragma once\n\n#include <array>\n#include <string_view>\n\nnamespace sfc {\n\n"
      "struct Row {\n  enum Name : int {\n";
  for (const SyllableRowData& row : tables.syllables) {
    out += "    " + RowConstantName(row.name) + " = " + std::to_string(row.row) + ",  // key " +
           row.key_written + "\n";
  }
  out += "  };\n};\n\n// The row names as the data source writes them; index 0 is unused.\n";
  out += "inline constexpr std::array<std::string_view, " +
         std::to_string(tables.syllables.size() + 1) + "> kSyllableRowNames = {{\n    \"\",\n";
  for (const SyllableRowData& row : tables.syllables) out += "    \"" + row.name + "\",\n";
  out += "}};\n\n}  // namespace sfc\n";
  return out;
}

}  // namespace sfc::tables
