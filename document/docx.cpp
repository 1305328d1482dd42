#include "docx.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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

constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kDrawingNs = "http://schemas.openxmlformats.org/drawingml/2006/main";

// The four font slots of w:rFonts.
enum Slot { kAscii, kHAnsi, kEastAsia, kCs };
constexpr std::array<const char*, 4> kSlotAttribute = {"ascii", "hAnsi", "eastAsia", "cs"};
constexpr std::array<const char*, 4> kThemeAttribute = {"asciiTheme", "hAnsiTheme", "eastAsiaTheme",
                                                        "cstheme"};

// The names of the main namespace with the prefix the part uses.
// The names of w:rFonts' attributes are made once: they are read on every run.
struct Names {
  explicit Names(const std::string& prefix) : p(prefix.empty() ? "" : prefix + ":") {
    for (std::size_t i = 0; i < 4; ++i) {
      slot[i] = p + kSlotAttribute[i];
      theme[i] = p + kThemeAttribute[i];
    }
  }
  std::string operator()(std::string_view local) const { return p + std::string(local); }
  // Whether a qualified name is this prefix's `local`.
  bool Is(const char* qualified, std::string_view local) const {
    const std::string_view name(qualified);
    return name.size() == p.size() + local.size() && name.starts_with(p) && name.ends_with(local);
  }
  std::string p;
  std::array<std::string, 4> slot;
  std::array<std::string, 4> theme;
};

// The theme's fonts by the values of the *Theme attributes.
struct Theme {
  std::unordered_map<std::string, std::string> fonts;
  const std::string* Font(const std::string& value) const {
    const auto it = fonts.find(value);
    return it == fonts.end() || it->second.empty() ? nullptr : &it->second;
  }
};

struct SlotFonts {
  std::array<std::string, 4> plain;
  std::array<std::string, 4> theme;
  std::array<bool, 4> has_plain{};
  std::array<bool, 4> has_theme{};
};

SlotFonts ReadFonts(pugi::xml_node fonts, const Names& n) {
  SlotFonts slots;
  if (!fonts) return slots;
  for (std::size_t i = 0; i < 4; ++i) {
    if (const pugi::xml_attribute a = fonts.attribute(n.slot[i].c_str())) {
      slots.plain[i] = a.value();
      slots.has_plain[i] = true;
    }
    if (const pugi::xml_attribute a = fonts.attribute(n.theme[i].c_str())) {
      slots.theme[i] = a.value();
      slots.has_theme[i] = true;
    }
  }
  return slots;
}

struct Style {
  std::string based_on;
  SlotFonts fonts;
};

struct StyleSheet {
  std::unordered_map<std::string, Style> styles;
  SlotFonts defaults;
  std::string default_paragraph;
  Theme theme;

  // The font of one slot at one level, when the level names it (a theme
  // font the theme does not have falls back to the plain attribute).
  bool At(const SlotFonts& fonts, std::size_t slot, std::string& out) const {
    if (fonts.has_theme[slot]) {
      if (const std::string* font = theme.Font(fonts.theme[slot])) {
        out = *font;
        return true;
      }
    }
    if (fonts.has_plain[slot]) {
      out = fonts.plain[slot];
      return true;
    }
    return false;
  }

  bool InChain(const std::string& style_id, std::size_t slot, std::string& out) const {
    std::string id = style_id;
    for (int depth = 0; depth < 64 && !id.empty(); ++depth) {  // a loop of basedOn ends here
      const auto it = styles.find(id);
      if (it == styles.end()) return false;
      if (At(it->second.fonts, slot, out)) return true;
      id = it->second.based_on;
    }
    return false;
  }

  // The run's own fonts, its character style and the styles it is based on,
  // the paragraph style and its bases, the document defaults.
  std::string Resolve(std::size_t slot, const SlotFonts& direct, const std::string& char_style,
                      const std::string& paragraph_style) const {
    std::string out;
    if (At(direct, slot, out)) return out;
    if (InChain(char_style, slot, out)) return out;
    if (InChain(paragraph_style.empty() ? default_paragraph : paragraph_style, slot, out)) {
      return out;
    }
    if (At(defaults, slot, out)) return out;
    return {};
  }
};

Theme ReadTheme(std::string_view xml, std::string_view part) {
  Theme theme;
  if (xml.empty()) return theme;
  pugi::xml_document doc;
  ParseXml(doc, xml, part);
  const std::string a = PrefixOf(doc.document_element(), kDrawingNs).value_or("a");
  const std::string prefix = a.empty() ? "" : a + ":";
  const pugi::xml_node scheme = doc.find_node([&](pugi::xml_node node) {
    return std::strcmp(node.name(), (prefix + "fontScheme").c_str()) == 0;
  });
  for (const auto& [element, name] :
       {std::pair{"majorFont", "major"}, std::pair{"minorFont", "minor"}}) {
    const pugi::xml_node font = scheme.child((prefix + element).c_str());
    const std::string latin = font.child((prefix + "latin").c_str()).attribute("typeface").value();
    theme.fonts[std::string(name) + "Ascii"] = latin;
    theme.fonts[std::string(name) + "HAnsi"] = latin;
    theme.fonts[std::string(name) + "EastAsia"] =
        font.child((prefix + "ea").c_str()).attribute("typeface").value();
    theme.fonts[std::string(name) + "Bidi"] =
        font.child((prefix + "cs").c_str()).attribute("typeface").value();
  }
  return theme;
}

