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

std::vector<SegmentResult> Conversion::ConvertAll(
    const FontTarget& target, const std::vector<std::string_view>& stretches) const {
  if (convert_all) return convert_all(target, stretches);
  std::vector<SegmentResult> results;
  results.reserve(stretches.size());
  for (const std::string_view stretch : stretches) results.push_back(convert(target, stretch));
  return results;
}

BatchConvert ChainConvertAll(SessionMaker make_session) {
  SegmentConvert one = ChainConvert(make_session);
  return [make_session = std::move(make_session), one = std::move(one)](
             const FontTarget& target, const std::vector<std::string_view>& stretches) {
    std::vector<SegmentResult> results(stretches.size());
    std::vector<std::size_t> batched;  // the stretches in the batch, by line
    std::string text;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
      if (stretches[i].find('\n') != std::string_view::npos) {
        results[i] = one(target, stretches[i]);
        continue;
      }
      if (!batched.empty()) text.push_back('\n');
      text.append(stretches[i]);
      batched.push_back(i);
    }
    if (batched.empty()) return results;
    std::string output;
    std::vector<std::vector<SegmentResult::Drop>> drops(batched.size());
    std::vector<std::uint64_t> rejected(batched.size());
    bool misplaced = false;
    auto line_of = [&](std::uint64_t line) -> std::size_t {
      if (line == 0 || line > batched.size()) {
        misplaced = true;
        return 0;
      }
      return static_cast<std::size_t>(line - 1);
    };
    ConversionChain chain(
        [&output](std::string_view piece) { output.append(piece); },
        [&](const UnicodeReject& reject, bool) { ++rejected[line_of(reject.line)]; },
        [&](unsigned char byte, InputPosition at, bool in_input) {
          const std::size_t line = line_of(at.line);
          if (!in_input) {
            ++rejected[line];
            return;
          }
          drops[line].push_back({byte, at.column > 0 ? at.column - 1 : 0});
        });
    ChainPlan plan = target.plan;
    plan.keep_blanks = true;
    BuildChain(chain, plan, make_session,
               [](const InputBoxRequest& request) { return request.default_text; });
    chain.Feed(text);
    const ChainEnd end = chain.Finish();
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
      const std::size_t line_end = output.find('\n', start);
      lines.push_back(std::string_view(output).substr(start, line_end - start));
      if (line_end == std::string::npos) break;
      start = line_end + 1;
    }
    if (!end.completed || misplaced || lines.size() != batched.size()) {
      for (const std::size_t i : batched) results[i] = one(target, stretches[i]);
      return results;
    }
    for (std::size_t k = 0; k < batched.size(); ++k) {
      SegmentResult& result = results[batched[k]];
      result.text = std::string(lines[k]);
      result.dropped = std::move(drops[k]);
      result.rejected = rejected[k];
    }
    return results;
  };
}

void AddProblem(DocumentReport& report, DocumentProblem problem) {
  ++report.problem_count;
  report.problems.push_back(std::move(problem));
  if (report.problems.size() >= 2 * kKeptProblems) OrderPartProblems(report);
}

void OrderPartProblems(DocumentReport& report) {
  std::vector<DocumentProblem>& problems = report.problems;
  if (problems.empty()) return;
  // The part's problems follow those of the parts before it.
  std::size_t start = problems.size() - 1;
  while (start > 0 && problems[start - 1].part == problems.back().part) --start;
  std::stable_sort(
      problems.begin() + static_cast<std::ptrdiff_t>(start), problems.end(),
      [](const DocumentProblem& a, const DocumentProblem& b) { return a.paragraph < b.paragraph; });
  if (problems.size() > kKeptProblems) problems.resize(kKeptProblems);
}

}  // namespace sfc::document
