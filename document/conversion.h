// What a document conversion does with each font: the target of every
// legacy font it converts, the conversion of one stretch of text in that
// font, and the report of what happened.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "chain.h"
#include "session.h"

namespace sfc::document {

// One legacy font and what its text becomes.
struct FontTarget {
  std::string source_font;  // as the document names it
  ChainPlan plan;           // from the font's bytes to the target form
  bool unicode = true;      // the output is Unicode text (else the bytes of a font)
  // The font the converted text is set in; empty for IAST: the document's
  // body font, or kDefaultIastFont when that is a legacy font.
  std::string output_font;
};

inline constexpr std::string_view kDefaultDevanagariFont = "Noto Serif Devanagari";
inline constexpr std::string_view kDefaultIastFont = "Noto Serif";

// The outcome of converting one stretch of bytes.
struct SegmentResult {
  std::string text;  // UTF-8 when the target is Unicode, else the target font's bytes
  struct Drop {
    unsigned char byte = 0;
    std::uint64_t offset = 0;  // in the stretch, from 0
  };
  std::vector<Drop> dropped;   // input bytes no rule took
  std::uint64_t rejected = 0;  // characters a later stage could not place
  bool completed = true;
};

using SegmentConvert = std::function<SegmentResult(const FontTarget&, std::string_view bytes)>;

// Many stretches of one font at once: one result per stretch, in order.
using BatchConvert = std::function<std::vector<SegmentResult>(
    const FontTarget&, const std::vector<std::string_view>& stretches)>;

struct Conversion {
  std::vector<FontTarget> targets;
  SegmentConvert convert;
  BatchConvert convert_all;  // optional; else `convert` stretch by stretch
  std::vector<SegmentResult> ConvertAll(const FontTarget& target,
                                        const std::vector<std::string_view>& stretches) const;
  // The target of a font name (compared without regard to case), or null.
  const FontTarget* Find(std::string_view font) const;
};

// Conversion::Find with the answers kept: a part asks for the same few fonts
// again and again. No target for the empty name.
class TargetLookup {
 public:
  explicit TargetLookup(const Conversion& conversion) : conversion_(conversion) {}
  const FontTarget* operator()(const std::string& font) {
    const auto it = found_.find(font);
    if (it != found_.end()) return it->second;
    const FontTarget* target = font.empty() ? nullptr : conversion_.Find(font);
    found_.emplace(font, target);
    return target;
  }

 private:
  const Conversion& conversion_;
  std::unordered_map<std::string, const FontTarget*> found_;
};

// A conversion through the chain of the core: each stretch through its own
// chain, the sessions made by `make_session`. `keep_blanks` is set on every
// plan.
SegmentConvert ChainConvert(SessionMaker make_session);
// The same in batches: the stretches go through one chain as lines of one
// text (a chain costs far more to build than to run), and each line's
// output is that stretch's; stretches holding a line end, and every
// stretch of a batch whose lines do not come back one for one, are
// converted alone.
BatchConvert ChainConvertAll(SessionMaker make_session);

// The report of a document conversion.
struct FontCount {
  std::string target;  // what the font became, e.g. "Unicode Devanagari in Noto Serif Devanagari"
  std::uint64_t runs = 0;
  std::uint64_t segments = 0;
  std::uint64_t characters = 0;  // characters read in the font
  std::uint64_t converted = 0;   // characters written
  std::string sample_before;     // the first stretch of some length, as found
  std::string sample_after;      // and as written
};

struct DocumentProblem {
  std::string part;
  std::uint64_t paragraph = 0;  // from 1, in the part
  std::string font;
  std::string what;
  std::string context;  // a few words around it, as in the document
};

struct DocumentReport {
  std::map<std::string, FontCount> converted;             // by source font
  std::map<std::string, std::uint64_t> left_as_they_are;  // other fonts: characters
  std::vector<DocumentProblem> problems;  // bytes no rule took, characters with no byte
  std::uint64_t problem_count = 0;        // problems beyond the kept ones included
  std::vector<std::string> skipped;       // what was not converted, and why
  std::vector<std::string> parts_changed;
};

// A problem is kept in the report up to this many; beyond, only counted.
// The kept ones are the first of the document, in its order.
inline constexpr std::size_t kKeptProblems = 200;

// A part's paragraphs are converted from the last to the first, so its
// problems come in about the reverse order. AddProblem keeps them all for
// a while; OrderPartProblems, called when a part is done (and by AddProblem
// on the way, so that the memory stays bounded), puts the problems of the
// part last reported in the order of its paragraphs and keeps the first
// kKeptProblems of the report.
void AddProblem(DocumentReport& report, DocumentProblem problem);
void OrderPartProblems(DocumentReport& report);

}  // namespace sfc::document
