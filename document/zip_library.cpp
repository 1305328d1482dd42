#include "zip_library.h"

#include <dlfcn.h>

#include <string>

#include "package.h"

namespace sfc::document {

ZipLibrary::ZipLibrary() : ZipLibrary(SFC_LIBZIP_SONAME) {}

ZipLibrary::ZipLibrary(const char* file) {
  handle_ = ::dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = ::dlerror();
    throw DocumentError(std::string("documents cannot be read or written: the zip library (") +
                        file + ") cannot be loaded" +
                        (reason != nullptr ? std::string(" (") + reason + ")" : std::string()));
  }
  const char* missing = nullptr;
#define SFC_ZIP_LOAD(name)                                                 \
  name = reinterpret_cast<decltype(name)>(::dlsym(handle_, "zip_" #name)); \
  if (name == nullptr && missing == nullptr) missing = "zip_" #name;
  SFC_ZIP_FUNCTIONS(SFC_ZIP_LOAD)
#undef SFC_ZIP_LOAD
  if (missing != nullptr) {
    ::dlclose(handle_);
    throw DocumentError(std::string("documents cannot be read or written: the zip library (") +
                        file + ") has no " + missing);
  }
}

ZipLibrary::~ZipLibrary() { ::dlclose(handle_); }

}  // namespace sfc::document
