#include "byte_text.h"

#include <QFont>
#include <QFontDatabase>
#include <QRawFont>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace sfc::ui {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; the rest of the bytes are their own code
// points. The five undefined bytes stand for the C1 controls of the same value.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr std::array<char16_t, 256> MakeTranslitTable() {
  std::array<char16_t, 256> table{};
  for (int b = 0; b < 256; ++b) {
    table[b] = (b >= 0x80 && b < 0xA0) ? kHighControlRange[b - 0x80] : static_cast<char16_t>(b);
  }
  return table;
}

constexpr std::array<char16_t, 256> MakeSymbolTable() {
  std::array<char16_t, 256> table{};
  for (int b = 0; b < 256; ++b) {
    table[b] = static_cast<char16_t>(b < 0x20 ? b : 0xF000 + b);
  }
  return table;
}

constexpr std::array<char16_t, 256> kTranslitTable = MakeTranslitTable();
constexpr std::array<char16_t, 256> kSymbolTable = MakeSymbolTable();

constexpr int kNoByte = -1;

// Character to byte, in two steps: the character's high byte picks a page of
// 256 entries, the low byte the entry (a byte, or kNoByte). Page 0 is empty and
// stands for every high byte without characters.
class ByteLookup {
 public:
  // With symbol_range, U+F000 to U+F0FF are their low bytes as well.
  constexpr explicit ByteLookup(bool symbol_range) : page_of_{}, pages_{} {
    for (auto& page : pages_) page.fill(static_cast<std::int16_t>(kNoByte));
    int used = 1;
    const auto add = [&](char16_t c, int byte) {
      const int high = c >> 8;
      if (page_of_[high] == 0) page_of_[high] = static_cast<std::uint8_t>(used++);
      pages_[page_of_[high]][c & 0xFF] = static_cast<std::int16_t>(byte);
    };
    for (int b = 0; b < 256; ++b) add(kTranslitTable[b], b);
    if (symbol_range) {
      for (int b = 0; b < 256; ++b) add(static_cast<char16_t>(0xF000 + b), b);
    }
  }

  int ByteOf(char16_t c) const { return pages_[page_of_[c >> 8]][c & 0xFF]; }

 private:
  // Pages for U+00xx, U+01xx, U+02xx, U+20xx, U+21xx and U+F0xx, and the empty one.
  static constexpr int kPages = 7;
  std::array<std::uint8_t, 256> page_of_;
  std::array<std::array<std::int16_t, 256>, kPages> pages_;
};

constexpr ByteLookup kTranslitBytes(false);
constexpr ByteLookup kGlyphBytes(true);

QString BytesToText(std::string_view bytes, const std::array<char16_t, 256>& table) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  for (const char byte : bytes) *out++ = table[static_cast<unsigned char>(byte)];
  return text;
}

DecodedBytes TextToBytes(const QString& text, const ByteLookup& lookup) {
  DecodedBytes decoded;
  const qsizetype length = text.size();
  decoded.bytes.resize(static_cast<std::size_t>(length));
  const auto* in = reinterpret_cast<const char16_t*>(text.constData());
  char* out = decoded.bytes.data();
  qsizetype pairs = 0;  // surrogate pairs so far: one character in two units each
  for (qsizetype i = 0; i < length; ++i) {
    const char16_t c = in[i];
    const int byte = lookup.ByteOf(c);
    if (byte != kNoByte) [[likely]] {
      *out++ = static_cast<char>(static_cast<unsigned char>(byte));
      continue;
    }
    if (decoded.left_out.empty()) {
      // Room for all the rest at once: text that fits no byte may be long.
      std::size_t rest = 0;
      for (qsizetype j = i; j < length; ++j) rest += lookup.ByteOf(in[j]) == kNoByte;
      decoded.left_out.reserve(rest);
    }
    const qsizetype position = i + 1 - pairs;
    char32_t character = c;
    if (QChar::isHighSurrogate(c) && i + 1 < length && QChar::isLowSurrogate(in[i + 1])) {
      character = QChar::surrogateToUcs4(c, in[i + 1]);
      ++pairs;
      ++i;
    }
    decoded.left_out.push_back({position, character});
  }
  decoded.bytes.resize(static_cast<std::size_t>(out - decoded.bytes.data()));
  return decoded;
}

std::uint16_t ReadU16(const QByteArray& data, qsizetype at) {
  return static_cast<std::uint16_t>((static_cast<unsigned char>(data[at]) << 8) |
                                    static_cast<unsigned char>(data[at + 1]));
}

// Whether the font's cmap table has a subtable for platform 3 (Windows),
// encoding 0 (symbol). Returns false when the table is missing or too short.
bool HasSymbolSubtable(const QByteArray& cmap) {
  constexpr qsizetype kHeader = 4;
  constexpr qsizetype kRecord = 8;
  if (cmap.size() < kHeader) return false;
  const qsizetype count = ReadU16(cmap, 2);
  for (qsizetype r = 0; r < count; ++r) {
    const qsizetype at = kHeader + r * kRecord;
    if (at + kRecord > cmap.size()) break;
    if (ReadU16(cmap, at) == 3 && ReadU16(cmap, at + 2) == 0) return true;
  }
  return false;
}

