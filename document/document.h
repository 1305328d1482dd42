// A whole document converted font by font: the entry point of document/.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "conversion.h"
#include "package.h"

namespace sfc::document {

enum class DocumentFormat { kDocx, kOdt };

// The format a file name's extension names (case ignored), or nothing.
std::optional<DocumentFormat> FormatOfName(std::string_view file_name);

struct ConvertedDocument {
  std::string bytes;  // the new document; the input's bytes when nothing changed
  DocumentReport report;
};

// Converts a document held in memory; `name` names it in messages. Throws
// DocumentError for input that is not a readable document of the format.
ConvertedDocument ConvertDocument(std::string bytes, const std::string& name, DocumentFormat format,
                                  const Conversion& conversion, const PackageLimits& limits = {});

}  // namespace sfc::document
