// The .docx conversion with a marking conversion: each stretch of a font
// becomes "[font:bytes]", so the tests see which font every character
// resolved to and how the stretches were cut.
#include "docx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sfc::document {
namespace {

constexpr const char* kOpen =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"><w:body>)";
constexpr const char* kClose = "</w:body></w:document>";

// Each stretch as "[font:bytes]"; Keep gives the bytes back as they were.
SegmentResult Mark(const FontTarget& target, std::string_view bytes) {
  SegmentResult result;
  result.text = "[" + target.source_font + ":" + std::string(bytes) + "]";
  return result;
}
SegmentResult Keep(const FontTarget&, std::string_view bytes) {
  SegmentResult result;
  result.text = std::string(bytes);
  return result;
}

// Vedic and Sanskrit-Times to "U-Vedic" and "U-Sanskrit-Times", or to themselves.
Conversion Marking(SegmentConvert convert = Mark, bool same_font = false) {
  Conversion conversion;
  conversion.convert = std::move(convert);
  for (const std::string font : {"Vedic", "Sanskrit-Times"}) {
    conversion.targets.emplace_back().source_font = font;
    conversion.targets.back().output_font = same_font ? font : "U-" + font;
  }
  return conversion;
}

struct Converted {
  std::string xml;
  DocumentReport report;
};

Converted Convert(const std::string& body, const std::string& styles = "",
                  const std::string& theme = "", const Conversion& conversion = Marking()) {
  Converted out;
  out.xml = ConvertTextPart(kOpen + body + kClose, styles, theme, conversion, out.report);
  const std::string open = kOpen;
  EXPECT_EQ(out.xml.substr(0, open.size()), open);
  out.xml = out.xml.substr(open.size(), out.xml.size() - open.size() - std::string(kClose).size());
  return out;
}

// The text of every w:t in order, each followed by "|".
std::string Texts(const std::string& xml) {
  std::string text;
  std::size_t at = 0;
  while ((at = xml.find("<w:t", at)) != std::string::npos) {
    const std::size_t close = xml.find('>', at);
    if (xml[close - 1] == '/' || (xml[at + 4] != '>' && xml[at + 4] != ' ')) {
      at = close;
      continue;
    }
    const std::size_t end = xml.find("</w:t>", close);
    text += xml.substr(close + 1, end - close - 1) + "|";
    at = end;
  }
  return text;
}

std::string MakeRun(const std::string& properties, const std::string& text) {
  return "<w:r><w:rPr>" + properties + "</w:rPr><w:t xml:space=\"preserve\">" + text +
         "</w:t></w:r>";
}
std::string Fonts(const std::string& font) {
  return R"(<w:rFonts w:ascii=")" + font + R"(" w:hAnsi=")" + font + R"("/>)";
}
std::string Paragraph(const std::string& runs) { return "<w:p>" + runs + "</w:p>"; }
// A paragraph, of the style when one is named, with one run "ab" of the properties.
std::string Ab(const std::string& properties, const std::string& style = "") {
  const std::string p_pr = "<w:pPr><w:pStyle w:val=\"" + style + "\"/></w:pPr>";
  return "<w:p>" + (style.empty() ? "" : p_pr) + MakeRun(properties, "ab") + "</w:p>";
}

TEST(DocxResolution, EachLevelNamesTheFont) {
  const std::string styles =
      R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
      R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme="minorHAnsi" w:hAnsiTheme="minorHAnsi"/></w:rPr></w:rPrDefault></w:docDefaults>)"
      R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:rPr>)" +
      Fonts("Times") +
      R"(</w:rPr></w:style>)"
      R"(<w:style w:type="paragraph" w:styleId="Verse"><w:basedOn w:val="Normal"/><w:rPr>)" +
      Fonts("Vedic") +
      R"(</w:rPr></w:style>)"
      R"(<w:style w:type="paragraph" w:styleId="Verse2"><w:basedOn w:val="Verse"/></w:style>)"
      R"(<w:style w:type="paragraph" w:styleId="Plain"><w:basedOn w:val="Nothing"/></w:style>)"
      R"(<w:style w:type="character" w:styleId="Tr"><w:basedOn w:val="Tr0"/></w:style>)"
      R"(<w:style w:type="character" w:styleId="Tr0"><w:rPr>)" +
      Fonts("Sanskrit-Times") + R"(</w:rPr></w:style></w:styles>)";
  const std::string theme =
      R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements><a:fontScheme>)"
      R"(<a:majorFont><a:latin typeface="Vedic"/></a:majorFont><a:minorFont><a:latin typeface="Sanskrit-Times"/><a:cs typeface="Vedic"/></a:minorFont>)"
      R"(</a:fontScheme></a:themeElements></a:theme>)";
  struct Case {
    const char* name;
    std::string body;
    std::string texts;
  };
  const std::vector<Case> cases = {
      {"direct", Ab(Fonts("Vedic")), "[Vedic:ab]|"},
      {"paragraph style", Ab("", "Verse"), "[Vedic:ab]|"},
      {"based on", Ab("", "Verse2"), "[Vedic:ab]|"},
      {"default paragraph style", Ab(""), "ab|"},
      {"character style before the paragraph style", Ab("<w:rStyle w:val=\"Tr\"/>", "Verse"),
       "[Sanskrit-Times:ab]|"},
      {"direct before the character style", Ab("<w:rStyle w:val=\"Tr\"/>" + Fonts("Vedic")),
       "[Vedic:ab]|"},
      {"theme over plain at one level",
       Ab(R"(<w:rFonts w:ascii="Times" w:asciiTheme="majorHAnsi"/>)"), "[Vedic:ab]|"},
      {"defaults through the theme", Ab("", "Plain"), "[Sanskrit-Times:ab]|"},
      {"a run in another legacy font closes the stretch",
       Paragraph(MakeRun(Fonts("Vedic"), "ab") + MakeRun(Fonts("Sanskrit-Times"), "cd")),
       "[Vedic:ab]|[Sanskrit-Times:cd]|"},
      {"ascii and hAnsi slots",
       Paragraph(MakeRun(R"(<w:rFonts w:ascii="Vedic" w:hAnsi="Times"/>)", "a\u00E9b")),
       "[Vedic:a]|\u00E9|[Vedic:b]|"},
      {"the first byte of the hAnsi slot (the euro sign, 0x80)",
       Paragraph(MakeRun(R"(<w:rFonts w:ascii="Vedic" w:hAnsi="Times"/>)", "~\u20AC")),
       "[Vedic:~]|\u20AC|"},
      {"complex script slot",
       Ab(R"(<w:rFonts w:ascii="Times" w:hAnsi="Times" w:cstheme="minorBidi"/><w:cs/>)"),
       "[Vedic:ab]|"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Texts(Convert(c.body, styles, theme).xml), c.texts) << c.name;
  }
  // w:default="true" names the default paragraph style as "1" does.
  std::string styles_true = styles;
  styles_true.replace(styles_true.find(R"(w:default="1")"), 13, R"(w:default="true")");
  EXPECT_EQ(Texts(Convert(Ab(""), styles_true, theme).xml), "ab|");
}

