// The codec between the core's bytes and Qt text.
#include "byte_text.h"

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <string>
#include <vector>

using namespace sfc::ui;

namespace {

constexpr auto kSymbolFamily = "SFC Symbol Test";

std::string Bytes(int first = 0, int last = 255) {
  std::string bytes;
  for (int b = first; b <= last; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

QString Code(char32_t c) {
  return QStringLiteral("U+%1").arg(c, 4, 16, QLatin1Char('0')).toUpper();
}

// Bytes compared as QByteArray, which a failure prints escaped.
#define COMPARE_BYTES(actual, expected) \
  QCOMPARE(QByteArray::fromStdString(actual), QByteArray::fromStdString(expected))

// Where characters were left out: "position:code" each.
QStringList LeftOut(const DecodedBytes& decoded) {
  QStringList places;
  for (const LeftOutCharacter& c : decoded.left_out) {
    places << QStringLiteral("%1:%2").arg(c.position).arg(Code(c.character));
  }
  return places;
}

// What a text box gives back as bytes for `text` set in it.
std::string ThroughBox(const QString& text) {
  QPlainTextEdit box;
  box.setPlainText(text);
  const DecodedBytes back = GlyphTextToBytes(BoxText(*box.document()));
  return back.left_out.empty() ? back.bytes : "(left out)";
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
  void initTestCase() {
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(SFC_TEST_SYMBOL_FONT)) != -1);
  }

  void translitTextIsWindows1252AndGivesBackEveryByte() {
    const std::string bytes = Bytes();
    const QString text = TranslitBytesToText(bytes);
    // ICU's Windows-1252 maps the five undefined bytes to C1 controls as well.
    QStringDecoder windows1252("windows-1252");
    if (windows1252.isValid()) {
      QCOMPARE(text, windows1252.decode(QByteArray::fromStdString(bytes)));
    }
    for (const int b : {129, 141, 143, 144, 157}) QCOMPARE(text[b], QChar(b));
    const DecodedBytes back = TranslitTextToBytes(text);
    COMPARE_BYTES(back.bytes, bytes);
    QVERIFY(back.left_out.empty());
  }

  void glyphTextIsThePrivateUseRangeAndGivesBackEveryByte() {
    const std::string bytes = Bytes();
    // With a symbol map, bytes from the space up are U+F000 + b.
    const QString text = GlyphBytesToText(bytes, true);
    for (int b = 0; b < 256; ++b) QCOMPARE(text[b].unicode(), b < 0x20 ? b : 0xF000 + b);
    QCOMPARE(GlyphBytesToText(bytes, false), TranslitBytesToText(bytes));
    for (const bool symbol_map : {true, false}) {
      const DecodedBytes back = GlyphTextToBytes(GlyphBytesToText(bytes, symbol_map));
      COMPARE_BYTES(back.bytes, bytes);
      QVERIFY(back.left_out.empty());
    }
    // The whole range U+F000 to U+F0FF is read as its low byte; other
    // characters as Windows-1252.
    QString range;
    for (char16_t c = 0xF000; c <= 0xF0FF; ++c) range += QChar(c);
    COMPARE_BYTES(GlyphTextToBytes(range).bytes, bytes);
    const DecodedBytes mixed = GlyphTextToBytes(QStringLiteral("A\u20AC\u0178\u00E9\uF0E9\n"));
    COMPARE_BYTES(mixed.bytes, std::string("A\x80\x9F\xE9\xE9\n"));
    QVERIFY(mixed.left_out.empty());
  }

  void charactersNoByteCanHoldAreLeftOutWithTheirPlaces_data() {
    QTest::addColumn<bool>("glyphs");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("left_out");
    // Positions count code points: the emoji is two UTF-16 units.
    const QString mixed = QStringLiteral("a\u0915") + QString::fromUcs4(U"\U0001F600", 1) +
                          QStringLiteral("\u2192\u2014b");
    const QStringList mixed_out = {"2:U+0915", "3:U+1F600", "4:U+2192"};
    QTest::newRow("translit") << false << mixed << QByteArray("a\x97") + "b" << mixed_out;
    QTest::newRow("glyphs") << true << mixed + QChar(0xF041) << QByteArray("a\x97") + "bA"
                            << mixed_out;
    // A low surrogate with no high one, a high one followed by a letter.
    const QString surrogates = QStringLiteral("x") + QChar(0xDC00) + QChar(0xD83D) + u'y';
    QTest::newRow("lone surrogates")
        << false << surrogates << QByteArray("xy") << QStringList{"2:U+DC00", "3:U+D83D"};
    QString c1;
    QStringList c1_out;
    for (char16_t c = 0x80; c < 0xA0; ++c) {
      c1 += QChar(c);
      if (!QList<char16_t>{0x81, 0x8D, 0x8F, 0x90, 0x9D}.contains(c)) {
        c1_out << QStringLiteral("%1:%2").arg(c - 0x7F).arg(Code(c));
      }
    }
    QTest::newRow("C1 controls but the five")
        << false << c1 << QByteArray("\x81\x8D\x8F\x90\x9D") << c1_out;
    QTest::newRow("private use in translit")
        << false << QStringLiteral("\uF041") << QByteArray() << QStringList{"1:U+F041"};
    QTest::newRow("just past the range") << true << QStringLiteral("\uF100\uEFFF") << QByteArray()
                                         << QStringList{"1:U+F100", "2:U+EFFF"};
  }

  void charactersNoByteCanHoldAreLeftOutWithTheirPlaces() {
    QFETCH(bool, glyphs);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, left_out);
    const DecodedBytes decoded = glyphs ? GlyphTextToBytes(text) : TranslitTextToBytes(text);
    COMPARE_BYTES(decoded.bytes, bytes.toStdString());
    QCOMPARE(LeftOut(decoded), left_out);
  }

