// Any bytes as a code-table file or an input file for LOAD: the field
// reader ends, every field's positions lie in the file, the escape decodes
// at most one byte at the front, and a cell written as a field reads back as
// itself whenever the writer says it is exact.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "code_table_escape.h"
#include "field_reader.h"
#include "field_writer.h"

namespace {

// Stops the run, naming the property that failed.
#define Require(condition) \
  ((condition) ? void() : (std::fprintf(stderr, "failed: %s\n", #condition), std::abort()))

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // The file read field by field.
  std::stringbuf source(bytes);
  sfc::FieldReader reader(source);
  std::size_t fields = 0;
  std::size_t lines = 1;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    // A line ends with LF, CR LF or a lone CR.
    lines +=
        bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'));
  }
  while (std::optional<sfc::Field> field = reader.Next()) {
    Require(++fields <= size + 1);
    Require(field->start.line >= 1 && static_cast<std::size_t>(field->start.line) <= lines + 1);
    Require(field->value.size() <= size && field->value.size() <= sfc::kMaxFieldBytes);
    // The escape changes at most the front of a field.
    const std::string decoded = sfc::CodeTableEscape(field->value);
    Require(decoded == field->value ||
            (field->value.size() >= 5 && decoded.size() == field->value.size() - 4 &&
             decoded.substr(1) == field->value.substr(5)));
  }

  // The input as one cell, written and read back.
  for (const bool escape : {true, false}) {
    const sfc::WrittenField written = sfc::WriteField(bytes, escape);
    if (!written.exact) continue;
    std::stringbuf back(written.text + ",");
    sfc::FieldReader again(back, written.text.size() + 1);
    std::optional<sfc::Field> field = again.Next();
    Require(field.has_value());
    Require((escape ? sfc::CodeTableEscape(field->value) : field->value) == bytes);
  }
  return 0;
}