const std::string kVedic = Fonts("Vedic");
const std::string kBold = Fonts("Vedic") + "<w:b/>";

TEST(DocxSegments, JoinedAcrossRunsAndGivenBack) {
  struct Case {
    const char* name;
    std::string body;
    std::string expected;  // the paragraph after conversion
  };
  const std::string u =
      R"(<w:rFonts w:ascii="U-Vedic" w:hAnsi="U-Vedic" w:eastAsia="U-Vedic" w:cs="U-Vedic"/>)";
  // A converted run in the Unicode font.
  const auto run = [&u](const std::string& text, const std::string& more = "") {
    return "<w:r><w:rPr>" + u + more + R"(</w:rPr><w:t xml:space="preserve">)" + text +
           "</w:t></w:r>";
  };
  const std::string field =
      "<w:r><w:rPr>" + kVedic + R"(</w:rPr><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:rPr>)" +
      kVedic + R"(</w:rPr><w:instrText xml:space="preserve"> PAGE </w:instrText></w:r>)";
  const std::string deleted = R"(<w:del w:id="1"><w:r><w:rPr>)";
  const std::string wingdings = R"(<w:r><w:sym w:font="Wingdings" w:char="F063"/></w:r>)";
  const std::vector<Case> cases = {
      {"a word split by a proofing mark goes into the first run",
       Paragraph(MakeRun(kVedic, "ab") + "<w:proofErr/>" + MakeRun(kVedic, "cd")),
       Paragraph(run("[Vedic:abcd]") + "<w:proofErr/>")},
      {"runs with other formatting keep their words",
       Paragraph(MakeRun(kVedic, "ab ") + MakeRun(kBold, "cd")),
       Paragraph(run("[Vedic:ab ") + run("cd]", "<w:b/>"))},
      {"a tab closes the stretch",
       Paragraph("<w:r><w:rPr>" + kVedic + "</w:rPr><w:t>ab</w:t><w:tab/><w:t>cd</w:t></w:r>"),
       Paragraph("<w:r><w:rPr>" + u +
                 "</w:rPr><w:t>[Vedic:ab]</w:t><w:tab/><w:t>[Vedic:cd]</w:t></w:r>")},
      {"several text elements in one run",
       Paragraph("<w:r><w:rPr>" + kVedic + "</w:rPr><w:t>ab</w:t><w:t>cd</w:t></w:r>"),
       Paragraph("<w:r><w:rPr>" + u + "</w:rPr><w:t>[Vedic:abcd]</w:t></w:r>")},
      {"a blank-only run joins",
       Paragraph(MakeRun(kVedic, "ab") + MakeRun(kVedic, " ") + MakeRun(kVedic, "cd")),
       Paragraph(run("[Vedic:ab cd]"))},
      {"field instructions are not converted", Paragraph(field + MakeRun(kVedic, "ab")),
       Paragraph(field + run("[Vedic:ab]"))},
      {"deleted text is a stretch of its own",
       Paragraph(deleted + kVedic + "</w:rPr><w:delText>ab</w:delText></w:r></w:del>" +
                 MakeRun(kVedic, "cd")),
       Paragraph(deleted + u + "</w:rPr><w:delText>[Vedic:ab]</w:delText></w:r></w:del>" +
                 run("[Vedic:cd]"))},
      {"moved-away text is a stretch of its own",
       Paragraph(R"(<w:moveFrom w:id="2">)" + MakeRun(kVedic, "ab") + "</w:moveFrom>" +
                 MakeRun(kVedic, "cd")),
       Paragraph(R"(<w:moveFrom w:id="2">)" + run("[Vedic:ab]") + "</w:moveFrom>" +
                 run("[Vedic:cd]"))},
      {"a symbol in the font joins; its code is the low byte",
       Paragraph(MakeRun(kVedic, "ab") + R"(<w:r><w:sym w:font="Vedic" w:char="F0E9"/></w:r>)"),
       Paragraph(run("[Vedic:ab\xE9]"))},
      {"a symbol in another font closes", Paragraph(MakeRun(kVedic, "ab") + wingdings),
       Paragraph(run("[Vedic:ab]") + wingdings)},
      {"the run font takes all four slots and loses the theme",
       Paragraph(MakeRun(
           R"(<w:rStyle w:val="X"/><w:rFonts w:ascii="Vedic" w:hAnsi="Vedic" w:hAnsiTheme="minorHAnsi" w:hint="default"/><w:sz w:val="24"/>)",
           "ab")),
       R"(<w:p><w:r><w:rPr><w:rStyle w:val="X"/><w:rFonts w:ascii="U-Vedic" w:hAnsi="U-Vedic" w:hint="default" w:eastAsia="U-Vedic" w:cs="U-Vedic"/><w:sz w:val="24"/></w:rPr><w:t xml:space="preserve">[Vedic:ab]</w:t></w:r></w:p>)"},
      {"a run with text in two fonts is split",
       Paragraph(MakeRun(R"(<w:rFonts w:ascii="Vedic" w:hAnsi="Times"/><w:i/>)", "ab\u00E9")),
       Paragraph(run("[Vedic:ab]", "<w:i/>") +
                 MakeRun(R"(<w:rFonts w:ascii="Vedic" w:hAnsi="Times"/><w:i/>)", "\u00E9"))},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(c.body).xml, c.expected) << c.name;
  }
}

