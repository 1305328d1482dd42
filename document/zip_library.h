// libzip, loaded when the first package is opened rather than when the
// program starts. Loading it, with the compression and cryptography
// libraries it needs, took about 6 ms of every start of sfconv (three
// times the rest of its start), and most runs never open a document.
#pragma once

#include <zip.h>

namespace sfc::document {

// The libzip functions a package uses (clang-format does not lay out a list
// like this one the same way twice).
// clang-format off
#define SFC_ZIP_FUNCTIONS(X) \
  X(close) \
  X(discard) \
  X(error_code_zip) \
  X(error_fini) \
  X(error_init) \
  X(error_strerror) \
  X(fclose) \
  X(file_get_error) \
  X(file_replace) \
  X(fopen_index) \
  X(fread) \
  X(get_error) \
  X(get_num_entries) \
  X(open_from_source) \
  X(set_file_compression) \
  X(source_buffer) \
  X(source_buffer_create) \
  X(source_close) \
  X(source_free) \
  X(source_keep) \
  X(source_open) \
  X(source_read) \
  X(source_stat) \
  X(stat_index) \
  X(stat_init)
// clang-format on

// The library, open while the object lives; each member calls zip_NAME.
class ZipLibrary {
 public:
  // Throws DocumentError when the library cannot be loaded: the one the
  // program was built with, or the file named.
  ZipLibrary();
  explicit ZipLibrary(const char* file);
  ~ZipLibrary();
  ZipLibrary(const ZipLibrary&) = delete;
  ZipLibrary& operator=(const ZipLibrary&) = delete;

#define SFC_ZIP_MEMBER(name) decltype(&::zip_##name) name = nullptr;
  SFC_ZIP_FUNCTIONS(SFC_ZIP_MEMBER)
#undef SFC_ZIP_MEMBER

 private:
  void* handle_ = nullptr;
};

}  // namespace sfc::document
