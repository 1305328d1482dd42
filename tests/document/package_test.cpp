// Whole packages: the parts found through the relationships, the styles and
// the font table that follow the new fonts, the entries copied unchanged, bad
// input refused with a message that names the file and the part; the command.
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "document.h"
#include "sfconv.h"
#include "test_support.h"
#include "zip_library.h"

namespace sfc::document {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// A zip of the entries, in order; the entry named `encrypt` encrypted.
std::string MakeZip(const Entries& entries, const std::string& encrypt = "") {
  const test::TempDir dir;
  const std::string path = (dir.path() / "a.zip").string();
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  for (const auto& [name, bytes] : entries) {
    zip_source_t* part = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
    const zip_int64_t index = zip_file_add(zip, name.c_str(), part, ZIP_FL_ENC_UTF_8);
    if (name == encrypt)
      zip_file_set_encryption(zip, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "pw");
  }
  zip_close(zip);
  return test::ReadFileBytes(path);
}

// The entries of a zip, as stored (name and decompressed bytes).
Entries ReadZip(const std::string& bytes) {
  Package package(bytes, "zip");
  Entries entries;
  for (const std::string& part : package.parts()) entries.emplace_back(part, package.Read(part));
  return entries;
}

constexpr const char* kW =
    R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")";

std::string Rels(const std::vector<std::pair<std::string, std::string>>& relations) {
  std::string xml =
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
  int id = 1;
  for (const auto& [type, target] : relations) {
    xml += "<Relationship Id=\"rId" + std::to_string(id++) +
           "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + type +
           "\" Target=\"" + target + "\"/>";
  }
  return xml + "</Relationships>";
}

std::string Part(const char* root, const std::string& inner) {
  return std::string("<w:") + root + " " + kW + ">" + inner + "</w:" + root + ">";
}
std::string VedicParagraph(const std::string& text) {
  return R"(<w:p><w:r><w:rPr><w:rFonts w:ascii="Vedic" w:hAnsi="Vedic"/></w:rPr><w:t>)" + text +
         "</w:t></w:r></w:p>";
}

// The styles with the fonts of style V; the font table with the charset of the new font.
std::string Styles(const std::string& fonts) {
  return R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Times" w:hAnsi="Times"/></w:rPr></w:rPrDefault></w:docDefaults>)"
         R"(<w:style w:type="paragraph" w:styleId="V"><w:rPr><w:rFonts )" +
         fonts + "/></w:rPr></w:style>";
}
std::string FontTable(const std::string& charset) {
  return R"(<w:font w:name="Vedic"><w:charset w:val="02"/></w:font><w:font w:name="Noto Serif Devanagari"><w:charset w:val=")" +
         charset + R"("/></w:font>)";
}

Entries Document() {
  return {
      {"[Content_Types].xml", "<Types/>"},
      {"_rels/.rels", Rels({{"officeDocument", "word/document.xml"}})},
      {"word/document.xml", Part("document", "<w:body>" + VedicParagraph("body") + "</w:body>")},
      {"word/_rels/document.xml.rels", Rels({{"styles", "styles.xml"},
                                             {"fontTable", "fontTable.xml"},
                                             {"header", "header1.xml"},
                                             {"footer", "/word/footer1.xml"},
                                             {"footnotes", "footnotes.xml"},
                                             {"endnotes", "endnotes.xml"},
                                             {"comments", "../word/comments.xml"},
                                             {"image", "media/picture.png"}})},
      {"word/styles.xml",
       Part("styles", Styles("w:ascii=\"Vedic\" w:hAnsiTheme=\"minorHAnsi\" w:hAnsi=\"Vedic\""))},
      {"word/fontTable.xml", Part("fonts", FontTable("02"))},
      {"word/header1.xml", Part("hdr", VedicParagraph("header"))},
      {"word/footer1.xml", Part("ftr", VedicParagraph("footer"))},
      {"word/footnotes.xml",
       Part("footnotes", "<w:footnote>" + VedicParagraph("footnote") + "</w:footnote>")},
      {"word/endnotes.xml",
       Part("endnotes", "<w:endnote>" + VedicParagraph("endnote") + "</w:endnote>")},
      {"word/comments.xml",
       Part("comments", "<w:comment>" + VedicParagraph("comment") + "</w:comment>")},
      {"word/media/picture.png", std::string("\x89PNG\r\n\x1A\n\0\0binary", 16)},
  };
}

Conversion Marking() {
  Conversion conversion;
  FontTarget target;
  target.source_font = "Vedic";
  target.output_font = "Noto Serif Devanagari";
  conversion.targets.push_back(target);
  conversion.convert = [](const FontTarget&, std::string_view bytes) {
    SegmentResult result;
    result.text = "<" + std::string(bytes) + ">";
    return result;
  };
  return conversion;
}