StyleSheet ReadStyles(std::string_view xml, std::string_view part, Theme theme) {
  StyleSheet sheet;
  sheet.theme = std::move(theme);
  if (xml.empty()) return sheet;
  pugi::xml_document doc;
  ParseXml(doc, xml, part);
  const pugi::xml_node root = doc.document_element();
  const std::optional<std::string> prefix = PrefixOf(root, kWordNs);
  if (!prefix) return sheet;
  const Names n(*prefix);
  sheet.defaults = ReadFonts(root.child(n("docDefaults").c_str())
                                 .child(n("rPrDefault").c_str())
                                 .child(n("rPr").c_str())
                                 .child(n("rFonts").c_str()),
                             n);
  const std::string style_name = n("style");
  for (const pugi::xml_node style : root.children(style_name.c_str())) {
    const std::string id = style.attribute(n("styleId").c_str()).value();
    Style& entry = sheet.styles[id];
    entry.based_on = style.child(n("basedOn").c_str()).attribute(n("val").c_str()).value();
    entry.fonts = ReadFonts(style.child(n("rPr").c_str()).child(n("rFonts").c_str()), n);
    const std::string_view type = style.attribute(n("type").c_str()).value();
    const std::string_view is_default = style.attribute(n("default").c_str()).value();
    if (type == "paragraph" && (is_default == "1" || is_default == "true")) {
      sheet.default_paragraph = id;
    }
  }
  return sheet;
}

bool Is(pugi::xml_node node, const std::string& name) {
  return std::strcmp(node.name(), name.c_str()) == 0;
}

// A text element of a run (w:t, w:delText) or a w:sym, with the changes to
// make in it.
struct TextNode {
  pugi::xml_node element;
  pugi::xml_node run;
  std::string_view text;  // the element's text in the document; w:sym: empty
  bool sym = false;
  std::vector<Edit> edits;
};
std::string Serialize(pugi::xml_node node) {
  StringWriter writer;
  node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(writer.text);
}

std::string CodePointName(char32_t cp) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(cp));
  return text;
}

class PartConverter {
 public:
  PartConverter(const Names& names, const StyleSheet& sheet, const Conversion& conversion,
                DocumentReport& report, std::string part)
      : n_(names), sheet_(sheet), conversion_(conversion), report_(report), part_(std::move(part)) {
    for (const char* local : {"r",        "t",          "delText",
                              "sym",      "rPr",        "pPr",
                              "pStyle",   "rStyle",     "rFonts",
                              "val",      "font",       "char",
                              "cs",       "rtl",        "hyperlink",
                              "ins",      "del",        "moveTo",
                              "moveFrom", "smartTag",   "customXml",
                              "sdt",      "sdtContent", "dir",
                              "bdo",      "fldSimple",  "lastRenderedPageBreak",
                              "p",        "txbxContent"}) {
      name_[local] = n_(local);
    }
    for (const char* local :
         {"proofErr", "bookmarkStart", "bookmarkEnd", "commentRangeStart", "commentRangeEnd",
          "permStart", "permEnd", "moveFromRangeStart", "moveFromRangeEnd", "moveToRangeStart",
          "moveToRangeEnd", "sdtPr", "sdtEndPr", "customXmlPr", "smartTagPr",
          "customXmlInsRangeStart", "customXmlInsRangeEnd", "customXmlDelRangeStart",
          "customXmlDelRangeEnd"}) {
      marks_.insert(n_(local));
    }
  }

  // Reads a paragraph: its text nodes and the stretches to convert.
  void Paragraph(pugi::xml_node paragraph, std::uint64_t number) {
    number_ = number;
    paragraph_style_ =
        paragraph.child(p_pr_.c_str()).child(p_style_.c_str()).attribute(val_.c_str()).value();
    nodes_.clear();
    segments_.clear();
    Walk(paragraph, false);
    Close();
    if (segments_.empty()) return;
    pending_ += nodes_.size() * sizeof(TextNode);
    for (const Segment& segment : segments_) {
      pending_ += sizeof(Segment) + segment.bytes.size() + segment.pieces.size() * sizeof(Piece);
    }
    work_.push_back({number, std::move(nodes_), std::move(segments_)});
  }

  // About the memory that the paragraphs read and not yet written hold.
  std::size_t pending() const { return pending_; }

