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

Conversion Marking(std::vector<std::string> fonts = {"Vedic", "Sanskrit-Times"}) {
  Conversion conversion;
  for (const std::string& font : fonts) {
    FontTarget target;
    target.source_font = font;
    target.unicode = true;
    target.output_font = "U-" + font;
    conversion.targets.push_back(target);
  }
  conversion.convert = [](const FontTarget& target, std::string_view bytes) {
    SegmentResult result;
    result.text = "[" + target.source_font + ":" + std::string(bytes) + "]";
    return result;
  };
  return conversion;
}

std::string Styles(const std::string& body) {
  return R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)" +
         body + "</w:styles>";
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

// The text of every w:t in order.
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

TEST(DocxResolution, EachLevelNamesTheFont) {
  const std::string styles = Styles(
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
      Fonts("Sanskrit-Times") + R"(</w:rPr></w:style>)");
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
      {"direct", "<w:p>" + MakeRun(Fonts("Vedic"), "ab") + "</w:p>", "[Vedic:ab]|"},
      {"paragraph style",
       "<w:p><w:pPr><w:pStyle w:val=\"Verse\"/></w:pPr>" + MakeRun("", "ab") + "</w:p>",
       "[Vedic:ab]|"},
      {"based on",
       "<w:p><w:pPr><w:pStyle w:val=\"Verse2\"/></w:pPr>" + MakeRun("", "ab") + "</w:p>",
       "[Vedic:ab]|"},
      {"default paragraph style", "<w:p>" + MakeRun("", "ab") + "</w:p>", "ab|"},
      {"character style before the paragraph style",
       "<w:p><w:pPr><w:pStyle w:val=\"Verse\"/></w:pPr>" +
           MakeRun("<w:rStyle w:val=\"Tr\"/>", "ab") + "</w:p>",
       "[Sanskrit-Times:ab]|"},
      {"direct before the character style",
       "<w:p>" + MakeRun("<w:rStyle w:val=\"Tr\"/>" + Fonts("Vedic"), "ab") + "</w:p>",
       "[Vedic:ab]|"},
      {"theme over plain at one level",
       "<w:p>" + MakeRun(R"(<w:rFonts w:ascii="Times" w:asciiTheme="majorHAnsi"/>)", "ab") +
           "</w:p>",
       "[Vedic:ab]|"},
      {"defaults through the theme",
       "<w:p><w:pPr><w:pStyle w:val=\"Plain\"/></w:pPr>" + MakeRun("", "ab") + "</w:p>",
       "[Sanskrit-Times:ab]|"},
      {"ascii and hAnsi slots",
       "<w:p>" +
           MakeRun(R"(<w:rFonts w:ascii="Vedic" w:hAnsi="Times"/>)",
                   "a\xC3\xA9"
                   "b") +
           "</w:p>",
       "[Vedic:a]|\xC3\xA9|[Vedic:b]|"},
      {"complex script slot",
       "<w:p>" +
           MakeRun(R"(<w:rFonts w:ascii="Times" w:hAnsi="Times" w:cstheme="minorBidi"/><w:cs/>)",
                   "ab") +
           "</w:p>",
       "[Vedic:ab]|"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Texts(Convert(c.body, styles, theme).xml), c.texts) << c.name;
  }
}

}  // namespace
}  // namespace sfc::document
