#!/usr/bin/env python3
"""Builds test documents from the Gita corpus with independent writers.

gita.docx (python-docx): English paragraphs in Times New Roman, verses in the
Vedic font (the bytes of `sfconv to-devanagari`, stored the symbol way as
U+F0xx or as Windows-1252 text) split into runs at random places, their
transliteration in Sanskrit-Times, fonts set on runs and through styles, a
table, a header, a footnote, a hyperlink, a text box and w:sym characters.
gita.odt (python-odf): verses through a paragraph style and its parent,
through spans (some bold) and through a font declaration whose name is not
the family's ("Vedic1", as LibreOffice numbers them), and a header.

expected.json and expected-odt.json hold every paragraph in document order
(by part for .docx) with its text as written, as the conversion must give it
(`sfconv convert` of the same passages), its legacy font ("" when it must not
change) and, for .docx, whether it is in a text box.

usage: make_documents.py SFCONV DATA_DIR OUT_DIR [VERSES]
"""
import json
import random
import subprocess
import sys
import zipfile

import docx
from docx.enum.style import WD_STYLE_TYPE
from docx.opc.constants import RELATIONSHIP_TYPE
from docx.oxml import OxmlElement, parse_xml
from docx.oxml.ns import qn
from docx.shared import Pt
from lxml import etree

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"


def run_sfconv(sfconv, args, data):
    done = subprocess.run([sfconv] + args, input=data, capture_output=True, check=True)
    return done.stdout


def as_text(data, symbol):
    """The characters a word processor stores for font bytes."""
    if symbol:
        return "".join(chr(0xF000 + b) for b in data)
    return "".join(chr(b) if 0x80 <= b < 0xA0 and b in (0x81, 0x8D, 0x8F, 0x90, 0x9D)
                   else bytes([b]).decode("cp1252") for b in data)


def split_runs(paragraph, text, font, rng, bold_some=False, style=None):
    """Adds the text in runs cut at random places."""
    cuts = sorted(rng.sample(range(1, len(text)), min(4, max(0, len(text) - 1))))
    start = 0
    for k, end in enumerate(cuts + [len(text)]):
        run = paragraph.add_run(text[start:end])
        if font:
            run.font.name = font
        if style:
            run.style = style
        if bold_some and k % 2 == 1:
            run.bold = True
        start = end


def set_run_font(r, font):
    rpr = OxmlElement("w:rPr")
    fonts = OxmlElement("w:rFonts")
    fonts.set(qn("w:ascii"), font)
    fonts.set(qn("w:hAnsi"), font)
    rpr.append(fonts)
    r.append(rpr)


def text_run(text, font):
    r = OxmlElement("w:r")
    set_run_font(r, font)
    t = OxmlElement("w:t")
    t.set("{http://www.w3.org/XML/1998/namespace}space", "preserve")
    t.text = text
    r.append(t)
    return r


def paragraph_text(p):
    out = []
    for node in p.iter():
        if node.tag == "{%s}p" % W and node is not p:
            continue
        if node.tag in ("{%s}t" % W, "{%s}delText" % W):
            # Text of nested paragraphs (text boxes) is theirs, not this one's.
            parent = node.getparent()
            while parent is not None and parent is not p and parent.tag != "{%s}p" % W:
                parent = parent.getparent()
            if parent is p:
                out.append(node.text or "")
        elif node.tag == "{%s}sym" % W:
            out.append(chr(int(node.get("{%s}char" % W), 16)))
    return "".join(out)


def add_footnote(path, text):
    """Adds word/footnotes.xml (the two separators and footnote 1, `text`
    in the Vedic font) with its relationship and content type."""
    with zipfile.ZipFile(path) as package:
        parts = {name: package.read(name) for name in package.namelist()}
    notes = etree.fromstring(
        '<w:footnotes xmlns:w="%s">'
        '<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>'
        '<w:footnote w:type="continuationSeparator" w:id="0"><w:p><w:r><w:continuationSeparator/>'
        '</w:r></w:p></w:footnote>'
        '<w:footnote w:id="1"><w:p><w:r><w:rPr><w:rFonts w:ascii="Vedic" w:hAnsi="Vedic"/></w:rPr>'
        '<w:t xml:space="preserve"></w:t></w:r></w:p></w:footnote></w:footnotes>' % W)
    notes.find(".//{%s}t" % W).text = text
    parts["word/footnotes.xml"] = etree.tostring(notes, xml_declaration=True, encoding="UTF-8",
                                                 standalone=True)
    rels = "word/_rels/document.xml.rels"
    parts[rels] = parts[rels].replace(
        b"</Relationships>",
        b'<Relationship Id="rIdFootnotes" Type="http://schemas.openxmlformats.org/officeDocument'
        b'/2006/relationships/footnotes" Target="footnotes.xml"/></Relationships>')
    types = "[Content_Types].xml"
    parts[types] = parts[types].replace(
        b"</Types>",
        b'<Override PartName="/word/footnotes.xml" ContentType="application/vnd.openxmlformats-'
        b'officedocument.wordprocessingml.footnotes+xml"/></Types>')
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        for name, data in parts.items():
            package.writestr(name, data)


