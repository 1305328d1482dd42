#!/usr/bin/env python3
"""Builds test documents from the Gita corpus with independent writers.

gita.docx (python-docx): verses in the Vedic font (as U+F0xx or Windows-1252
text) in runs cut at random places, their transliteration in Sanskrit-Times,
fonts on runs and through styles, English in Times New Roman, a table, a
header, a footnote, a hyperlink, a text box and w:sym characters. gita.odt
(python-odf): verses through a paragraph style and its parent, through spans
and a font declaration named unlike its family ("Vedic1"), and a header.

expected.json and expected-odt.json list every paragraph by part: its text as
written, as `sfconv convert` gives it, its legacy font ("" when it must not
change) and, for .docx, whether it is in a text box.

usage: make_documents.py SFCONV DATA_DIR OUT_DIR [VERSES]
"""
import json
import random
import re
import subprocess
import sys
import zipfile

import docx
from docx.enum.style import WD_STYLE_TYPE
from docx.opc.constants import RELATIONSHIP_TYPE
from docx.oxml import parse_xml
from docx.shared import Pt
from lxml import etree

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
NS = (' xmlns:w="%s" xmlns:v="urn:schemas-microsoft-com:vml" xmlns:r="http://schemas.'
      'openxmlformats.org/officeDocument/2006/relationships"' % W)
VEDIC_RPR = '<w:rPr><w:rFonts w:ascii="Vedic" w:hAnsi="Vedic"/></w:rPr>'


def run_sfconv(sfconv, args, data):
    return subprocess.run([sfconv] + args, input=data, capture_output=True, check=True).stdout


def as_text(data, symbol):
    """The characters a word processor stores for font bytes."""
    if symbol:
        return "".join(chr(0xF000 + b) for b in data)
    return "".join(chr(b) if b in (0x81, 0x8D, 0x8F, 0x90, 0x9D) else bytes([b]).decode("cp1252")
                   for b in data)


def split_runs(paragraph, text, font, rng, bold_some=False, style=None):
    """Adds the text in runs cut at random places."""
    cuts = sorted(rng.sample(range(1, len(text)), min(4, max(0, len(text) - 1))))
    for k, (start, end) in enumerate(zip([0] + cuts, cuts + [len(text)])):
        run = paragraph.add_run(text[start:end], style=style)
        if font:
            run.font.name = font
        if bold_some and k % 2 == 1:
            run.bold = True


def xml(markup, text=None):
    """An element of `markup` (w:, v: and r: prefixes); `text` goes into its w:t."""
    element = parse_xml(re.sub(r"^<[\w:]+", lambda m: m.group(0) + NS, markup, count=1))
    if text is not None:
        element.find(".//{%s}t" % W).text = text
    return element


def vedic_run(text):
    return xml('<w:r>' + VEDIC_RPR + '<w:t xml:space="preserve"></w:t></w:r>', text)


def paragraph_text(p):
    out = []
    for node in p.iter("{%s}t" % W, "{%s}delText" % W, "{%s}sym" % W):
        if node.tag == "{%s}sym" % W:
            out.append(chr(int(node.get("{%s}char" % W), 16)))
        elif next(node.iterancestors("{%s}p" % W)) is p:  # a text box's text is its own
            out.append(node.text or "")
    return "".join(out)


def add_footnote(path, text):
    """Adds word/footnotes.xml, footnote 1 `text` in the Vedic font."""
    with zipfile.ZipFile(path) as package:
        parts = {name: package.read(name) for name in package.namelist()}
    notes = xml('<w:footnotes><w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/>'
                '</w:r></w:p></w:footnote><w:footnote w:type="continuationSeparator" w:id="0">'
                '<w:p><w:r><w:continuationSeparator/></w:r></w:p></w:footnote><w:footnote w:id="1">'
                '<w:p><w:r>' + VEDIC_RPR + '<w:t xml:space="preserve"></w:t></w:r></w:p>'
                '</w:footnote></w:footnotes>', text)
    parts["word/footnotes.xml"] = etree.tostring(notes, xml_declaration=True, encoding="UTF-8",
                                                 standalone=True)
    rels, types = "word/_rels/document.xml.rels", "[Content_Types].xml"
    parts[rels] = parts[rels].replace(b"</Relationships>", b'<Relationship Id="rIdFootnotes" '
                                      b'Type="http://schemas.openxmlformats.org/officeDocument/2006/'
                                      b'relationships/footnotes" Target="footnotes.xml"/>'
                                      b'</Relationships>')
    parts[types] = parts[types].replace(b"</Types>", b'<Override PartName="/word/footnotes.xml" '
                                        b'ContentType="application/vnd.openxmlformats-officedocument'
                                        b'.wordprocessingml.footnotes+xml"/></Types>')
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        for name, data in parts.items():
            package.writestr(name, data)


