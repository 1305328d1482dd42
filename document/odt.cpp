#include "odt.h"

#include <cstring>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "font_text.h"
#include "segment.h"
#include "unicode_text.h"
#include "xml_part.h"

namespace sfc::document {

namespace {

constexpr const char* kOfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr const char* kTextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr const char* kStyleNs = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr const char* kFoNs = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr const char* kSvgNs = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";

// The prefixes a part uses for the namespaces of the format.
struct Prefixes {
  std::string office, text, style, fo, svg;
  static std::string With(const std::optional<std::string>& prefix, const char* usual) {
    const std::string p = prefix.value_or(usual);
    return p.empty() ? "" : p + ":";
  }
  explicit Prefixes(pugi::xml_node root)
      : office(With(PrefixOf(root, kOfficeNs), "office")),
        text(With(PrefixOf(root, kTextNs), "text")),
        style(With(PrefixOf(root, kStyleNs), "style")),
        fo(With(PrefixOf(root, kFoNs), "fo")),
        svg(With(PrefixOf(root, kSvgNs), "svg")) {}
};

// A family name without the quotes a declaration may put around it.
std::string Unquote(std::string_view family) {
  while (!family.empty() &&
         (family.front() == ' ' || family.front() == '\'' || family.front() == '"')) {
    family.remove_prefix(1);
  }
  const std::size_t comma = family.find(',');  // the first of a list
  if (comma != std::string_view::npos) family = family.substr(0, comma);
  while (!family.empty() &&
         (family.back() == ' ' || family.back() == '\'' || family.back() == '"')) {
    family.remove_suffix(1);
  }
  return std::string(family);
}

struct OdtStyle {
  std::string parent;
  std::string font;  // the family, when the style names one
};

// The styles of both parts: style name and family -> style; the default
// style of paragraphs; the font declarations.
struct OdtStyles {
  std::map<std::pair<std::string, std::string>, OdtStyle> styles;  // (family, name)
  std::string default_font;
  std::unordered_map<std::string, std::string> faces;  // declaration name -> family

  void Read(pugi::xml_node root) {
    const Prefixes p(root);
    std::vector<pugi::xml_node> stack = {root};
    const std::string face = p.style + "font-face";
    const std::string style = p.style + "style";
    const std::string default_style = p.style + "default-style";
    while (!stack.empty()) {
      const pugi::xml_node node = stack.back();
      stack.pop_back();
      if (std::strcmp(node.name(), face.c_str()) == 0) {
        faces[node.attribute((p.style + "name").c_str()).value()] =
            Unquote(node.attribute((p.svg + "font-family").c_str()).value());
        continue;
      }
      const bool is_style = std::strcmp(node.name(), style.c_str()) == 0;
      const bool is_default = std::strcmp(node.name(), default_style.c_str()) == 0;
      if (is_style || is_default) {
        const pugi::xml_node properties = node.child((p.style + "text-properties").c_str());
        std::string font;
        if (const pugi::xml_attribute a = properties.attribute((p.style + "font-name").c_str())) {
          font = "@" + std::string(a.value());  // a declaration, looked up later
        } else if (const pugi::xml_attribute b =
                       properties.attribute((p.fo + "font-family").c_str())) {
          font = Unquote(b.value());
        }
        const std::string family = node.attribute((p.style + "family").c_str()).value();
        if (is_default) {
          if (family == "paragraph" && !font.empty()) default_font = font;
        } else {
          styles[{family, node.attribute((p.style + "name").c_str()).value()}] = {
              node.attribute((p.style + "parent-style-name").c_str()).value(), font};
        }
        continue;
      }
      for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
        if (child.type() == pugi::node_element) stack.push_back(child);
      }
    }
  }

  std::string Family(const std::string& font) const {
    if (!font.starts_with('@')) return font;
    const auto it = faces.find(font.substr(1));
    return it == faces.end() ? font.substr(1) : it->second;
  }