QString CodeName(char32_t character) {
  return QStringLiteral("U+") +
         QString::number(static_cast<uint>(character), 16).toUpper().rightJustified(4, u'0');
}

}  // namespace

QString TranslitBytesToText(std::string_view bytes) { return BytesToText(bytes, kTranslitTable); }

DecodedBytes TranslitTextToBytes(const QString& text) { return TextToBytes(text, kTranslitBytes); }

QString GlyphBytesToText(std::string_view bytes, bool symbol_map) {
  return BytesToText(bytes, symbol_map ? kSymbolTable : kTranslitTable);
}

DecodedBytes GlyphTextToBytes(const QString& text) { return TextToBytes(text, kGlyphBytes); }

QString BoxText(const QTextDocument& document) {
  QString text = document.toRawText();
  for (QChar& c : text) {
    switch (c.unicode()) {
      case 0xFDD0:  // start of a frame
      case 0xFDD1:  // end of a frame
      case QChar::ParagraphSeparator:
      case QChar::LineSeparator:
        c = u'\n';
        break;
      default:
        break;
    }
  }
  return text;
}

LineEnd LineEndOf(std::string_view bytes) {
  bool pair = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n') continue;
    if (i == 0 || bytes[i - 1] != '\r') return LineEnd::kLf;
    pair = true;
  }
  return pair ? LineEnd::kCrLf : LineEnd::kLf;
}

void SetLineEnd(std::string& bytes, LineEnd line_end) {
  if (line_end == LineEnd::kLf) return;
  const auto lone = [&bytes](std::size_t i) { return i == 0 || bytes[i - 1] != '\r'; };
  std::size_t added = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && lone(i)) ++added;
  }
  if (added == 0) return;
  std::string out;
  out.reserve(bytes.size() + added);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && lone(i)) out.push_back('\r');
    out.push_back(bytes[i]);
  }
  bytes = std::move(out);
}

bool HasSymbolCharMap(const QFont& font) {
  const QRawFont raw = QRawFont::fromFont(font);
  if (!raw.isValid()) return false;
  int mapped = 0;
  for (char32_t c = 0xF020; c <= 0xF0FF; ++c) {
    if (raw.supportsCharacter(c)) ++mapped;
  }
  const QByteArray cmap = raw.fontTable("cmap");
  if (!cmap.isEmpty()) return mapped > 0 && HasSymbolSubtable(cmap);
  constexpr int kMostOfTheRange = 0xE0 / 2;
  return mapped >= kMostOfTheRange;
}

bool IsFontInstalled(const QString& family) {
  const QString wanted = family.trimmed();
  if (wanted.isEmpty()) return false;
  const QStringList families = QFontDatabase::families();
  return std::any_of(families.begin(), families.end(), [&wanted](const QString& name) {
    // Families that several foundries supply are listed as "Family [Foundry]".
    const qsizetype bracket = name.indexOf(QLatin1String(" ["));
    const QString plain = bracket < 0 ? name : name.left(bracket);
    return plain.compare(wanted, Qt::CaseInsensitive) == 0;
  });
}

QString UnicodeDevanagariFamily() {
  for (const QString& family :
       {QStringLiteral("Noto Serif Devanagari"), QStringLiteral("Noto Sans Devanagari")}) {
    if (IsFontInstalled(family)) return family;
  }
  return QStringLiteral("Noto Serif Devanagari");
}

QString UnicodeIastFamily() { return QStringLiteral("Noto Serif"); }

QString DescribeLeftOut(const std::vector<LeftOutCharacter>& left_out) {
  if (left_out.empty()) return {};
  constexpr std::size_t kListed = 10;
  const std::size_t count = left_out.size();
  QString line = count == 1 ? QStringLiteral("1 character could not be kept and was left out: ")
                            : QStringLiteral("%1 characters could not be kept and were left out: ")
                                  .arg(static_cast<qulonglong>(count));
  const std::size_t listed = std::min(count, kListed);
  for (std::size_t i = 0; i < listed; ++i) {
    const LeftOutCharacter& item = left_out[i];
    if (i > 0) line += QStringLiteral(", ");
    line += CodeName(item.character);
    const bool surrogate = item.character >= 0xD800 && item.character <= 0xDFFF;
    if (!surrogate && QChar::isPrint(item.character)) {
      line += QStringLiteral(" '") + QString::fromUcs4(&item.character, 1) + u'\'';
    }
    line += QStringLiteral(" at ") + QString::number(item.position);
  }
  if (count > listed) {
    line += QStringLiteral(", and %1 more").arg(static_cast<qulonglong>(count - listed));
  }
  return line;
}

}  // namespace sfc::ui