class Corpus:
    """The first verses in Sanskrit-Times and in Vedic, and the text each
    paragraph must read as after the conversion."""

    def __init__(self, sfconv, data_dir, verses):
        self.sfconv = sfconv
        self.refs = open(f"{data_dir}/gita.refs.txt", encoding="utf-8").read().split("\n")[:verses]
        self.translit = open(f"{data_dir}/gita.sanskrit-times.txt", "rb").read().split(b"\n")[:verses]
        self.vedic = [run_sfconv(sfconv, ["to-devanagari", "-d", "Vedic"], line).rstrip(b" ")
                      for line in self.translit]
        self.to_unicode = {}  # the text as written -> as it must come out, and its font

    def expect(self, text, form, data, prefix=""):
        out = run_sfconv(self.sfconv, ["convert", "--from", form, "--to",
                                       "devanagari" if form == "Vedic" else "iast"], data)
        self.to_unicode[prefix + text] = (prefix + out.decode("utf-8"), form)

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

    header = document.sections[0].header.paragraphs[0]
    header_text = as_text(vedic[0][:24].rstrip(b" "), False)
    split_runs(header, header_text, "Vedic", rng)
    expect(header_text, "Vedic", vedic[0][:24].rstrip(b" "))

    document.add_heading("The Bhagavadgita in legacy fonts", level=1)
    for i, ref in enumerate(refs):
        symbol = i % 2 == 0
        english = document.add_paragraph()
        english.add_run(f"Verse {ref}, in the Vedic font and in transliteration.").font.name = \
            "Times New Roman"
        text = as_text(vedic[i], symbol)
        expect(text, "Vedic", vedic[i])
        if i % 3 == 0:
            p = document.add_paragraph(style=verse_style)
            split_runs(p, text, None, rng, bold_some=i % 2 == 1)
        else:
            p = document.add_paragraph()
            split_runs(p, text, "Vedic", rng, bold_some=i % 4 == 1)
        t = as_text(translit[i], False)
        expect(t, "Sanskrit-Times", translit[i])
        p = document.add_paragraph()
        if i % 2 == 0:
            split_runs(p, t, None, rng, style=translit_style)
        else:
            split_runs(p, t, "Sanskrit-Times", rng)

    # A paragraph in two fonts.
    mixed = document.add_paragraph()
    mixed.add_run("Verse 1.1 reads: ").font.name = "Times New Roman"
    text = as_text(vedic[0], True)
    split_runs(mixed, text, "Vedic", rng)
    expect(text, "Vedic", vedic[0], prefix="Verse 1.1 reads: ")

    # A table.
    table = document.add_table(rows=2, cols=2)
    for row in range(2):
        table.cell(row, 0).paragraphs[0].add_run(f"Verse {refs[row]}").font.name = "Times New Roman"
        text = as_text(vedic[row], row == 1)
        split_runs(table.cell(row, 1).paragraphs[0], text, "Vedic", rng)
        expect(text, "Vedic", vedic[row])

    # A hyperlink whose text is in the Vedic font.
    p = document.add_paragraph()
    link = OxmlElement("w:hyperlink")
    link.set(qn("r:id"), document.part.relate_to("https://example.org/gita",
                                                  RELATIONSHIP_TYPE.HYPERLINK, is_external=True))
    text = as_text(vedic[1][:20].rstrip(b" "), False)
    link.append(text_run(text[:7], "Vedic"))
    link.append(text_run(text[7:], "Vedic"))
    p._p.append(link)
    expect(text, "Vedic", vedic[1][:20].rstrip(b" "))

    # w:sym characters in the Vedic font between text runs of it.
    p = document.add_paragraph()
    word = vedic[2][:6]
    p._p.append(text_run(as_text(word[:2], True), "Vedic"))
    for b in word[2:]:
        r = OxmlElement("w:r")
        sym = OxmlElement("w:sym")
        sym.set(qn("w:font"), "Vedic")
        sym.set(qn("w:char"), "F0%02X" % b)
        r.append(sym)
        p._p.append(r)
    expect(as_text(word, True), "Vedic", word)

    # A text box (VML) with a verse.
    p = document.add_paragraph()
    p.add_run("A text box follows. ").font.name = "Times New Roman"
    text = as_text(vedic[3], False)
    box = parse_xml(
        '<w:r xmlns:w="%s" xmlns:v="urn:schemas-microsoft-com:vml"><w:pict>'
        '<v:shape id="box1" style="width:360pt;height:80pt" type="#_x0000_t202">'
        '<v:textbox><w:txbxContent><w:p><w:r><w:rPr><w:rFonts w:ascii="Vedic" w:hAnsi="Vedic"/>'
        '</w:rPr><w:t xml:space="preserve"></w:t></w:r></w:p></w:txbxContent></v:textbox>'
        '</v:shape></w:pict></w:r>' % W)
    box.find(".//{%s}t" % W).text = text
    p._p.append(box)
    expect(text, "Vedic", vedic[3])

    # A footnote with a verse. python-docx writes no footnotes: the reference
    # goes into the body here and the part into the package below.
    p = document.add_paragraph()
    p.add_run("A footnote follows.").font.name = "Times New Roman"
    p._p.append(parse_xml(
        '<w:r xmlns:w="%s"><w:rPr><w:vertAlign w:val="superscript"/></w:rPr>'
        '<w:footnoteReference w:id="1"/></w:r>' % W))
    note = as_text(vedic[4 % len(vedic)], False)
    expect(note, "Vedic", vedic[4 % len(vedic)])

    document.save(f"{out_dir}/gita.docx")
    add_footnote(f"{out_dir}/gita.docx", note)

    # The paragraphs in document order, part by part.
    expected = {}
    with zipfile.ZipFile(f"{out_dir}/gita.docx") as package:
        for part in package.namelist():
            if not (part in ("word/document.xml", "word/footnotes.xml")
                    or part.startswith("word/header")):
                continue
            root = etree.fromstring(package.read(part))
            rows = []
            for p in root.iter("{%s}p" % W):
                before = paragraph_text(p)
                in_box = any(a.tag == "{%s}txbxContent" % W for a in p.iterancestors())
                rows.append([before] + c.row(before) + [in_box])
            expected[part] = rows
    json.dump(expected, open(f"{out_dir}/expected.json", "w", encoding="utf-8"),
              ensure_ascii=False, indent=0)


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

    def style(name, family, parent=None, **properties):
        made = Style(name=name, family=family, **({"parentstylename": parent} if parent else {}))
        if properties:
            made.addElement(TextProperties(**properties))
        return made

    english = style("English", "paragraph", fontname="Times New Roman")
    verse = style("Verse", "paragraph", "English", fontname="Vedic1")
    verse2 = style("Verse Indented", "paragraph", "Verse")
    for made in (english, verse, verse2):
        doc.styles.addElement(made)
    vedic_span = style("T1", "text", fontname="Vedic1")
    vedic_bold = style("T2", "text", fontname="Vedic1", fontweight="bold")
    translit_span = style("T3", "text", fontfamily="Sanskrit-Times")
    for made in (vedic_span, vedic_bold, translit_span):
        doc.automaticstyles.addElement(made)
    layout = PageLayout(name="pm1")
    layout.addElement(PageLayoutProperties(pagewidth="21cm", pageheight="29.7cm"))
    doc.automaticstyles.addElement(layout)
    master = MasterPage(name="Standard", pagelayoutname=layout)
    header = Header()
    header.addElement(P(stylename=verse, text=as_text(c.vedic[0][:24].rstrip(b" "), True)))
    master.addElement(header)
    doc.masterstyles.addElement(master)

    doc.text.addElement(H(outlinelevel=1, stylename=english, text="The Bhagavadgita"))
    for i, ref in enumerate(c.refs):
        doc.text.addElement(P(stylename=english, text=f"Verse {ref}."))
        # The symbol way throughout: python-odf writes the C1 controls that
        # some Windows-1252 bytes stand for as U+FFFD.
        text = as_text(c.vedic[i], True)
        c.expect(text, "Vedic", c.vedic[i])
        if i % 3 == 0:
            doc.text.addElement(P(stylename=verse if i % 2 else verse2, text=text))
        else:
            p = P(stylename=english)
            cuts = sorted(rng.sample(range(1, len(text)), 4)) + [len(text)]
            start = 0
            for k, end in enumerate(cuts):
                span = vedic_bold if i % 4 == 1 and k % 2 else vedic_span
                p.addElement(Span(stylename=span, text=text[start:end]))
                start = end
            doc.text.addElement(p)
        t = as_text(c.translit[i], True)
        c.expect(t, "Sanskrit-Times", c.translit[i])
        p = P(stylename=english)
        p.addElement(Span(stylename=translit_span, text=t))
        doc.text.addElement(p)
    doc.save(f"{out_dir}/gita.odt")
    rows = [[teletype.extractText(p)] + c.row(teletype.extractText(p))
            for p in load(f"{out_dir}/gita.odt").text.childNodes]
    json.dump(rows, open(f"{out_dir}/expected-odt.json", "w", encoding="utf-8"),
              ensure_ascii=False, indent=0)


if __name__ == "__main__":
    sfconv, data_dir, out_dir = sys.argv[1:4]
    corpus = Corpus(sfconv, data_dir, int(sys.argv[4]) if len(sys.argv) > 4 else 24)
    make_docx(corpus, out_dir)
    make_odt(corpus, out_dir)