TEST(DocxSegments, ProblemsAreReportedAndTheTextKept) {
  const Conversion dropping = Marking([](const FontTarget&, std::string_view bytes) {
    return SegmentResult{.text = std::string(bytes),
                         .dropped = {{static_cast<unsigned char>(bytes[3]), 3}}};
  });
  // No word processor writes elements inside w:t; such a run, and everything
  // it holds, stays as read.
  const std::string odd = "<w:r><w:rPr>" + kVedic +
                          "</w:rPr><w:t>x<w:r><w:t>inner</w:t></w:r>y</w:t><w:t>ab</w:t></w:r>";
  struct Case {
    std::string body;
    Conversion conversion;
    std::string texts;
    std::string what;  // the one problem reported
    std::string context;
  };
  const std::vector<Case> cases = {
      // U+0915 (Devanagari ka) cannot be a byte of an 8-bit font.
      {Paragraph(MakeRun(kVedic, "ab\u0915cd")), Marking(), "[Vedic:ab]|\u0915|[Vedic:cd]|",
       "U+0915", "ab\u0915cd"},
      {Paragraph(odd + MakeRun(kVedic, "cd")), Marking(), "x<w:r><w:t>inner|ab|[Vedic:cd]|",
       "other markup", ""},
      // Text inside the run properties would be copied into every piece of a
      // split run.
      {Paragraph("<w:r><w:rPr>" + kVedic + "<w:t>p</w:t></w:rPr><w:t>ab</w:t></w:r>"), Marking(),
       "p|ab|", "run properties that hold", ""},
      {Paragraph(MakeRun(kVedic, "one two three")), dropping, "one two three|", "byte 32 (0x20)",
       "one two three"},
  };
  for (const Case& c : cases) {
    const Converted out = Convert(c.body, "", "", c.conversion);
    EXPECT_EQ(Texts(out.xml), c.texts) << out.xml;
    ASSERT_EQ(out.report.problems.size(), 1u) << c.what;
    EXPECT_EQ(out.report.problem_count, 1u);
    const DocumentProblem& problem = out.report.problems[0];
    EXPECT_EQ(problem.paragraph, 1u);
    EXPECT_NE(problem.what.find(c.what), std::string::npos) << problem.what;
    EXPECT_EQ(problem.font, "Vedic");
    EXPECT_TRUE(c.context.empty() || problem.context == c.context) << problem.context;
  }
  // Of more problems than are kept, the report keeps the first of the
  // document, in its order (the paragraphs are converted from the last).
  std::string body;
  for (std::size_t k = 0; k < kKeptProblems + 50; ++k) {
    body += Paragraph(MakeRun(kVedic, "one two"));
  }
  const Converted many = Convert(body, "", "", dropping);
  ASSERT_EQ(many.report.problems.size(), kKeptProblems);
  EXPECT_EQ(many.report.problem_count, kKeptProblems + 50);
  for (std::size_t k = 0; k < kKeptProblems; ++k) {
    EXPECT_EQ(many.report.problems[k].paragraph, k + 1);
  }
}