  // Converts the stretches of all paragraphs read, font by font in one
  // batch each, and writes them into the runs, paragraph by paragraph in the
  // order they were read.
  void Write() {
    std::map<const FontTarget*, std::vector<std::pair<std::size_t, std::size_t>>> by_target;
    for (std::size_t p = 0; p < work_.size(); ++p) {
      for (std::size_t k = 0; k < work_[p].segments.size(); ++k) {
        by_target[work_[p].segments[k].target].emplace_back(p, k);
      }
    }
    std::vector<std::vector<SegmentResult>> results(work_.size());
    for (std::size_t p = 0; p < work_.size(); ++p) results[p].resize(work_[p].segments.size());
    for (const auto& [target, places] : by_target) {
      std::vector<std::string_view> texts;
      texts.reserve(places.size());
      for (const auto& [p, k] : places) texts.push_back(work_[p].segments[k].bytes);
      std::vector<SegmentResult> converted = conversion_.ConvertAll(*target, texts);
      for (std::size_t i = 0; i < places.size(); ++i) {
        results[places[i].first][places[i].second] = std::move(converted[i]);
      }
    }
    for (std::size_t p = 0; p < work_.size(); ++p) {
      number_ = work_[p].number;
      nodes_ = std::move(work_[p].nodes);
      properties_.clear();
      for (std::size_t k = 0; k < work_[p].segments.size(); ++k) {
        Convert(work_[p].segments[k], results[p][k]);
      }
      Apply();
      results[p].clear();
      work_[p] = {};
    }
    work_.clear();
    pending_ = 0;
  }

  bool changed() const { return changed_; }
  const std::set<std::pair<std::string, bool>>& output_fonts() const { return output_fonts_; }

  void Finish() {
    for (const auto& [font, count] : others_) report_.left_as_they_are[font] += count;
  }

 private:
  const char* N(std::string_view local) const { return name_.at(local).c_str(); }
  bool Named(pugi::xml_node node, std::string_view local) const {
    return n_.Is(node.name(), local);
  }

