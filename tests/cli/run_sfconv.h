// sfconv run in process over a string, and as a program from a shell script.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <istream>
#include <sstream>
#include <string>
#include <vector>

#include "sfconv.h"

namespace sfc::test {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

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