  // The font a style sets, through its parents; empty when none does.
  std::string FontOf(const std::string& family, std::string name) const {
    for (int depth = 0; depth < 64 && !name.empty(); ++depth) {
      const auto it = styles.find({family, name});
      if (it == styles.end()) return {};
      if (!it->second.font.empty()) return Family(it->second.font);
      name = it->second.parent;
    }
    return {};
  }
};

// A text node of a paragraph and the stretches of it to replace.
struct OdtText {
  pugi::xml_node node;  // pcdata
  std::string text;
  std::string style;  // the span style around it, for the comparison of formatting
  std::vector<Edit> edits;
};

class OdtPart {
 public:
  OdtPart(const OdtStyles& styles, const Conversion& conversion, DocumentReport& report,
          std::string part, std::map<std::string, std::string>& new_styles)
      : styles_(styles),
        conversion_(conversion),
        report_(report),
        part_(std::move(part)),
        new_styles_(new_styles) {}

  // Converts every paragraph and heading under `root`; true when anything
  // changed.
  bool Convert(pugi::xml_node root, const Prefixes& p) {
    p_ = &p;
    std::vector<pugi::xml_node> paragraphs;
    const std::string para = p.text + "p";
    const std::string heading = p.text + "h";
    std::vector<pugi::xml_node> stack = {root};
    while (!stack.empty()) {
      const pugi::xml_node node = stack.back();
      stack.pop_back();
      if (std::strcmp(node.name(), para.c_str()) == 0 ||
          std::strcmp(node.name(), heading.c_str()) == 0) {
        paragraphs.push_back(node);
      }
      for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
        if (child.type() == pugi::node_element) stack.push_back(child);
      }
    }
    // From the last: a paragraph in a note is done before the one holding it.
    for (std::size_t i = paragraphs.size(); i-- > 0;) Paragraph(paragraphs[i], i + 1);
    OrderPartProblems(report_);
    for (const auto& [font, count] : others_) report_.left_as_they_are[font] += count;
    return changed_;
  }

 private:
  std::string T(const char* local) const { return p_->text + local; }

  void Paragraph(pugi::xml_node paragraph, std::uint64_t number) {
    number_ = number;
    texts_.clear();
    const std::string font =
        styles_.FontOf("paragraph", paragraph.attribute(T("style-name").c_str()).value());
    Walk(paragraph, font.empty() ? styles_.Family(styles_.default_font) : font, "");
    Close();
    Apply();
  }

