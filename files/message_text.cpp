#include "message_text.h"

#include <algorithm>

#include "code_table_files.h"

namespace sfc {

std::string ShownBytes(std::string_view bytes, std::size_t at_most) {
  std::string out = "\"";
  for (char c : bytes.substr(0, at_most)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && c != '"' && c != '<') {
      out += c;
    } else {
      out += '<' + std::to_string(byte) + '>';
    }
  }
  out += '"';
  if (bytes.size() > at_most) {
    out += "... (" + std::to_string(bytes.size()) + " bytes)";
  }
  return out;
}

std::string Ordinal(int n) {
  const int last_two = n % 100;
  const int last = n % 10;
  const char* suffix = "th";
  if (last_two < 11 || last_two > 13) {
    if (last == 1) suffix = "st";
    if (last == 2) suffix = "nd";
    if (last == 3) suffix = "rd";
  }
  return std::to_string(n) + suffix;
}

std::string FormatProblem(const TableProblem& problem) {
  if (problem.file.empty()) return problem.message;
  std::string text = problem.file;
  if (problem.line > 0) {
    text += ':' + std::to_string(problem.line);
    if (problem.column > 0) text += ':' + std::to_string(problem.column);
  }
  return text + ": " + problem.message;
}

std::string CutFieldMessage(std::size_t kept_bytes) {
  return "the field is longer than " + std::to_string(kept_bytes) +
         " bytes, more than any cell holds: it is cut here, and the bytes from here to its end "
         "are dropped";
}

bool HasError(const std::vector<TableProblem>& problems) {
  return std::any_of(problems.begin(), problems.end(), [](const TableProblem& problem) {
    return problem.severity == Severity::kError;
  });
}

}  // namespace sfc