TEST(DocxPlaces, TextIsFoundWhereverItLives) {
  const std::string run = MakeRun(kVedic, "ab");
  const std::vector<std::pair<const char*, std::string>> places = {
      {"insertion", R"(<w:p><w:ins w:id="1">)" + run + "</w:ins></w:p>"},
      {"content control", R"(<w:p><w:sdt><w:sdtPr><w:alias w:val="x"/></w:sdtPr><w:sdtContent>)" +
                              run + "</w:sdtContent></w:sdt></w:p>"},
      {"smart tag", "<w:p><w:smartTag>" + run + "</w:smartTag></w:p>"},
      {"simple field result",
       R"(<w:p><w:fldSimple w:instr="PAGE">)" + run + "</w:fldSimple></w:p>"},
      {"text box, both copies",
       "<w:p><w:r><mc:AlternateContent><mc:Choice "
       "Requires=\"wps\"><w:drawing><w:txbxContent><w:p>" +
           run +
           "</w:p></w:txbxContent></w:drawing></"
           "mc:Choice><mc:Fallback><w:pict><w:txbxContent><w:p>" +
           run + "</w:p></w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent></w:r></w:p>"},
  };
  for (const auto& [name, body] : places) {
    const Converted out = Convert(body);
    std::size_t found = 0;
    for (std::size_t at = 0; (at = out.xml.find("[Vedic:ab]", at)) != std::string::npos; ++at)
      ++found;
    EXPECT_EQ(found, std::string(name).starts_with("text box") ? 2u : 1u) << name;
    EXPECT_EQ(out.xml.find(">ab<"), std::string::npos) << name;
  }
}

