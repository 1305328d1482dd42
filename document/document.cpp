#include "document.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "docx.h"
#include "odt.h"

namespace sfc::document {

std::optional<DocumentFormat> FormatOfName(std::string_view file_name) {
  const std::size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string extension(file_name.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "docx" || extension == "docm" || extension == "dotx") {
    return DocumentFormat::kDocx;
  }
  if (extension == "odt" || extension == "ott") return DocumentFormat::kOdt;
  return std::nullopt;
}

ConvertedDocument ConvertDocument(std::string bytes, const std::string& name, DocumentFormat format,
                                  const Conversion& conversion, const PackageLimits& limits) {
  Package package(std::move(bytes), name, limits);
  ConvertedDocument converted;
  if (format == DocumentFormat::kDocx) {
    converted.report = ConvertDocx(package, conversion);
  } else {
    converted.report = ConvertOdt(package, conversion);
  }
  converted.bytes = package.Save();
  return converted;
}

}  // namespace sfc::document
