// Pieces of the messages that the code-table files give their users.
#pragma once

#include <string>
#include <string_view>

namespace sfc {

// Bytes as a user reads them in a message: in double quotation marks,
// printable ASCII as itself, every other byte (and "<" and the quotation
// mark) as its decimal value in angle brackets, the way the "!NNN!" escape
// names it: "d<141>" is "d" and byte 141. A longer string shows its first 60
// bytes and its length: "kaka...ka"... (1000 bytes).
std::string ShownBytes(std::string_view bytes);

// 1st, 2nd, 3rd, 4th, ... 21st.
std::string Ordinal(int n);

}  // namespace sfc
