// The command-line tool over the converter's core.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace sfc {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCutShort = 3;

// Runs sfconv with the arguments after the program name. Input and output
// are byte streams; nothing is translated.
int RunSfconv(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err);

}  // namespace sfc
