// Writing a cell as a field that the field reader gives back unchanged.
#pragma once

#include <string>
#include <string_view>

namespace sfc {

struct WrittenField {
  std::string text;
  bool exact = true;  // false: no field carries the value; text is the nearest
};

// The field for a cell value. With escape (sanideva.cod, devitran.cod) a
// first byte that a field cannot start with (space, quotation mark, comma,
// line-end bytes, 146, 150, 151, 171, 187, or an "!" that would read as an
// escape) is written as "!NNN!". A value whose remaining bytes hold a comma
// or a line end is quoted. A value that needs quoting and holds a quotation
// mark after its first byte cannot be carried: it is written quoted without
// its quotation marks. Without escape (lipikara.mmy) a value that starts with
// a space is quoted and one that starts with a quotation mark cannot be
// carried.
WrittenField WriteField(std::string_view value, bool with_escape);

}  // namespace sfc
