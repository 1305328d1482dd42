// Runs a fuzz target without a fuzzing engine: every file under the given
// directories (whole, and line by line), then a fixed series of
// pseudo-random inputs (20000, or N with -rounds=N).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunOne(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t runs = 0;
  int rounds = 20000;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("-rounds=", 0) == 0) {
      rounds = std::atoi(arg.c_str() + 8);
      continue;
    }
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i], ec)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream file(entry.path(), std::ios::binary);
      std::ostringstream text;
      text << file.rdbuf();
      const std::string bytes = text.str();
      RunOne(bytes);
      ++runs;
      std::istringstream lines(bytes);
      std::string line;
      while (std::getline(lines, line)) {
        RunOne(line);
        ++runs;
      }
    }
  }
  std::mt19937 random(12345);
  for (int round = 0; round < rounds; ++round) {
    std::string input(random() % 96, '\0');
    for (char& c : input) c = static_cast<char>(random() % 256);
    RunOne(input);
    ++runs;
  }
  std::printf("%zu inputs replayed\n", runs);
  return 0;
}
