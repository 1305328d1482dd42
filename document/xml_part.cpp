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

namespace {

// The root element starts at the first "<" followed by a name; it ends at
// the ">" after the last "</name" (or at its own "/>").
XmlFrame FrameOf(std::string_view xml) {
  XmlFrame frame;
  std::size_t start = 0;
  while ((start = xml.find('<', start)) != std::string_view::npos) {
    if (start + 1 < xml.size() && xml[start + 1] != '?' && xml[start + 1] != '!') break;
    ++start;
  }
  if (start == std::string_view::npos) return frame;
  std::size_t name_end = start + 1;
  while (name_end < xml.size() &&
         std::string_view(" \t\r\n>/").find(xml[name_end]) == std::string_view::npos) {
    ++name_end;
  }
  frame.before = std::string(xml.substr(0, start));
  const std::string close = "</" + std::string(xml.substr(start + 1, name_end - start - 1));
  const std::size_t at = xml.rfind(close);
  if (at != std::string_view::npos && at > start) {
    const std::size_t end = xml.find('>', at);
    if (end != std::string_view::npos) frame.after = std::string(xml.substr(end + 1));
  }
  return frame;
}

}  // namespace

XmlFrame ParseXmlInPlace(pugi::xml_document& doc, std::string& xml, std::string_view part) {
  XmlFrame frame = FrameOf(xml);
  const pugi::xml_parse_result result =
      doc.load_buffer_inplace(xml.data(), xml.size(), kParseFlags, pugi::encoding_utf8);
  if (!result) {
    throw XmlError{std::string(part), "malformed XML at byte " + std::to_string(result.offset) +
                                          " (" + result.description() + ")"};
  }
  if (!doc.document_element()) throw XmlError{std::string(part), "no XML element in the part"};
  return frame;
}

std::string SaveXml(const pugi::xml_document& doc, const XmlFrame& frame,
                    std::size_t expected_size) {
  StringWriter writer;
  writer.text.reserve(expected_size);
  writer.text = frame.before;
  doc.document_element().print(writer, "", kSaveFlags, pugi::encoding_utf8);
  writer.text += frame.after;
  return std::move(writer.text);
}

std::string SaveXml(const pugi::xml_document& doc, std::string_view original) {
  return SaveXml(doc, FrameOf(original));
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
  if (code_point < 0x80) {  // most characters: no string made
    return bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) == code_point;
  }
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