  void Walk(pugi::xml_node parent, bool deleted) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      if (Named(child, "pPr") || marks_.contains(child.name())) continue;
      if (Named(child, "r")) {
        Run(child, deleted);
      } else if (Named(child, "del") || Named(child, "moveFrom")) {
        Walk(child, true);
      } else if (Named(child, "fldSimple")) {
        Close();
        Walk(child, deleted);
        Close();
      } else if (Named(child, "hyperlink") || Named(child, "ins") || Named(child, "moveTo") ||
                 Named(child, "smartTag") || Named(child, "customXml") || Named(child, "sdt") ||
                 Named(child, "sdtContent") || Named(child, "dir") || Named(child, "bdo")) {
        Walk(child, deleted);
      } else {
        Close();  // math, an object: the text does not continue through it
      }
    }
  }

  struct RunFonts {
    std::array<const FontTarget*, 3> target{};  // ascii, hAnsi, cs
    std::array<std::string, 3> font;
    bool complex = false;
  };

  // A run's fonts, worked out once for each set of run properties that bear
  // on them: most runs of a document share a few.
  const RunFonts& FontsOf(pugi::xml_node run) {
    const pugi::xml_node properties = run.child(r_pr_.c_str());
    const pugi::xml_node font_element = properties.child(r_fonts_.c_str());
    const char* const char_style =
        properties.child(r_style_.c_str()).attribute(val_.c_str()).value();
    const pugi::xml_node cs = properties.child(cs_.c_str());
    const pugi::xml_node rtl = properties.child(rtl_.c_str());
    std::string& key = fonts_key_;
    key.clear();
    for (const pugi::xml_attribute a : font_element.attributes()) {
      key.append(a.name()).push_back('\x01');
      key.append(a.value()).push_back('\x02');
    }
    key.append(char_style).push_back('\x03');
    key.append(paragraph_style_).push_back('\x03');
    for (const pugi::xml_node flag : {cs, rtl}) {
      if (flag) key.append(flag.attribute(val_.c_str()).value()).push_back('\x04');
      key.push_back('\x05');
    }
    const auto found = fonts_cache_.find(key);
    if (found != fonts_cache_.end()) return found->second;
    return fonts_cache_.emplace(key, ResolveFonts(font_element, char_style, cs, rtl)).first->second;
  }

  RunFonts ResolveFonts(pugi::xml_node font_element, const std::string& char_style,
                        pugi::xml_node cs, pugi::xml_node rtl) {
    const SlotFonts direct = ReadFonts(font_element, n_);
    RunFonts fonts;
    const std::array<std::size_t, 3> slots = {kAscii, kHAnsi, kCs};
    for (std::size_t i = 0; i < 3; ++i) {
      fonts.font[i] = sheet_.Resolve(slots[i], direct, char_style, paragraph_style_);
      fonts.target[i] = lookup_(fonts.font[i]);
    }
    auto on = [&](pugi::xml_node flag) {
      if (!flag) return false;
      const std::string_view value = flag.attribute(val_.c_str()).value();
      return value.empty() || value == "1" || value == "true" || value == "on";
    };
    fonts.complex = on(cs) || on(rtl);
    return fonts;
  }

  void Run(pugi::xml_node run, bool deleted) {
    if (!PlainRun(run)) {
      Close();
      return;
    }
    const RunFonts* fonts = nullptr;
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element || Named(child, "rPr") ||
          Named(child, "lastRenderedPageBreak")) {
        continue;
      }
      if (Named(child, "t") || Named(child, "delText")) {
        if (fonts == nullptr) fonts = &FontsOf(run);
        Text(child, run, *fonts, deleted);
      } else if (Named(child, "sym")) {
        Symbol(child, run, deleted);
      } else {
        Close();  // a tab, a break, a field character or instruction, a drawing
      }
    }
  }

  // A text element that holds elements or several pieces (no word processor
  // writes one) is left as it is with the whole run around it: rewriting it
  // would lose what it holds, and a new font would be wrong for it.
  // A run this conversion can rewrite: its text elements hold only text, and
  // its properties, which every piece of a split run gets a copy of, hold
  // none. Any other run is left as it is, with a problem.
  bool PlainRun(pugi::xml_node run) {
    const auto is_text = [this](pugi::xml_node node) {
      return Named(node, "t") || Named(node, "delText");
    };
    const char* odd = nullptr;
    for (pugi::xml_node child = run.first_child(); child && !odd; child = child.next_sibling()) {
      if (!is_text(child)) continue;
      const pugi::xml_node first = child.first_child();
      if (first && (first.type() != pugi::node_pcdata || first.next_sibling())) {
        odd = "a text element that holds other markup; its run is left as it is";
      }
    }
    const pugi::xml_node properties = run.child(r_pr_.c_str());
    if (!odd && properties && properties.find_node(is_text)) {
      odd = "run properties that hold a text element; the run is left as it is";
    }
    if (!odd) return true;
    const FontTarget* target = nullptr;
    for (const FontTarget* slot : FontsOf(run).target) target = target ? target : slot;
    if (target != nullptr) AddProblem(report_, {part_, number_, target->source_font, odd, ""});
    return false;
  }

  void Text(pugi::xml_node element, pugi::xml_node run, const RunFonts& fonts, bool deleted) {
    const std::size_t index = nodes_.size();
    nodes_.push_back({element, run, element.text().get(), false, {}});
    const std::string_view text = nodes_.back().text;
    std::array<std::uint64_t, 3> other_count{};  // characters in fonts not converted, by slot
    std::size_t at = 0;
    while (at < text.size()) {
      const std::size_t begin = at;
      const auto first = static_cast<unsigned char>(text[at]);
      char32_t cp = first;
      std::optional<FontByte> byte;
      if (first >= 0x20 && first < 0x80) {  // most characters: the byte itself
        ++at;
        byte = FontByte{first, false};
      } else {
        cp = utf8::Decode(text, at);
        byte = CharToFontByte(cp);
        if (byte && !SameEncoding(cp, std::string_view(text).substr(begin, at - begin))) {
          byte.reset();  // bytes that are not UTF-8 stay as they are
        }
      }
      const unsigned value = byte ? byte->byte : static_cast<unsigned>(cp);
      const std::size_t slot = fonts.complex ? 2 : value < 0x80 ? 0 : 1;
      const FontTarget* target = fonts.target[slot];
      if (target == nullptr) {
        Close();
        ++other_count[slot];
        continue;
      }
      if (!byte) {
        Close();
        AddProblem(report_, {part_, number_, target->source_font,
                             CodePointName(cp) + " is no character of an 8-bit font; left as it is",
                             Around(text, begin)});
        continue;
      }
      Append(target, deleted, *byte, index, begin, at);
    }
    for (std::size_t slot = 0; slot < 3; ++slot) {
      if (other_count[slot] > 0 && !fonts.font[slot].empty()) {
        others_[fonts.font[slot]] += other_count[slot];
      }
    }
  }

  void Symbol(pugi::xml_node element, pugi::xml_node run, bool deleted) {
    const FontTarget* target = lookup_(element.attribute(N("font")).value());
    const char* code = element.attribute(N("char")).value();
    char* end = nullptr;
    const unsigned long value = std::strtoul(code, &end, 16);
    if (target == nullptr || end == code || *end != '\0' || value > 0xFFFF ||
        (value > 0xFF && (value < 0xF000 || value > 0xF0FF))) {
      Close();
      return;
    }
    const std::size_t index = nodes_.size();
    nodes_.push_back({element, run, {}, true, {}});
    Append(target, deleted, FontByte{static_cast<unsigned char>(value & 0xFF), true}, index, 0, 0);
  }

  void Append(const FontTarget* target, bool deleted, FontByte byte, std::size_t node,
              std::size_t begin, std::size_t end) {
    // A w:sym takes the way of the text around it.
    const bool other_way = segment_.symbol != byte.symbol && !nodes_[node].sym;
    if (!segment_.bytes.empty() &&
        (segment_.target != target || segment_.deleted != deleted || other_way)) {
      Close();
    }
    if (segment_.bytes.empty()) {
      segment_.target = target;
      segment_.deleted = deleted;
      segment_.symbol = byte.symbol;
    }
    segment_.Add(byte.byte, node, begin, end, nodes_[node].sym);
  }

  std::string PieceText(const Piece& piece, bool symbol) const {
    const TextNode& node = nodes_[piece.node];
    if (node.sym) {
      std::string text;
      utf8::Append(text,
                   FontByteToChar(static_cast<unsigned char>(std::strtoul(
                                      node.element.attribute(N("char")).value(), nullptr, 16)),
                                  symbol));
      return text;
    }
    return std::string(node.text.substr(piece.begin, piece.end - piece.begin));
  }

  const std::string& Properties(pugi::xml_node run) {
    const auto it = properties_.find(run.hash_value());
    if (it != properties_.end()) return it->second;
    return properties_[run.hash_value()] = Serialize(run.child(r_pr_.c_str()));
  }

  void Close() {
    if (segment_.bytes.empty()) return;
    segments_.push_back(std::move(segment_));
    segment_ = {};
  }

  void Convert(const Segment& segment, const SegmentResult& result) {
    const FontTarget& target = *segment.target;
    std::string before;
    for (const Piece& piece : segment.pieces) before += PieceText(piece, segment.symbol);
    const std::string after =
        target.unicode ? result.text : FontBytesToText(result.text, segment.symbol);
    std::uint64_t runs = 0;
    for (std::size_t i = 0; i < segment.pieces.size(); ++i) {
      if (i == 0 || nodes_[segment.pieces[i].node].run != nodes_[segment.pieces[i - 1].node].run) {
        ++runs;
      }
    }
    if (!ReportSegment(report_, {part_, number_, target}, segment.bytes, result, after, runs)) {
      return;
    }
    if (after == before && target.output_font == target.source_font) return;

    output_fonts_.insert({target.output_font, !target.unicode && segment.symbol});
    bool alike = true;
    const std::string& first = Properties(nodes_[segment.pieces[0].node].run);
    for (const Piece& piece : segment.pieces)
      alike = alike && Properties(nodes_[piece.node].run) == first;
    std::vector<Edit> edits = ShareOut(segment, after, alike);
    for (std::size_t i = 0; i < edits.size(); ++i) {
      nodes_[segment.pieces[i].node].edits.push_back(std::move(edits[i]));
    }
    changed_ = true;
  }

  // Writes the changes of the paragraph into its runs.
  void Apply() {
    std::size_t i = 0;
    while (i < nodes_.size()) {
      std::size_t j = i;
      bool edited = false;
      while (j < nodes_.size() && nodes_[j].run == nodes_[i].run) {
        edited = edited || !nodes_[j].edits.empty();
        ++j;
      }
      if (edited) Rewrite(i, j);
      i = j;
    }
  }

  struct Unit {
    bool text = false;
    std::string content;
    const FontTarget* target = nullptr;
    pugi::xml_node element;
    std::string name;  // of the text element
  };

  void Rewrite(std::size_t first, std::size_t last) {
    pugi::xml_node run = nodes_[first].run;
    std::vector<Unit> units;
    std::set<const FontTarget*> labels;
    const FontTarget* any_target = nullptr;
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
      if (Named(child, "rPr")) continue;
      std::size_t k = first;
      while (k < last && nodes_[k].element != child) ++k;
      if (k == last || nodes_[k].edits.empty()) {
        units.push_back({false, {}, nullptr, child, {}});
        if (k < last && !nodes_[k].text.empty()) {
          units.back() = {true, std::string(nodes_[k].text), nullptr, child, child.name()};
          labels.insert(nullptr);
        }
        continue;
      }
      TextNode& node = nodes_[k];
      std::sort(node.edits.begin(), node.edits.end(),
                [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
      const std::string name = node.sym ? N("t") : child.name();
      std::size_t cursor = 0;
      for (Edit& edit : node.edits) {
        any_target = edit.target;
        if (edit.begin > cursor) {
          units.push_back({true, std::string(node.text.substr(cursor, edit.begin - cursor)),
                           nullptr, child, name});
          labels.insert(nullptr);
        }
        if (!edit.text.empty()) labels.insert(edit.target);
        units.push_back({true, edit.text, edit.target, child, name});
        cursor = edit.end;
      }
      if (cursor < node.text.size()) {
        units.push_back({true, std::string(node.text.substr(cursor)), nullptr, child, name});
        labels.insert(nullptr);
      }
    }

    if (labels.size() <= 1 && !labels.contains(nullptr)) {
      InPlace(first, last, labels.empty() ? any_target : *labels.begin());
      return;
    }
    // Text in more than one font: one run per stretch of one font.
    pugi::xml_node parent = run.parent();
    pugi::xml_node group;
    const FontTarget* group_target = nullptr;
    pugi::xml_node last_text;
    pugi::xml_node previous_element;
    auto start_group = [&](const FontTarget* target) {
      group = parent.insert_child_before(run.name(), run);
      for (const pugi::xml_attribute a : run.attributes()) group.append_copy(a);
      if (const pugi::xml_node properties = run.child(r_pr_.c_str())) group.append_copy(properties);
      if (target != nullptr) SetRunFont(group, *target);
      group_target = target;
      last_text = {};
      previous_element = {};
    };
    for (const Unit& unit : units) {
      if (!unit.text) {
        if (!group) start_group(nullptr);
        group.append_copy(unit.element);
        last_text = {};
        continue;
      }
      if (unit.content.empty()) continue;
      if (!group || group_target != unit.target) start_group(unit.target);
      if (!last_text || previous_element != unit.element) {
        last_text = group.append_child(unit.name.c_str());
        if (Is(unit.element, unit.name)) {
          for (const pugi::xml_attribute a : unit.element.attributes()) last_text.append_copy(a);
        }
        previous_element = unit.element;
        SetText(last_text, unit.content);
      } else {
        SetText(last_text, std::string(last_text.text().get()) + unit.content);
      }
    }
    parent.remove_child(run);
  }

  void InPlace(std::size_t first, std::size_t last, const FontTarget* target) {
    pugi::xml_node run = nodes_[first].run;
    for (std::size_t k = first; k < last; ++k) {
      TextNode& node = nodes_[k];
      if (node.edits.empty()) continue;
      std::string text;
      std::size_t cursor = 0;
      for (const Edit& edit : node.edits) {
        text.append(node.text, cursor, edit.begin - cursor);
        text += edit.text;
        cursor = edit.end;
      }
      if (!node.sym) text.append(node.text, std::min(cursor, node.text.size()));
      if (node.sym) {
        if (!text.empty()) {
          SetText(run.insert_child_before(N("t"), node.element), text);
        }
        run.remove_child(node.element);
      } else if (text.empty() && !node.text.empty()) {
        run.remove_child(node.element);
      } else {
        SetText(node.element, text);
      }
    }
    bool empty = true;
    for (const pugi::xml_node child : run.children()) {
      if (child.type() == pugi::node_element && !Named(child, "rPr")) empty = false;
    }
    if (empty) {
      run.parent().remove_child(run);
      return;
    }
    if (target != nullptr) SetRunFont(run, *target);
  }

  void SetText(pugi::xml_node element, const std::string& text) {
    const bool edge_blank = !text.empty() && (text.front() == ' ' || text.back() == ' ' ||
                                              text.front() == '\t' || text.back() == '\t');
    if (edge_blank && !element.attribute("xml:space")) {
      element.append_attribute("xml:space") = "preserve";
    }
    element.text().set(text.c_str());
  }

  void SetRunFont(pugi::xml_node run, const FontTarget& target) {
    pugi::xml_node properties = run.child(r_pr_.c_str());
    if (!properties) properties = run.prepend_child(r_pr_.c_str());
    pugi::xml_node fonts = properties.child(r_fonts_.c_str());
    if (!fonts) {
      const pugi::xml_node style = properties.child(r_style_.c_str());
      fonts = style ? properties.insert_child_after(r_fonts_.c_str(), style)
                    : properties.prepend_child(r_fonts_.c_str());
    }
    SetFonts(fonts, n_, target.output_font);
  }

 public:
  // All four slots in one font, the theme attributes removed.
  static void SetFonts(pugi::xml_node fonts, const Names& n, const std::string& font) {
    for (std::size_t i = 0; i < 4; ++i) {
      const std::string& name = n.slot[i];
      pugi::xml_attribute a = fonts.attribute(name.c_str());
      if (!a) a = fonts.append_attribute(name.c_str());
      a.set_value(font.c_str());
      fonts.remove_attribute(n.theme[i].c_str());
    }
  }

 private:
  const Names& n_;
  const StyleSheet& sheet_;
  const Conversion& conversion_;
  DocumentReport& report_;
  std::string part_;
  std::unordered_map<std::string_view, std::string> name_;  // keys: literals
  // The names asked for on every run, at hand.
  const std::string r_pr_ = n_("rPr");
  const std::string cs_ = n_("cs");
  const std::string rtl_ = n_("rtl");
  std::unordered_map<std::string, RunFonts> fonts_cache_;  // by FontsOf's key
  std::string fonts_key_;
  const std::string val_ = n_("val");
  const std::string r_fonts_ = n_("rFonts");
  const std::string r_style_ = n_("rStyle");
  const std::string p_pr_ = n_("pPr");
  const std::string p_style_ = n_("pStyle");

  std::set<std::string, std::less<>> marks_;
  TargetLookup lookup_{conversion_};
  std::unordered_map<std::string, std::uint64_t> others_;
  std::unordered_map<std::size_t, std::string> properties_;
  std::set<std::pair<std::string, bool>> output_fonts_;
  std::uint64_t number_ = 0;
  std::string paragraph_style_;
  std::vector<TextNode> nodes_;
  Segment segment_;
  std::vector<Segment> segments_;
  struct ParagraphWork {
    std::uint64_t number = 0;
    std::vector<TextNode> nodes;
    std::vector<Segment> segments;
  };
  std::vector<ParagraphWork> work_;
  std::size_t pending_ = 0;
  bool changed_ = false;
};

