#include "iast_devanagari.h"

#include <array>
#include <utility>
#include <vector>

#include "iast_normalize.h"

namespace sfc {

namespace {

using namespace std::string_view_literals;

constexpr char32_t kVirama = 0x094D;
constexpr char32_t kAnusvara = 0x0902;
constexpr char32_t kVisarga = 0x0903;
constexpr char32_t kCandrabindu = 0x0901;
constexpr char32_t kAvagraha = 0x093D;
constexpr char32_t kOm = 0x0950;
constexpr char32_t kDanda = 0x0964;
constexpr char32_t kDoubleDanda = 0x0965;
constexpr char32_t kDigitZero = 0x0966;
constexpr char32_t kCombiningCandrabindu = 0x0310;

constexpr char32_t kSmallAnusvara = 0x1E43;  // ṃ
constexpr char32_t kSmallVisarga = 0x1E25;   // ḥ

// ---- IAST letters ----

// The Devanagari consonant of an IAST consonant, or 0. `aspirable`: the
// letter with "h" after it is the next consonant of the alphabet (k, kh).
char32_t ConsonantOf(char32_t cp, bool& aspirable) {
  aspirable = false;
  switch (cp) {
    case U'k':
      aspirable = true;
      return 0x0915;
    case U'g':
      aspirable = true;
      return 0x0917;
    case 0x1E45:
      return 0x0919;  // ṅ
    case U'c':
      aspirable = true;
      return 0x091A;
    case U'j':
      aspirable = true;
      return 0x091C;
    case 0x00F1:
      return 0x091E;  // ñ
    case 0x1E6D:
      aspirable = true;
      return 0x091F;  // ṭ
    case 0x1E0D:
      aspirable = true;
      return 0x0921;  // ḍ
    case 0x1E47:
      return 0x0923;  // ṇ
    case U't':
      aspirable = true;
      return 0x0924;
    case U'd':
      aspirable = true;
      return 0x0926;
    case U'n':
      return 0x0928;
    case U'p':
      aspirable = true;
      return 0x092A;
    case U'b':
      aspirable = true;
      return 0x092C;
    case U'm':
      return 0x092E;
    case U'y':
      return 0x092F;
    case U'r':
      return 0x0930;
    case U'l':
      return 0x0932;
    case 0x1E3B:
      return 0x0933;  // ḻ
    case U'v':
      return 0x0935;
    case 0x015B:
      return 0x0936;  // ś
    case 0x1E63:
      return 0x0937;  // ṣ
    case U's':
      return 0x0938;
    case U'h':
      return 0x0939;
    default:
      return 0;
  }
}

struct Vowel {
  char32_t letter = 0;  // the vowel letter
  char32_t sign = 0;    // the vowel sign; 0 for the inherent a
};

// The Devanagari of an IAST vowel (not the diphthongs), or letter 0.
Vowel VowelOf(char32_t cp) {
  switch (cp) {
    case U'a':
      return {0x0905, 0};
    case 0x0101:
      return {0x0906, 0x093E};  // ā
    case U'i':
    case 0x00EF:
      return {0x0907, 0x093F};  // i, ï
    case 0x012B:
      return {0x0908, 0x0940};  // ī
    case U'u':
    case 0x00FC:
      return {0x0909, 0x0941};  // u, ü
    case 0x016B:
      return {0x090A, 0x0942};  // ū
    case 0x1E5B:
      return {0x090B, 0x0943};  // ṛ
    case 0x1E5D:
      return {0x0960, 0x0944};  // ṝ
    case 0x1E37:
      return {0x090C, 0x0962};  // ḷ
    case 0x1E39:
      return {0x0961, 0x0963};  // ḹ
    case U'e':
      return {0x090F, 0x0947};
    case U'o':
      return {0x0913, 0x094B};
    default:
      return {};
  }
}
constexpr Vowel kAi = {0x0910, 0x0948};
constexpr Vowel kAu = {0x0914, 0x094C};

// What an IAST character is, found once as it is read.
enum class IastKind : unsigned char { kOther, kConsonant, kAspirableConsonant, kVowel, kMark };

struct IastClass {
  IastKind kind = IastKind::kOther;
  char32_t letter = 0;  // the consonant, or the vowel letter
  char32_t sign = 0;    // the vowel sign
};

IastClass ClassifySlow(char32_t cp) {
  bool aspirable = false;
  if (const char32_t consonant = ConsonantOf(cp, aspirable); consonant != 0) {
    return {aspirable ? IastKind::kAspirableConsonant : IastKind::kConsonant, consonant, 0};
  }
  if (const Vowel vowel = VowelOf(cp); vowel.letter != 0) {
    return {IastKind::kVowel, vowel.letter, vowel.sign};
  }
  if (cp == kSmallAnusvara || cp == kSmallVisarga) return {IastKind::kMark, 0, 0};
  return {};
}

const std::array<IastClass, 128> kAsciiClasses = [] {
  std::array<IastClass, 128> table{};
  for (char32_t cp = 0; cp < 128; ++cp) table[cp] = ClassifySlow(cp);
  return table;
}();

inline IastClass Classify(char32_t cp) { return cp < 128 ? kAsciiClasses[cp] : ClassifySlow(cp); }

bool IsLetterClass(IastKind kind) { return kind != IastKind::kOther; }

// Appends a character of U+0800 to U+FFFF (all of Devanagari).
// Writes a character as UTF-8 at `w`; returns the end of what it wrote.
inline char* PutUtf8(char* w, char32_t cp) {
  if (cp < 0x80) {
    *w++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *w++ = static_cast<char>(0xC0 | (cp >> 6));
    *w++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *w++ = static_cast<char>(0xE0 | (cp >> 12));
    *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *w++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *w++ = static_cast<char>(0xF0 | (cp >> 18));
    *w++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *w++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return w;
}

// ---- Devanagari letters ----

enum class Kind : unsigned char {
  kUnknown,
  kConsonant,
  kNuktaConsonant,  // a consonant with the nukta, written without it
  kVowelLetter,
  kVowelSign,
  kViramaMark,
  kNuktaMark,
  kSign,  // anusvara, visarga, candrabindu, avagraha, dandas, digits, om
};

struct DevanagariChar {
  Kind kind = Kind::kUnknown;
  std::string_view iast;
};

// U+0900 to U+097F.
const std::array<DevanagariChar, 128>& DevanagariTable() {
  static const std::array<DevanagariChar, 128> table = [] {
    std::array<DevanagariChar, 128> t{};
    auto set = [&t](char32_t cp, Kind kind, std::string_view iast) {
      t[cp - 0x900] = {kind, iast};
    };
    constexpr std::array<std::string_view, 37> kConsonants = {
        "k"sv, "kh"sv, "g"sv,  "gh"sv, "ṅ"sv,  "c"sv, "ch"sv, "j"sv, "jh"sv, "ñ"sv,
        "ṭ"sv, "ṭh"sv, "ḍ"sv,  "ḍh"sv, "ṇ"sv,  "t"sv, "th"sv, "d"sv, "dh"sv, "n"sv,
        "n"sv, "p"sv,  "ph"sv, "b"sv,  "bh"sv, "m"sv, "y"sv,  "r"sv, "r"sv,  "l"sv,
        "ḻ"sv, "ḻ"sv,  "v"sv,  "ś"sv,  "ṣ"sv,  "s"sv, "h"sv};
    for (std::size_t k = 0; k < kConsonants.size(); ++k) {
      const auto cp = static_cast<char32_t>(0x0915 + k);
      const bool nukta = cp == 0x0929 || cp == 0x0931 || cp == 0x0934;  // ऩ ऱ ऴ
      set(cp, nukta ? Kind::kNuktaConsonant : Kind::kConsonant, kConsonants[k]);
    }
    constexpr std::array<std::string_view, 8> kNuktaConsonants = {
        "k"sv, "kh"sv, "g"sv, "j"sv, "ḍ"sv, "ḍh"sv, "ph"sv, "y"sv};  // क़ to य़
    for (std::size_t k = 0; k < kNuktaConsonants.size(); ++k) {
      set(static_cast<char32_t>(0x0958 + k), Kind::kNuktaConsonant, kNuktaConsonants[k]);
    }
    set(0x0905, Kind::kVowelLetter, "a");
    set(0x0906, Kind::kVowelLetter, "ā");
    set(0x0907, Kind::kVowelLetter, "i");
    set(0x0908, Kind::kVowelLetter, "ī");
    set(0x0909, Kind::kVowelLetter, "u");
    set(0x090A, Kind::kVowelLetter, "ū");
    set(0x090B, Kind::kVowelLetter, "ṛ");
    set(0x0960, Kind::kVowelLetter, "ṝ");
    set(0x090C, Kind::kVowelLetter, "ḷ");
    set(0x0961, Kind::kVowelLetter, "ḹ");
    set(0x090F, Kind::kVowelLetter, "e");
    set(0x0910, Kind::kVowelLetter, "ai");
    set(0x0913, Kind::kVowelLetter, "o");
    set(0x0914, Kind::kVowelLetter, "au");
    set(0x093E, Kind::kVowelSign, "ā");
    set(0x093F, Kind::kVowelSign, "i");
    set(0x0940, Kind::kVowelSign, "ī");
    set(0x0941, Kind::kVowelSign, "u");
    set(0x0942, Kind::kVowelSign, "ū");
    set(0x0943, Kind::kVowelSign, "ṛ");
    set(0x0944, Kind::kVowelSign, "ṝ");
    set(0x0962, Kind::kVowelSign, "ḷ");
    set(0x0963, Kind::kVowelSign, "ḹ");
    set(0x0947, Kind::kVowelSign, "e");
    set(0x0948, Kind::kVowelSign, "ai");
    set(0x094B, Kind::kVowelSign, "o");
    set(0x094C, Kind::kVowelSign, "au");
    set(kVirama, Kind::kViramaMark, "");
    set(0x093C, Kind::kNuktaMark, "");
    set(kAnusvara, Kind::kSign, "ṃ");
    set(kVisarga, Kind::kSign, "ḥ");
    set(kCandrabindu, Kind::kSign, "m̐");
    set(kAvagraha, Kind::kSign, "'");
    set(kDanda, Kind::kSign, "|");
    set(kDoubleDanda, Kind::kSign, "||");
    set(kOm, Kind::kSign, "oṃ");
    constexpr std::array<std::string_view, 10> kDigits = {"0"sv, "1"sv, "2"sv, "3"sv, "4"sv,
                                                          "5"sv, "6"sv, "7"sv, "8"sv, "9"sv};
    for (std::size_t k = 0; k < kDigits.size(); ++k) {
      set(static_cast<char32_t>(kDigitZero + k), Kind::kSign, kDigits[k]);
    }
    return t;
  }();
  return table;
}

}  // namespace

// ---- IAST to Devanagari ----

class IastToDevanagariStream::Engine {
 public:
  Engine(UnicodeSink sink, RejectSink rejects)
      : sink_(std::move(sink)), rejects_(std::move(rejects)) {}

