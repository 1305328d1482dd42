// sfconv run in process over a string, for the tests of the command line.
#pragma once

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

}  // namespace sfc::test
