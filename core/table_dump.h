// A plain-text listing of the tables in force, one row per line, the way the
// code-table browser steps through them (used by `sfconv tables`).
#pragma once

#include <string>
#include <string_view>

#include "state.h"

namespace sfc {

// `"` then each byte (0x20 to 0x7E as itself except `"` and `\`, every other
// byte as \xHH), then `"`.
std::string QuoteBytes(std::string_view bytes);

// Lines, each ended by a line feed, fields separated by tabs:
//   font     "<translit box font>" "<Devanagari box font>" "<current Devanagari font>"
//   sanideva <row> <key> <full> <half>       rows 1 to 255
//   shorti   <code> <value>                  codes 1 to 255
//   devitran <row> <entry>                   rows 1 to 300
//   position <Name> <value>...               the special glyph positions
std::string DumpTables(const ConverterState& state);

}  // namespace sfc