  void Feed(std::string_view block) {
    input_.Feed(block, [this](std::string_view piece) { Convert(piece); });
  }
  void Finish() {
    input_.Finish([this](std::string_view piece) { Convert(piece); });
  }

 private:
  struct Read {
    char32_t cp;
    IastClass what;
    std::uint64_t line;
    std::uint64_t column;
  };

  void Convert(std::string_view piece) {
    out_.Clear();
    ReadIast(piece, position_, [this](char32_t cp, std::uint64_t line, std::uint64_t column) {
      if (cp == U' ' || cp == U'\n') {
        ConvertWord();
        char* w = out_.Room(1);
        *w++ = static_cast<char>(cp);
        out_.Commit(w);
      } else {
        word_.push_back({cp, Classify(cp), line, column});
      }
    });
    ConvertWord();
    if (!out_.empty()) sink_(out_.View());
  }

  void Reject(const Read& read) {
    if (rejects_) rejects_(UnicodeReject{read.cp, read.line, read.column});
  }

  // One word: the characters between two spaces or line ends. The output is
  // written through a pointer into room made for the whole word: each
  // character read writes at most four bytes of its own and the three of a
  // virama that ends the consonant before it (or the word).
  void ConvertWord() {
    const std::size_t count = word_.size();
    if (count == 0) return;
    char* w = out_.Room(7 * count + 3);
    auto put = [&w](char32_t cp) { w = PutUtf8(w, cp); };
    bool pending = false;  // a consonant written without its vowel
    auto end_consonant = [&put, &pending] {
      if (pending) put(kVirama);
      pending = false;
    };
    std::size_t at = 0;
    while (at < count) {
      const char32_t cp = word_[at].cp;
      const IastClass what = word_[at].what;
      const char32_t next = at + 1 < count ? word_[at + 1].cp : 0;
      if (what.kind == IastKind::kConsonant || what.kind == IastKind::kAspirableConsonant) {
        char32_t consonant = what.letter;
        if (cp == U'm' && next == kCombiningCandrabindu) {  // m̐
          end_consonant();
          put(kCandrabindu);
          at += 2;
          continue;
        }
        ++at;
        if (what.kind == IastKind::kAspirableConsonant && next == U'h') {
          ++consonant;
          ++at;
        }
        if (pending) put(kVirama);
        put(consonant);
        pending = true;
        continue;
      }
      if (what.kind == IastKind::kVowel) {
        Vowel vowel{what.letter, what.sign};
        ++at;
        if (cp == U'a' && next == U'i') {
          vowel = kAi;
          ++at;
        } else if (cp == U'a' && next == U'u') {
          vowel = kAu;
          ++at;
        } else if (cp == U'o' && next == kSmallAnusvara && !pending &&
                   (at == 1 || !IsLetterClass(word_[at - 2].what.kind))) {
          put(kOm);
          ++at;
          continue;
        }
        if (!pending) {
          put(vowel.letter);
        } else if (vowel.sign != 0) {
          put(vowel.sign);
        }
        pending = false;
        continue;
      }
      end_consonant();
      ++at;
      switch (cp) {
        case kSmallAnusvara:
          put(kAnusvara);
          break;
        case kSmallVisarga:
          put(kVisarga);
          break;
        case kCombiningCandrabindu:
          put(kCandrabindu);
          break;
        case U'\'':
        case 0x2019:
          put(kAvagraha);
          break;
        case U'|':
          if (next == U'|') {
            put(kDoubleDanda);
            ++at;
          } else {
            put(kDanda);
          }
          break;
        case kDanda:
        case kDoubleDanda:
          put(cp);
          break;
        default:
          if (cp >= U'0' && cp <= U'9') {
            put(kDigitZero + (cp - U'0'));
          } else {
            if (cp >= 0x80 || (cp >= U'a' && cp <= U'z')) Reject(word_[at - 1]);
            put(cp);
          }
      }
    }
    end_consonant();
    out_.Commit(w);
    word_.clear();
  }