std::string Find(const Entries& entries, const std::string& name) {
  for (const auto& [entry, bytes] : entries) {
    if (entry == name) return bytes;
  }
  ADD_FAILURE() << name << " missing";
  return {};
}

TEST(DocxPackage, EveryTextPartIsConvertedAndTheRestCopied) {
  const Entries before = Document();
  PackageLimits exact;  // as many entries, and the largest as large, as the limits allow
  exact.max_entries = before.size();
  exact.max_part_size = 0;
  for (const auto& [name, bytes] : before) {
    exact.max_part_size = std::max<std::uint64_t>(exact.max_part_size, bytes.size());
  }
  const ConvertedDocument out =
      ConvertDocument(MakeZip(before), "a.docx", DocumentFormat::kDocx, Marking(), exact);
  const Entries after = ReadZip(out.bytes);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i].first, before[i].first);
  std::string all;
  for (const auto& [name, bytes] : after) all += bytes;
  for (const char* text : {"body", "header", "footer", "footnote", "endnote", "comment"}) {
    EXPECT_NE(all.find(std::string("&lt;") + text + "&gt;"), std::string::npos) << text;
  }
  for (const char* same :
       {"[Content_Types].xml", "word/media/picture.png", "word/_rels/document.xml.rels"}) {
    EXPECT_EQ(Find(after, same), Find(before, same)) << same;
  }
  const std::string noto = "\"Noto Serif Devanagari\"";
  EXPECT_EQ(Find(after, "word/styles.xml"),
            Part("styles", Styles("w:ascii=" + noto + " w:hAnsi=" + noto + " w:eastAsia=" + noto +
                                  " w:cs=" + noto)));
  EXPECT_EQ(Find(after, "word/fontTable.xml"), Part("fonts", FontTable("00")));
  EXPECT_EQ(out.report.converted.at("Vedic").segments, 6u);
}

TEST(DocxPackage, ADocumentWithNothingToConvertComesBackByteForByte) {
  const std::string zip = MakeZip(Document());
  Conversion none = Marking();
  none.targets[0].source_font = "Other";
  EXPECT_EQ(ConvertDocument(zip, "a.docx", DocumentFormat::kDocx, none).bytes, zip);
}

