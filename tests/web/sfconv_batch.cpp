// Native sfconv over many runs in one process, for the tests that compare
// the WebAssembly module with it: sfconv_batch DIR reads DIR/runs.txt, one
// run a line with its arguments separated by tabs, and runs each in DIR as
// sfconv would, writing what run N told on standard error to N.err and its
// exit status to N.rc (input and output are files named by -i and -o).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "sfconv.h"

int main(int argc, char** argv) {
  std::error_code ec;
  if (argc == 2) std::filesystem::current_path(argv[1], ec);
  std::ifstream runs("runs.txt", std::ios::binary);
  if (argc != 2 || ec || !runs) {
    std::cerr << "usage: sfconv_batch DIR, where DIR holds runs.txt\n";
    return 2;
  }
  int number = 0;
  for (std::string line; std::getline(runs, line); ++number) {
    std::vector<std::string> args;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) args.push_back(field);
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = sfc::RunSfconv(args, in, out, err);
    std::ofstream(std::to_string(number) + ".err", std::ios::binary) << err.str();
    std::ofstream(std::to_string(number) + ".rc", std::ios::binary) << status << '\n';
  }
  return 0;
}
