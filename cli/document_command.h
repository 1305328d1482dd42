// sfconv document: a whole word-processor document converted font by font.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace sfc {

// Runs "sfconv document" with the arguments after the subcommand. The report
// goes to `err` (the help to `out`); the output document is written whole or
// not at all, and the input is never changed.
int RunDocumentCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace sfc