TEST(Package, BadInputIsRefusedWithTheFileAndThePart) {
  Entries no_document = Document();
  no_document.erase(no_document.begin() + 2);
  Entries malformed = Document();
  malformed[6].second = "<w:hdr " + std::string(kW) + "><w:p>";
  Entries bad_styles = Document();
  bad_styles[4].second = "<w:styles";
  Entries many = Document();
  for (int i = 0; i < 2; ++i) many.emplace_back("extra/" + std::to_string(i), "x");
  Entries big = Document();
  big.emplace_back("big.bin", std::string(9000, 'x'));
  Entries big_part = Document();
  big_part[2].second = Part("document", "<w:body>" + std::string(3000, ' ') + "</w:body>");
  std::string damaged = MakeZip(Document());
  // The first byte of the main part's compressed data made a deflate block of the reserved
  // type: the part's name ends the local header, then its extra field (length at name - 2).
  const std::size_t name = damaged.find("word/document.xml");
  damaged[name + 17 + static_cast<unsigned char>(damaged[name - 2])] = '\xFF';
  PackageLimits limits;
  limits.max_entries = 13;  // "big" has 13 entries
  limits.max_total_size = 8000;
  limits.max_part_size = 2000;
  const std::string ole =
      std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0');
  const std::string odt_type = "application/vnd.oasis.opendocument.text";
  const std::string manifest =
      R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">)"
      R"(<manifest:file-entry manifest:full-path="content.xml"><manifest:encryption-data/>)"
      R"(</manifest:file-entry></manifest:manifest>)";
  struct Case {
    const char* name;
    std::string bytes;
    std::string message;
    DocumentFormat format = DocumentFormat::kDocx;
  };
  const std::vector<Case> cases = {
      {"not a zip", "just some text", "\"a.docx\" is not a document (not a zip package)"},
      {"empty file", "", "\"a.docx\" is empty (not a document)"},
      {"encrypted document", ole, "\"a.docx\" is an encrypted (password-protected) document"},
      {"no main part", MakeZip(no_document),
       "\"a.docx\" is not a word-processor document (part \"word/document.xml\" is missing)"},
      {"malformed header", MakeZip(malformed),
       "\"a.docx\", part \"word/header1.xml\": malformed XML"},
      {"malformed styles", MakeZip(bad_styles),
       "\"a.docx\", part \"word/styles.xml\": malformed XML"},
      {"too many entries", MakeZip(many), "\"a.docx\" has 14 entries, more than the 13"},
      {"too large", MakeZip(big), "\"a.docx\" would decompress to more than 8000 bytes"},
      {"part too large", MakeZip(big_part),
       "\"a.docx\", part \"word/document.xml\": would decompress to more than 2000 bytes"},
      {"damaged entry", damaged, "\"a.docx\", part \"word/document.xml\": is damaged"},
      {"encrypted entry", MakeZip(Document(), "word/document.xml"),
       "\"a.docx\", part \"word/document.xml\": is encrypted"},
      {"no content", MakeZip({{"mimetype", odt_type}}),
       "\"a.docx\" is not an OpenDocument text (part \"content.xml\" is missing)",
       DocumentFormat::kOdt},
      {"malformed content", MakeZip({{"mimetype", odt_type}, {"content.xml", "<a><b></a>"}}),
       "\"a.docx\", part \"content.xml\": malformed XML", DocumentFormat::kOdt},
      {"encrypted text",
       MakeZip({{"mimetype", odt_type}, {"META-INF/manifest.xml", manifest}, {"content.xml", "x"}}),
       "\"a.docx\" is encrypted", DocumentFormat::kOdt},
  };
  for (const Case& c : cases) {
    try {
      ConvertDocument(c.bytes, "a.docx", c.format, Marking(), limits);
      ADD_FAILURE() << c.name << ": not refused";
    } catch (const DocumentError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
}

// libzip is opened when a document is; without it, documents are refused
// with the reason, and a library without its functions is not used.
TEST(Package, AZipLibraryThatCannotBeLoadedIsNamed) {
  for (const auto& [file, message] : std::vector<std::pair<const char*, std::string>>{
           {"libzip-not-here.so.4",
            "documents cannot be read or written: the zip library (libzip-not-here.so.4) cannot "
            "be loaded ("},
           {"libz.so.1", "the zip library (libz.so.1) has no zip_close"}}) {
    try {
      ZipLibrary library(file);
      ADD_FAILURE() << file << ": loaded";
    } catch (const DocumentError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
}

TEST(OdtPackage, FontsThroughDeclarationsStylesAndParents) {
  const std::string ns =
      R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
      R"(xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" )"
      R"(xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" )"
      R"(xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" )"
      R"(xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" )"
      R"(xmlns:xlink="http://www.w3.org/1999/xlink")";
  const std::string styles =
      "<office:document-styles " + ns +
      R"(><office:font-face-decls><style:font-face style:name="Vedic1" svg:font-family="'Vedic', serif"/></office:font-face-decls>)"
      R"(<office:styles><style:style style:name="Verse" style:family="paragraph"><style:text-properties style:font-name="Vedic1"/></style:style>)"
      R"(<style:style style:name="Verse2" style:family="paragraph" style:parent-style-name="Verse"/>)"
      R"(<style:default-style style:family="paragraph"><style:text-properties style:font-name="Vedic1"/></style:default-style>)"
      R"(</office:styles></office:document-styles>)";
  const std::string content =
      "<office:document-content " + ns +
      R"(><office:automatic-styles><style:style style:name="T1" style:family="text"><style:text-properties fo:font-family="Times"/></style:style></office:automatic-styles>)"
      R"(<office:body><office:text><text:p text:style-name="Verse2">ab<text:span text:style-name="T1">x</text:span>cd</text:p>)"
      R"(<text:p>e<text:a xlink:href="#x">f</text:a><text:soft-page-break/>g</text:p></office:text></office:body></office:document-content>)";
  const Entries entries = {{"mimetype", "application/vnd.oasis.opendocument.text"},
                           {"content.xml", content},
                           {"styles.xml", styles}};
  const ConvertedDocument out =
      ConvertDocument(MakeZip(entries), "a.odt", DocumentFormat::kOdt, Marking());
  const Entries after = ReadZip(out.bytes);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[0], entries[0]);
  const std::string converted = Find(after, "content.xml");
  for (
      const char* expected :
      {R"(<text:p text:style-name="Verse2"><text:span text:style-name="SfcFont1">&lt;ab&gt;</text:span><text:span text:style-name="T1">x</text:span><text:span text:style-name="SfcFont1">&lt;cd&gt;</text:span></text:p>)",
       R"(<style:style style:name="SfcFont1" style:family="text"><style:text-properties style:font-name="Noto Serif Devanagari")",
       R"(<style:font-face style:name="Noto Serif Devanagari" svg:font-family="'Noto Serif Devanagari'"/>)",
       // The default paragraph style's font; a link and a page break inside a
       // word, whose text goes to where the word begins.
       R"(<text:p><text:span text:style-name="SfcFont1">&lt;efg&gt;</text:span><text:a xlink:href="#x"/><text:soft-page-break/></text:p>)"}) {
    EXPECT_NE(converted.find(expected), std::string::npos) << converted;
  }
  EXPECT_EQ(out.report.left_as_they_are.at("Times"), 1u);

  // Bytes no rule took and characters with no place are reported as in a
  // .docx, and the text stays.
  Conversion troubled = Marking();
  troubled.convert = [](const FontTarget&, std::string_view bytes) {
    SegmentResult result;
    result.text = std::string(bytes);
    result.dropped.push_back({static_cast<unsigned char>(bytes[1]), 1});
    result.rejected = 2;
    return result;
  };
  const ConvertedDocument kept =
      ConvertDocument(MakeZip(entries), "a.odt", DocumentFormat::kOdt, troubled);
  ASSERT_EQ(kept.report.problems.size(), 6u);  // two for each stretch
  EXPECT_EQ(kept.report.problems[0].what, "byte 98 (0x62) had no rule and was left out");
  EXPECT_EQ(kept.report.problems[1].what, "2 character(s) between the conversions had no place");
  EXPECT_EQ(kept.report.problems[1].context, "ab");
  // Text that stays as it was still takes the output font.
  EXPECT_NE(Find(ReadZip(kept.bytes), "content.xml")
                .find(R"(<text:span text:style-name="SfcFont1">ab</text:span>)"),
            std::string::npos);
}

