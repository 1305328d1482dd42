#include "font_iast.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "iast_normalize.h"

namespace sfc {

namespace {

using namespace std::string_view_literals;

// IAST of each letter, in the order of Letter.
constexpr std::array<std::string_view, kLetterCount> kLetterIast = {
    "ā"sv, "ī"sv, "ū"sv, "ṛ"sv, "ṝ"sv, "ṃ"sv, "ḥ"sv, "ṅ"sv, "ñ"sv,
    "ṭ"sv, "ḍ"sv, "ṇ"sv, "ś"sv, "ṣ"sv, "_"sv, "ḷ"sv, "ḹ"sv, "ñaṃ"sv};

// Windows-1252 bytes 0x80 to 0x9F; the five it leaves free stand for the C1
// control of the same number.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252Char(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80u] : char32_t{byte};
}

// The Windows-1252 byte of a character, or 0.
unsigned char Cp1252Byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (std::size_t k = 0; k < kCp1252High.size(); ++k) {
    if (kCp1252High[k] == cp) return static_cast<unsigned char>(0x80 + k);
  }
  return 0;
}

// The letter an IAST character is written with, or 0.
int LetterOf(char32_t cp) {
  switch (cp) {
    case 0x0101:
      return static_cast<int>(Letter::kLongA);
    case 0x012B:
      return static_cast<int>(Letter::kLongI);
    case 0x016B:
      return static_cast<int>(Letter::kLongU);
    case 0x1E5B:
      return static_cast<int>(Letter::kVocalicR);
    case 0x1E5D:
      return static_cast<int>(Letter::kLongVocalicR);
    case 0x1E43:
      return static_cast<int>(Letter::kAnusvara);
    case 0x1E25:
      return static_cast<int>(Letter::kVisarga);
    case 0x1E45:
      return static_cast<int>(Letter::kVelarN);
    case 0x00F1:
      return static_cast<int>(Letter::kPalatalN);
    case 0x1E6D:
      return static_cast<int>(Letter::kRetroflexT);
    case 0x1E0D:
      return static_cast<int>(Letter::kRetroflexD);
    case 0x1E47:
      return static_cast<int>(Letter::kRetroflexN);
    case 0x015B:
      return static_cast<int>(Letter::kPalatalS);
    case 0x1E63:
      return static_cast<int>(Letter::kRetroflexS);
    case U'_':
      return static_cast<int>(Letter::kHiddenDash);
    case 0x1E37:
      return static_cast<int>(Letter::kVocalicL);
    case 0x1E39:
      return static_cast<int>(Letter::kLongVocalicL);
    default:
      return 0;
  }
}

}  // namespace

FontLetters::FontLetters(const TranslitLetters& letters) {
  for (std::size_t k = 0; k < bytes.size(); ++k) bytes[k] = std::string(letters.bytes[k]);
}

std::string_view LetterIast(Letter letter) {
  return kLetterIast[static_cast<std::size_t>(letter) - 1];
}

// ---- Font bytes to IAST ----

class FontToIastStream::Engine {
 public:
  Engine(const FontLetters& letters, UnicodeSink sink)
      : sink_(std::move(sink)), cutter_(CutBytes(letters)) {
    for (int byte = 0; byte < 256; ++byte) {
      std::string& text = single_[static_cast<std::size_t>(byte)];
      utf8::Append(text, Cp1252Char(static_cast<unsigned char>(byte)));
    }
    for (std::size_t k = 0; k < letters.bytes.size(); ++k) {
      Add(letters.bytes[k], kLetterIast[k]);
    }
    Add("//", "||");
    Add("/", "|");
    for (auto& list : matches_) {
      std::stable_sort(list.begin(), list.end(), [](const Match& a, const Match& b) {
        return a.bytes.size() > b.bytes.size();
      });
      for (const Match& match : list) {
        growth_ =
            std::max(growth_, (match.iast.size() + match.bytes.size() - 1) / match.bytes.size());
      }
    }
    for (const std::string& text : single_) growth_ = std::max(growth_, text.size());
  }

  void Feed(std::string_view block) {
    cutter_.Feed(block, [this](std::string_view piece) { Convert(piece); });
  }
  void Finish() {
    cutter_.Finish([this](std::string_view piece) { Convert(piece); });
  }

 private:
  struct Match {
    std::string bytes;
    std::string_view iast;
  };

  // A piece may end after a space or a line feed unless a letter holds one.
  static std::string CutBytes(const FontLetters& letters) {
    std::string cut;
    for (char c : {' ', '\n'}) {
      const bool in_letter =
          std::any_of(letters.bytes.begin(), letters.bytes.end(),
                      [c](const std::string& b) { return b.find(c) != std::string::npos; });
      if (!in_letter) cut += c;
    }
    return cut;
  }

