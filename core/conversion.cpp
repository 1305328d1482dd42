#include "conversion.h"

#include <algorithm>

namespace sfc {

std::string ClipboardText(std::string_view output, const StreamEnd& end) {
  if (!end.clipboard_set) return {};
  const auto& edits = end.clipboard_edits;
  // Bytes written apart from the clipboard, in order: leave them out in one pass.
  bool only_insertions_in_order = true;
  for (std::size_t i = 0; i < edits.size() && only_insertions_in_order; ++i) {
    only_insertions_in_order =
        edits[i].removed.empty() && edits[i].at <= output.size() &&
        edits[i].inserted <= output.size() - edits[i].at &&
        (i + 1 == edits.size() || edits[i].at + edits[i].inserted <= edits[i + 1].at);
  }
  if (only_insertions_in_order) {
    std::string text;
    text.reserve(output.size());
    std::size_t from = 0;
    for (const ClipboardEdit& edit : edits) {
      text.append(output.substr(from, static_cast<std::size_t>(edit.at) - from));
      from = static_cast<std::size_t>(edit.at + edit.inserted);
    }
    text.append(output.substr(from));
    return text;
  }
  std::string text(output);
  for (auto edit = end.clipboard_edits.rbegin(); edit != end.clipboard_edits.rend(); ++edit) {
    const auto at = static_cast<std::size_t>(std::min<std::uint64_t>(edit->at, text.size()));
    const auto inserted = static_cast<std::size_t>(edit->inserted);
    text.replace(at, inserted, edit->removed);
  }
  return text;
}

}  // namespace sfc
