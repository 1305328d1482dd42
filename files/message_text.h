// Pieces of the messages that the code-table files give their users.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sfc {

// Bytes as a user reads them in a message (and a test in its failure
// messages): in double quotation marks, printable ASCII as itself, every
// other byte (and "<" and the quotation mark) as its decimal value in angle
// brackets, the way the "!NNN!" escape names it: "d<141>" is "d" and byte
// 141. A string longer than at_most bytes shows its first at_most bytes and
// its length: "kaka...ka"... (1000 bytes).
inline constexpr std::size_t kShownBytesAtMost = 60;
std::string ShownBytes(std::string_view bytes, std::size_t at_most = kShownBytesAtMost);

// 1st, 2nd, 3rd, 4th, ... 21st.
std::string Ordinal(int n);

// The words for a field cut where the field reader stops keeping its bytes,
// e.g. after 4096 bytes; the load and the check give it at the place of the
// first byte dropped.
std::string CutFieldMessage(std::size_t kept_bytes);

}  // namespace sfc
