// sfc_letter_model: writes the letter-pair counts that the form guess uses
// (core/unicode/letter_model_counts.cpp) from a Sanskrit text in IAST.
//   sfc_letter_model tests/data/gita.iast.txt > core/unicode/letter_model_counts.cpp
// A test checks that the committed counts are those of that text.

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "unicode/guess.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: sfc_letter_model IAST_FILE > letter_model_counts.cpp\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "sfc_letter_model: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const sfc::letter_model::PairCounts counts = sfc::letter_model::CountPairs(text.str());
  std::cout << "// Written by sfc_letter_model from tests/data/gita.iast.txt; do not edit.\n"
               "// Row: the first letter, column: the letter after it, in the order of\n"
               "// letter_model::UnitName.\n"
               "// clang-format off\n#include \"guess.h\"\n\n"
               "namespace sfc::letter_model {\n\n"
               "namespace {\n\n"
               "constexpr PairCounts kCounts = {{\n";
  for (int first = 0; first < sfc::letter_model::kUnitCount; ++first) {
    std::cout << "    {{";
    for (int second = 0; second < sfc::letter_model::kUnitCount; ++second) {
      std::cout << (second == 0 ? "" : ", ") << counts[first][second];
    }
    std::cout << "}},  // " << sfc::letter_model::UnitName(first) << "\n";
  }
  std::cout << "}};\n\n"
               "}  // namespace\n\n"
               "const PairCounts& BuiltInCounts() { return kCounts; }\n\n"
               "}  // namespace sfc::letter_model\n";
  return 0;
}
