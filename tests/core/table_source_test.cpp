// The data source of the built-in tables: the parser's rejections, and the
// committed data against the arrays the build generated from it.

#include "table_source.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "builtin_tables.h"
#include "state.h"
#include "syllable_rows.h"
#include "test_support.h"

namespace sfc {
namespace {

using tables::ParsedTableSource;
using tables::ParseTableSource;

// A small well-formed data source, one string per line.
std::vector<std::string> ValidLines() {
  std::vector<std::string> lines = {"# a test source", "[syllables]"};
  for (int row = 1; row <= tables::kSyllableRowCount; ++row) {
    lines.push_back(std::to_string(row) + " row_" + std::to_string(row) +
                    " \"k\" | 107 = | 107,97 107 | empty 32");
  }
  lines.push_back("[glyphs]");
  for (int code = 1; code <= tables::kGlyphCodeCount; ++code) {
    lines.push_back(std::to_string(code) + " \"ka\" 1 | \"\" 7 | \"x\" 8");
  }
  lines.push_back("[startup-glyphs]");
  lines.push_back("3 \"`\" 8");
  lines.push_back("[startup-syllables]");
  lines.push_back("149 row_149 158 =");
  lines.push_back("[no-short-i]");
  lines.push_back("startup 43 58");
  lines.push_back("vedic 43");
  lines.push_back("  58 60");
  lines.push_back("dev_natraj_itr 77");
  lines.push_back("sanskrit_99 40");
  return lines;
}

// The line number (1-based) of the line that starts with `start` in `lines`.
int LineOf(const std::vector<std::string>& lines, std::string_view start) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].starts_with(start)) return static_cast<int>(i) + 1;
  }
  ADD_FAILURE() << "no line starts with " << start;
  return 0;
}

ParsedTableSource Parse(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return ParseTableSource(text, "test.txt");
}

void Replace(std::vector<std::string>& lines, std::string_view start, std::string text) {
  lines[static_cast<std::size_t>(LineOf(lines, start) - 1)] = std::move(text);
}

// Texts spell letters by name or in UTF-8; start-up glyph texts are
// literal bytes.
TEST(TableSource, ReadsAWellFormedSource) {
  std::vector<std::string> lines = ValidLines();
  Replace(
      lines, "5 ",
      R"(5 row_5 "kṣā{hidden_dash}{row171_sign}{long_a}\"\\\{\}{232}" | 107 = | 107,97 107 | empty 32)");
  Replace(lines, "3 \"`\"", R"(3 "{11}" 7)");
  const ParsedTableSource parsed = Parse(lines);
  ASSERT_TRUE(parsed.tables.has_value()) << parsed.error;
  const tables::TableSource& t = *parsed.tables;
  ASSERT_EQ(t.syllables.size(), 189u);
  EXPECT_EQ(t.syllables[4].name, "row_5");
  EXPECT_EQ(t.syllables[4].key, "k\x0e\x01\x0f\x12\x01\"\\{}\xe8");
  EXPECT_EQ(t.syllables[4].full[0], "k");
  EXPECT_EQ(t.syllables[4].half[0], "k");
  EXPECT_EQ(t.syllables[4].full[1], "ka");
  EXPECT_EQ(t.syllables[4].half[2], " ");
  EXPECT_EQ(t.syllables[4].full[2], "");
  EXPECT_EQ(t.glyphs[0][9], "ka1");
  EXPECT_EQ(t.glyphs[1][9], "7");
  ASSERT_EQ(t.startup_glyphs.size(), 1u);
  EXPECT_EQ(t.startup_glyphs[0].entry,
            "\x0b"
            "7");
  ASSERT_EQ(t.startup_syllables.size(), 1u);
  EXPECT_EQ(t.startup_syllables[0].half, "\x9e");
  EXPECT_EQ(t.no_short_i[0], (std::vector<unsigned char>{43, 58, 60}));
}

