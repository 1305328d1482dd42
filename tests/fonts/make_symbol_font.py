#!/usr/bin/env python3
"""Writes the test symbol font: family "SFC Symbol Test", TrueType outlines, and
only a symbol character map (platform 3, encoding 0, format 4) that maps
U+F020..U+F0FF to glyphs "b32".."b255".

Glyph order: .notdef is glyph 0 and byte b (32..255) is glyph b - 31. Each
glyph is a rectangle 2*b units wide, so no two glyphs look alike.

Usage: make_symbol_font.py OUTPUT.ttf
"""

import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import newTable
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

FAMILY = "SFC Symbol Test"
FIRST_BYTE = 0x20
LAST_BYTE = 0xFF
UNITS_PER_EM = 1000
ASCENT = 800
DESCENT = 200


def rectangle(width, height):
    pen = TTGlyphPen(None)
    pen.moveTo((50, 0))
    pen.lineTo((50, height))
    pen.lineTo((50 + width, height))
    pen.lineTo((50 + width, 0))
    pen.closePath()
    return pen.glyph()


def byte_glyph_name(b):
    return "b%d" % b


def build(path):
    names = [".notdef"] + [byte_glyph_name(b) for b in range(FIRST_BYTE, LAST_BYTE + 1)]
    builder = FontBuilder(UNITS_PER_EM, isTTF=True)
    builder.setupGlyphOrder(names)

    glyphs = {".notdef": rectangle(400, 700)}
    metrics = {".notdef": (500, 50)}
    for b in range(FIRST_BYTE, LAST_BYTE + 1):
        width = 2 * b
        glyphs[byte_glyph_name(b)] = rectangle(width, 600)
        metrics[byte_glyph_name(b)] = (width + 100, 50)
    builder.setupGlyf(glyphs)
    builder.setupHorizontalMetrics(metrics)
    builder.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT)

    # The symbol map alone; FontBuilder.setupCharacterMap would add Unicode maps.
    symbol = CmapSubtable.newSubtable(4)
    symbol.platformID = 3
    symbol.platEncID = 0
    symbol.language = 0
    symbol.cmap = {0xF000 + b: byte_glyph_name(b) for b in range(FIRST_BYTE, LAST_BYTE + 1)}
    cmap = newTable("cmap")
    cmap.tableVersion = 0
    cmap.tables = [symbol]
    builder.font["cmap"] = cmap

    builder.setupNameTable({"familyName": FAMILY, "styleName": "Regular"}, mac=False)
    builder.setupOS2(
        sTypoAscender=ASCENT,
        sTypoDescender=-DESCENT,
        usWinAscent=ASCENT,
        usWinDescent=DESCENT,
        usFirstCharIndex=0xF000 + FIRST_BYTE,
        usLastCharIndex=0xF000 + LAST_BYTE,
        ulCodePageRange1=1 << 31,  # symbol character set
        ulCodePageRange2=0,
    )
    builder.setupPost()
    builder.save(path)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    build(argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