  UnicodeSink sink_;
  RejectSink rejects_;
  Utf8Pieces input_;
  TextPosition position_;
  std::vector<Read> word_;
  OutputBuffer out_;
};

IastToDevanagariStream::IastToDevanagariStream(UnicodeSink sink, RejectSink rejects)
    : engine_(std::make_unique<Engine>(std::move(sink), std::move(rejects))) {}
IastToDevanagariStream::~IastToDevanagariStream() = default;
void IastToDevanagariStream::Feed(std::string_view block) { engine_->Feed(block); }
void IastToDevanagariStream::Finish() { engine_->Finish(); }

// ---- Devanagari to IAST ----

class DevanagariToIastStream::Engine {
 public:
  Engine(UnicodeSink sink, RejectSink rejects)
      : sink_(std::move(sink)), rejects_(std::move(rejects)), table_(DevanagariTable()) {}

  void Feed(std::string_view block) {
    input_.Feed(block, [this](std::string_view piece) { Convert(piece); });
  }
  void Finish() {
    input_.Finish([this](std::string_view piece) { Convert(piece); });
  }

 private:
  void Convert(std::string_view piece) {
    out_.clear();
    out_.reserve(piece.size());
    bool pending = false;  // a consonant written, its vowel not yet
    bool after_a = false;  // the last letter written is the vowel a
    auto end_consonant = [this, &pending, &after_a] {
      if (pending) {
        out_ += 'a';
        pending = false;
        after_a = true;
      }
    };
    std::size_t at = 0;
    while (at < piece.size()) {
      const char32_t cp = utf8::Decode(piece, at);
      ++position_.column;
      if (cp < 0x80) {
        end_consonant();
        after_a = false;
        out_ += static_cast<char>(cp);
        if (cp == U'\n') {
          ++position_.line;
          position_.column = 0;
        }
        continue;
      }
      if (cp >= 0x900 && cp < 0x980) {
        const DevanagariChar& dev = table_[cp - 0x900];
        switch (dev.kind) {
          case Kind::kNuktaConsonant:
            Reject(cp);
            [[fallthrough]];
          case Kind::kConsonant:
            end_consonant();
            out_ += dev.iast;
            pending = true;
            after_a = false;
            continue;
          case Kind::kVowelSign:
            if (!pending) Reject(cp);
            out_ += dev.iast;
            pending = false;
            after_a = false;
            continue;
          case Kind::kViramaMark:
            if (!pending) Reject(cp);
            pending = false;
            continue;
          case Kind::kNuktaMark:
            Reject(cp);
            continue;
          case Kind::kVowelLetter:
            end_consonant();
            if (after_a && cp == 0x0907) {
              out_ += "ï";
            } else if (after_a && cp == 0x0909) {
              out_ += "ü";
            } else {
              out_ += dev.iast;
            }
            after_a = cp == 0x0905;
            continue;
          case Kind::kSign:
            end_consonant();
            out_ += dev.iast;
            after_a = false;
            continue;
          case Kind::kUnknown:
            break;
        }
      } else if (cp == 0x200C || cp == 0x200D) {  // zero-width non-joiner, joiner
        Reject(cp);
        continue;
      }
      end_consonant();
      after_a = false;
      Reject(cp);
      utf8::Append(out_, cp);
    }
    end_consonant();
    if (!out_.empty()) sink_(out_);
  }

