#include <iostream>
#include <string>
#include <vector>

#include "sfconv.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = sfc::RunSfconv(args, std::cin, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : sfc::kExitFileError;
}
