// The codec between the core's bytes and Qt text: both character sets over
// all 256 bytes, characters left out, and the trip through a box, the
// clipboard and a symbol font.
#include "byte_text.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRawFont>
#include <QStringDecoder>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

using sfc::ui::BoxText;
using sfc::ui::DecodedBytes;
using sfc::ui::DescribeLeftOut;
using sfc::ui::GlyphBytesToText;
using sfc::ui::GlyphTextToBytes;
using sfc::ui::HasSymbolCharMap;
using sfc::ui::IsFontInstalled;
using sfc::ui::LeftOutCharacter;
using sfc::ui::LineEnd;
using sfc::ui::LineEndOf;
using sfc::ui::SetLineEnd;
using sfc::ui::TranslitBytesToText;
using sfc::ui::TranslitTextToBytes;

namespace {

constexpr auto kSymbolFamily = "SFC Symbol Test";
constexpr int kFirstSymbolByte = 0x20;

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

std::string Bytes(int first, int last) {
  std::string bytes;
  for (int b = first; b <= last; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

QString Hex(int value) { return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0')); }

QString CodeOf(QChar c) {
  return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

int ByteAt(const std::string& bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

// The first byte at which two byte strings differ, for a failure message.
QString FirstDifference(const std::string& expected, const std::string& actual) {
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (expected[i] != actual[i]) {
      return QStringLiteral("at %1: expected %2, got %3")
          .arg(i)
          .arg(Hex(ByteAt(expected, i)), Hex(ByteAt(actual, i)));
    }
  }
  return QStringLiteral("lengths %1 and %2").arg(expected.size()).arg(actual.size());
}

QString FirstDifference(const QString& expected, const QString& actual) {
  const qsizetype common = std::min(expected.size(), actual.size());
  for (qsizetype i = 0; i < common; ++i) {
    if (expected[i] != actual[i]) {
      return QStringLiteral("at %1: expected %2, got %3")
          .arg(i)
          .arg(CodeOf(expected[i]), CodeOf(actual[i]));
    }
  }
  return QStringLiteral("lengths %1 and %2").arg(expected.size()).arg(actual.size());
}

#define COMPARE_BYTES(actual, expected) \
  QVERIFY2((actual) == (expected), qPrintable(FirstDifference((expected), (actual))))
#define COMPARE_TEXT(actual, expected) \
  QVERIFY2((actual) == (expected), qPrintable(FirstDifference((expected), (actual))))

// Everything but line ends, which a box gives back as LF.
std::string AllBytesButCarriageReturn() {
  std::string bytes = AllBytes();
  bytes.erase(13, 1);
  return bytes;
}

QFont SymbolFont() {
  QFont font(QString::fromLatin1(kSymbolFamily));
  font.setPixelSize(20);
  return font;
}

}  // namespace

class ByteTextTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();

  // Windows-1252 for transliteration text.
  void translitTextIsWindows1252ForEveryByte();
  void undefinedBytesAreTheirC1Controls();
  void translitTextGivesBackEveryByte();
  void otherC1ControlsAreLeftOut();

  // Symbol-font text for Devanagari.
  void symbolMapShowsBytesFromSpaceUpInPrivateUseRange();
  void withoutSymbolMapGlyphTextIsTranslitText();
  void glyphTextGivesBackEveryByteFromEitherForm();
  void privateUseRangeIsReadAsItsLowByte();
  void glyphTextReadsOtherCharactersAsWindows1252();

  // Characters no byte can hold.
  void leftOutCharactersCountPositionsInCodePoints();
  void loneSurrogateIsLeftOutAsItself();
  void emptyTextGivesNoBytes();
  void describeLeftOutNamesCodesCharactersAndPositions();
  void describeLeftOutListsTenAndCountsTheRest();

  // The trip through a box and the clipboard.
  void plainTextEditKeepsEveryByteButLineEnds();
  void plainTextOfABoxTurnsNoBreakSpaceIntoSpace();
  void plainTextEditTurnsEveryLineEndIntoLf();
  void lineEndsOfCrLfTextComeBackThroughABox();
  void mixedLineEndsComeBackAsLf();
  void lineEditKeepsEveryByte();
  void clipboardKeepsEveryByte();

  // The symbol font, for real.
  void testSymbolFontHasSymbolCharMap();
  void ordinaryFontHasNoSymbolCharMap();
  void symbolFontDrawsEachByteWithItsGlyphInABox();
  void registeredFontIsInstalledAndMissingOneIsNot();
};

void ByteTextTest::initTestCase() {
  const int id = QFontDatabase::addApplicationFont(QStringLiteral(SFC_TEST_SYMBOL_FONT));
  QVERIFY2(id != -1, "could not register " SFC_TEST_SYMBOL_FONT);
  QCOMPARE(QFontDatabase::applicationFontFamilies(id),
           QStringList{QString::fromLatin1(kSymbolFamily)});
}

void ByteTextTest::translitTextIsWindows1252ForEveryByte() {
  // ICU's Windows-1252 maps the five undefined bytes to C1 controls as well.
  QStringDecoder windows1252("windows-1252");
  if (!windows1252.isValid()) QSKIP("this Qt has no Windows-1252 decoder to compare with");
  const std::string bytes = AllBytes();
  const QString expected = windows1252.decode(QByteArrayView(bytes.data(), 256));
  COMPARE_TEXT(TranslitBytesToText(bytes), expected);
}

void ByteTextTest::undefinedBytesAreTheirC1Controls() {
  for (const int b : {129, 141, 143, 144, 157}) {
    const std::string byte(1, static_cast<char>(b));
    QCOMPARE(TranslitBytesToText(byte), QString(QChar(b)));
    const DecodedBytes back = TranslitTextToBytes(QString(QChar(b)));
    COMPARE_BYTES(back.bytes, byte);
    QVERIFY(back.left_out.empty());
  }
}

void ByteTextTest::translitTextGivesBackEveryByte() {
  const std::string bytes = AllBytes();
  const QString text = TranslitBytesToText(bytes);
  QCOMPARE(text.size(), 256);
  const DecodedBytes back = TranslitTextToBytes(text);
  COMPARE_BYTES(back.bytes, bytes);
  QVERIFY(back.left_out.empty());
}

void ByteTextTest::otherC1ControlsAreLeftOut() {
  // U+0080 to U+009F except the five stand for nothing in Windows-1252.
  QString text;
  for (char16_t c = 0x80; c < 0xA0; ++c) text += QChar(c);
  const DecodedBytes decoded = TranslitTextToBytes(text);
  COMPARE_BYTES(decoded.bytes, std::string("\x81\x8D\x8F\x90\x9D"));
  QCOMPARE(decoded.left_out.size(), std::size_t{27});
  QCOMPARE(decoded.left_out.front().character, U'\u0080');
  QCOMPARE(decoded.left_out.front().position, 1);
  QCOMPARE(decoded.left_out.back().character, U'\u009F');
  QCOMPARE(decoded.left_out.back().position, 32);
}

void ByteTextTest::symbolMapShowsBytesFromSpaceUpInPrivateUseRange() {
  const QString text = GlyphBytesToText(AllBytes(), true);
  QCOMPARE(text.size(), 256);
  for (int b = 0; b < 256; ++b) {
    const char16_t expected = static_cast<char16_t>(b < kFirstSymbolByte ? b : 0xF000 + b);
    QVERIFY2(text[b] == QChar(expected),
             qPrintable(Hex(b) + QStringLiteral(" shown as ") + CodeOf(text[b])));
  }
}

void ByteTextTest::withoutSymbolMapGlyphTextIsTranslitText() {
  const std::string bytes = AllBytes();
  COMPARE_TEXT(GlyphBytesToText(bytes, false), TranslitBytesToText(bytes));
}

void ByteTextTest::glyphTextGivesBackEveryByteFromEitherForm() {
  const std::string bytes = AllBytes();
  for (const bool symbol_map : {true, false}) {
    const DecodedBytes back = GlyphTextToBytes(GlyphBytesToText(bytes, symbol_map));
    COMPARE_BYTES(back.bytes, bytes);
    QVERIFY(back.left_out.empty());
  }
}

void ByteTextTest::privateUseRangeIsReadAsItsLowByte() {
  QString text;
  for (char16_t c = 0xF000; c <= 0xF0FF; ++c) text += QChar(c);
  const DecodedBytes decoded = GlyphTextToBytes(text);
  COMPARE_BYTES(decoded.bytes, AllBytes());
  QVERIFY(decoded.left_out.empty());
  // Just outside the range is no byte.
  QCOMPARE(GlyphTextToBytes(QString(QChar(0xF100))).left_out.size(), std::size_t{1});
  QCOMPARE(GlyphTextToBytes(QString(QChar(0xEFFF))).left_out.size(), std::size_t{1});
  // Transliteration text has no such range.
  QCOMPARE(TranslitTextToBytes(QString(QChar(0xF041))).left_out.size(), std::size_t{1});
}

void ByteTextTest::glyphTextReadsOtherCharactersAsWindows1252() {
  const DecodedBytes decoded = GlyphTextToBytes(QStringLiteral("A\u20AC\u0178\u00E9\uF0E9\n"));
  COMPARE_BYTES(decoded.bytes, std::string("A\x80\x9F\xE9\xE9\n"));
  QVERIFY(decoded.left_out.empty());
}

void ByteTextTest::leftOutCharactersCountPositionsInCodePoints() {
  // a, DEVANAGARI KA, an emoji (two UTF-16 units), RIGHTWARDS ARROW, EM DASH, b.
  const QString text = QStringLiteral("a\u0915") + QString::fromUcs4(U"\U0001F600", 1) +
                       QStringLiteral("\u2192\u2014b");
  QCOMPARE(text.size(), 7);
  const DecodedBytes decoded = TranslitTextToBytes(text);
  COMPARE_BYTES(decoded.bytes, std::string("a\x97"
                                           "b"));
  QCOMPARE(decoded.left_out.size(), std::size_t{3});
  QCOMPARE(decoded.left_out[0].position, 2);
  QCOMPARE(decoded.left_out[0].character, U'\u0915');
  QCOMPARE(decoded.left_out[1].position, 3);
  QCOMPARE(decoded.left_out[1].character, U'\U0001F600');
  QCOMPARE(decoded.left_out[2].position, 4);
  QCOMPARE(decoded.left_out[2].character, U'\u2192');
  // The glyph reading counts the same way.
  const DecodedBytes glyphs = GlyphTextToBytes(text + QChar(0xF041));
  COMPARE_BYTES(glyphs.bytes, std::string("a\x97"
                                          "bA"));
  QCOMPARE(glyphs.left_out.size(), std::size_t{3});
  QCOMPARE(glyphs.left_out[2].position, 4);
}

void ByteTextTest::loneSurrogateIsLeftOutAsItself() {
  QString text = QStringLiteral("x");
  text += QChar(0xDC00);  // low surrogate with no high one
  text += QChar(0xD83D);  // high surrogate followed by a letter
  text += u'y';
  const DecodedBytes decoded = TranslitTextToBytes(text);
  COMPARE_BYTES(decoded.bytes, std::string("xy"));
  QCOMPARE(decoded.left_out.size(), std::size_t{2});
  QCOMPARE(decoded.left_out[0].position, 2);
  QCOMPARE(decoded.left_out[0].character, char32_t{0xDC00});
  QCOMPARE(decoded.left_out[1].position, 3);
  QCOMPARE(decoded.left_out[1].character, char32_t{0xD83D});
}

void ByteTextTest::emptyTextGivesNoBytes() {
  QVERIFY(TranslitBytesToText({}).isEmpty());
  QVERIFY(GlyphBytesToText({}, true).isEmpty());
  QVERIFY(TranslitTextToBytes(QString()).bytes.empty());
  QVERIFY(GlyphTextToBytes(QString()).left_out.empty());
  QVERIFY(DescribeLeftOut({}).isEmpty());
}

void ByteTextTest::describeLeftOutNamesCodesCharactersAndPositions() {
  QCOMPARE(DescribeLeftOut({{3, U'\u0915'}, {9, U'\u2192'}}),
           QStringLiteral("2 characters could not be kept and were left out: "
                          "U+0915 '\u0915' at 3, U+2192 '\u2192' at 9"));
  QCOMPARE(DescribeLeftOut({{5, U'\U0001F600'}}),
           QStringLiteral("1 character could not be kept and was left out: U+1F600 '") +
               QString::fromUcs4(U"\U0001F600", 1) + QStringLiteral("' at 5"));
  // Characters that show nothing are named by code only.
  QCOMPARE(DescribeLeftOut({{1, U'\u0080'}, {2, char32_t{0xDC00}}}),
           QStringLiteral("2 characters could not be kept and were left out: "
                          "U+0080 at 1, U+DC00 at 2"));
}

void ByteTextTest::describeLeftOutListsTenAndCountsTheRest() {
  std::vector<LeftOutCharacter> left_out;
  for (int i = 0; i < 13; ++i) left_out.push_back({i + 1, U'\u0915'});
  const QString line = DescribeLeftOut(left_out);
  QVERIFY2(line.startsWith(QStringLiteral("13 characters could not be kept")), qPrintable(line));
  QVERIFY2(line.contains(QStringLiteral("at 10, and 3 more")), qPrintable(line));
  QVERIFY2(!line.contains(QStringLiteral("at 11")), qPrintable(line));
  QCOMPARE(line.count(QStringLiteral("U+0915")), 10);
}

void ByteTextTest::plainTextEditKeepsEveryByteButLineEnds() {
  const std::string bytes = AllBytesButCarriageReturn();
  for (const bool symbol_map : {false, true}) {
    QPlainTextEdit edit;
    edit.setPlainText(GlyphBytesToText(bytes, symbol_map));
    const DecodedBytes back = GlyphTextToBytes(BoxText(*edit.document()));
    COMPARE_BYTES(back.bytes, bytes);
    QVERIFY(back.left_out.empty());
  }
}

void ByteTextTest::plainTextOfABoxTurnsNoBreakSpaceIntoSpace() {
  // Why boxes are read with BoxText: toPlainText() changes byte 160 to 32.
  QPlainTextEdit edit;
  edit.setPlainText(TranslitBytesToText("a\xA0z"));
  QCOMPARE(edit.toPlainText(), QStringLiteral("a z"));
  QCOMPARE(BoxText(*edit.document()), QStringLiteral("a\u00A0z"));
  // The symbol-font form of byte 160 is kept either way.
  edit.setPlainText(GlyphBytesToText("a\xA0z", true));
  COMPARE_BYTES(GlyphTextToBytes(edit.toPlainText()).bytes, std::string("a\xA0z"));
}

void ByteTextTest::plainTextEditTurnsEveryLineEndIntoLf() {
  for (const bool symbol_map : {false, true}) {
    QPlainTextEdit edit;
    edit.setPlainText(GlyphBytesToText("1\r2\r\n3\n4\r\r\n5", symbol_map));
    QCOMPARE(edit.document()->blockCount(), 6);
    COMPARE_BYTES(GlyphTextToBytes(BoxText(*edit.document())).bytes,
                  std::string("1\n2\n3\n4\n\n5"));
  }
  // A line separator (Shift+Enter) is a line end too.
  QPlainTextEdit edit;
  edit.setPlainText(QStringLiteral("a\u2028b"));
  COMPARE_BYTES(TranslitTextToBytes(BoxText(*edit.document())).bytes, std::string("a\nb"));
}

void ByteTextTest::lineEndsOfCrLfTextComeBackThroughABox() {
  const std::string bytes = "first line\r\n\r\nthird, \xE9\xA0\x97 line\r\n";
  QCOMPARE(LineEndOf(bytes), LineEnd::kCrLf);
  QPlainTextEdit edit;
  edit.setPlainText(TranslitBytesToText(bytes));
  std::string back = TranslitTextToBytes(BoxText(*edit.document())).bytes;
  SetLineEnd(back, LineEndOf(bytes));
  COMPARE_BYTES(back, bytes);
}

void ByteTextTest::mixedLineEndsComeBackAsLf() {
  QCOMPARE(LineEndOf("a\r\nb\nc"), LineEnd::kLf);
  QCOMPARE(LineEndOf("\na\r\n"), LineEnd::kLf);
  QCOMPARE(LineEndOf("no line end"), LineEnd::kLf);
  QCOMPARE(LineEndOf("lone\rcarriage return"), LineEnd::kLf);
  std::string bytes = "a\nb\r\nc\n";
  SetLineEnd(bytes, LineEnd::kLf);
  COMPARE_BYTES(bytes, std::string("a\nb\r\nc\n"));
  SetLineEnd(bytes, LineEnd::kCrLf);
  COMPARE_BYTES(bytes, std::string("a\r\nb\r\nc\r\n"));
}

void ByteTextTest::lineEditKeepsEveryByte() {
  const std::string bytes = AllBytes();
  for (const bool symbol_map : {false, true}) {
    QLineEdit edit;
    edit.setText(GlyphBytesToText(bytes, symbol_map));
    COMPARE_BYTES(GlyphTextToBytes(edit.text()).bytes, bytes);
  }
}

void ByteTextTest::clipboardKeepsEveryByte() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const std::string bytes = AllBytes();
  clipboard->setText(TranslitBytesToText(bytes));
  COMPARE_BYTES(TranslitTextToBytes(clipboard->text()).bytes, bytes);
  clipboard->setText(GlyphBytesToText(bytes, true));
  COMPARE_BYTES(GlyphTextToBytes(clipboard->text()).bytes, bytes);
}

void ByteTextTest::testSymbolFontHasSymbolCharMap() {
  const QFont font = SymbolFont();
  QCOMPARE(QRawFont::fromFont(font).familyName(), QString::fromLatin1(kSymbolFamily));
  QVERIFY(HasSymbolCharMap(font));
}

void ByteTextTest::ordinaryFontHasNoSymbolCharMap() {
  QVERIFY(!HasSymbolCharMap(QApplication::font()));
  QVERIFY(!HasSymbolCharMap(QFontDatabase::systemFont(QFontDatabase::FixedFont)));
}

void ByteTextTest::symbolFontDrawsEachByteWithItsGlyphInABox() {
  // The generated font has .notdef as glyph 0 and byte b as glyph b - 31.
  const std::string bytes = Bytes(kFirstSymbolByte, 0xFF);
  QPlainTextEdit edit;
  edit.setFont(SymbolFont());
  edit.setPlainText(GlyphBytesToText(bytes, HasSymbolCharMap(edit.font())));

  const QRawFont raw = QRawFont::fromFont(edit.font());
  QCOMPARE(raw.familyName(), QString::fromLatin1(kSymbolFamily));
  const QList<quint32> glyphs = raw.glyphIndexesForString(edit.toPlainText());
  QCOMPARE(glyphs.size(), qsizetype{0xE0});
  for (int b = kFirstSymbolByte; b <= 0xFF; ++b) {
    const quint32 glyph = glyphs[b - kFirstSymbolByte];
    QVERIFY2(glyph == static_cast<quint32>(b - 31),
             qPrintable(Hex(b) + QStringLiteral(" drawn with glyph ") + QString::number(glyph)));
  }

  // Laid out as the box lays out its text: every glyph from the test font,
  // none from a fallback font.
  QTextLayout layout(edit.toPlainText(), edit.font());
  layout.beginLayout();
  while (layout.createLine().isValid()) {
  }
  layout.endLayout();
  QList<quint32> laid_out;
  for (const QGlyphRun& run : layout.glyphRuns()) {
    QCOMPARE(run.rawFont().familyName(), QString::fromLatin1(kSymbolFamily));
    laid_out += run.glyphIndexes();
  }
  std::sort(laid_out.begin(), laid_out.end());
  QList<quint32> expected;
  for (int b = kFirstSymbolByte; b <= 0xFF; ++b) expected.append(static_cast<quint32>(b - 31));
  QCOMPARE(laid_out, expected);
}

void ByteTextTest::registeredFontIsInstalledAndMissingOneIsNot() {
  QVERIFY(IsFontInstalled(QString::fromLatin1(kSymbolFamily)));
  QVERIFY(IsFontInstalled(QStringLiteral("sfc symbol test")));
  QVERIFY(!IsFontInstalled(QStringLiteral("Vedic")));
  QVERIFY(!IsFontInstalled(QString()));
}

QTEST_MAIN(ByteTextTest)
#include "byte_text_test.moc"