  void Add(const std::string& bytes, std::string_view iast) {
    if (bytes.empty()) return;
    matches_[static_cast<unsigned char>(bytes[0])].push_back({bytes, iast});
  }

  // The output is written through a pointer into room made for the whole
  // piece (`growth_` bytes for each byte read at most).
  void Convert(std::string_view piece) {
    out_.Clear();
    char* w = out_.Room(piece.size() * growth_);
    auto put = [&w](std::string_view text) {
      std::memcpy(w, text.data(), text.size());
      w += text.size();
    };
    std::size_t at = 0;
    while (at < piece.size()) {
      const auto byte = static_cast<unsigned char>(piece[at]);
      const std::vector<Match>& list = matches_[byte];
      bool matched = false;
      for (const Match& match : list) {
        if (piece.compare(at, match.bytes.size(), match.bytes) == 0) {
          put(match.iast);
          at += match.bytes.size();
          matched = true;
          break;
        }
      }
      if (matched) continue;
      if (byte < 0x80) {
        *w++ = static_cast<char>(byte);
      } else {
        put(single_[byte]);
      }
      ++at;
    }
    out_.Commit(w);
    if (!out_.empty()) sink_(out_.View());
  }

  UnicodeSink sink_;
  PieceCutter cutter_;
  std::array<std::vector<Match>, 256> matches_;
  std::array<std::string, 256> single_;
  std::size_t growth_ = 1;  // the most output bytes for one byte read
  OutputBuffer out_;
};

FontToIastStream::FontToIastStream(const FontLetters& letters, UnicodeSink sink)
    : engine_(std::make_unique<Engine>(letters, std::move(sink))) {}
FontToIastStream::~FontToIastStream() = default;
void FontToIastStream::Feed(std::string_view block) { engine_->Feed(block); }
void FontToIastStream::Finish() { engine_->Finish(); }

// ---- IAST to font bytes ----

class IastToFontStream::Engine {
 public:
  Engine(const FontLetters& letters, UnicodeSink sink, RejectSink rejects)
      : letters_(letters), sink_(std::move(sink)), rejects_(std::move(rejects)) {
    for (const std::string& bytes : letters_.bytes) {
      for (char c : bytes) taken_[static_cast<unsigned char>(c)] = true;
    }
  }

  void Feed(std::string_view block) {
    input_.Feed(block, [this](std::string_view piece) { Convert(piece); });
  }
  void Finish() {
    input_.Finish([this](std::string_view piece) { Convert(piece); });
  }

 private:
  void Reject(char32_t cp, std::uint64_t line, std::uint64_t column) {
    if (rejects_) rejects_(UnicodeReject{cp, line, column});
  }

  void Convert(std::string_view piece) {
    out_.clear();
    out_.reserve(piece.size());
    ReadIast(piece, position_, [this](char32_t cp, std::uint64_t line, std::uint64_t column) {
      if (const int letter = LetterOf(cp); letter != 0) {
        const std::string& bytes = letters_.bytes[static_cast<std::size_t>(letter - 1)];
        if (bytes.empty()) {
          Reject(cp, line, column);
        } else {
          out_ += bytes;
        }
      } else if (cp == U'|' || cp == 0x0964) {
        out_ += '/';
      } else if (cp == 0x0965) {
        out_ += "//";
      } else if (cp < 0x80) {
        out_ += static_cast<char>(cp);
      } else if (const unsigned char byte = Cp1252Byte(cp); byte != 0 && !taken_[byte]) {
        out_ += static_cast<char>(byte);
      } else {
        Reject(cp, line, column);
      }
    });
    if (!out_.empty()) sink_(out_);
  }

  FontLetters letters_;
  UnicodeSink sink_;
  RejectSink rejects_;
  Utf8Pieces input_;
  TextPosition position_;
  std::array<bool, 256> taken_{};
  std::string out_;
};

IastToFontStream::IastToFontStream(const FontLetters& letters, UnicodeSink sink, RejectSink rejects)
    : engine_(std::make_unique<Engine>(letters, std::move(sink), std::move(rejects))) {}
IastToFontStream::~IastToFontStream() = default;
void IastToFontStream::Feed(std::string_view block) { engine_->Feed(block); }
void IastToFontStream::Finish() { engine_->Finish(); }

std::string FontToIast(std::string_view bytes, const FontLetters& letters) {
  std::string out;
  FontToIastStream stream(letters, [&out](std::string_view piece) { out += piece; });
  stream.Feed(bytes);
  stream.Finish();
  return out;
}

UnicodeResult IastToFont(std::string_view iast, const FontLetters& letters) {
  UnicodeResult result;
  IastToFontStream stream(
      letters, [&result](std::string_view piece) { result.text += piece; },
      [&result](const UnicodeReject& reject) { result.rejects.push_back(reject); });
  stream.Feed(iast);
  stream.Finish();
  return result;
}

}  // namespace sfc
