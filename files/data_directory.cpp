// The program's data directory and the input file that LOAD reads.

#include <cstdlib>

#include "code_table_files.h"
#include "field_reader.h"
#include "source_file.h"

namespace sfc {

std::filesystem::path DataDirectory() {
  if (const char* dir = std::getenv("LIPIKARA_DIR"); dir != nullptr && *dir != '\0') {
    return std::filesystem::path(dir);
  }
#ifdef _WIN32
  return std::filesystem::path("c:\\lipikara\\");
#else
  const char* home = std::getenv("HOME");
  const std::filesystem::path base = (home != nullptr && *home != '\0') ? home : ".";
  return base / "lipikara" / "";
#endif
}

InputFileText ReadInputFile(const std::filesystem::path& dir) {
  const std::filesystem::path path = dir / kInputFileName;
  SourceFile file = OpenSourceFile(path);
  if (file.failure == OpenFailure::kNone) {
    InputFileText loaded{true, {}};
    FieldReader reader(*file.stream.rdbuf());
    while (std::optional<Field> field = reader.Next()) {
      loaded.text += field->value;
      loaded.text += ',';
    }
    if (!reader.read_failed()) return loaded;
    file.failure = OpenFailure::kReadFailed;
  }
  if (file.failure == OpenFailure::kMissing) {
    return {false, std::string(kNoInputFileText) + path.string()};
  }
  return {false, DescribeFailure(path, file.failure, file.reason)};
}

}  // namespace sfc