  void Walk(pugi::xml_node parent, const std::string& font, const std::string& style) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
      if (child.type() == pugi::node_pcdata) {
        Text(child, font, style);
        continue;
      }
      if (child.type() != pugi::node_element) continue;
      const std::string_view name = child.name();
      if (name == T("span")) {
        const std::string span_style = child.attribute(T("style-name").c_str()).value();
        const std::string span_font = styles_.FontOf("text", span_style);
        Walk(child, span_font.empty() ? font : span_font, style + "/" + span_style);
      } else if (name == T("a") || name == T("meta") || name == T("ruby") ||
                 name == T("ruby-base")) {
        Walk(child, font, style);
      } else if (name == T("bookmark") || name == T("bookmark-start") ||
                 name == T("bookmark-end") || name == T("soft-page-break") ||
                 name == T("reference-mark") || name == T("change-start") ||
                 name == T("change-end")) {
        continue;
      } else {
        Close();  // a space element, a tab, a break, a note, a field, a frame
      }
    }
  }

  void Text(pugi::xml_node node, const std::string& font, const std::string& style) {
    const FontTarget* target = lookup_(font);
    if (target == nullptr) {
      Close();
      if (!font.empty()) others_[font] += CountCharacters(node.value());
      return;
    }
    const std::size_t index = texts_.size();
    texts_.push_back({node, node.value(), style, {}});
    const std::string& text = texts_.back().text;
    std::size_t at = 0;
    while (at < text.size()) {
      const std::size_t begin = at;
      const char32_t cp = utf8::Decode(text, at);
      std::optional<FontByte> byte = CharToFontByte(cp);
      if (byte && !SameEncoding(cp, std::string_view(text).substr(begin, at - begin))) {
        byte.reset();  // bytes that are not UTF-8 stay as they are
      }
      if (!byte) {
        Close();
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
        AddProblem(report_,
                   {part_, number_, target->source_font,
                    std::string(name) + " is no character of an 8-bit font; left as it is", text});
        continue;
      }
      if (!segment_.bytes.empty() &&
          (segment_.target != target || segment_.symbol != byte->symbol)) {
        Close();
      }
      if (segment_.bytes.empty()) {
        segment_.target = target;
        segment_.symbol = byte->symbol;
      }
      segment_.Add(byte->byte, index, begin, at);
    }
  }

  void Close() {
    if (segment_.bytes.empty()) return;
    Segment segment = std::move(segment_);
    segment_ = {};
    const FontTarget& target = *segment.target;
    const SegmentResult result = conversion_.convert(target, segment.bytes);
    std::string before;
    for (const Piece& piece : segment.pieces) {
      before += texts_[piece.node].text.substr(piece.begin, piece.end - piece.begin);
    }
    const std::string after =
        target.unicode ? result.text : FontBytesToText(result.text, segment.symbol);
    if (!ReportSegment(report_, {part_, number_, target}, segment.bytes, result, after,
                       segment.pieces.size())) {
      return;
    }
    if (after == before && target.output_font == target.source_font) return;
    bool alike = true;
    for (const Piece& piece : segment.pieces) {
      alike = alike && texts_[piece.node].style == texts_[segment.pieces[0].node].style;
    }
    std::vector<Edit> edits = ShareOut(segment, after, alike);
    for (std::size_t i = 0; i < edits.size(); ++i) {
      texts_[segment.pieces[i].node].edits.push_back(std::move(edits[i]));
    }
    changed_ = true;
  }

  // The automatic style that sets a target's font.
  std::string StyleFor(const FontTarget& target) {
    const auto it = new_styles_.find(target.output_font);
    if (it != new_styles_.end()) return it->second;
    const std::string name = "SfcFont" + std::to_string(new_styles_.size() + 1);
    new_styles_.emplace(target.output_font, name);
    return name;
  }

  // Each converted stretch goes into a span of its own that sets the new
  // font; the text around it stays where it was.
  void Apply() {
    for (OdtText& text : texts_) {
      if (text.edits.empty()) continue;
      pugi::xml_node parent = text.node.parent();
      std::size_t cursor = 0;
      for (const Edit& edit : text.edits) {
        if (edit.begin > cursor) {
          parent.insert_child_before(pugi::node_pcdata, text.node)
              .set_value(text.text.substr(cursor, edit.begin - cursor).c_str());
        }
        if (!edit.text.empty()) {
          pugi::xml_node span = parent.insert_child_before(T("span").c_str(), text.node);
          span.append_attribute(T("style-name").c_str()) = StyleFor(*edit.target).c_str();
          span.append_child(pugi::node_pcdata).set_value(edit.text.c_str());
        }
        cursor = edit.end;
      }
      if (cursor < text.text.size()) {
        parent.insert_child_before(pugi::node_pcdata, text.node)
            .set_value(text.text.substr(cursor).c_str());
      }
      parent.remove_child(text.node);
    }
  }

  const OdtStyles& styles_;
  const Conversion& conversion_;
  DocumentReport& report_;
  std::string part_;
  std::map<std::string, std::string>& new_styles_;
  const Prefixes* p_ = nullptr;
  TargetLookup lookup_{conversion_};
  std::unordered_map<std::string, std::uint64_t> others_;
  std::vector<OdtText> texts_;
  Segment segment_;
  std::uint64_t number_ = 0;
  bool changed_ = false;
};

