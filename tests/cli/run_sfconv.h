// sfconv run in process over a string, and as a program from a shell script.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <istream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "sfconv.h"

namespace sfc::test {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// The arguments of a command line: the words between blanks, a word in
// quotation marks ('Dev Natraj ITR') whole.
inline std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  for (std::size_t at = line.find_first_not_of(' '); at < line.size();
       at = line.find_first_not_of(' ', at)) {
    const bool quoted = line[at] == '\'';
    const std::size_t end = std::min(line.find(quoted ? '\'' : ' ', at + quoted), line.size());
    words.emplace_back(line.substr(at + quoted, end - at - quoted));
    at = end + quoted;
  }
  return words;
}

inline Outcome Sfconv(const std::vector<std::string>& args, std::istream& in) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunSfconv(args, in, out, err);
  return {status, out.str(), err.str()};
}

inline Outcome Sfconv(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  return Sfconv(args, in);
}

// Runs a shell script in which $SFCONV is the program; its exit status.
inline int RunScript(const std::string& script) {
  const std::string command = "SFCONV='" + std::string(SFC_SFCONV_PATH) + "'; " + script;
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace sfc::test
