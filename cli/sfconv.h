// The command-line tool over the converter's core.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace sfc {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCutShort = 3;
inline constexpr int kExitDropped = 4;  // with --strict: input bytes no rule took

// Every message of the tool goes through here: "sfconv: " and one line.
void Report(std::ostream& err, std::string_view message);

// Reports the exception being handled that every command may meet (reading or
// writing, memory, anything unexpected) and gives the status for it. Only in
// a catch block.
int ReportFailure(std::ostream& err);

// Runs sfconv with the arguments after the program name. Input and output
// are byte streams; nothing is translated. Every failure, running out of
// memory included, is reported on err and gives a status.
int RunSfconv(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err);

}  // namespace sfc
