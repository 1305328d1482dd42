#!/usr/bin/env python3
"""Reads converted documents back, independently of the converter, and
compares them with what make_documents.py expects.

  check_documents.py unicode IN.docx OUT.docx EXPECTED.json
      (python-docx and XPath) every paragraph's text is the expected one,
      converted runs are in the Unicode fonts, and paragraphs and runs not in
      a legacy font are byte for byte what they were
  check_documents.py back IN.docx BACK.docx EXPECTED.json FONT
      the paragraphs in FONT read as they were written (a round trip)
  check_documents.py odt OUT.odt EXPECTED-ODT.json
      (python-odf) every paragraph's text is the expected one
  check_documents.py text OUT.txt EXPECTED.json
      the converted body paragraphs are lines of a plain-text export
"""
import json
import sys
import zipfile

import docx
from lxml import etree

from make_documents import W, paragraph_text

FAILURES = []


def fail(message):
    FAILURES.append(message)
    if len(FAILURES) <= 20:
        print("FAIL: " + message, file=sys.stderr)


def paragraphs(path, part):
    with zipfile.ZipFile(path) as package:
        root = etree.fromstring(package.read(part))
    return list(root.iter("{%s}p" % W))


def run_fonts(run):
    fonts = run.find("{%s}rPr/{%s}rFonts" % (W, W))
    return {} if fonts is None else {k.split("}")[1]: v for k, v in fonts.attrib.items()}


def plain_runs(p):
    """The runs of a paragraph in Times New Roman, serialized."""
    return [etree.tostring(run) for run in p.iter("{%s}r" % W)
            if run_fonts(run).get("ascii") == "Times New Roman"]


def kept(before, after):
    """Every run of `before` is in `after`, in the same order."""
    at = iter(after)
    return all(any(run == other for other in at) for run in before)


def check_unicode(source, converted, expected):
    docx.Document(converted)  # python-docx opens it
    for part, rows in expected.items():
        before = paragraphs(source, part)
        after = paragraphs(converted, part)
        if len(before) != len(after) or len(after) != len(rows):
            fail(f"{part}: {len(after)} paragraphs, expected {len(rows)}")
            continue
        for k, (p_in, p_out, (text_in, text_out, font, _)) in enumerate(zip(before, after, rows)):
            got = paragraph_text(p_out)
            if got != text_out:
                fail(f"{part} paragraph {k + 1}: {got!r} != {text_out!r}")
            nested = len(list(p_in.iter("{%s}p" % W))) > 1  # holds a text box
            if not font and not nested:
                if etree.tostring(p_in) != etree.tostring(p_out):
                    fail(f"{part} paragraph {k + 1} changed though it has no legacy font")
            if not font:
                continue
            if not kept(plain_runs(p_in), plain_runs(p_out)):
                fail(f"{part} paragraph {k + 1}: a run in another font changed")
            unicode_font = "Noto Serif Devanagari" if font == "Vedic" else "Times New Roman"
            for run in p_out.iter("{%s}r" % W):
                fonts = run_fonts(run)
                if fonts.get("ascii") == font or fonts.get("hAnsi") == font:
                    fail(f"{part} paragraph {k + 1}: a run is still in {font}")
                if fonts.get("ascii") == unicode_font and any(
                        fonts.get(slot) != unicode_font for slot in ("hAnsi", "cs", "eastAsia")):
                    fail(f"{part} paragraph {k + 1}: not all four font slots set")
    with zipfile.ZipFile(converted) as package:
        styles = package.read("word/styles.xml").decode("utf-8")
        if 'w:ascii="Vedic"' in styles or 'w:ascii="Sanskrit-Times"' in styles:
            fail("a style still names a legacy font")
        fonts = package.read("word/fontTable.xml").decode("utf-8")
        if "Noto Serif Devanagari" not in fonts:
            fail("the font table does not name the new font")


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
    rows = expected["word/document.xml"] if isinstance(expected, dict) else expected
    for k, row in enumerate(rows):
        text_out, font = row[1], row[2]
        in_box = len(row) > 3 and row[3]
        if not font or not text_out.strip() or in_box:  # text boxes are not exported
            continue
        while at < len(lines) and lines[at] != text_out:
            at += 1
        if at == len(lines):
            fail(f"paragraph {k + 1} is not a line of the text export: {text_out!r}")
            at = 0


def check_odt(converted, expected):
    from odf import teletype
    from odf.opendocument import load
    paragraphs = list(load(converted).text.childNodes)
    if len(paragraphs) != len(expected):
        fail(f"{len(paragraphs)} paragraphs, expected {len(expected)}")
    for k, (p, (_, after, _)) in enumerate(zip(paragraphs, expected)):
        if teletype.extractText(p) != after:
            fail(f"content.xml paragraph {k + 1}: {teletype.extractText(p)!r} != {after!r}")


def main():
    mode, args = sys.argv[1], sys.argv[2:]
    expected = json.load(open(args[2] if mode in ("unicode", "back") else args[1],
                              encoding="utf-8"))
    if mode == "unicode":
        check_unicode(args[0], args[1], expected)
    elif mode == "back":
        check_back(args[0], args[1], expected, args[3])
    elif mode == "odt":
        check_odt(args[0], expected)
    elif mode == "text":
        check_text(args[0], expected)
    if FAILURES:
        print(f"{len(FAILURES)} failure(s)", file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
