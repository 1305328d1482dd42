#include "xml_part.h"

#include "unicode_text.h"

namespace sfc::document {

namespace {

// Everything kept, nothing normalised: line ends and whitespace in
// attributes stay as they are, blank text nodes are kept.
constexpr unsigned kParseFlags =
    (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol & ~pugi::parse_wconv_attribute;
constexpr unsigned kSaveFlags = pugi::format_raw | pugi::format_no_declaration;

}  // namespace

void ParseXml(pugi::xml_document& doc, std::string_view xml, std::string_view part) {
  const pugi::xml_parse_result result =
      doc.load_buffer(xml.data(), xml.size(), kParseFlags, pugi::encoding_utf8);
  if (!result) {
    throw XmlError{std::string(part), "malformed XML at byte " + std::to_string(result.offset) +
                                          " (" + result.description() + ")"};
  }
  if (!doc.document_element()) throw XmlError{std::string(part), "no XML element in the part"};
}

std::string SaveXml(const pugi::xml_document& doc, std::string_view original) {
  StringWriter writer;
  doc.document_element().print(writer, "", kSaveFlags, pugi::encoding_utf8);
  const std::string name = doc.document_element().name();
  // The root element starts at the first "<name" followed by a blank, ">"
  // or "/"; it ends after the last "</name".
  std::size_t start = 0;
  while ((start = original.find("<" + name, start)) != std::string_view::npos) {
    const std::size_t after = start + name.size() + 1;
    if (after < original.size() &&
        std::string_view(" \t\r\n>/").find(original[after]) != std::string_view::npos) {
      break;
    }
    ++start;
  }
  if (start == std::string_view::npos) start = 0;
  std::string text(original.substr(0, start));
  text += writer.text;
  const std::size_t close = original.rfind("</" + name);
  if (close != std::string_view::npos && close > start) {
    const std::size_t end = original.find('>', close);
    if (end != std::string_view::npos) text += original.substr(end + 1);
  }
  return text;
}

std::optional<std::string> PrefixOf(pugi::xml_node element, const char* uri) {
  for (const pugi::xml_attribute a : element.attributes()) {
    const std::string_view name = a.name();
    if (std::string_view(a.value()) != uri) continue;
    if (name == "xmlns") return std::string();
    if (name.starts_with("xmlns:")) return std::string(name.substr(6));
  }
  return std::nullopt;
}

bool SameEncoding(char32_t code_point, std::string_view bytes) {
  std::string encoded;
  utf8::Append(encoded, code_point);
  return encoded == bytes;
}

std::string CutText(const std::string& text, std::size_t size) {
  if (text.size() <= size) return text;
  while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
  return text.substr(0, size);
}

std::size_t CountCharacters(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace sfc::document