class Corpus:
    """The first verses in Sanskrit-Times and in Vedic, and what each
    paragraph must read as after the conversion."""

    def __init__(self, sfconv, data_dir, verses):
        self.sfconv = sfconv
        self.refs = open(f"{data_dir}/gita.refs.txt", encoding="utf-8").read().split("\n")[:verses]
        self.translit = open(f"{data_dir}/gita.sanskrit-times.txt", "rb").read().split(b"\n")[:verses]
        self.vedic = [run_sfconv(sfconv, ["to-devanagari", "-d", "Vedic"], line).rstrip(b" ")
                      for line in self.translit]
        self.to_unicode = {}  # the text as written -> as it must come out, and its font

    def expect(self, data, form, symbol=False, prefix=""):
        """The text a word processor stores for `data`, noted with what it must become."""
        text = as_text(data, symbol)
        out = run_sfconv(self.sfconv, ["convert", "--from", form, "--to",
                                       "devanagari" if form == "Vedic" else "iast"], data)
        self.to_unicode[prefix + text] = (prefix + out.decode("utf-8"), form)
        return text

    def row(self, before):
        return list(self.to_unicode.get(before, (before, "")))


def make_docx(c, out_dir):
    rng = random.Random(19)
    refs, translit, vedic, expect = c.refs, c.translit, c.vedic, c.expect
    document = docx.Document()
    normal = document.styles["Normal"]
    normal.font.name = "Times New Roman"
    normal.font.size = Pt(12)
    verse_style = document.styles.add_style("Verse Vedic", WD_STYLE_TYPE.PARAGRAPH)
    verse_style.base_style = normal
    verse_style.font.name = "Vedic"
    translit_style = document.styles.add_style("Translit", WD_STYLE_TYPE.CHARACTER)
    translit_style.font.name = "Sanskrit-Times"

    def english(text, p=None):
        p = p or document.add_paragraph()
        p.add_run(text).font.name = "Times New Roman"
        return p

    header = expect(vedic[0][:24].rstrip(b" "), "Vedic")
    split_runs(document.sections[0].header.paragraphs[0], header, "Vedic", rng)

    document.add_heading("The Bhagavadgita in legacy fonts", level=1)
    for i, ref in enumerate(refs):
        english(f"Verse {ref}, in the Vedic font and in transliteration.")
        text = expect(vedic[i], "Vedic", i % 2 == 0)
        if i % 3 == 0:
            split_runs(document.add_paragraph(style=verse_style), text, None, rng, i % 2 == 1)
        else:
            split_runs(document.add_paragraph(), text, "Vedic", rng, i % 4 == 1)
        t = expect(translit[i], "Sanskrit-Times")
        if i % 2 == 0:
            split_runs(document.add_paragraph(), t, None, rng, style=translit_style)
        else:
            split_runs(document.add_paragraph(), t, "Sanskrit-Times", rng)

    # A paragraph in two fonts.
    text = expect(vedic[0], "Vedic", True, prefix="Verse 1.1 reads: ")
    split_runs(english("Verse 1.1 reads: "), text, "Vedic", rng)

    table = document.add_table(rows=2, cols=2)
    for row in range(2):
        english(f"Verse {refs[row]}", table.cell(row, 0).paragraphs[0])
        split_runs(table.cell(row, 1).paragraphs[0], expect(vedic[row], "Vedic", row == 1), "Vedic",
                   rng)

    # A hyperlink whose text is in the Vedic font, in two runs.
    text = expect(vedic[1][:20].rstrip(b" "), "Vedic")
    link = xml('<w:hyperlink r:id="%s"/>' % document.part.relate_to(
        "https://example.org/gita", RELATIONSHIP_TYPE.HYPERLINK, is_external=True))
    link.append(vedic_run(text[:7]))
    link.append(vedic_run(text[7:]))
    document.add_paragraph()._p.append(link)

    # w:sym characters in the Vedic font after a text run of it.
    p = document.add_paragraph()._p
    word = vedic[2][:6]
    p.append(vedic_run(as_text(word[:2], True)))
    for b in word[2:]:
        p.append(xml('<w:r><w:sym w:font="Vedic" w:char="F0%02X"/></w:r>' % b))
    expect(word, "Vedic", True)

    # A text box (VML) with a verse.
    english("A text box follows. ")._p.append(xml(
        '<w:r><w:pict><v:shape id="box1" style="width:360pt;height:80pt" type="#_x0000_t202">'
        '<v:textbox><w:txbxContent><w:p><w:r>' + VEDIC_RPR + '<w:t xml:space="preserve"></w:t>'
        '</w:r></w:p></w:txbxContent></v:textbox></v:shape></w:pict></w:r>',
        expect(vedic[3], "Vedic")))

    # A footnote with a verse: python-docx writes no footnotes; the reference
    # goes into the body here and the part into the package below.
    english("A footnote follows.")._p.append(xml(
        '<w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr><w:footnoteReference w:id="1"/></w:r>'))
    note = expect(vedic[4 % len(vedic)], "Vedic")

    document.save(f"{out_dir}/gita.docx")
    add_footnote(f"{out_dir}/gita.docx", note)

    expected = {}
    with zipfile.ZipFile(f"{out_dir}/gita.docx") as package:
        for part in package.namelist():
            if part in ("word/document.xml", "word/footnotes.xml") or part.startswith("word/header"):
                expected[part] = [
                    [paragraph_text(p)] + c.row(paragraph_text(p)) +
                    [any(a.tag == "{%s}txbxContent" % W for a in p.iterancestors())]
                    for p in etree.fromstring(package.read(part)).iter("{%s}p" % W)]
    json.dump(expected, open(f"{out_dir}/expected.json", "w", encoding="utf-8"), ensure_ascii=False)


