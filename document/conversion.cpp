#include "conversion.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace sfc::document {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

const FontTarget* Conversion::Find(std::string_view font) const {
  for (const FontTarget& target : targets) {
    if (SameName(target.source_font, font)) return &target;
  }
  return nullptr;
}

SegmentConvert ChainConvert(SessionMaker make_session) {
  return
      [make_session = std::move(make_session)](const FontTarget& target, std::string_view bytes) {
        SegmentResult result;
        ConversionChain chain([&result](std::string_view piece) { result.text.append(piece); },
                              [&result](const UnicodeReject&, bool) { ++result.rejected; },
                              [&result](unsigned char byte, InputPosition at, bool in_input) {
                                if (!in_input) {
                                  ++result.rejected;
                                  return;
                                }
                                result.dropped.push_back({byte, at.column > 0 ? at.column - 1 : 0});
                              });
        ChainPlan plan = target.plan;
        plan.keep_blanks = true;
        BuildChain(chain, plan, make_session,
                   [](const InputBoxRequest& request) { return request.default_text; });
        chain.Feed(bytes);
        const ChainEnd end = chain.Finish();
        result.completed = end.completed;
        return result;
      };
}

void AddProblem(DocumentReport& report, DocumentProblem problem) {
  ++report.problem_count;
  if (report.problems.size() < kKeptProblems) report.problems.push_back(std::move(problem));
}

}  // namespace sfc::document
