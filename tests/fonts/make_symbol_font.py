#!/usr/bin/env python3
"""Writes the test symbol font: family "SFC Symbol Test", TrueType outlines, and
only a symbol character map (platform 3, encoding 0, format 4) that maps
U+F020..U+F0FF to glyphs "b32".."b255".

.notdef is glyph 0 and byte b (32..255) is glyph b - 31, a rectangle 2*b
units wide, so no two glyphs look alike.

Usage: make_symbol_font.py OUTPUT.ttf
"""

import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import newTable
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

BYTES = range(0x20, 0x100)
ASCENT, DESCENT = 800, 200


def rectangle(width, height):
    pen = TTGlyphPen(None)
    pen.moveTo((50, 0))
    pen.lineTo((50, height))
    pen.lineTo((50 + width, height))
    pen.lineTo((50 + width, 0))
    pen.closePath()
    return pen.glyph()


def build(path):
    builder = FontBuilder(1000, isTTF=True)
    builder.setupGlyphOrder([".notdef"] + ["b%d" % b for b in BYTES])
    builder.setupGlyf({".notdef": rectangle(400, 700),
                       **{"b%d" % b: rectangle(2 * b, 600) for b in BYTES}})
    builder.setupHorizontalMetrics({".notdef": (500, 50),
                                    **{"b%d" % b: (2 * b + 100, 50) for b in BYTES}})
    builder.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT)

    # The symbol map alone; FontBuilder.setupCharacterMap would add Unicode maps.
    symbol = CmapSubtable.newSubtable(4)
    symbol.platformID, symbol.platEncID, symbol.language = 3, 0, 0
    symbol.cmap = {0xF000 + b: "b%d" % b for b in BYTES}
    cmap = builder.font["cmap"] = newTable("cmap")
    cmap.tableVersion = 0
    cmap.tables = [symbol]

    builder.setupNameTable({"familyName": "SFC Symbol Test", "styleName": "Regular"}, mac=False)
    builder.setupOS2(sTypoAscender=ASCENT, sTypoDescender=-DESCENT, usWinAscent=ASCENT,
                     usWinDescent=DESCENT, usFirstCharIndex=0xF000 + BYTES[0],
                     usLastCharIndex=0xF000 + BYTES[-1],
                     ulCodePageRange1=1 << 31,  # symbol character set
                     ulCodePageRange2=0)
    builder.setupPost()
    builder.save(path)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build(sys.argv[1])