struct PartOutcome {
  std::string xml;
  bool changed = false;
  std::set<std::pair<std::string, bool>> output_fonts;
};

// Converts a part given in a buffer of its own (parsed in place); the new
// part when it changed.
PartOutcome ConvertPart(std::string xml, const StyleSheet& sheet, const Conversion& conversion,
                        DocumentReport& report, std::string_view part) {
  pugi::xml_document doc;
  const XmlFrame frame = ParseXmlInPlace(doc, xml, part);
  const std::optional<std::string> prefix = PrefixOf(doc.document_element(), kWordNs);
  if (!prefix) return {};
  const Names n(*prefix);
  const std::string p = n("p");
  std::vector<pugi::xml_node> paragraphs;
  // Every paragraph, text boxes and both copies of alternate content
  // included, in document order.
  std::vector<pugi::xml_node> stack = {doc.document_element()};
  while (!stack.empty()) {
    const pugi::xml_node node = stack.back();
    stack.pop_back();
    if (Is(node, p)) paragraphs.push_back(node);
    for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
      if (child.type() == pugi::node_element) stack.push_back(child);
    }
  }
  PartConverter converter(n, sheet, conversion, report, std::string(part));
  // From the last: a paragraph inside a run (a text box) is done before the
  // run that holds it may be rewritten.
  // The stretches are converted in batches of about 2 MB: a batch
  // runs each font's conversion once, and the memory they take stays small
  // whatever the size of the part.
  constexpr std::size_t kBatch = std::size_t{2} << 20;
  for (std::size_t i = paragraphs.size(); i-- > 0;) {
    converter.Paragraph(paragraphs[i], i + 1);
    if (converter.pending() >= kBatch) converter.Write();
  }
  converter.Write();
  converter.Finish();
  OrderPartProblems(report);
  if (!converter.changed()) return {};
  // The converted part is about as long as the original (the text
  // in the 8-bit fonts grows a little in UTF-8, joined runs shrink it).
  const std::size_t expected = xml.size() + xml.size() / 8;
  return {SaveXml(doc, frame, expected), true, converter.output_fonts()};
}