TEST(DocxXml, WhatIsNotConvertedIsWrittenAsItWasRead) {
  // Declaration, standalone, line ends, comments, processing instructions,
  // entities, unknown prefixes and blanks between elements.
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
      "xmlns:x14=\"urn:x\" mc:Ignorable=\"x14\" xmlns:mc=\"urn:mc\">\r\n  <!-- note -->"
      "<?pi data?><w:body>\n <w:p x14:id=\"7\"><w:r><w:t>a &amp; b &lt; c</w:t></w:r>\t"
      "<w:r><w:rPr>" +
      kVedic + "</w:rPr><w:t>ab</w:t></w:r></w:p></w:body></w:document>";
  DocumentReport report;
  const std::string out = ConvertTextPart(xml, "", "", Marking(), report);
  std::string expected = xml;
  expected.replace(expected.find("<w:t>ab</w:t>"), 13, "<w:t>[Vedic:ab]</w:t>");
  expected.replace(
      expected.find(kVedic), kVedic.size(),
      R"(<w:rFonts w:ascii="U-Vedic" w:hAnsi="U-Vedic" w:eastAsia="U-Vedic" w:cs="U-Vedic"/>)");
  EXPECT_EQ(out, expected);
  // When every font stays itself, not even the runs of a stretch are joined.
  const std::string same =
      kOpen + Paragraph(MakeRun(kVedic, "ab") + "<w:proofErr/>" + MakeRun(kBold, "c d")) + kClose;
  EXPECT_EQ(ConvertTextPart(same, "", "", Marking(Keep, true), report), same);
  // Text that converts to itself still moves to the output font.
  EXPECT_EQ(Convert(Paragraph(MakeRun(kVedic, "12")), "", "", Marking(Keep)).xml,
            Paragraph(R"(<w:r><w:rPr><w:rFonts w:ascii="U-Vedic" w:hAnsi="U-Vedic" )"
                      R"(w:eastAsia="U-Vedic" w:cs="U-Vedic"/></w:rPr>)"
                      R"(<w:t xml:space="preserve">12</w:t></w:r>)"));
}

}  // namespace
}  // namespace sfc::document
