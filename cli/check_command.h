// sfconv check: the words of a transliteration text that do not come back
// unchanged through a Devanagari font and back.
#pragma once

#include <iosfwd>

#include "conversion.h"
#include "session.h"
#include "sfconv_io.h"

namespace sfc {

// Checks `input` line by line as it is read and writes to `output` as it
// goes: one line per difference, "line:column: before -> after" in IAST,
// then "K of N words (S%) come back unchanged; D differences". Commits the
// output; returns the exit status. to_devanagari and to_translit are
// sessions in those directions with the fonts to check.
int RunWordCheck(Session& to_devanagari, Session& to_translit, const InputBox& input_box,
                 InputSource& input, OutputTarget& output, std::ostream& err);

}  // namespace sfc