// The styles follow the fonts: a style or the defaults naming a converted
// font name its target.
std::optional<std::string> UpdateStyles(std::string_view xml, std::string_view part,
                                        const Theme& theme, const Conversion& conversion) {
  pugi::xml_document doc;
  ParseXml(doc, xml, part);
  const std::optional<std::string> prefix = PrefixOf(doc.document_element(), kWordNs);
  if (!prefix) return std::nullopt;
  const Names n(*prefix);
  const std::string rfonts = n("rFonts");
  bool changed = false;
  std::vector<pugi::xml_node> all;
  doc.find_node([&](pugi::xml_node node) {
    if (Is(node, rfonts)) all.push_back(node);
    return false;
  });
  for (pugi::xml_node fonts : all) {
    const SlotFonts slots = ReadFonts(fonts, n);
    for (std::size_t i = 0; i < 4; ++i) {
      std::string font = slots.plain[i];
      if (slots.has_theme[i]) {
        if (const std::string* themed = theme.Font(slots.theme[i])) font = *themed;
      }
      const FontTarget* target = conversion.Find(font);
      if (target == nullptr) continue;
      changed = true;
      if (target->unicode) {
        PartConverter::SetFonts(fonts, n, target->output_font);
        break;
      }
      const std::string& name = n.slot[i];
      pugi::xml_attribute a = fonts.attribute(name.c_str());
      if (!a) a = fonts.append_attribute(name.c_str());
      a.set_value(target->output_font.c_str());
      fonts.remove_attribute(n.theme[i].c_str());
    }
  }
  if (!changed) return std::nullopt;
  return SaveXml(doc, xml);
}

