#!/usr/bin/env python3
"""Reads converted documents back, independently of the converter, and
compares them with what make_documents.py expects.

  unicode IN.docx OUT.docx EXPECTED.json   (python-docx, lxml) every paragraph
      reads as expected in the Unicode fonts; text in no legacy font is unchanged
  back IN.docx BACK.docx EXPECTED.json FONT   the paragraphs in FONT read as written
  odt OUT.odt EXPECTED-ODT.json   (python-odf) every paragraph reads as expected
  text OUT.txt EXPECTED.json   the converted body paragraphs are lines of the text
"""
import json
import sys
import zipfile

import docx
from lxml import etree

from make_documents import W, odt_paragraphs, paragraph_text

FAILURES = []


def fail(message):
    FAILURES.append(message)
    if len(FAILURES) <= 20:
        print("FAIL: " + message, file=sys.stderr)


def paragraphs(path, part):
    with zipfile.ZipFile(path) as package:
        return list(etree.fromstring(package.read(part)).iter("{%s}p" % W))


def run_fonts(run):
    fonts = run.find("{%s}rPr/{%s}rFonts" % (W, W))
    return {} if fonts is None else {k.split("}")[1]: v for k, v in fonts.attrib.items()}


def plain_runs(p):
    """A paragraph's runs in Times New Roman, serialized."""
    return [etree.tostring(run) for run in p.iter("{%s}r" % W)
            if run_fonts(run).get("ascii") == "Times New Roman"]


def check_unicode(source, converted, expected):
    docx.Document(converted)  # python-docx opens it
    for part, rows in expected.items():
        before, after = paragraphs(source, part), paragraphs(converted, part)
        if not len(before) == len(after) == len(rows):
            fail(f"{part}: {len(after)} paragraphs, expected {len(rows)}")
            continue
        for k, (p_in, p_out, (_, text_out, font, _)) in enumerate(zip(before, after, rows)):
            where = f"{part} paragraph {k + 1}"
            if paragraph_text(p_out) != text_out:
                fail(f"{where}: {paragraph_text(p_out)!r} != {text_out!r}")
            if not font:
                nested = len(list(p_in.iter("{%s}p" % W))) > 1  # holds a text box
                if not nested and etree.tostring(p_in) != etree.tostring(p_out):
                    fail(f"{where} changed though it has no legacy font")
                continue
            at = iter(plain_runs(p_out))  # every Times run kept, in order
            if not all(any(run == other for other in at) for run in plain_runs(p_in)):
                fail(f"{where}: a run in another font changed")
            unicode_font = "Noto Serif Devanagari" if font == "Vedic" else "Times New Roman"
            for fonts in map(run_fonts, p_out.iter("{%s}r" % W)):
                if font in (fonts.get("ascii"), fonts.get("hAnsi")):
                    fail(f"{where}: a run is still in {font}")
                if fonts.get("ascii") == unicode_font and any(
                        fonts.get(slot) != unicode_font for slot in ("hAnsi", "cs", "eastAsia")):
                    fail(f"{where}: not all four font slots set")
    with zipfile.ZipFile(converted) as package:
        styles = package.read("word/styles.xml").decode("utf-8")
        if 'w:ascii="Vedic"' in styles or 'w:ascii="Sanskrit-Times"' in styles:
            fail("a style still names a legacy font")
        if ('<w:font w:name="Noto Serif Devanagari"><w:charset w:val="00"/>'
                not in package.read("word/fontTable.xml").decode("utf-8")):
            fail("the font table does not name the new font as a text font")


def check_back(source, back, expected, font):
    for part, rows in expected.items():
        for k, (p_in, p_back, row) in enumerate(
                zip(paragraphs(source, part), paragraphs(back, part), rows)):
            if row[2] == font and paragraph_text(p_back) != paragraph_text(p_in):
                fail(f"{part} paragraph {k + 1}: {paragraph_text(p_back)!r} != "
                     f"{paragraph_text(p_in)!r}")


def check_text(text_file, expected):
    lines = [line.rstrip("\r") for line in open(text_file, encoding="utf-8-sig").read().split("\n")]
    at = 0
    rows = expected.get("word/document.xml") or expected["content.xml"]
    for k, row in enumerate(rows):
        if not row[2] or not row[1].strip() or row[3:4] == [True]:  # text boxes are not exported
            continue
        while at < len(lines) and lines[at] != row[1]:
            at += 1
        if at == len(lines):
            fail(f"paragraph {k + 1} is not a line of the text export: {row[1]!r}")
            at = 0


def check_odt(converted, expected):
    from odf import teletype
    from odf.opendocument import load
    for part, paragraphs in odt_paragraphs(load(converted)).items():
        got = [teletype.extractText(p) for p in paragraphs]
        if len(got) != len(expected[part]):
            fail(f"{part}: {len(got)} paragraphs, expected {len(expected[part])}")
        for k, (text, (_, after, _)) in enumerate(zip(got, expected[part])):
            if text != after:
                fail(f"{part} paragraph {k + 1}: {text!r} != {after!r}")


if __name__ == "__main__":
    mode, args = sys.argv[1], sys.argv[2:]
    expected = json.load(open(args[2] if mode in ("unicode", "back") else args[1], encoding="utf-8"))
    {"unicode": lambda: check_unicode(*args[:2], expected),
     "back": lambda: check_back(*args[:2], expected, args[3]),
     "odt": lambda: check_odt(args[0], expected),
     "text": lambda: check_text(args[0], expected)}[mode]()
    if FAILURES:
        sys.exit(f"{len(FAILURES)} failure(s)")
