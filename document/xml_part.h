// Reading and writing the XML parts of a document so that what is not
// changed is written back as it was read: whitespace, the declaration,
// namespace prefixes, comments and processing instructions.
#pragma once

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace sfc::document {

// A part that is not well-formed XML.
struct XmlError {
  std::string part;
  std::string what;
};

// Parses a part; throws XmlError with the byte offset and the reason.
void ParseXml(pugi::xml_document& doc, std::string_view xml, std::string_view part);

// What lies before and after the root element of a part as read.
struct XmlFrame {
  std::string before;
  std::string after;
};
// Parses a part in its own buffer, which must outlive `doc` and is not the
// part's text any more afterwards; returns the frame to write it back with.
XmlFrame ParseXmlInPlace(pugi::xml_document& doc, std::string& xml, std::string_view part);
// `expected_size`, when known, is room made at once for the text (no
// regrowing copies of a large part).
std::string SaveXml(const pugi::xml_document& doc, const XmlFrame& frame,
                    std::size_t expected_size = 0);
// The part as written: no declaration added, no indentation, UTF-8. What
// lies outside the root element (the declaration and the blanks and
// comments around it) is taken from `original`, the part as read.
std::string SaveXml(const pugi::xml_document& doc, std::string_view original);

// The prefix an element declares for a namespace ("" for the default
// namespace), or nothing.
std::optional<std::string> PrefixOf(pugi::xml_node element, const char* uri);

// At most `size` bytes of UTF-8 text, cut between characters.
std::string CutText(const std::string& text, std::size_t size);

// Whether `bytes` is the UTF-8 encoding of the code point.
bool SameEncoding(char32_t code_point, std::string_view bytes);

// The number of characters of UTF-8 text.
std::size_t CountCharacters(std::string_view text);

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, std::size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

}  // namespace sfc::document
