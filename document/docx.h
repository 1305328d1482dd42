// .docx: every paragraph of the text parts (body, headers, footers,
// footnotes, endnotes, comments, text boxes) read run by run with each
// character's effective font, the text in a converted font joined across
// runs into stretches, converted, and given back to the runs; the styles and
// the font table follow the new fonts. Nothing else changes.
#pragma once

#include <string>
#include <string_view>

#include "conversion.h"
#include "package.h"

namespace sfc::document {

// Converts the text parts of the package in place (Package::Replace) and
// returns the report. Throws DocumentError for a missing main part or
// malformed XML, naming the part.
DocumentReport ConvertDocx(Package& package, const Conversion& conversion);

// Converts one text part given as XML, with the styles part and the theme
// part of its document (either may be empty), and returns the new XML (the
// input itself when nothing changed). `part` names it in the report and in
// messages.
std::string ConvertTextPart(std::string_view xml, std::string_view styles_xml,
                            std::string_view theme_xml, const Conversion& conversion,
                            DocumentReport& report, std::string_view part = "word/document.xml");

}  // namespace sfc::document
