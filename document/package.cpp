#include "package.h"

#include <algorithm>
#include <utility>

#include "zip_library.h"

namespace sfc::document {

std::string Quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

struct Package::Archive {
  ZipLibrary lib;
  zip_t* zip = nullptr;
  ~Archive() {
    if (zip != nullptr) lib.discard(zip);
  }
};

namespace {

std::string ZipReason(const ZipLibrary& lib, zip_error_t* error) {
  const char* text = lib.error_strerror(error);
  return text != nullptr ? text : "unknown zip error";
}

// An OLE compound file: a password-protected document (the zip inside is
// encrypted) or an old binary .doc.
bool IsCompoundFile(std::string_view bytes) {
  return bytes.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

std::string Size(std::uint64_t bytes) {
  if (bytes >= (std::uint64_t{1} << 30) && bytes % (std::uint64_t{1} << 30) == 0) {
    return std::to_string(bytes >> 30) + " GiB";
  }
  if (bytes >= (std::uint64_t{1} << 20) && bytes % (std::uint64_t{1} << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB";
  }
  return std::to_string(bytes) + " bytes";
}

}  // namespace

Package::Package(std::string bytes, std::string name, const PackageLimits& limits)
    : bytes_(std::move(bytes)), name_(std::move(name)), limits_(limits) {
  if (bytes_.empty()) throw DocumentError(Quoted(name_) + " is empty (not a document)");
  if (IsCompoundFile(bytes_)) {
    throw DocumentError(Quoted(name_) +
                        " is an encrypted (password-protected) document or an old binary "
                        "document; save it without a password as .docx or .odt first");
  }
  archive_ = std::make_unique<Archive>();
  const ZipLibrary& lib = archive_->lib;
  zip_error_t error;
  lib.error_init(&error);
  zip_source_t* source = lib.source_buffer_create(bytes_.data(), bytes_.size(), 0, &error);
  if (source == nullptr) {
    const std::string reason = ZipReason(lib, &error);
    lib.error_fini(&error);
    throw DocumentError(Quoted(name_) + ": " + reason);
  }
  archive_->zip = lib.open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (archive_->zip == nullptr) {
    const bool not_zip = lib.error_code_zip(&error) == ZIP_ER_NOZIP;
    const std::string reason = ZipReason(lib, &error);
    lib.error_fini(&error);
    lib.source_free(source);
    throw DocumentError(Quoted(name_) + (not_zip
                                             ? " is not a document (not a zip package)"
                                             : " is not a readable zip package (" + reason + ")"));
  }
  lib.error_fini(&error);

  const zip_int64_t count = lib.get_num_entries(archive_->zip, 0);
  if (count < 0 || static_cast<std::uint64_t>(count) > limits_.max_entries) {
    throw DocumentError(Quoted(name_) + " has " + std::to_string(count) +
                        " entries, more than the " + std::to_string(limits_.max_entries) +
                        " a document may have");
  }
  std::uint64_t total = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    lib.stat_init(&stat);
    if (lib.stat_index(archive_->zip, static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
        stat.name == nullptr) {
      throw DocumentError(Quoted(name_) + ": entry " + std::to_string(i) + " cannot be read");
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
      Fail(stat.name, "is encrypted; save the document without a password first");
    }
    total += stat.size;
    if (total > limits_.max_total_size) {
      throw DocumentError(Quoted(name_) + " would decompress to more than " +
                          Size(limits_.max_total_size) + "; it is refused as damaged or hostile");
    }
    parts_.emplace_back(stat.name);
  }
}

Package::~Package() = default;

void Package::Fail(std::string_view part, const std::string& what) const {
  throw DocumentError(Quoted(name_) + ", part " + Quoted(part) + ": " + what);
}

std::optional<std::uint64_t> Package::IndexOf(std::string_view part) const {
  const auto it = std::find(parts_.begin(), parts_.end(), part);
  if (it == parts_.end()) return std::nullopt;
  return static_cast<std::uint64_t>(it - parts_.begin());
}

bool Package::Has(std::string_view part) const { return IndexOf(part).has_value(); }

std::string Package::Read(std::string_view part) const {
  for (const auto& [index, bytes] : replaced_) {
    if (parts_[index] == part) return bytes;
  }
  const std::optional<std::uint64_t> index = IndexOf(part);
  if (!index) Fail(part, "the part is missing");
  const ZipLibrary& lib = archive_->lib;
  zip_stat_t stat;
  lib.stat_init(&stat);
  if (lib.stat_index(archive_->zip, *index, 0, &stat) != 0) Fail(part, "cannot be read");
  if (stat.size > limits_.max_part_size) {
    Fail(part, "would decompress to more than " + Size(limits_.max_part_size) + "; it is refused");
  }
  zip_file_t* file = lib.fopen_index(archive_->zip, *index, 0);
  if (file == nullptr)
    Fail(part, "cannot be opened (" + ZipReason(lib, lib.get_error(archive_->zip)) + ")");
  std::string bytes(static_cast<std::size_t>(stat.size), '\0');
  std::uint64_t at = 0;
  std::string failure;
  while (at < stat.size) {
    const zip_int64_t got = lib.fread(file, bytes.data() + at, stat.size - at);
    if (got < 0) {
      failure = "is damaged (" + ZipReason(lib, lib.file_get_error(file)) + ")";
      break;
    }
    if (got == 0) {
      failure = "is shorter than its entry says";
      break;
    }
    at += static_cast<std::uint64_t>(got);
  }
  if (failure.empty()) {
    char extra = 0;
    const zip_int64_t more = lib.fread(file, &extra, 1);
    if (more < 0) failure = "is damaged (" + ZipReason(lib, lib.file_get_error(file)) + ")";
    if (more > 0) failure = "is longer than its entry says";
  }
  lib.fclose(file);
  if (!failure.empty()) Fail(part, failure);
  return bytes;
}

void Package::Replace(std::string_view part, std::string bytes) {
  const std::optional<std::uint64_t> index = IndexOf(part);
  if (!index) Fail(part, "the part is missing");
  for (auto& [at, held] : replaced_) {
    if (at == *index) {
      held = std::move(bytes);
      return;
    }
  }
  replaced_.emplace_back(*index, std::move(bytes));
}

std::string Package::Save() {
  if (replaced_.empty()) return bytes_;
  const ZipLibrary& lib = archive_->lib;
  zip_error_t error;
  lib.error_init(&error);
  auto fail = [&](const std::string& what) -> void {
    lib.error_fini(&error);
    throw DocumentError("cannot write the new " + Quoted(name_) + " (" + what + ")");
  };
  zip_source_t* source = lib.source_buffer_create(bytes_.data(), bytes_.size(), 0, &error);
  if (source == nullptr) fail(ZipReason(lib, &error));
  zip_t* zip = lib.open_from_source(source, 0, &error);
  if (zip == nullptr) {
    lib.source_free(source);
    fail(ZipReason(lib, &error));
  }
  lib.source_keep(source);
  for (const auto& [index, bytes] : replaced_) {
    zip_source_t* part = lib.source_buffer(zip, bytes.data(), bytes.size(), 0);
    if (part == nullptr || lib.file_replace(zip, index, part, 0) != 0) {
      if (part != nullptr) lib.source_free(part);
      const std::string reason = ZipReason(lib, lib.get_error(zip));
      lib.discard(zip);
      lib.source_free(source);
      fail(reason);
    }
    // Deflate at level 3: as small as the packages word processors write, at
    // a quarter of the cost of the library's own default (level 9). The
    // method is given as "default" (which is deflate) because the library
    // drops the level when the method is the one the entry already had.
    lib.set_file_compression(zip, index, ZIP_CM_DEFAULT, 3);
  }
  if (lib.close(zip) != 0) {
    const std::string reason = ZipReason(lib, lib.get_error(zip));
    lib.discard(zip);
    lib.source_free(source);
    fail(reason);
  }
  std::string out;
  zip_stat_t stat;
  lib.stat_init(&stat);
  if (lib.source_stat(source, &stat) != 0 || lib.source_open(source) != 0) {
    lib.source_free(source);
    fail("the new package cannot be read back");
  }
  out.resize(static_cast<std::size_t>(stat.size));
  std::uint64_t at = 0;
  while (at < stat.size) {
    const zip_int64_t got = lib.source_read(source, out.data() + at, stat.size - at);
    if (got <= 0) break;
    at += static_cast<std::uint64_t>(got);
  }
  lib.source_close(source);
  lib.source_free(source);
  lib.error_fini(&error);
  if (at != stat.size) throw DocumentError("cannot write the new " + Quoted(name_));
  return out;
}

}  // namespace sfc::document
