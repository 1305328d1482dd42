#include "unicode_text.h"

#include <cstdio>

namespace sfc {

std::string DescribeReject(const UnicodeReject& reject) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(reject.code_point));
  return std::string(code) + " at line " + std::to_string(reject.line) + ", column " +
         std::to_string(reject.column);
}

PieceCutter::PieceCutter(std::string_view cut_after) {
  for (char c : cut_after) cut_after_[static_cast<unsigned char>(c)] = true;
}

}  // namespace sfc
