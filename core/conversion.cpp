#include "conversion.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace sfc {

std::string ByteName(unsigned char byte) {
  static constexpr std::array<std::string_view, 32> kControlNames = {
      "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "TAB", "LF",
      "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
      "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
  if (byte < kControlNames.size()) return std::string(kControlNames[byte]);
  if (byte == 0x7f) return "DEL";
  if (byte < 0x7f) return std::string("'") + static_cast<char>(byte) + "'";
  char name[8];
  std::snprintf(name, sizeof name, "0x%02X", static_cast<unsigned>(byte));
  return name;
}

bool LooksLikeUtf8Text(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
      bytes.starts_with("\xFE\xFF")) {
    return true;
  }
  constexpr std::size_t kLookedAt = 64 * 1024;
  bytes = bytes.substr(0, kLookedAt);
  bool beyond_ascii = false;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07u;
    } else {
      return false;
    }
    std::size_t k = 1;
    for (; k < length && i + k < bytes.size(); ++k) {
      const auto trail = static_cast<unsigned char>(bytes[i + k]);
      if ((trail & 0xC0) != 0x80) return false;
      code = (code << 6) | (trail & 0x3Fu);
    }
    if (k == length) {  // whole: no overlong form, surrogate or code point past U+10FFFF
      const char32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
      if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    }
    beyond_ascii = true;
    i += length;
  }
  return beyond_ascii;
}

namespace {

// The output with the edits undone, from the last to the first.
std::string UndoClipboardEdits(std::string_view output, bool set,
                               const std::vector<ClipboardEdit>& edits) {
  std::string text;
  if (!set) return text;
  // Bytes written apart from the clipboard, in order: leave them out in one pass.
  bool only_insertions_in_order = true;
  for (std::size_t i = 0; i < edits.size() && only_insertions_in_order; ++i) {
    only_insertions_in_order =
        edits[i].removed.empty() && edits[i].at <= output.size() &&
        edits[i].inserted <= output.size() - edits[i].at &&
        (i + 1 == edits.size() || edits[i].at + edits[i].inserted <= edits[i + 1].at);
  }
  if (only_insertions_in_order) {
    text.reserve(output.size());
    std::size_t from = 0;
    for (const ClipboardEdit& edit : edits) {
      text.append(output.substr(from, static_cast<std::size_t>(edit.at) - from));
      from = static_cast<std::size_t>(edit.at + edit.inserted);
    }
    text.append(output.substr(from));
    return text;
  }
  text.assign(output);
  for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
    const auto at = static_cast<std::size_t>(std::min<std::uint64_t>(edit->at, text.size()));
    const auto inserted = static_cast<std::size_t>(edit->inserted);
    text.replace(at, inserted, edit->removed);
  }
  return text;
}

}  // namespace

std::string ClipboardText(std::string_view output, const StreamEnd& end) {
  return UndoClipboardEdits(output, end.clipboard_set, end.clipboard_edits);
}

std::string ConversionResult::Clipboard() const {
  return UndoClipboardEdits(output, clipboard_set, clipboard_edits);
}

// One line for all the bytes no rule took, the most frequent first:
// "12 bytes had no rule and were left out: 9 × TAB (first at 3:14), ...".
std::string DescribeDropped(const DroppedBytes& dropped, std::string_view where) {
  if (dropped.empty()) return {};
  std::vector<unsigned char> kinds;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    if (dropped.count[byte] > 0) kinds.push_back(static_cast<unsigned char>(byte));
  }
  // The most frequent first; of equally frequent ones, the one met first.
  const auto first_at = [&](unsigned char byte) {
    const std::vector<InputPosition>& at = dropped.first_positions[byte];
    return at.empty() ? std::pair<std::uint64_t, std::uint64_t>{}
                      : std::pair{at.front().line, at.front().column};
  };
  std::stable_sort(kinds.begin(), kinds.end(), [&](unsigned char a, unsigned char b) {
    if (dropped.count[a] != dropped.count[b]) return dropped.count[a] > dropped.count[b];
    return first_at(a) < first_at(b);
  });
  constexpr std::size_t kKindsNamed = 8;
  std::string line =
      std::to_string(dropped.total) + (dropped.total == 1 ? " byte" : " bytes") +
      std::string(where) +
      (dropped.total == 1 ? " had no rule and was left out: " : " had no rule and were left out: ");
  for (std::size_t i = 0; i < kinds.size() && i < kKindsNamed; ++i) {
    const unsigned char byte = kinds[i];
    if (i > 0) line += ", ";
    line += std::to_string(dropped.count[byte]) + " \u00d7 " + ByteName(byte);
    if (!dropped.first_positions[byte].empty()) {
      line += " (first at " + std::to_string(dropped.first_positions[byte].front().line) + ":" +
              std::to_string(dropped.first_positions[byte].front().column) + ")";
    }
  }
  if (kinds.size() > kKindsNamed) {
    const std::size_t more = kinds.size() - kKindsNamed;
    line += ", and " + std::to_string(more) + (more == 1 ? " more kind" : " more kinds");
  }
  return line;
}

}  // namespace sfc

namespace sfc {

namespace {

// Bytes in double quotes: printable ASCII as it is (with \" and \\), LF,
// CR and TAB as \n, \r and \t, every other byte as \xNN.
std::string QuotedBytes(std::string_view bytes, bool more_before, bool more_after) {
  std::string text = "\"";
  if (more_before) text += "...";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      text += '\\';
      text += c;
    } else if (byte >= 0x20 && byte < 0x7f) {
      text += c;
    } else if (byte == '\n' || byte == '\r' || byte == '\t') {
      text += byte == '\n' ? "\\n" : byte == '\r' ? "\\r" : "\\t";
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(byte));
      text += escape;
    }
  }
  if (more_after) text += "...";
  return text + "\"";
}

}  // namespace

std::string DescribeStop(const RunStop& stop, std::string_view where) {
  std::string line = "stopped at line " + std::to_string(stop.at.line) + ", column " +
                     std::to_string(stop.at.column) + std::string(where) + " (byte " +
                     std::to_string(stop.offset + 1) + ")";
  if (!stop.after.empty()) {
    line += ", at " + QuotedBytes(stop.after, false, stop.after.size() >= RunStop::kContext);
    if (!stop.before.empty()) {
      line += " after " + QuotedBytes(stop.before,
                                      stop.before.size() >= RunStop::kContext &&
                                          stop.offset > stop.before.size(),
                                      false);
    }
  }
  return line + "; the rest of the input was not converted";
}

std::string DescribeStop(const StreamEnd& end) {
  if (end.completed) return {};
  if (!end.stop) return "the conversion was cut short";
  return DescribeStop(*end.stop);
}

}  // namespace sfc
