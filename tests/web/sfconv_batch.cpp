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
  if (argc != 2) {
    std::cerr << "usage: sfconv_batch DIR\n";
    return 2;
  }
  std::error_code ec;
  std::filesystem::current_path(argv[1], ec);
  if (ec) {
    std::cerr << "sfconv_batch: cannot enter " << argv[1] << ": " << ec.message() << '\n';
    return 1;
  }
  std::ifstream runs("runs.txt", std::ios::binary);
  if (!runs) {
    std::cerr << "sfconv_batch: no runs.txt in " << argv[1] << '\n';
    return 1;
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
