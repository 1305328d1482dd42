#include "message_text.h"

#include <algorithm>
#include <cctype>
#include <utility>

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

namespace {

// A path as a shell reads it: as it is when it holds only letters, digits
// and / . _ - + , : @ ~ %; else in single quotation marks.
std::string ShellWord(const std::string& text) {
  const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("/._-+,:@~%").find(c) != std::string_view::npos;
  });
  if (plain) return text;
  std::string word = "'";
  for (const char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

}  // namespace

std::vector<std::string> SummarizeCheck(const std::vector<TableProblem>& problems,
                                        const std::filesystem::path& dir) {
  std::vector<std::pair<std::string, std::size_t>> files;
  for (const TableProblem& problem : problems) {
    const auto it = std::find_if(files.begin(), files.end(),
                                 [&](const auto& file) { return file.first == problem.file; });
    if (it == files.end()) {
      files.emplace_back(problem.file, 1);
    } else {
      ++it->second;
    }
  }
  std::vector<std::string> lines;
  for (const auto& [file, count] : files) {
    lines.push_back((file.empty() ? dir.string() : file) + ": " + std::to_string(count) +
                    (count == 1 ? " problem" : " problems") + "; `sfconv tables --check " +
                    ShellWord(dir.string()) + "` lists them");
  }
  return lines;
}

bool HasError(const std::vector<TableProblem>& problems) {
  return std::any_of(problems.begin(), problems.end(), [](const TableProblem& problem) {
    return problem.severity == Severity::kError;
  });
}

}  // namespace sfc
