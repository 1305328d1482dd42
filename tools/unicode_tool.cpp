// sfc_unicode_tool: converts standard input to standard output.
//   --to devanagari             IAST (UTF-8) -> Devanagari (UTF-8)
//   --to iast                   Devanagari (UTF-8) -> IAST (UTF-8)
//   --to iast --font NAME       the bytes of a transliteration font -> IAST
//   --to font --font NAME       IAST -> the bytes of a transliteration font
// Characters the conversion cannot place are listed on standard error, one a
// line ("U+0310 at line 201, column 11"); the exit status is 0 all the same,
// 2 for wrong arguments.

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "translit_letters.h"
#include "unicode/font_iast.h"
#include "unicode/iast_devanagari.h"

namespace {

int Usage() {
  std::cerr << "usage: sfc_unicode_tool --to devanagari|iast|font [--font NAME]\n"
               "fonts: URW Palladio IT, Sanskrit-Times, ITRTransTimes\n";
  return 2;
}

template <class Stream>
void Run(Stream& stream) {
  std::string block(std::size_t{1} << 16, '\0');
  while (true) {
    const std::size_t read = std::fread(block.data(), 1, block.size(), stdin);
    if (read == 0) break;
    stream.Feed(std::string_view(block.data(), read));
  }
  stream.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  std::string to;
  std::optional<std::string> font_name;
  for (int k = 1; k < argc; ++k) {
    const std::string_view arg = argv[k];
    if (arg == "--to" && k + 1 < argc) {
      to = argv[++k];
    } else if (arg == "--font" && k + 1 < argc) {
      font_name = argv[++k];
    } else {
      return Usage();
    }
  }
  std::optional<sfc::FontLetters> letters;
  if (font_name) {
    const auto font = sfc::FindTranslitFont(*font_name);
    if (!font) return Usage();
    letters.emplace(sfc::GetTranslitLetters(*font));
  }
  std::ios::sync_with_stdio(false);
  const sfc::UnicodeSink sink = [](std::string_view piece) {
    std::fwrite(piece.data(), 1, piece.size(), stdout);
  };
  const sfc::RejectSink rejects = [](const sfc::UnicodeReject& reject) {
    std::fprintf(stderr, "%s\n", sfc::DescribeReject(reject).c_str());
  };
  if (to == "devanagari" && !letters) {
    sfc::IastToDevanagariStream stream(sink, rejects);
    Run(stream);
  } else if (to == "iast" && !letters) {
    sfc::DevanagariToIastStream stream(sink, rejects);
    Run(stream);
  } else if (to == "iast" && letters) {
    sfc::FontToIastStream stream(*letters, sink);
    Run(stream);
  } else if (to == "font" && letters) {
    sfc::IastToFontStream stream(*letters, sink, rejects);
    Run(stream);
  } else {
    return Usage();
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