TEST(TableSource, RejectsMistakesWithTheirLine) {
  struct Case {
    std::string start;    // of the line replaced
    std::string line;     // what replaces it; empty: the line is left out
    std::string part;     // of the message
    std::string at = "";  // the start of the line named, when it is not the line replaced
  };
  for (const Case& c : std::vector<Case>{
           {"3 \"`\"", R"(3 "ḍ" 7)", "literal bytes: no letters"},
           {"12 ", R"(12 row_12 "c" | 99 = | 99 = | 99)", "has 11 fields, not 12"},
           {"7 \"ka\"", R"(7 "ka" 1 | "" 7 "x" 8)", "has 8 fields, not 9"},
           {"dev_natraj_itr", "dev_natraj_itr 77 199 199 201",
            "glyph code 199 appears twice in the list dev_natraj_itr"},
           // Also when the second one is on a continuation line.
           {"  58 60", "  43 60", "glyph code 43 appears twice in the list vedic"},
           {"6 ", R"(5 row_6 "k" | 1 = | 1 = | 1 =)", "row 5 appears twice (first on line 7)"},
           {"6 ", "", "row 6 is missing", "7 "},
           {"189 ", "", "row 189 is missing", "[glyphs]"},
           {"9 ", R"(9 row_9 "k" | 107,256 = | 1 = | 1 =)", "byte 256 is out of range"},
           {"9 ", R"(9 row_9 "k" | 107 0 | 1 = | 1 =)", "byte 0 is out of range"},
           {"9 ", R"(9 row_9 "k{300}" | 1 = | 1 = | 1 =)", "{300}: a byte is 1 to 255"},
           // Bytes 1 to 18 stand for letters; the letter must be written.
           {"9 ", R"(9 row_9 "k{14}" | 1 = | 1 = | 1 =)", "{14} is the placeholder of a letter"},
           {"20 ", R"(20 row_20 "k{long_e}" | 1 = | 1 = | 1 =)", "unknown letter name {long_e}"},
           {"20 ", R"(20 row_20 "ṁ" | 1 = | 1 = | 1 =)", "unknown letter U+1E41"},
           {"30 ", R"(30 row_3 "k" | 1 = | 1 = | 1 =)",
            "row name row_3 already names row 3 (line 5)"},
           // Names that give the same constant.
           {"30 ", R"(30 row3 "k" | 1 = | 1 = | 1 =)", "gives the constant kRow3"},
           {"2 ", R"(2 Row_2 "k" | 1 = | 1 = | 1 =)", "must be lowercase letters"},
           {"2 ", R"(2 row_2 "k | 1 = | 1 = | 1 =)", "no closing quote"},
           {"2 ", R"(2 row_2 "k" | = 1 | 1 = | 1 =)", "only in a half cell"},
           {"2 \"ka\"", R"(2 "ka" 12 | "" 7 | "x" 8)", "class \"12\" is not one digit"},
           {"149 row_149 158", "149 row_148 158 =", "row 149 is named row_149, not row_148"},
           {"sanskrit_99", "sanskrit_9 40", "unknown list sanskrit_9"},
           {"sanskrit_99", "", "has no list sanskrit_99", "dev_natraj_itr"},
           {"[glyphs]", "[startup-glyphs]", "out of place"},
       }) {
    SCOPED_TRACE(c.line.empty() ? "without " + c.start : c.line);
    std::vector<std::string> lines = ValidLines();
    const int at = LineOf(lines, c.start);
    if (c.line.empty()) {
      lines.erase(lines.begin() + at - 1);
    } else {
      lines[static_cast<std::size_t>(at - 1)] = c.line;
    }
    const int named = c.at.empty() ? at : LineOf(lines, c.at);
    const ParsedTableSource parsed = Parse(lines);
    EXPECT_FALSE(parsed.tables.has_value());
    EXPECT_TRUE(parsed.error.starts_with("test.txt:" + std::to_string(named) + ": "))
        << parsed.error;
    EXPECT_NE(parsed.error.find(c.part), std::string::npos) << parsed.error;
  }
}

// The committed data source, parsed here, holds what the build compiled.
TEST(TableSource, CommittedDataMatchesTheCompiledTables) {
  std::ifstream in(SFC_TABLES_DATA_FILE, std::ios::binary);
  ASSERT_TRUE(in) << SFC_TABLES_DATA_FILE;
  std::stringstream text;
  text << in.rdbuf();
  const ParsedTableSource parsed = ParseTableSource(text.str(), "builtin_tables.txt");
  ASSERT_TRUE(parsed.tables.has_value()) << parsed.error;
  const tables::TableSource& t = *parsed.tables;
  for (const tables::SyllableRowData& row : t.syllables) {
    const auto r = static_cast<std::size_t>(row.row);
    EXPECT_EQ(builtin::kKeyTemplate[r], row.key) << row.row;
    EXPECT_EQ(kSyllableRowNames[r], row.name);
    for (std::size_t f = 0; f < 3; ++f) {
      EXPECT_EQ(builtin::kFull[f][r], row.full[f]) << row.row;
      EXPECT_EQ(builtin::kHalf[f][r], row.half[f]) << row.row;
    }
  }
  for (std::size_t f = 0; f < 3; ++f) {
    for (std::size_t code = 1; code <= 255; ++code) {
      EXPECT_EQ(builtin::kGlyphTemplate[f][code], t.glyphs[f][code - 1]) << code;
    }
  }
  ASSERT_EQ(builtin::kStartupGlyphRows.size(), t.startup_glyphs.size());
  for (std::size_t i = 0; i < t.startup_glyphs.size(); ++i) {
    EXPECT_EQ(builtin::kStartupGlyphRows[i].code, t.startup_glyphs[i].code);
    EXPECT_EQ(builtin::kStartupGlyphRows[i].entry, t.startup_glyphs[i].entry);
  }
  auto same = [](std::span<const unsigned char> a, const std::vector<unsigned char>& b) {
    return std::vector<unsigned char>(a.begin(), a.end()) == b;
  };
  EXPECT_TRUE(same(builtin::kStartupNoShortI, t.startup_no_short_i));
  EXPECT_TRUE(same(builtin::kVedicNoShortI, t.no_short_i[0]));
  EXPECT_TRUE(same(builtin::kDevNatrajNoShortI, t.no_short_i[1]));
  EXPECT_TRUE(same(builtin::kSanskrit99NoShortI, t.no_short_i[2]));
}

}  // namespace
}  // namespace sfc