  void Reject(char32_t cp) {
    if (rejects_) rejects_(UnicodeReject{cp, position_.line, position_.column});
  }

  UnicodeSink sink_;
  RejectSink rejects_;
  const std::array<DevanagariChar, 128>& table_;
  Utf8Pieces input_;
  TextPosition position_;
  std::string out_;
};

DevanagariToIastStream::DevanagariToIastStream(UnicodeSink sink, RejectSink rejects)
    : engine_(std::make_unique<Engine>(std::move(sink), std::move(rejects))) {}
DevanagariToIastStream::~DevanagariToIastStream() = default;
void DevanagariToIastStream::Feed(std::string_view block) { engine_->Feed(block); }
void DevanagariToIastStream::Finish() { engine_->Finish(); }

namespace {

template <class Stream>
UnicodeResult RunWhole(std::string_view text) {
  UnicodeResult result;
  Stream stream([&result](std::string_view piece) { result.text += piece; },
                [&result](const UnicodeReject& reject) { result.rejects.push_back(reject); });
  stream.Feed(text);
  stream.Finish();
  return result;
}

}  // namespace

UnicodeResult IastToDevanagari(std::string_view iast) {
  return RunWhole<IastToDevanagariStream>(iast);
}

UnicodeResult DevanagariToIast(std::string_view devanagari) {
  return RunWhole<DevanagariToIastStream>(devanagari);
}

}  // namespace sfc
