#include "field_writer.h"

#include "code_table_escape.h"

namespace sfc {

namespace {

bool NeedsQuotes(std::string_view bytes) {
  return bytes.find_first_of(",\r\n") != std::string_view::npos;
}

// Bytes that are escaped when a field starts with them.
bool EscapedFirstByte(unsigned char byte) {
  switch (byte) {
    case 10:
    case 13:
    case 32:
    case 34:
    case 44:
    case 146:
    case 150:
    case 151:
    case 171:
    case 187:
      return true;
    default:
      return false;
  }
}

std::string Escape(unsigned char byte) {
  std::string text = "!000!";
  text[1] = static_cast<char>('0' + byte / 100);
  text[2] = static_cast<char>('0' + byte / 10 % 10);
  text[3] = static_cast<char>('0' + byte % 10);
  return text;
}

WrittenField Quoted(std::string_view head, std::string_view rest) {
  WrittenField field;
  field.text = '"';
  field.text += head;
  for (char c : rest) {
    if (c == '"') {
      field.exact = false;
    } else {
      field.text += c;
    }
  }
  field.text += '"';
  return field;
}

}  // namespace

WrittenField WriteField(std::string_view value, bool with_escape) {
  if (value.empty()) return {};
  if (with_escape) {
    const auto first = static_cast<unsigned char>(value[0]);
    const bool escape_first =
        EscapedFirstByte(first) || LookAtEscape(value).form == EscapeForm::kDecoded;
    const std::string head = escape_first ? Escape(first) : std::string();
    const std::string_view rest = escape_first ? value.substr(1) : value;
    if (!NeedsQuotes(rest)) return {head + std::string(rest), true};
    return Quoted(head, rest);
  }
  if (!NeedsQuotes(value) && value[0] != ' ' && value[0] != '"') return {std::string(value), true};
  return Quoted({}, value);
}

}  // namespace sfc