  void describeLeftOutNamesTenAndCountsTheRest() {
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
    QVERIFY(DescribeLeftOut({}).isEmpty());
    std::vector<LeftOutCharacter> many;
    for (int i = 0; i < 13; ++i) many.push_back({i + 1, U'\u0915'});
    const QString line = DescribeLeftOut(many);
    QVERIFY2(line.startsWith("13 characters could not be kept") &&
                 line.contains("at 10, and 3 more") && !line.contains("at 11") &&
                 line.count("U+0915") == 10,
             qPrintable(line));
  }

  void boxesAndTheClipboardKeepEveryByteAndLineEndsComeBackAsLf() {
    std::string but_cr = Bytes();
    but_cr.erase(13, 1);
    for (const bool symbol_map : {false, true}) {
      COMPARE_BYTES(ThroughBox(GlyphBytesToText(but_cr, symbol_map)), but_cr);
      QApplication::clipboard()->setText(GlyphBytesToText(Bytes(), symbol_map));
      COMPARE_BYTES(GlyphTextToBytes(QApplication::clipboard()->text()).bytes, Bytes());
      // Every line end comes back as LF.
      COMPARE_BYTES(ThroughBox(GlyphBytesToText("1\r2\r\n3\n4\r\r\n5", symbol_map)),
                    std::string("1\n2\n3\n4\n\n5"));
    }
    // BoxText keeps byte 160, which toPlainText() makes a space; its
    // symbol-font form is kept either way. A line separator (Shift+Enter)
    // comes back as LF.
    QPlainTextEdit box;
    box.setPlainText(TranslitBytesToText("a\xA0z"));
    QCOMPARE(BoxText(*box.document()), QStringLiteral("a\u00A0z"));
    box.setPlainText(GlyphBytesToText("a\xA0z", true));
    COMPARE_BYTES(GlyphTextToBytes(box.toPlainText()).bytes, std::string("a\xA0z"));
    COMPARE_BYTES(ThroughBox(QStringLiteral("a\u2028b")), std::string("a\nb"));
    // So do the start and the end of a frame (a table pasted in).
    QTextDocument framed;
    QTextCursor cursor(&framed);
    cursor.insertText(QStringLiteral("a"));
    cursor.insertFrame(QTextFrameFormat());
    cursor.insertText(QStringLiteral("b"));
    QCOMPARE(BoxText(framed), QStringLiteral("a\nb\n"));
    // Text whose line ends were all CR LF gets them back.
    const std::string crlf = "first line\r\n\r\nthird, \xE9\xA0\x97 line\r\n";
    QCOMPARE(LineEndOf(crlf), LineEnd::kCrLf);
    std::string back = ThroughBox(TranslitBytesToText(crlf));
    SetLineEnd(back, LineEndOf(crlf));
    COMPARE_BYTES(back, crlf);
    // Anything else comes back as LF; a CR already before an LF is not doubled.
    for (const char* lf : {"a\r\nb\nc", "\na\r\n", "no line end", "lone\rcarriage return"}) {
      QCOMPARE(LineEndOf(lf), LineEnd::kLf);
    }
    std::string mixed = "a\nb\r\nc\n";
    SetLineEnd(mixed, LineEnd::kLf);
    COMPARE_BYTES(mixed, std::string("a\nb\r\nc\n"));
    SetLineEnd(mixed, LineEnd::kCrLf);
    COMPARE_BYTES(mixed, std::string("a\r\nb\r\nc\r\n"));
  }

  void symbolFontDrawsEachByteWithItsGlyphInABox() {
    QVERIFY(HasSymbolCharMap(SymbolFont()));
    QVERIFY(!HasSymbolCharMap(QApplication::font()));
    QVERIFY(!HasSymbolCharMap(QFontDatabase::systemFont(QFontDatabase::FixedFont)));
    QVERIFY(IsFontInstalled(QStringLiteral("sfc symbol test")));
    QVERIFY(!IsFontInstalled(QStringLiteral("Vedic")));
    QVERIFY(!IsFontInstalled(QString()));
    // The test font has byte b as glyph b - 31; laid out as the box lays out
    // its text, every glyph comes from it, none from a fallback font.
    QPlainTextEdit box;
    box.setFont(SymbolFont());
    box.setPlainText(GlyphBytesToText(Bytes(0x20, 0xFF), HasSymbolCharMap(box.font())));
    QList<quint32> expected;
    for (int b = 0x20; b <= 0xFF; ++b) expected.append(static_cast<quint32>(b - 31));
    QTextLayout layout(box.toPlainText(), box.font());
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
    QCOMPARE(laid_out, expected);
  }
};

QTEST_MAIN(ByteTextTest)
#include "byte_text_test.moc"