// ---- the command ----

class DocumentCommand : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }
  std::string ReadBack(const std::string& name) const { return test::ReadFileBytes(Path(name)); }
  std::pair<int, std::string> Run(std::vector<std::string> args) const {
    args.insert(args.begin(), "document");
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    const int status = RunSfconv(args, in, out, err);
    return {status, err.str()};
  }
  test::TempDir dir_;
};

TEST_F(DocumentCommand, BadInputWritesNothing) {
  dir_.Write("bad.docx", "not a zip");
  dir_.Write("old.docx", "kept");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const std::string bad = Path("bad.docx"), out = Path("new.docx");
  const std::vector<Case> cases = {
      {{bad, "-o", out}, 1, "is not a document (not a zip package)"},
      {{bad, "-o", Path("old.docx")}, 1, "is not a document"},
      {{Path("missing.docx"), "-o", out}, 1, "cannot read"},
      {{Path("bad.txt"), "-o", out}, 1, "the format is not known"},
      {{bad}, 2, "document needs -o OUT"},
      {{bad, "--dry-run", "-o", out}, 2, "does not go with -o"},
      {{bad, "-o", out, "--map", "Vedic"}, 2, "--map takes FONT=FORM"},
      {{bad, "-o", out, "--map", "Arial=iast"}, 2, "no known legacy font"},
      {{bad, "-o", out, "--map", "Vedic=klingon"}, 2, "neither iast"},
      {{bad, "-o", bad}, 2, "-o names the input document"},
  };
  for (const Case& c : cases) {
    const auto [status, err] = Run(c.args);
    EXPECT_EQ(status, c.status) << err;
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(ReadBack("old.docx"), "kept");
    EXPECT_EQ(ReadBack("bad.docx"), "not a zip");
  }
}

TEST_F(DocumentCommand, ConvertsAndReportsAndWithStrictFailsOnACharacterWithNoByte) {
  Entries entries = Document();
  // U+0915 in a Vedic run: a character with no byte.
  entries[2].second = Part("document", "<w:body>" + VedicParagraph("ab\xE0\xA4\x95") + "</w:body>");
  const std::string zip = MakeZip(entries);
  dir_.Write("in.docx", zip);
  for (const bool strict : {false, true}) {
    std::vector<std::string> args = {Path("in.docx"), "-o", Path("out.docx")};
    if (strict) args.push_back("--strict");
    const auto [status, err] = Run(args);
    EXPECT_EQ(status, strict ? kExitDropped : 0) << err;
    for (const char* told :
         {"\"Vedic\" -> Unicode Devanagari in \"Noto Serif Devanagari\": 6 run(s)",
          "word/document.xml, paragraph 1, \"Vedic\": U+0915 is no character"}) {
      EXPECT_NE(err.find(told), std::string::npos) << err;
    }
    EXPECT_EQ(ReadBack("in.docx"), zip);
    const Entries after = ReadZip(ReadBack("out.docx"));
    EXPECT_NE(Find(after, "word/document.xml").find("Noto Serif Devanagari"), std::string::npos);
    std::filesystem::remove(Path("out.docx"));
  }
}

TEST_F(DocumentCommand, DocAndRtfNeedLibreOffice) {
  dir_.Write("old.rtf", "{\\rtf1 text}");
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", dir_.path().c_str(), 1);  // no soffice there
  const auto [status, err] = Run({Path("old.rtf"), "-o", Path("new.rtf")});
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("converted through LibreOffice; install it"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(Path("new.rtf")));
}

}  // namespace
}  // namespace sfc::document
