// .odt: every paragraph and heading of the body and of the master pages'
// headers and footers read with each text's effective font (its spans'
// styles, the paragraph style, their parents, the default style; a font
// declaration through its svg:font-family), the text in a converted font
// joined across spans, converted, and set in a span of the new font.
#pragma once

#include "conversion.h"
#include "package.h"

namespace sfc::document {

// Converts content.xml and styles.xml of the package in place and returns the
// report. Throws DocumentError for a missing content part or malformed XML,
// naming the part.
DocumentReport ConvertOdt(Package& package, const Conversion& conversion);

}  // namespace sfc::document