// The font table names every font the text is now set in; a font that now
// holds Unicode text is not declared a symbol font.
std::optional<std::string> UpdateFontTable(std::string_view xml, std::string_view part,
                                           const std::set<std::pair<std::string, bool>>& fonts) {
  pugi::xml_document doc;
  ParseXml(doc, xml, part);
  pugi::xml_node root = doc.document_element();
  const std::optional<std::string> prefix = PrefixOf(root, kWordNs);
  if (!prefix || fonts.empty()) return std::nullopt;
  const Names n(*prefix);
  const std::string font_name = n("font");
  for (const auto& [name, symbol] : fonts) {
    pugi::xml_node entry;
    for (const pugi::xml_node font : root.children(font_name.c_str())) {
      if (name == font.attribute(n("name").c_str()).value()) entry = font;
    }
    if (!entry) {
      entry = root.append_child(n("font").c_str());
      entry.append_attribute(n("name").c_str()) = name.c_str();
      entry.append_child(n("charset").c_str()).append_attribute(n("val").c_str()) =
          symbol ? "02" : "00";
      continue;
    }
    pugi::xml_attribute charset = entry.child(n("charset").c_str()).attribute(n("val").c_str());
    if (!symbol && charset && std::string_view(charset.value()) == "02") charset.set_value("00");
  }
  return SaveXml(doc, xml);
}

std::string Directory(std::string_view part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string_view::npos ? "" : std::string(part.substr(0, slash + 1));
}