// The font declarations and the automatic styles of the new fonts.
void AddFontStyles(pugi::xml_node root, const Prefixes& p,
                   const std::map<std::string, std::string>& new_styles) {
  auto child = [&](const std::string& name, const char* after_name) {
    pugi::xml_node node = root.child(name.c_str());
    if (node) return node;
    const pugi::xml_node after = root.child(after_name);
    return after ? root.insert_child_after(name.c_str(), after) : root.prepend_child(name.c_str());
  };
  pugi::xml_node faces = child(p.office + "font-face-decls", (p.office + "scripts").c_str());
  pugi::xml_node automatic =
      child(p.office + "automatic-styles", (p.office + "font-face-decls").c_str());
  for (const auto& [font, style] : new_styles) {
    bool declared = false;
    for (const pugi::xml_node face : faces.children()) {
      declared = declared || font == face.attribute((p.style + "name").c_str()).value();
    }
    if (!declared) {
      pugi::xml_node face = faces.append_child((p.style + "font-face").c_str());
      face.append_attribute((p.style + "name").c_str()) = font.c_str();
      face.append_attribute((p.svg + "font-family").c_str()) = ("'" + font + "'").c_str();
    }
    pugi::xml_node entry = automatic.append_child((p.style + "style").c_str());
    entry.append_attribute((p.style + "name").c_str()) = style.c_str();
    entry.append_attribute((p.style + "family").c_str()) = "text";
    pugi::xml_node properties = entry.append_child((p.style + "text-properties").c_str());
    for (const char* attribute : {"font-name", "font-name-asian", "font-name-complex"}) {
      properties.append_attribute((p.style + attribute).c_str()) = font.c_str();
    }
  }
}

}  // namespace

DocumentReport ConvertOdt(Package& package, const Conversion& conversion) {
  DocumentReport report;
  try {
    if (package.Has("META-INF/manifest.xml") &&
        package.Read("META-INF/manifest.xml").find("encryption-data") != std::string::npos) {
      throw DocumentError(Quoted(package.name()) +
                          " is encrypted (password-protected); save it without a password first");
    }
    if (!package.Has("content.xml")) {
      throw DocumentError(Quoted(package.name()) +
                          " is not an OpenDocument text (part \"content.xml\" is missing)");
    }
    pugi::xml_document content;
    const std::string content_xml = package.Read("content.xml");
    ParseXml(content, content_xml, "content.xml");
    pugi::xml_document styles_doc;
    std::string styles_xml;
    if (package.Has("styles.xml")) {
      styles_xml = package.Read("styles.xml");
      ParseXml(styles_doc, styles_xml, "styles.xml");
    }
    OdtStyles styles;
    if (styles_doc.document_element()) styles.Read(styles_doc.document_element());
    OdtStyles content_styles = styles;  // the content's automatic styles on top
    content_styles.Read(content.document_element());

    Conversion local = conversion;
    std::string body = styles.Family(styles.default_font);
    if (body.empty() || conversion.Find(body) != nullptr) body = std::string(kDefaultIastFont);
    for (FontTarget& target : local.targets) {
      if (target.output_font.empty()) target.output_font = body;
    }

    std::map<std::string, std::string> content_new;
    const Prefixes cp(content.document_element());
    OdtPart content_part(content_styles, local, report, "content.xml", content_new);
    if (content_part.Convert(content.document_element().child((cp.office + "body").c_str()), cp)) {
      AddFontStyles(content.document_element(), cp, content_new);
      package.Replace("content.xml", SaveXml(content, content_xml));
      report.parts_changed.push_back("content.xml");
    }
    if (styles_doc.document_element()) {
      // Headers and footers live in the master pages.
      std::map<std::string, std::string> styles_new;
      const Prefixes sp(styles_doc.document_element());
      OdtPart master(styles, local, report, "styles.xml", styles_new);
      if (master.Convert(styles_doc.document_element().child((sp.office + "master-styles").c_str()),
                         sp)) {
        AddFontStyles(styles_doc.document_element(), sp, styles_new);
        package.Replace("styles.xml", SaveXml(styles_doc, styles_xml));
        report.parts_changed.push_back("styles.xml");
      }
    }
  } catch (const XmlError& error) {
    throw DocumentError(Quoted(package.name()) + ", part " + Quoted(error.part) + ": " +
                        error.what);
  }
  return report;
}

}  // namespace sfc::document
