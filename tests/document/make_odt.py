#!/usr/bin/env python3
"""Builds an .odt test document from the Gita corpus with python-odf, an
independent writer: English in Times New Roman, verses in the Vedic font
through a paragraph style, through text spans (split at random places, some
bold) and through a font declaration whose name is not the family's
("Vedic1", as LibreOffice numbers them), their transliteration in
Sanskrit-Times, and a header.

Writes DIR/gita.odt and DIR/expected-odt.json: every paragraph of content.xml
in document order with its text as written, as it must come out, and its
legacy font ("" when it must not change).

usage: make_odt.py SFCONV DATA_DIR OUT_DIR [VERSES]
"""
import json
import random
import sys

from odf import teletype
from odf.opendocument import OpenDocumentText, load
from odf.style import (FontFace, Header, MasterPage, PageLayout, PageLayoutProperties, Style,
                       TextProperties)
from odf.text import H, P, Span

from make_documents import as_text, run_sfconv


def main():
    sfconv, data_dir, out_dir = sys.argv[1:4]
    verses = int(sys.argv[4]) if len(sys.argv) > 4 else 24
    rng = random.Random(991)
    refs = open(f"{data_dir}/gita.refs.txt", encoding="utf-8").read().split("\n")[:verses]
    translit = open(f"{data_dir}/gita.sanskrit-times.txt", "rb").read().split(b"\n")[:verses]
    vedic = [run_sfconv(sfconv, ["to-devanagari", "-t", "Sanskrit-Times", "-d", "Vedic"],
                        line).rstrip(b" ") for line in translit]
    to_unicode = {}

    def expect(text, form, data):
        out = run_sfconv(sfconv, ["convert", "--from", form[0], "--to", form[1]], data)
        to_unicode[text] = (out.decode("utf-8"), form[0])

    doc = OpenDocumentText()
    doc.fontfacedecls.addElement(FontFace(name="Vedic1", fontfamily="'Vedic'",
                                          fontfamilygeneric="decorative", fontpitch="variable"))
    doc.fontfacedecls.addElement(FontFace(name="Sanskrit-Times", fontfamily="'Sanskrit-Times'"))
    doc.fontfacedecls.addElement(FontFace(name="Times New Roman", fontfamily="'Times New Roman'"))
    english = Style(name="English", family="paragraph")
    english.addElement(TextProperties(fontname="Times New Roman"))
    doc.styles.addElement(english)
    verse = Style(name="Verse", family="paragraph", parentstylename="English")
    verse.addElement(TextProperties(fontname="Vedic1"))
    doc.styles.addElement(verse)
    verse2 = Style(name="Verse Indented", family="paragraph", parentstylename="Verse")
    doc.styles.addElement(verse2)
    vedic_span = Style(name="T1", family="text")
    vedic_span.addElement(TextProperties(fontname="Vedic1"))
    vedic_bold = Style(name="T2", family="text")
    vedic_bold.addElement(TextProperties(fontname="Vedic1", fontweight="bold"))
    translit_span = Style(name="T3", family="text")
    translit_span.addElement(TextProperties(fontfamily="Sanskrit-Times"))
    for style in (vedic_span, vedic_bold, translit_span):
        doc.automaticstyles.addElement(style)

    layout = PageLayout(name="pm1")
    layout.addElement(PageLayoutProperties(pagewidth="21cm", pageheight="29.7cm"))
    doc.automaticstyles.addElement(layout)
    master = MasterPage(name="Standard", pagelayoutname=layout)
    header = Header()
    head_text = as_text(vedic[0][:24].rstrip(b" "), True)
    header.addElement(P(stylename=verse, text=head_text))
    master.addElement(header)
    doc.masterstyles.addElement(master)

    doc.text.addElement(H(outlinelevel=1, stylename=english, text="The Bhagavadgita"))
    for i, ref in enumerate(refs):
        doc.text.addElement(P(stylename=english, text=f"Verse {ref}."))
        # The symbol way throughout: python-odf writes the C1 controls that
        # some Windows-1252 bytes stand for as U+FFFD.
        text = as_text(vedic[i], True)
        expect(text, ("Vedic", "devanagari"), vedic[i])
        if i % 3 == 0:
            doc.text.addElement(P(stylename=verse if i % 2 else verse2, text=text))
        else:
            p = P(stylename=english)
            cuts = sorted(rng.sample(range(1, len(text)), 4)) + [len(text)]
            start = 0
            for k, end in enumerate(cuts):
                style = vedic_bold if i % 4 == 1 and k % 2 else vedic_span
                p.addElement(Span(stylename=style, text=text[start:end]))
                start = end
            doc.text.addElement(p)
        t = as_text(translit[i], True)
        expect(t, ("Sanskrit-Times", "iast"), translit[i])
        p = P(stylename=english)
        p.addElement(Span(stylename=translit_span, text=t))
        doc.text.addElement(p)
    doc.save(f"{out_dir}/gita.odt")

    rows = []
    for p in load(f"{out_dir}/gita.odt").text.childNodes:
        before = teletype.extractText(p)
        after, font = to_unicode.get(before, (before, ""))
        rows.append([before, after, font])
    json.dump(rows, open(f"{out_dir}/expected-odt.json", "w", encoding="utf-8"),
              ensure_ascii=False, indent=0)


if __name__ == "__main__":
    main()