def make_odt(c, out_dir):
    from odf import teletype
    from odf.opendocument import OpenDocumentText, load
    from odf.style import (FontFace, Header, MasterPage, PageLayout, PageLayoutProperties, Style,
                           TextProperties)
    from odf.text import H, P, Span

    rng = random.Random(991)
    doc = OpenDocumentText()
    for name, family in (("Vedic1", "Vedic"), ("Sanskrit-Times", "Sanskrit-Times"),
                         ("Times New Roman", "Times New Roman")):
        doc.fontfacedecls.addElement(FontFace(name=name, fontfamily=f"'{family}'"))

    def style(where, name, family, parent=None, **properties):
        made = Style(name=name, family=family, **({"parentstylename": parent} if parent else {}))
        if properties:
            made.addElement(TextProperties(**properties))
        where.addElement(made)
        return made

    english = style(doc.styles, "English", "paragraph", fontname="Times New Roman")
    verse = style(doc.styles, "Verse", "paragraph", "English", fontname="Vedic1")
    verse2 = style(doc.styles, "Verse Indented", "paragraph", "Verse")
    vedic_span = style(doc.automaticstyles, "T1", "text", fontname="Vedic1")
    vedic_bold = style(doc.automaticstyles, "T2", "text", fontname="Vedic1", fontweight="bold")
    translit_span = style(doc.automaticstyles, "T3", "text", fontfamily="Sanskrit-Times")
    layout = PageLayout(name="pm1")
    layout.addElement(PageLayoutProperties(pagewidth="21cm", pageheight="29.7cm"))
    doc.automaticstyles.addElement(layout)
    master = MasterPage(name="Standard", pagelayoutname=layout)
    header = Header()
    header.addElement(P(stylename=verse, text=c.expect(c.vedic[0][:24].rstrip(b" "), "Vedic",
                                                       True)))
    master.addElement(header)
    doc.masterstyles.addElement(master)

    doc.text.addElement(H(outlinelevel=1, stylename=english, text="The Bhagavadgita"))
    for i, ref in enumerate(c.refs):
        doc.text.addElement(P(stylename=english, text=f"Verse {ref}."))
        # The symbol way throughout: python-odf writes the C1 controls that
        # some Windows-1252 bytes stand for as U+FFFD.
        text = c.expect(c.vedic[i], "Vedic", True)
        if i % 3 == 0:
            doc.text.addElement(P(stylename=verse if i % 2 else verse2, text=text))
        else:
            p = P(stylename=english)
            cuts = sorted(rng.sample(range(1, len(text)), 4))
            for k, (start, end) in enumerate(zip([0] + cuts, cuts + [len(text)])):
                span = vedic_bold if i % 4 == 1 and k % 2 else vedic_span
                p.addElement(Span(stylename=span, text=text[start:end]))
            doc.text.addElement(p)
        p = P(stylename=english)
        t = c.expect(c.translit[i], "Sanskrit-Times", True)
        p.addElement(Span(stylename=translit_span, text=t))
        doc.text.addElement(p)
    doc.save(f"{out_dir}/gita.odt")
    saved = load(f"{out_dir}/gita.odt")
    rows = {part: [[teletype.extractText(p)] + c.row(teletype.extractText(p)) for p in paragraphs]
            for part, paragraphs in odt_paragraphs(saved).items()}
    json.dump(rows, open(f"{out_dir}/expected-odt.json", "w", encoding="utf-8"), ensure_ascii=False)


def odt_paragraphs(document):
    """The paragraphs of an .odt's body and of its master pages' headers, by part."""
    from odf.style import Header
    return {"content.xml": list(document.text.childNodes),
            "styles.xml": [p for header in document.getElementsByType(Header)
                           for p in header.childNodes]}


if __name__ == "__main__":
    sfconv, data_dir, out_dir = sys.argv[1:4]
    corpus = Corpus(sfconv, data_dir, int(sys.argv[4]) if len(sys.argv) > 4 else 24)
    make_docx(corpus, out_dir)
    make_odt(corpus, out_dir)
