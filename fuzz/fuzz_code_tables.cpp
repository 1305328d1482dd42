// Any three code-table files, then both conversions with the loaded tables
// under a font name of the user's own: every load and every run ends in a
// defined result.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "code_table_files.h"
#include "conversion.h"
#include "state.h"

namespace {

// A directory of this process's own, removed when the process ends.
struct TempDir {
  TempDir()
      : path(std::filesystem::temp_directory_path() /
             ("sfc-fuzz-tables-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::filesystem::path path;
};

const std::filesystem::path& Dir() {
  static const TempDir dir;
  return dir.path;
}

void Write(const char* name, std::string_view bytes) {
  std::ofstream file(Dir() / name, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  // Three bytes split the rest into the three files and a text.
  const std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
  std::size_t cut[5] = {0, 0, 0, 0, rest.size()};
  for (int i = 1; i <= 3; ++i) cut[i] = std::max(cut[i - 1], rest.size() * data[i - 1] / 256);
  auto part = [&](int i) { return rest.substr(cut[i], cut[i + 1] - cut[i]); };
  Write(sfc::kSyllableFileName, part(0));
  Write(sfc::kShortIFileName, part(1));
  Write(sfc::kGlyphFileName, part(2));

  sfc::ConverterState state = sfc::MakeStartupState();
  sfc::LoadCodeTables(state, Dir());
  sfc::SetTranslitBoxFont(state, data[0] % 2 ? "Sanskrit-Times" : "ITRTransTimes");
  sfc::SetDevanagariBoxFont(state, "Loaded");
  (void)sfc::CheckCodeTables(Dir());
  const sfc::ConversionResult there = sfc::ConvertToDevanagari(state, part(3), data[1] % 2 == 0);
  const sfc::ConversionResult back = sfc::RunDevanagariToTranslitCommand(state, there.output);
  if (back.padded_input.size() != there.output.size() + 2) std::abort();
  return 0;
}