// "../x" and "./x" against a directory; "/x" from the package's root.
std::string Resolve(const std::string& directory, std::string_view target) {
  if (target.starts_with('/')) return std::string(target.substr(1));
  std::vector<std::string> parts;
  std::string whole = directory + std::string(target);
  std::size_t at = 0;
  while (at <= whole.size()) {
    const std::size_t slash = std::min(whole.find('/', at), whole.size());
    const std::string piece = whole.substr(at, slash - at);
    if (piece == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!piece.empty() && piece != ".") {
      parts.push_back(piece);
    }
    at = slash + 1;
  }
  std::string joined;
  for (const std::string& piece : parts) joined += (joined.empty() ? "" : "/") + piece;
  return joined;
}

// The relationships of a part: type (its last word) and target part.
std::vector<std::pair<std::string, std::string>> Relationships(const Package& package,
                                                               std::string_view part) {
  const std::string directory = Directory(part);
  const std::string rels =
      directory + "_rels/" + std::string(part.substr(directory.size())) + ".rels";
  std::vector<std::pair<std::string, std::string>> found;
  if (!package.Has(rels)) return found;
  pugi::xml_document doc;
  ParseXml(doc, package.Read(rels), rels);
  for (const pugi::xml_node relation : doc.document_element().children()) {
    if (std::string_view(relation.attribute("TargetMode").value()) == "External") continue;
    const std::string_view type = relation.attribute("Type").value();
    const std::size_t slash = type.rfind('/');
    found.emplace_back(std::string(slash == std::string_view::npos ? type : type.substr(slash + 1)),
                       Resolve(directory, relation.attribute("Target").value()));
  }
  return found;
}

}  // namespace

std::string ConvertTextPart(std::string_view xml, std::string_view styles_xml,
                            std::string_view theme_xml, const Conversion& conversion,
                            DocumentReport& report, std::string_view part) {
  try {
    const StyleSheet sheet = ReadStyles(styles_xml, "styles", ReadTheme(theme_xml, "theme"));
    Conversion local = conversion;
    for (FontTarget& target : local.targets) {
      if (target.output_font.empty()) target.output_font = std::string(kDefaultIastFont);
    }
    PartOutcome outcome = ConvertPart(std::string(xml), sheet, local, report, part);
    return outcome.changed ? std::move(outcome.xml) : std::string(xml);
  } catch (const XmlError& error) {
    throw DocumentError("part " + Quoted(error.part) + ": " + error.what);
  }
}

DocumentReport ConvertDocx(Package& package, const Conversion& conversion) {
  DocumentReport report;
  try {
    std::string main = "word/document.xml";
    for (const auto& [type, target] : Relationships(package, "")) {
      if (type == "officeDocument") main = target;
    }
    if (!package.Has(main)) {
      throw DocumentError(Quoted(package.name()) + " is not a word-processor document (part " +
                          Quoted(main) + " is missing)");
    }
    std::string styles_part;
    std::string theme_part;
    std::string font_part;
    std::vector<std::string> text_parts = {main};
    for (const auto& [type, target] : Relationships(package, main)) {
      if (!package.Has(target)) continue;
      if (type == "styles") styles_part = target;
      if (type == "theme") theme_part = target;
      if (type == "fontTable") font_part = target;
      if (type == "header" || type == "footer" || type == "footnotes" || type == "endnotes" ||
          type == "comments") {
        if (std::find(text_parts.begin(), text_parts.end(), target) == text_parts.end()) {
          text_parts.push_back(target);
        }
      }
    }
    const Theme theme =
        theme_part.empty() ? Theme{} : ReadTheme(package.Read(theme_part), theme_part);
    const StyleSheet sheet = styles_part.empty()
                                 ? StyleSheet{{}, {}, {}, theme}
                                 : ReadStyles(package.Read(styles_part), styles_part, theme);
    // IAST with no font named goes into the body font (or a common one when
    // the body font is itself a legacy font).
    Conversion local = conversion;
    std::string body = sheet.Resolve(kAscii, SlotFonts{}, "", "");
    if (body.empty() || conversion.Find(body) != nullptr) body = std::string(kDefaultIastFont);
    for (FontTarget& target : local.targets) {
      if (target.output_font.empty()) target.output_font = body;
    }
    std::set<std::pair<std::string, bool>> output_fonts;
    for (const std::string& part : text_parts) {
      PartOutcome outcome = ConvertPart(package.Read(part), sheet, local, report, part);
      if (!outcome.changed) continue;
      package.Replace(part, std::move(outcome.xml));
      report.parts_changed.push_back(part);
      output_fonts.insert(outcome.output_fonts.begin(), outcome.output_fonts.end());
    }
    if (!report.parts_changed.empty() && !styles_part.empty()) {
      if (auto styles = UpdateStyles(package.Read(styles_part), styles_part, theme, local)) {
        package.Replace(styles_part, std::move(*styles));
        report.parts_changed.push_back(styles_part);
      }
    }
    if (!font_part.empty()) {
      if (auto fonts = UpdateFontTable(package.Read(font_part), font_part, output_fonts)) {
        package.Replace(font_part, std::move(*fonts));
        report.parts_changed.push_back(font_part);
      }
    }
  } catch (const XmlError& error) {
    throw DocumentError(Quoted(package.name()) + ", part " + Quoted(error.part) + ": " +
                        error.what);
  }
  return report;
}

}  // namespace sfc::document
