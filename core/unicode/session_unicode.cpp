// The session's Unicode faces: the text boxes' bytes as Unicode and back,
// through a chain over a copy of the session.
#include <utility>

#include "chain.h"
#include "iast_devanagari.h"
#include "session.h"

namespace sfc {

namespace {

// Whether the text holds a Devanagari letter or sign.
bool HoldsDevanagari(std::string_view utf8) {
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = utf8::Decode(utf8, at);
    if (c >= 0x0900 && c <= 0x097F) return true;
  }
  return false;
}

// Feeds the chain a block at a time, as the command line does, so that what
// the chain holds for a block stays small.
void FeedInBlocks(ConversionChain& chain, std::string_view text) {
  constexpr std::size_t kBlock = std::size_t{1} << 16;
  for (std::size_t at = 0; at < text.size(); at += kBlock) chain.Feed(text.substr(at, kBlock));
}

TranslitFont PivotOf(const ConverterState& state) {
  return FindTranslitFont(state.translit_box_font).value_or(TranslitFont::kSanskritTimes);
}

std::string TrimBlanks(std::string text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string Session::UnicodeReading::Text() const {
  if (devanagari.empty() || devanagari == iast) return iast;
  if (iast.empty()) return devanagari;
  return devanagari + ' ' + iast;
}

Session::UnicodeReading Session::ReadGlyphs(std::string_view glyphs) const {
  std::string iast;
  ConversionChain chain([&iast](std::string_view piece) { iast.append(piece); });
  ChainPlan plan;
  plan.pivot = PivotOf(state_);
  plan.from = TextForm::kDevanagariFont;
  plan.from_font = state_.devanagari_box_font;
  plan.to = TextForm::kIast;
  const SessionMaker copy = [this](Direction direction, const std::string&, TranslitFont) {
    Session session = *this;
    session.ChooseDirection(direction);
    return session;
  };
  // A glyph the user would be asked about reads as its entry (without the
  // class digit).
  const InputBox entry = [this](const InputBoxRequest& request) {
    if (request.kind != InputRequestKind::kGlyphReading || request.glyph_code < 0 ||
        request.glyph_code > 255) {
      return request.default_text;
    }
    return std::string(GlyphText(state_.devitran[static_cast<std::size_t>(request.glyph_code)]));
  };
  BuildChain(chain, plan, copy, entry);
  chain.Feed(glyphs);
  chain.Finish();

  UnicodeReading reading;
  reading.iast = TrimBlanks(std::move(iast));
  std::string devanagari;
  IastToDevanagariStream to_devanagari(
      [&devanagari](std::string_view piece) { devanagari.append(piece); });
  to_devanagari.Feed(reading.iast);
  to_devanagari.Finish();
  reading.devanagari = TrimBlanks(std::move(devanagari));
  return reading;
}

std::string Session::ToUnicode(std::string_view bytes, TextBox box) const {
  std::string text;
  ConversionChain chain([&text](std::string_view piece) { text.append(piece); });
  ChainPlan plan;
  plan.keep_blanks = true;
  plan.pivot = PivotOf(state_);
  plan.to = box == TextBox::kTranslit ? TextForm::kIast : TextForm::kDevanagariUnicode;
  if (box == TextBox::kTranslit) {
    plan.from = TextForm::kTranslitFont;
    plan.from_font = FontName(plan.pivot);
  } else {
    plan.from = TextForm::kDevanagariFont;
    plan.from_font = state_.devanagari_box_font;
  }
  const SessionMaker copy = [this](Direction direction, const std::string&, TranslitFont) {
    Session session = *this;
    session.ChooseDirection(direction);
    return session;
  };
  BuildChain(chain, plan, copy, {});
  FeedInBlocks(chain, bytes);
  chain.Finish();
  return text;
}

Session::FromUnicodeResult Session::FromUnicode(std::string_view utf8, TextBox box) const {
  FromUnicodeResult result;
  ConversionChain chain([&result](std::string_view piece) { result.bytes.append(piece); },
                        [&result](const UnicodeReject& reject, bool) {
                          result.rejected_at.emplace_back(reject.line, reject.column);
                          result.rejected.push_back(reject.code_point);
                        });
  ChainPlan plan;
  plan.keep_blanks = true;
  plan.pivot = PivotOf(state_);
  plan.from = HoldsDevanagari(utf8) ? TextForm::kDevanagariUnicode : TextForm::kIast;
  if (box == TextBox::kTranslit) {
    plan.to = TextForm::kTranslitFont;
    plan.to_font = FontName(plan.pivot);
  } else {
    plan.to = TextForm::kDevanagariFont;
    plan.to_font = state_.devanagari_box_font;
  }
  const SessionMaker copy = [this](Direction direction, const std::string&, TranslitFont) {
    Session session = *this;
    session.ChooseDirection(direction);
    return session;
  };
  BuildChain(chain, plan, copy, {});
  FeedInBlocks(chain, utf8);
  chain.Finish();
  return result;
}

}  // namespace sfc
