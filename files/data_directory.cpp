// The program's data directory and the input file that LOAD reads.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <system_error>

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

InputFileText ReadInputFile(const std::filesystem::path& dir, std::size_t max_bytes) {
  const std::filesystem::path path = dir / kInputFileName;
  SourceFile file = OpenSourceFile(path);
  if (file.failure == OpenFailure::kNone) {
    InputFileText loaded{true, {}};
    // The text is never longer than the file and one comma.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error)
      loaded.text.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(size + 1, max_bytes)));
    // Each field may take what is left of the bound, less its comma.
    FieldReader reader(*file.stream.rdbuf(), max_bytes > 0 ? max_bytes - 1 : 0);
    while (std::optional<Field> field = reader.Next()) {
      if (field->cut_at || loaded.text.size() + field->value.size() + 1 > max_bytes) {
        const std::string bound = max_bytes % (std::size_t{1} << 20) == 0
                                      ? std::to_string(max_bytes >> 20) + " MB"
                                      : std::to_string(max_bytes) + " bytes";
        return {false, path.string() + " is longer than " + bound +
                           ", more than LOAD puts into a text box; it is not loaded"};
      }
      loaded.text += field->value;
      loaded.text += ',';
      reader.set_max_field_bytes(max_bytes - std::min(max_bytes, loaded.text.size() + 1));
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
