// A word-processor document as a zip package: the parts are read with
// bounds, changed parts are replaced, and every other entry is copied to the
// new package as it was (compressed bytes, order, names and extra fields).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sfc::document {

// A document that cannot be read or written. what() is one line that names
// the file and, where there is one, the part.
class DocumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a package may hold; a package beyond these is refused before any
// part is decompressed.
struct PackageLimits {
  std::uint64_t max_total_size = std::uint64_t{1} << 30;   // all entries decompressed
  std::uint64_t max_part_size = std::uint64_t{512} << 20;  // one entry decompressed
  std::uint64_t max_entries = 20000;
};

class Package {
 public:
  // Opens the bytes of a package; `name` names it in messages. Throws
  // DocumentError for bytes that are not a zip, an encrypted document, too
  // many entries or too large a total.
  Package(std::string bytes, std::string name, const PackageLimits& limits = {});
  ~Package();
  Package(const Package&) = delete;
  Package& operator=(const Package&) = delete;

  const std::string& name() const { return name_; }
  // The entry names in the order of the archive.
  const std::vector<std::string>& parts() const { return parts_; }
  bool Has(std::string_view part) const;
  // The decompressed bytes of a part; throws DocumentError naming the part
  // when it is missing, too large or damaged.
  std::string Read(std::string_view part) const;
  // Replaces a part's bytes in the package to be saved.
  void Replace(std::string_view part, std::string bytes);
  // The new package: the replaced parts compressed anew, the others copied.
  std::string Save();

 private:
  struct Archive;
  [[noreturn]] void Fail(std::string_view part, const std::string& what) const;
  std::optional<std::uint64_t> IndexOf(std::string_view part) const;

  std::string bytes_;
  std::string name_;
  PackageLimits limits_;
  std::unique_ptr<Archive> archive_;
  std::vector<std::string> parts_;
  std::vector<std::pair<std::uint64_t, std::string>> replaced_;
};

// Quotes a file or part name for messages: "word/document.xml".
std::string Quoted(std::string_view name);

}  // namespace sfc::document
