// Runs a fuzz target without a fuzzing engine: every file under the given
// directories (whole, and line by line), then a fixed series of
// pseudo-random inputs (20000, or N with -rounds=N) and, with -mutations=N,
// N seeds (the whole files and lines above) changed in a few random places.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunOne(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

// A seed with one to four random edits: a byte replaced, inserted or
// removed, or a piece of it repeated.
std::string Mutated(std::string input, std::mt19937& random) {
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int edit = 0; edit < edits; ++edit) {
    const std::size_t at = input.empty() ? 0 : random() % input.size();
    const char byte = static_cast<char>(random() % 256);
    switch (random() % 4) {
      case 0:
        if (!input.empty()) input[at] = byte;
        break;
      case 1:
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), byte);
        break;
      case 2:
        if (!input.empty()) input.erase(at, 1);
        break;
      default:
        input.insert(at, input.substr(at, random() % 16));
        break;
    }
  }
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t runs = 0;
  int rounds = 20000;
  int mutations = 0;
  std::vector<std::string> directories;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("-rounds=", 0) == 0) {
      rounds = std::atoi(arg.c_str() + 8);
    } else if (arg.rfind("-mutations=", 0) == 0) {
      mutations = std::atoi(arg.c_str() + 11);
    } else {
      directories.push_back(arg);
    }
  }
  std::vector<std::string> seeds;
  for (const std::string& directory : directories) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, ec)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream file(entry.path(), std::ios::binary);
      std::ostringstream text;
      text << file.rdbuf();
      const std::string bytes = text.str();
      RunOne(bytes);
      ++runs;
      if (mutations > 0) seeds.push_back(bytes);
      std::istringstream lines(bytes);
      std::string line;
      while (std::getline(lines, line)) {
        RunOne(line);
        ++runs;
        if (mutations > 0) seeds.push_back(line);
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
  for (int round = 0; round < mutations && !seeds.empty(); ++round) {
    RunOne(Mutated(seeds[random() % seeds.size()], random));
    ++runs;
  }
  std::printf("%zu inputs replayed\n", runs);
  return 0;
}
