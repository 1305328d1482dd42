// A paragraph's XML (any bytes) inside a document part: the run resolution
// and the joining of text across runs never crash; converting with a
// mapping that keeps every byte and font gives the part back byte for byte;
// converting with one that keeps the bytes but names a new font changes
// nothing more when run a second time, and keeps the characters of the
// paragraph in their order.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "docx.h"
#include "package.h"

namespace {

#define Require(condition) \
  ((condition) ? void() : (std::fprintf(stderr, "failed: %s\n", #condition), std::abort()))

constexpr std::string_view kOpen =
    R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"><w:body>)";
constexpr std::string_view kClose = "</w:body></w:document>";
constexpr std::string_view kStyles =
    R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:style w:type="paragraph" w:styleId="V"><w:rPr><w:rFonts w:ascii="Vedic" w:hAnsi="Vedic"/></w:rPr></w:style>)"
    R"(<w:style w:type="character" w:styleId="S"><w:basedOn w:val="V"/></w:style></w:styles>)";

sfc::document::Conversion Keeping(bool new_font) {
  sfc::document::Conversion conversion;
  for (const char* font : {"Vedic", "Sanskrit-Times"}) {
    sfc::document::FontTarget target;
    target.source_font = font;
    target.unicode = false;
    target.output_font = new_font ? std::string(font) + " New" : font;
    conversion.targets.push_back(target);
  }
  conversion.convert = [](const sfc::document::FontTarget&, std::string_view bytes) {
    sfc::document::SegmentResult result;
    result.text = std::string(bytes);
    return result;
  };
  return conversion;
}

// The characters of the text elements, in order (parsed, so that escapes
// written another way compare equal).
std::string Characters(const std::string& xml) {
  pugi::xml_document doc;
  doc.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata);
  std::string text;
  doc.find_node([&text](pugi::xml_node node) {
    const std::string_view name = node.name();
    if (name == "w:t" || name == "w:delText") text += node.text().get();
    return false;
  });
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string part = std::string(kOpen) +
                           std::string(reinterpret_cast<const char*>(data), size) +
                           std::string(kClose);
  try {
    sfc::document::DocumentReport report;
    const std::string same =
        sfc::document::ConvertTextPart(part, kStyles, "", Keeping(false), report);
    Require(same == part);

    sfc::document::DocumentReport first;
    const std::string once =
        sfc::document::ConvertTextPart(part, kStyles, "", Keeping(true), first);
    sfc::document::DocumentReport second;
    const std::string twice =
        sfc::document::ConvertTextPart(once, kStyles, "", Keeping(true), second);
    Require(twice == once);
    if (part.find("w:sym") == std::string::npos) {
      Require(Characters(once) == Characters(part));
    }
  } catch (const sfc::document::DocumentError&) {
    // Not well-formed: refused with a message, as it must be.
  }
  return 0;
}
